// The -geometry option: WIDTHxHEIGHT, optionally followed by {+-}X{+-}Y,
// or {+-}X{+-}Y alone, parsed into X size hints.  Kept apart from the
// window code so it can be tested without a server.
#ifndef XTINKERBOT_DRIVER_GEOMETRY_HH
#define XTINKERBOT_DRIVER_GEOMETRY_HH

#include <X11/Xlib.h>
#include <X11/Xutil.h>

// Largest width, height or offset accepted: X coordinates are 16 bits.
const long max_geometry_value = 32767;

// Applies spec to hints (whose width, height, x and y hold the defaults)
// on a screen of the given size.  Returns false for a bad geometry text:
// the flags are then cleared, and the fields keep whatever was stored
// before the fault was found.
bool parse_geometry(const char *spec, int screen_width, int screen_height,
                    XSizeHints *hints);

#endif
