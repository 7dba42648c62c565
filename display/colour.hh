// Colour requests for code that must not see Xlib (bodies ask for their
// colours long before any display exists).  Returns the colour index.
#ifndef XTINKERBOT_DISPLAY_COLOUR_HH
#define XTINKERBOT_DISPLAY_COLOUR_HH

int request_colour(int red, int green, int blue);

#endif
