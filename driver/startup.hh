// Start-up: reads the command line strictly left to right, applying every
// option the moment it is read and handing every operand to the operand
// handler, so a setting affects only the bodies named after it.
//
// The pieces that the interactive program and the batch runner share are
// exported: the parser set-up, the simulation objects and the handlers of
// the simulation options, so both programs read them identically.
#ifndef XTINKERBOT_DRIVER_STARTUP_HH
#define XTINKERBOT_DRIVER_STARTUP_HH

#include "driver/settings.hh"
#include "lib/argkit.hh"

// Creates the option parser, sets program_name, builds the catalogue, the
// EPS name pattern, the template light and the_world, then reads every
// element.  Exits with status 0 after the help or version text and with
// status 1 after a bad option.
void read_command_line(int argc, char **argv, StartupSettings &settings);

// A program's handler of the options it was given: false when it refused
// the value, which it has reported.  context is the program's settings.
typedef bool (*OptionHandler)(int id, const Argkit_Context *cli, void *context);

// The option loop of both programs, over a parser already created with the
// program's option table and prefix characters; the_world must exist.
// Every element is read left to right: operands go to the operand handler,
// options to the program's handler.  After a bad option (Argkit's message,
// or a value the handler refused) it writes the usage text, with the
// program's operands after "[OPTION]...", and exits with status 1.
void read_elements(Argkit_Context *cli, OptionHandler handle, void *context,
                   const char *operands);

// The loop with the interactive program's handler.
void read_options(Argkit_Context *cli, StartupSettings &settings);

// A parser over a copy of the given table with the prefix characters '-'
// and '+'; program_name becomes argv[0] after its last '/' (kept when there
// is no argv[0]).  Exits with status 1 when memory runs out.
Argkit_Context *create_option_parser(int argc, char **argv, int count,
                                     const Argkit_Spec *options);

// In this order: the catalogue, the default EPS pattern, the template
// light, the_world.  Everything the simulation options act on.
void create_simulation();

// What apply_simulation_option did with an id.
enum SimulationOptionResult {
    simNotSimulation,  // not a shared simulation option: the caller's own
    simApplied,
    simRefused,        // the value was reported on stderr and not applied
    simBadValue        // as simRefused, but a bad option: the run ends
};

// The options both programs share: -o (307), -ll and -rl (308, 309), -x
// (310), the friction options (311 to 314), -l (317) and -threads (318).
// A bad -o pattern and a thread count out of range are refused, and the
// interactive program goes on after them; a friction or light strength
// that is not a finite number is a bad value.
SimulationOptionResult apply_simulation_option(int id, Argkit_Context *cli);

// Errors (not warnings) reported so far about the command line's bodies
// and wirings; each means the world differs from what was asked for.
int startup_error_count();

// After the help or version text: status 0, or 1 with a message when the
// text could not be written.
[[noreturn]] void exit_after_text();

#endif
