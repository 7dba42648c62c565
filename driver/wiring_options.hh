// -left-logic / -right-logic: parse the expression text at once and store
// the tree (even a null one) for the vehicles named afterwards.
#ifndef XTINKERBOT_DRIVER_WIRING_OPTIONS_HH
#define XTINKERBOT_DRIVER_WIRING_OPTIONS_HH

class Logic;

// Parses one wiring expression named "<argument>"; messages go to stderr.
Logic *parse_wiring(const char *text);
// id optLeftLogic (-ll) or optRightLogic (-rl).
void handle_logic_option(int id, const char *text);

#endif
