#include "driver/options.hh"

// Rows are searched in this order: it decides that -s means -sf and that
// -do means -double-buffer.  Argkit adds Argkit_NeedsValue to its copy of
// every row with a value kind and no Argkit_MayHaveValue.
const Argkit_Spec option_table[] = {
    {"af", 0, optAngularFriction, Argkit_DoubleValue, 0},
    {"angular-friction", 0, optAngularFriction, Argkit_DoubleValue, 0},
    {"cross-logic", 'x', optCrossLogic, Argkit_NoValue, Argkit_Negatable},
    {"db", 0, optDoubleBuffer, Argkit_NoValue, Argkit_Negatable},
    {"df", 0, optDynamicFriction, Argkit_DoubleValue, 0},
    {"display", 'd', optDisplay, Argkit_NonOptionString, 0},
    {"double-buffer", 0, optDoubleBuffer, Argkit_NoValue, Argkit_Negatable},
    {"dynamic-friction", 0, optDynamicFriction, Argkit_DoubleValue, 0},
    {"friction", 'f', optFriction, Argkit_DoubleValue, 0},
    {"geometry", 0, optGeometry, Argkit_StringValue, 0},
    {"lights", 'l', optLights, Argkit_DoubleValue, Argkit_MayHaveValue | Argkit_Negatable},
    {"left-logic", 0, optLeftLogic, Argkit_StringValue, 0},
    {"ll", 0, optLeftLogic, Argkit_StringValue, 0},
    {"help", 'h', optHelp, Argkit_NoValue, 0},
    {"output-eps", 'o', optOutputEps, Argkit_StringValue, 0},
    {"right-logic", 0, optRightLogic, Argkit_StringValue, 0},
    {"rl", 0, optRightLogic, Argkit_StringValue, 0},
    {"sf", 0, optStaticFriction, Argkit_DoubleValue, 0},
    {"static-friction", 0, optStaticFriction, Argkit_DoubleValue, 0},
    {"threads", 0, optThreads, Argkit_IntValue, 0},
    {"trails", 't', optTrails, Argkit_NoValue, Argkit_Negatable},
    {"version", 'v', optVersion, Argkit_NoValue, 0},
    {"xrm", 0, optXrm, Argkit_StringValue, 0},
};
static_assert(sizeof option_table / sizeof option_table[0] == option_count,
              "option_count must be the number of rows of option_table");

const char program_version[] = "0.9";

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

void write_usage(FILE *f, const char *program)
{
    std::fprintf(f, "Usage: %s [OPTION]...\nTry `%s --help' for more information.\n",
                 program, program);
}
