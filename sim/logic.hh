// Logic: the base of every wiring node.  A vehicle evaluates one tree per
// actuator every step to turn the step's sensor readings (and the bound
// variables of `let' expressions, stored after them in the same values
// vector) into the actuator's drive.  Trees are immutable and shared by all
// clones of a vehicle, so no per-step state ever lives in a node.
#ifndef XTINKERBOT_SIM_LOGIC_HH
#define XTINKERBOT_SIM_LOGIC_HH

#include "lib/vector.hh"

class Vehicle;
class View;
class BinaryExpr;
class SensorExpr;

class Logic {
  public:
    virtual ~Logic() {}

    // Trees are shared, never copied: every node returns itself.
    virtual Logic *share() { return this; }
    // Index into the values vector this node names, or -1 if not assignable.
    virtual int variable_slot(const Vehicle *vehicle) const;
    // values: readings of the vehicle's sensors, then bound variables; an
    // assignment may grow it.
    virtual double eval(Vector<double> &values, const Vehicle *vehicle) const;
    virtual void draw(const Vehicle *vehicle, int actuator, View *view) const;
    virtual BinaryExpr *as_binary() { return nullptr; }
    virtual SensorExpr *as_sensor() { return nullptr; }
};

// The shared do-nothing wiring of an actuator added without one.
Logic *null_logic();

#endif
