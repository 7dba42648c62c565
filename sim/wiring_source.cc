#include "sim/wiring_source.hh"

#include <cstdio>
#include <mutex>

#include "lib/program_name.hh"
#include "lib/vector.hh"

namespace {

struct Source {
    const Logic *tree;  // null: a tree no option made (the catalogue's)
    const char *option;
    const char *text;
    bool reported;
};

// One entry per wiring option given, so a short list; never freed, like
// the trees.
Vector<Source> &sources = *new Vector<Source>;

}  // namespace

void note_wiring_source(const Logic *tree, const char *option, const char *text)
{
    sources.push_back(Source{tree, option, text, false});
}

// Vehicles may step on worker threads: one lock keeps each message to
// once.  Only a wiring that went wrong takes it.
void report_non_number(const Logic *tree)
{
    static std::mutex lock;
    std::lock_guard<std::mutex> hold(lock);
    static bool reported_unnamed = false;
    for (Source &s : sources)
        if (s.tree == tree) {
            if (!s.reported)
                std::fprintf(stderr,
                             "%s: the %s expression `%s' gave a non-number; "
                             "its drive counts as 0\n", program_name, s.option, s.text);
            s.reported = true;
            return;
        }
    if (!reported_unnamed)
        std::fprintf(stderr, "%s: a wiring gave a non-number; its drive counts as 0\n",
                     program_name);
    reported_unnamed = true;
}
