#include "sim/body.hh"

#include <cmath>

// Polar form on purpose: every turned offset of the simulation goes through
// here, so sensors, motors, drawing and collisions agree to the last bit.
Point rotate_polar(Point v, double angle)
{
    double r = std::sqrt(v.x * v.x + v.y * v.y);
    double a = std::atan2(v.y, v.x) + angle;
    return polar_point(r, a);
}
