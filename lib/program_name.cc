#include "lib/program_name.hh"

const char *program_name = "xtinkerbot";
