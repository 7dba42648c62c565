// Where a wiring tree came from, for messages about it: the option and the
// text of a -left-logic or -right-logic expression.  A wiring can yield a
// non-number (0/0, the root of a negative, a name the vehicle lacks read
// as 0 and divided by): its drive then counts as 0, and the program says
// once per tree which expression did it, rather than let the non-number
// spread into the vehicle's position and from there into every picture.
#ifndef XTINKERBOT_SIM_WIRING_SOURCE_HH
#define XTINKERBOT_SIM_WIRING_SOURCE_HH

class Logic;

// Remembers that the tree was built from `text' given to `option'; both
// strings must live as long as the program (they point into argv).
void note_wiring_source(const Logic *tree, const char *option, const char *text);

// Reports, the first time for this tree, that it yielded a non-number.
void report_non_number(const Logic *tree);

#endif
