// Actuator: a motor mounted on a vehicle.  The vehicle multiplies its
// strength by the drive its wiring computes and applies the result as a
// force along the heading at the mounting point.  Like sensors, actuators
// are immutable and shared by every vehicle that mounts them.
#ifndef XTINKERBOT_SIM_ACTUATOR_HH
#define XTINKERBOT_SIM_ACTUATOR_HH

#include "lib/point.hh"

class Vehicle;
class View;

class Actuator {
  public:
    Actuator(Point mount, double strength);
    virtual ~Actuator() {}

    // A filled 8 by 5 rectangle centred on the mount, long side along the force.
    virtual void draw(const Vehicle *vehicle, View *view) const;

    Point mount() const { return _mount; }
    double direction() const { return _direction; }
    double strength() const { return _strength; }
    double lever() const { return _lever; }

  private:
    Point _mount;       // vehicle frame
    double _direction;  // of the force, relative to the heading; always 0
    double _strength;   // force at drive 1
    double _lever;      // signed arm of the turning effect: the mount's y
};

#endif
