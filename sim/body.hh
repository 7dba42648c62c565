// Body: the polymorphic base of everything in the world -- vehicles and
// lights.  The World steps, collides, resets, scatters, sorts and draws
// bodies through this interface, and a Sensor measures what every body
// radiates through it.  The defaults make an inert body.
//
// Conventions: y points up; angles are radians counter-clockwise from +x;
// a heading is the direction of the body's local +x axis; offsets on a
// vehicle are in its own frame (+x forward, +y left).  Radiation kinds
// pair emitters with sensors: 1 is light, 2 is what vehicles emit.
#ifndef XTINKERBOT_SIM_BODY_HH
#define XTINKERBOT_SIM_BODY_HH

#include <cmath>

#include "lib/point.hh"
#include "lib/vector.hh"

class View;
class Vehicle;
class World;

// v turned counter-clockwise by angle, its length kept (computed in polar
// form, so the zero vector stays zero).
Point rotate_polar(Point v, double angle);

// The last step of rotate_polar: the point at distance r in direction a.
// A fixed offset turned every step keeps its length and direction (the
// sqrt and atan2 of rotate_polar) and calls this with direction + angle;
// the result is the same to the last bit.
inline Point polar_point(double r, double a)
{
    return Point(std::cos(a) * r, r * std::sin(a));
}

// atan2(0, d): +0 for every positive d and pi for every negative one, so
// only the other cases need the call.  Inline: the motors of every vehicle
// use it every step.
inline double polar_direction_x(double d)
{
    return d > 0 ? 0.0 : d < 0 ? M_PI : std::atan2(0.0, d);
}

// sqrt(d * d), bit for bit.  In binary floating point with rounding to
// nearest that is |d| whenever d * d neither overflows nor underflows, so
// the square root is needed only far from 1.
inline double length_x(double d)
{
    double a = std::fabs(d);
    return a >= 0x1p-500 && a <= 0x1p500 ? a : std::sqrt(d * d);
}

// rotate_polar((d, 0), angle), bit for bit, without the atan2; d * d + 0 * 0
// is d * d for every d, so the length needs no more.
inline Point rotate_polar_x(double d, double angle)
{
    return polar_point(length_x(d), polar_direction_x(d) + angle);
}

class Body {
  public:
    Body() : _position(0, 0), _collision_group(0), _radius(0) {}
    virtual ~Body() {}

    virtual Body *clone() const { return nullptr; }
    virtual Body *clone_carried(Vehicle *) const { return nullptr; }
    virtual void embody(World *) {}
    virtual void place(Point, double) {}
    virtual void reset() {}
    virtual double heading() const { return 0.0; }
    // Must give the same answer for a kind throughout the body's life: the
    // world indexes its emitters by kind once the body list is settled.
    virtual bool emits(int) const { return false; }
    // What the body delivers at `at'; writes its own position to source.
    // Only called after emits(kind) returned true.
    virtual double intensity_at(int, Point &, Point) const { return 0.0; }
    virtual void observe(const Vector<double> &) {}
    virtual bool carried_by(const Vehicle *) const { return false; }
    // May change velocities only: the world finds the candidate pairs of a
    // pass from positions and radii before it calls any of them.
    virtual void collide(Body *) {}
    virtual bool is_mobile() const { return false; }
    virtual int layer() const { return 0; }
    virtual void step(double) {}
    // False when the point could not be kept for want of memory.
    virtual bool record_trail() { return true; }
    virtual void draw(View *) {}
    virtual Vehicle *as_vehicle() { return nullptr; }

    Point position() const { return _position; }
    double x() const { return _position.x; }
    double y() const { return _position.y; }
    int collision_group() const { return _collision_group; }
    // Sets the position and nothing else: the pointer carries bodies this
    // way, without the heading or arc changes that place makes.
    void move_to(Point p) { _position = p; }
    double radius() const { return _radius; }

  protected:
    Point _position;       // centre, world coordinates
    int _collision_group;  // 0: never collides; else only with the same group
    double _radius;        // collision radius; 0 for lights
};

#endif
