// The program's command-line options as data: the rows both programs take,
// the option table that Argkit reads (rows in search order, which decides
// some abbreviations), the ids its rows return, and the help, version and
// usage texts.
#ifndef XTINKERBOT_DRIVER_OPTIONS_HH
#define XTINKERBOT_DRIVER_OPTIONS_HH

#include <cstdio>

#include "lib/argkit.hh"

// Ids returned by Argkit_ParseNext; rows sharing an id are synonyms.
// 315 and 316 belong to no row.
enum OptionId {
    optXrm = 300,
    optDisplay = 301,
    optGeometry = 302,
    optVersion = 303,
    optHelp = 304,
    optDoubleBuffer = 305,
    optTrails = 306,
    optOutputEps = 307,
    optLeftLogic = 308,
    optRightLogic = 309,
    optCrossLogic = 310,
    optStaticFriction = 311,
    optDynamicFriction = 312,
    optFriction = 313,
    optAngularFriction = 314,
    optLights = 317,
    optThreads = 318
};

// The rows both programs take, in search order: it decides that -s means
// -sf.  Each program's table is these with its own rows merged in
// (driver/option_rows.hh); Argkit adds Argkit_NeedsValue to its copy of
// every row with a value kind and no Argkit_MayHaveValue.
inline constexpr Argkit_Spec shared_option_rows[] = {
    {"af", 0, optAngularFriction, Argkit_DoubleValue, 0},
    {"angular-friction", 0, optAngularFriction, Argkit_DoubleValue, 0},
    {"cross-logic", 'x', optCrossLogic, Argkit_NoValue, Argkit_Negatable},
    {"df", 0, optDynamicFriction, Argkit_DoubleValue, 0},
    {"dynamic-friction", 0, optDynamicFriction, Argkit_DoubleValue, 0},
    {"friction", 'f', optFriction, Argkit_DoubleValue, 0},
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
    {"version", 'v', optVersion, Argkit_NoValue, 0},
};

const int option_count = 23;

// The interactive program's table, as merged: Argkit normalises the rows it
// is given in place, so every parser reads a copy (create_option_parser).
// Its size is checked against option_count.
extern const Argkit_Spec *const option_table;

// Prefix classes: '-' introduces short and long options, '+' negated ones.
const int minus_prefix_class = Argkit_ShortPrefix | Argkit_LongPrefix;
const int plus_prefix_class = Argkit_NegShortPrefix | Argkit_NegLongPrefix;

extern const char program_version[];  // project(VERSION) of CMakeLists.txt

// The help lines of the options both programs take, from -h to -threads; the
// batch runner's help lists them too.
extern const char shared_options_help[];

void write_help(FILE *f, const char *program);
void write_version(FILE *f);
// The two usage lines of either program: operands is what follows
// "[OPTION]..." on the first (nothing for the interactive program).
void write_usage(FILE *f, const char *program, const char *operands = "");

#endif
