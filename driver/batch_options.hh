// The batch runner's command line: its option table (the interactive
// program's simulation options under the same names and ids, plus the
// number of firings, the virtual window size, the seed, the trace, the
// progress line, the reference algorithms and the fitted picture), its
// texts, and its option loop.  Window options are not among them: there
// is no window.
#ifndef XTINKERBOT_DRIVER_BATCH_OPTIONS_HH
#define XTINKERBOT_DRIVER_BATCH_OPTIONS_HH

#include <cstdio>

#include "lib/argkit.hh"

// The batch runner's own ids; the shared rows keep the OptionId values.
enum BatchOptionId {
    optFirings = 320,
    optSeed = 321,
    optSize = 322,
    optTrace = 323,
    optTraceEvery = 324,
    optQuiet = 325,
    optReference = 326,
    optFit = 327
};

const int batch_option_count = 25;

// The shared rows with the batch runner's own merged in, as option_table;
// its size is checked against batch_option_count.
extern const Argkit_Spec *const batch_option_table;

// Value kinds of -firings, -seed and -trace-every, registered by
// create_batch_parser: an integer (decimal, or hexadecimal after 0x) from
// 0 (from 1 for -trace-every) up to the bound below.
const int batch_firings_value = 7;
const int batch_seed_value = 8;
const int batch_every_value = 9;

// Bounds: tick counts are ints, seeds what srand takes, and window
// coordinates 16-bit signed values.
const unsigned max_firings = 2147483647u;
const unsigned max_seed = 4294967295u;
const int max_batch_size = 32767;

struct BatchSettings {
    unsigned firings = 1000;
    int width = 640;   // the interactive window's default size
    int height = 520;
    bool seeded = false;  // without -seed, rand() is left as it starts
    unsigned seed = 0;
    const char *trace_name = nullptr;  // null: no trace; "-": standard output
    unsigned trace_every = 6;          // the trail's rhythm
    bool quiet = false;                // no progress line
    bool reference = false;            // the straightforward algorithms
    bool fit = false;                  // frame the picture around what it draws
};

// A parser over batch_option_table, as the interactive program's parser
// (prefix characters, program_name), with the two count kinds added.
Argkit_Context *create_batch_parser(int argc, char **argv);

// "WxH", both decimal from 1 to max_batch_size, nothing else; false and
// the outputs untouched otherwise.
bool parse_size(const char *text, int *width, int *height);

// What the batch runner's usage line shows after "[OPTION]...".
const char batch_operands[] = " [BODY]...";

void write_batch_help(FILE *f, const char *program);

// Reads every element left to right: operands go to the operand handler,
// simulation options to their shared handlers, the rest into settings.
// Exits with status 0 after the help or version text and with status 1,
// after the usage text, on a bad option or value, or when the trace and
// the picture would both go to standard output; and with status 1 at the
// end when an operand or a wiring was reported as an error (warnings do
// not count).  the_world must exist.
void read_batch_options(Argkit_Context *cli, BatchSettings &settings);

#endif
