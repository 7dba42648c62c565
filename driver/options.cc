#include "driver/options.hh"

#include "driver/option_rows.hh"

namespace {

// The interactive program's own rows, in name order; in the merged order
// -do means -double-buffer.
constexpr Argkit_Spec own_rows[] = {
    {"db", 0, optDoubleBuffer, Argkit_NoValue, Argkit_Negatable},
    {"display", 'd', optDisplay, Argkit_NonOptionString, 0},
    {"double-buffer", 0, optDoubleBuffer, Argkit_NoValue, Argkit_Negatable},
    {"geometry", 0, optGeometry, Argkit_StringValue, 0},
    {"trails", 't', optTrails, Argkit_NoValue, Argkit_Negatable},
    {"xrm", 0, optXrm, Argkit_StringValue, 0},
};
static_assert(in_name_order(own_rows), "own option rows must be in name order");

constexpr auto rows = merge_option_rows(shared_option_rows, own_rows);
static_assert(rows.size() == option_count, "option_count must be the number of rows");

}  // namespace

const Argkit_Spec *const option_table = rows.data();

const char program_version[] = XT_VERSION;

// The lines both programs' help texts list; see options.hh.
const char shared_options_help[] =
    "  -h, --help                  Print this message and exit\n"
    "  -v, --version               Print version number and exit\n"
    "\n"
    "  -f, -friction K             Set world's coefficient of friction to K\n"
    "  -sf, -static-friction K     Set world's static friction coefficient to K\n"
    "  -df, -dynamic-friction K    Set world's dynamic friction coefficient to K\n"
    "  -af, -angular-friction K    Set \"coefficient of angular friction\" to K\n"
    "\n"
    "  -l[VAL], -lights[=VAL]      Add lights to vehicles, strength VAL (default 6)\n"
    "  -x, -cross-logic            Switch logic for left and right actuators\n"
    "  -ll, -left-logic EXP        Set logic for wiring to left actuator\n"
    "  -rl, -right-logic EXP       Set logic for wiring to right actuator\n"
    "\n"
    "  -threads N                  Step vehicles on N threads (default: all cores)\n";

// Option names start in column 3 (7 for -display and -geometry) and
// descriptions in column 31; the %s after -output-eps stands for
// shared_options_help.  -xrm is deliberately not listed.
static const char help_format[] =
    "`Xtinkerbot' is a program to simulate one or more Tinkerbot vehicles.\n"
    "\n"
    "Usage: %s [OPTION]...\n"
    "\n"
    "Options are:\n"
    "      -display DISPLAY        Set the X display for the Xtinkerbot window\n"
    "      -geometry GEOMETRY      Set the Xtinkerbot window's geometry\n"
    "  -db, -double-buffer         Use double-buffering (better display, slower)\n"
    "  -t, -trails                 Show vehicle trails\n"
    "  -o, -output-eps FILE        Name output EPS files `FILE'\n"
    "%s"
    "\n"
    "Keystrokes:\n"
    "  up, down, left, right       Pan through space (Control-<key> moves less)\n"
    "  =, -                        Zoom in and out\n"
    "  <, >                        Animate slower or faster\n"
    "  Escape                      Pause/resume\n"
    "  t                           Toggle trails display\n"
    "  o                           Output current trails in EPS format\n"
    "  r                           Restart with all vehicles in random positions\n"
    "  q                           Quit\n"
    "\n"
    "Reporting bugs? <xtinkerbot-bugs@wexlo.example.org>\n";

static const char legal_notice[] =
    "Copyright (C) 1996-2024 Wexlo. All rights reserved.\n"
    "Xtinkerbot is provided \"as is\", without warranty of any kind, express\n"
    "or implied; in no event shall its authors be liable for any damages\n"
    "arising from its use.\n";

void write_help(FILE *f, const char *program)
{
    std::fprintf(f, help_format, program, shared_options_help);
}

void write_version(FILE *f)
{
    std::fprintf(f, "Wexlo Xtinkerbot version %s\n", program_version);
    std::fputs(legal_notice, f);
}

void write_usage(FILE *f, const char *program, const char *operands)
{
    std::fprintf(f, "Usage: %s [OPTION]...%s\nTry `%s --help' for more information.\n",
                 program, operands, program);
}
