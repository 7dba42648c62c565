// The fitted picture frame: after a long run most vehicles have left the
// window's region, so a picture of that region shows stray trail ends.
// framed_view gives a view of the same page size whose transform shows
// everything the picture draws.
#ifndef XTINKERBOT_DISPLAY_PICTURE_FRAME_HH
#define XTINKERBOT_DISPLAY_PICTURE_FRAME_HH

#include "display/view.hh"

class World;

// The page margin around the framed drawing, in points: a small fraction
// of the page, at least one point.
double frame_margin(int width, int height);

// A copy of view, the same size, whose transform puts every body's drawing
// and every vehicle's trail point inside the page with frame_margin to
// spare, at the same scale on both axes (so the picture keeps the page's
// aspect ratio) and centred.  Nothing finite drawn: view unchanged; all of
// it at one point: view's scale around that point.
View framed_view(World *world, const View &view);

#endif
