// The batch runner's options.  The rows it shares with the interactive
// program are the same rows (names, short characters, ids, kinds, flags),
// and their effects go through the same handlers (apply_simulation_option),
// so a command line means the same world in both programs.  Its own
// options say how long to run, how large the virtual window is, how to
// seed the placement, what to trace, which algorithms to run and how to
// frame the picture.
#include "driver/batch_options.hh"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "display/eps.hh"
#include "driver/body_options.hh"
#include "driver/option_rows.hh"
#include "driver/options.hh"
#include "driver/startup.hh"
#include "lib/program_name.hh"

namespace {

// The batch runner's own rows, in name order.  Merged with the shared rows,
// -s is ambiguous (seed, sf, size, static-friction); -se, -sf, -si and -st
// are not.
constexpr Argkit_Spec own_rows[] = {
    {"firings", 'n', optFirings, batch_firings_value, 0},
    {"fit", 0, optFit, Argkit_NoValue, 0},
    {"quiet", 0, optQuiet, Argkit_NoValue, 0},
    {"reference", 0, optReference, Argkit_NoValue, 0},
    {"seed", 0, optSeed, batch_seed_value, 0},
    {"size", 0, optSize, Argkit_StringValue, 0},
    {"trace", 0, optTrace, Argkit_StringValue, 0},
    {"trace-every", 0, optTraceEvery, batch_every_value, 0},
};
static_assert(in_name_order(own_rows), "own option rows must be in name order");

constexpr auto rows = merge_option_rows(shared_option_rows, own_rows);
static_assert(rows.size() == batch_option_count,
              "batch_option_count must be the number of rows");

}  // namespace

const Argkit_Spec *const batch_option_table = rows.data();

namespace {

// Option names start in column 3 and descriptions in column 31, as in the
// interactive program's help; the %s after -output-eps stands for the
// option lines the two programs share.
const char help_format[] =
    "`Xtinkerbot-batch' simulates Tinkerbot vehicles without a window and\n"
    "writes the final picture, with the vehicles' trails, as one EPS file.\n"
    "\n"
    "Usage: %s [OPTION]... [BODY]...\n"
    "\n"
    "Options are:\n"
    "  -n, -firings N              Run N alarm firings of 4 steps (default 1000)\n"
    "  -size WxH                   Simulate a W by H pixel window (default 640x520)\n"
    "  -seed N                     Seed the random placement with N (default none)\n"
    "  -o, -output-eps FILE        Name the output EPS file `FILE' (- for stdout)\n"
    "  -trace FILE                 Trace the vehicles as CSV to FILE (- for stdout)\n"
    "  -trace-every K              Trace every K-th firing (default 6) and the last\n"
    "  -reference                  Run the straightforward algorithms, no shortcuts\n"
    "  -fit                        Frame the picture around everything it draws\n"
    "  -quiet                      Show no progress line on a terminal\n"
    "%s"
    "\n"
    "Each BODY names a body of xtinkerbot's catalogue, such as v2a or l2a.\n"
    "The picture goes to the pattern's first file (default xtinkerbot.eps.001);\n"
    "the simulated steps per second go to standard error.\n"
    "\n"
    "Reporting bugs? <xtinkerbot-bugs@wexlo.example.org>\n";

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

int digit_value(char c, int base)
{
    if (is_digit(c))
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The range of a count value kind.
struct CountRange {
    unsigned min, max;
};

// The count value kinds; the closure points to the range.  Argkit's own
// unsigned kind keeps the low 32 bits of a larger number; a count that
// silently became another count would run a different experiment, so
// values past the bound are refused.
int parse_count(Argkit_Context *cli, const char *text, int complain, void *closure)
{
    const CountRange &range = *static_cast<const CountRange *>(closure);
    unsigned max = range.max;
    const char *digits = text;
    int base = 10;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits += 2;
        base = 16;
    }
    bool well_formed = *digits != 0;
    bool too_large = false;
    unsigned long long value = 0;
    for (const char *s = digits; *s && well_formed; s++) {
        int d = digit_value(*s, base);
        if (d < 0)
            well_formed = false;
        else if (!too_large) {
            value = value * base + d;
            too_large = value > max;
        }
    }
    bool too_small = well_formed && !too_large && value < range.min;
    if (well_formed && !too_large && !too_small) {
        cli->value.u = static_cast<unsigned>(value);
        return 1;
    }
    const char *kind = range.min > 0 ? "a positive" : "a nonnegative";
    if (complain && (!well_formed || too_small))
        Argkit_ReportOptionError(cli, "`%O' expects %s integer, not `%s'", kind, text);
    else if (complain) {
        char bound[16];
        std::snprintf(bound, sizeof bound, "%u", max);
        Argkit_ReportOptionError(cli, "`%O' expects an integer up to %s, not `%s'", bound,
                                 text);
    }
    return 0;
}

CountRange firings_range = {0, max_firings};
CountRange seed_range = {0, max_seed};
CountRange every_range = {1, max_firings};

// Decimal digits from 1 to max_batch_size; advances text past them.
bool parse_dimension(const char *&text, int *out)
{
    long value = 0;
    const char *s = text;
    for (; is_digit(*s); s++) {
        value = value * 10 + (*s - '0');
        if (value > max_batch_size)
            return false;
    }
    if (s == text || value < 1)
        return false;
    *out = static_cast<int>(value);
    text = s;
    return true;
}

// False when the option's value is refused (reported already).
bool apply_batch_option(int id, const Argkit_Context *cli, void *context)
{
    BatchSettings &settings = *static_cast<BatchSettings *>(context);
    switch (id) {
      case optVersion:
        write_version(stdout);
        exit_after_text();
      case optHelp:
        write_batch_help(stdout, program_name);
        exit_after_text();
      case optFirings:
        settings.firings = cli->value.u;
        return true;
      case optSeed:
        settings.seeded = true;
        settings.seed = cli->value.u;
        return true;
      case optTrace:
        settings.trace_name = cli->value_text;
        return true;
      case optTraceEvery:
        settings.trace_every = cli->value.u;
        return true;
      case optQuiet:
        settings.quiet = true;
        return true;
      case optReference:
        settings.reference = true;
        return true;
      case optFit:
        settings.fit = true;
        return true;
      case optSize:
        if (!parse_size(cli->value_text, &settings.width, &settings.height)) {
            std::fprintf(stderr, "%s: bad size `%s'\n", program_name, cli->value_text);
            return false;
        }
        return true;
      default:
      {
        SimulationOptionResult result =
            apply_simulation_option(id, const_cast<Argkit_Context *>(cli));
        return result != simRefused && result != simBadValue;
      }
    }
}

}  // namespace

Argkit_Context *create_batch_parser(int argc, char **argv)
{
    Argkit_Context *cli = create_option_parser(argc, argv, batch_option_count,
                                               batch_option_table);
    if (!Argkit_AddType(cli, batch_firings_value, 0, parse_count, &firings_range)
        || !Argkit_AddType(cli, batch_seed_value, 0, parse_count, &seed_range)
        || !Argkit_AddType(cli, batch_every_value, 0, parse_count, &every_range)) {
        std::fprintf(stderr, "%s: out of memory\n", program_name);
        std::exit(1);
    }
    return cli;
}

bool parse_size(const char *text, int *width, int *height)
{
    int w, h;
    if (!parse_dimension(text, &w) || *text++ != 'x' || !parse_dimension(text, &h)
        || *text)
        return false;
    *width = w;
    *height = h;
    return true;
}

void write_batch_help(FILE *f, const char *program)
{
    std::fprintf(f, help_format, program, shared_options_help);
}

void read_batch_options(Argkit_Context *cli, BatchSettings &settings)
{
    int errors_before = startup_error_count();
    read_elements(cli, apply_batch_option, &settings, batch_operands);
    if (settings.trace_name && std::strcmp(settings.trace_name, "-") == 0
        && (eps_name_pattern.empty() || eps_name_pattern.equals("-", 1))) {
        std::fprintf(stderr, "%s: the trace and the picture cannot both go to standard output\n",
                     program_name);
        write_usage(stderr, program_name, batch_operands);
        std::exit(1);
    }
    // The interactive program goes on with what it could build; an
    // unattended experiment that silently ran a different world would be
    // worse than none.
    if (startup_error_count() > errors_before) {
        std::fprintf(stderr, "%s: not run: the command line has errors\n", program_name);
        std::exit(1);
    }
}
