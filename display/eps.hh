// EPS output: the 'o' key writes the picture and every vehicle's trail,
// fitted with Bezier curves, to the next numbered file of the pattern.
#ifndef XTINKERBOT_DISPLAY_EPS_HH
#define XTINKERBOT_DISPLAY_EPS_HH

#include "lib/string.hh"

class World;
class View;
class PendingOutput;

// The file-name pattern, a printf format taking the file number; empty or
// "-" means standard output.
extern String eps_name_pattern;
// The number used for the last file name; only grows.
extern int eps_file_number;

// True when text is a usable file-name pattern: at most one conversion,
// which consumes an int (flags and width allowed, then d, i or u), and no
// name it gives longer than the system allows a path to be.
bool eps_pattern_ok(const char *text);
void set_default_eps_pattern();
// -o: false, after the message, when text is no usable pattern (the old
// pattern stays).
bool handle_output_eps_option(const char *text);
// Writes the picture to the next file of the pattern (or standard output);
// false when it could not be named, opened or completely written, which
// has then been reported on standard error.  Opening never waits.  With
// `later', a picture for anything but a regular file (a pipe, a FIFO, a
// terminal) is made in memory and handed to it, to be written as the
// reader takes it; its later failures are reported there.
bool write_eps(World *world, View *view, PendingOutput *later = nullptr);

#endif
