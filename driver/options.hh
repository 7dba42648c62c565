// The program's command-line options as data: the option table that Argkit
// reads (rows in search order, which decides some abbreviations), the ids
// its rows return, and the help, version and usage texts.
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

const int option_count = 23;

// The rows as written: Argkit normalises the rows it is given in place, so
// every parser reads a copy (create_option_parser).  The bound is left to
// the definition, which is sized by its rows and checked against
// option_count, so a row left out cannot turn into a zero-filled one.
extern const Argkit_Spec option_table[];

// Prefix classes: '-' introduces short and long options, '+' negated ones.
const int minus_prefix_class = Argkit_ShortPrefix | Argkit_LongPrefix;
const int plus_prefix_class = Argkit_NegShortPrefix | Argkit_NegLongPrefix;

extern const char program_version[];  // "0.9"

// The help lines of the options both programs take, from -h to -threads; the
// batch runner's help lists them too.
extern const char shared_options_help[];

void write_help(FILE *f, const char *program);
void write_version(FILE *f);
void write_usage(FILE *f, const char *program);

#endif
