// The name every message of the program starts with (argv[0] after its
// last '/'), set once by the start-up code.  It lives here, at the bottom,
// because every layer reports errors under it.
#ifndef XTINKERBOT_LIB_PROGRAM_NAME_HH
#define XTINKERBOT_LIB_PROGRAM_NAME_HH

extern const char *program_name;

#endif
