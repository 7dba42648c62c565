// Sensor: a directional detector mounted on a vehicle.  Each step it sums,
// over every body of the vehicle's world, the radiation of its kind that
// arrives from within its field of view.  Sensors hold no per-vehicle
// state: one object serves a prototype and all of its clones.
//
// Reading is the hot loop of the simulation.  It visits only the world's
// emitters of the sensor's kind (the same bodies, in the same order, that
// the emits test over every body would keep), turns the mount with its
// length and direction computed once, passes over lights that lie surely on
// the blind side, and computes no directions at all for a field that takes
// every direction.  The readings are bit for bit those of the plain
// algorithm, which a world of reference algorithms still runs.
#ifndef XTINKERBOT_SIM_SENSOR_HH
#define XTINKERBOT_SIM_SENSOR_HH

#include "lib/permstr.hh"
#include "lib/point.hh"
#include "sim/body.hh"
#include "sim/cached_turn.hh"
#include "sim/world.hh"

class Vehicle;
class View;

class Sensor {
  public:
    Sensor(Point mount, int kind, PermString name, double min_angle,
           double max_angle);
    virtual ~Sensor() {}

    // The reading on this vehicle now; never negative.  The vehicle keeps
    // a turn for each of its sensors: the sine and cosine of the mount's
    // direction, which stay the same while the heading does.
    virtual double read(const Vehicle *vehicle, CachedTurn &turn) const;
    double read(const Vehicle *vehicle) const
    {
        CachedTurn fresh;
        return read(vehicle, fresh);
    }
    // The field of view as a wedge of radius 5 in the vehicle's colour.
    virtual void draw(const Vehicle *vehicle, View *view) const;

    PermString name() const { return _name; }
    int kind() const { return _kind; }
    Point mount() const { return _mount; }
    double min_angle() const { return _min_angle; }
    double max_angle() const { return _max_angle; }
    double gain() const { return _gain; }

  private:
    PermString _name;   // compared by identity
    int _kind;          // radiation kind it responds to
    Point _mount;       // vehicle frame: +x forward, +y left
    double _min_angle;  // field of view, radians relative to the heading,
    double _max_angle;  // both edges inclusive
    double _gain;       // factor on every received intensity
    double _mount_length;     // polar form of the mount, as rotate_polar
    double _mount_direction;  // computes it
    // The blind side of a field narrower than all round: the directions
    // counter-clockwise from edge _blind_from to edge _blind_to (unit
    // vectors in the frame of the mount direction).
    bool _has_blind_side;
    bool _blind_narrow;  // the blind side spans at most half a turn
    Point _blind_from;
    Point _blind_to;

    double read_every_body(const Vehicle *vehicle) const;
    double read_emitters(const Vehicle *vehicle, const World::Emitters &emitters, Point s,
                         double c, double sn, double h) const;
    // The reading from the values the world took of its lights, when
    // every emitter is a free-standing light that shines all round; s is
    // the sensor's place, c and sn the cosine and sine of its mount's
    // direction in the world.
    double read_round_lights(const World::Emitters &emitters, Point s, double c,
                             double sn, double h) const;
    double read_round_lights_all_round(const World::Emitters &emitters, Point s,
                                       double h) const;
    double read_round_lights_from(const World::Emitters &emitters, int from, Point s, double h,
                                  double total) const;
    void add_round_light(Point s, Point source, double strength, double h, bool all_round,
                         double &total) const;
    bool sees_all_round(double h) const;
    // Whether the direction from s to source, relative to heading h, lies
    // within the field of view.
    bool in_field(Point s, Point source, double h, bool all_round) const;
    // Whether direction d, in the frame turned by the angle whose cosine
    // and sine are c and sn, is so far inside the blind side that rounding
    // cannot bring it into the field.
    bool surely_blind(Point d, double c, double sn) const;
};

#endif
