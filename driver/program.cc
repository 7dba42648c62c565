#include "driver/program.hh"

const char *program_name = "xtinkerbot";
