// PendingOutput: pictures on their way to descriptors that may not take
// them at once -- a pipe or FIFO whose reader is slow, stopped or gone.
// The interactive program must never wait on such a reader: its window
// would freeze and 'q' would go unanswered.  So the text of a picture is
// made in memory first and written as the descriptor takes it, from the
// main loop, which asks select when there is room.  Texts for the same
// descriptor go out whole and in order.
#ifndef XTINKERBOT_DISPLAY_PENDING_OUTPUT_HH
#define XTINKERBOT_DISPLAY_PENDING_OUTPUT_HH

#include <sys/select.h>

#include <cstddef>

#include "lib/string.hh"
#include "lib/vector.hh"

class PendingOutput {
  public:
    PendingOutput() = default;
    ~PendingOutput();
    PendingOutput(const PendingOutput &) = delete;
    PendingOutput &operator=(const PendingOutput &) = delete;

    // Takes the malloc'd text for fd, named `name' in messages, and
    // writes what fd takes now.  An owned fd is non-blocking and is closed
    // when its text is out; one that is not owned (standard output) is
    // written only as far as poll says it has room.  False, after the
    // message, when writing failed (the text is then dropped).
    bool add(int fd, bool owned, const String &name, char *text, std::size_t size);

    bool empty() const { return _items.empty(); }
    // Adds every descriptor waiting for room to the set; returns the
    // largest, or -1 when none waits.
    int add_to_write_set(fd_set *set) const;
    // Writes on to the descriptors that select found writable.
    void write_ready(const fd_set *set);
    // Gives up on everything still pending (the program quits): each is
    // reported as not completely written and closed.
    void abandon();

  private:
    struct Item {
        int fd;
        bool owned;
        String name;
        char *text;
        std::size_t size;
        std::size_t done;
    };
    Vector<Item *> _items;  // oldest first

    // The first item of its descriptor is the one being written.
    bool first_for_fd(int i) const;
    // Writes as much as fd takes now; false after reporting a failure.
    static bool write_some(Item *item);
    // Closes and frees the item; false after reporting a failed close.
    static bool finish(Item *item);
};

#endif
