// Hit testing: which body the pointer is on, and how far the bodies reach
// as they are drawn.  A vehicle reaches its collision radius; a light its
// outermost drawn circle (strength + 5 for a free-standing light that
// shines, strength + 2 otherwise), its collision radius being 0.
#ifndef XTINKERBOT_DRIVER_HIT_TEST_HH
#define XTINKERBOT_DRIVER_HIT_TEST_HH

#include "lib/point.hh"

class Body;
class View;
class World;

double drawn_radius(const Body *body);

// The topmost body drawn under the centre of window pixel (x, y), or null.
// Bodies are drawn in world order, so the last one hit is on top.  A hit
// on a light that a vehicle carries is a hit on the vehicle.  A point on
// the edge of a body is inside it.
Body *body_at(const World *world, const View *view, int x, int y);

// The rectangle lo-hi that holds every body as drawn; bodies at
// non-finite places are left out.  False when no body is left.
bool bodies_extent(const World *world, Point &lo, Point &hi);

#endif
