// The name every message of the program starts with (argv[0] after its
// last '/'), set once by the start-up code.
#ifndef XTINKERBOT_DRIVER_PROGRAM_HH
#define XTINKERBOT_DRIVER_PROGRAM_HH

extern const char *program_name;

#endif
