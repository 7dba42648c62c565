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

namespace {
const double atan2_of_negative = std::atan2(0.0, -1.0);  // pi, as atan2 rounds it
}

double polar_direction_x(double d)
{
    return d > 0 ? 0.0 : d < 0 ? atan2_of_negative : std::atan2(0.0, d);
}

// d * d + 0 * 0 is d * d for every d, so the length needs no more.
Point rotate_polar_x(double d, double angle)
{
    return polar_point(std::sqrt(d * d), polar_direction_x(d) + angle);
}
