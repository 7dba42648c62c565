// Start-up: reads the command line strictly left to right, applying every
// option the moment it is read and handing every operand to the operand
// handler, so a setting affects only the bodies named after it.
#ifndef XTINKERBOT_DRIVER_STARTUP_HH
#define XTINKERBOT_DRIVER_STARTUP_HH

#include "driver/settings.hh"
#include "lib/argkit.hh"

// Creates the option parser, sets program_name, builds the catalogue, the
// EPS name pattern, the template light and the_world, then reads every
// element.  Exits with status 0 after the help or version text and with
// status 1 after a bad option.
void read_command_line(int argc, char **argv, StartupSettings &settings);

// The option loop on its own, over a parser already created with the
// program's option table and prefix characters; the_world must exist.
void read_options(Argkit_Context *cli, StartupSettings &settings);

#endif
