// Vehicle: the simulated creature.  A rectangle with mass that carries
// sensors and motors, computes one drive per motor from its readings
// through a wiring tree each step, and slides and turns under static,
// sliding and angular friction.  It collides elastically with other
// vehicles, may carry lights, radiates its own force total as kind 2, keeps
// a trail and draws itself.
//
// Sensors, actuators and wiring trees are shared with the prototype a
// vehicle was cloned from; the vehicle owns only its arrays.
#ifndef XTINKERBOT_SIM_VEHICLE_HH
#define XTINKERBOT_SIM_VEHICLE_HH

#include "lib/permstr.hh"
#include "lib/point.hh"
#include "lib/vector.hh"
#include "sim/body.hh"
#include "sim/cached_turn.hh"
#include "sim/world.hh"

class Actuator;
class Light;
class Logic;
class Sensor;

class Vehicle final : public Body {
  public:
    Vehicle(double length, double width);
    ~Vehicle() override {}

    void add_sensor(Sensor *sensor);
    void add_actuator(Actuator *actuator, Logic *logic);  // null: null_logic()
    void add_light(Light *light);  // carries a copy of it
    void set_colour(int red, int green, int blue);

    int colour() const { return _colour; }
    Logic *logic(int i) const { return _logic[i]; }
    void set_logic(int i, Logic *logic) { _logic[i] = logic; }
    int sensor_count() const { return _sensors.size(); }
    int actuator_count() const { return _actuators.size(); }
    Sensor *sensor(int i) const { return _sensors[i]; }
    Actuator *actuator(int i) const { return _actuators[i]; }
    int light_count() const { return _lights.size(); }
    Body *light(int i) const { return _lights[i]; }
    int sensor_index(PermString name) const;
    Point sensor_position(int i) const;
    Point actuator_position(int i) const;

    Point velocity() const { return _velocity; }
    void set_velocity(Point v) { _velocity = v; }
    // At rest, heading and trail kept: a vehicle the pointer holds or drops.
    void stop() { _velocity = Point(0, 0); _spin = 0; }
    double spin() const { return _spin; }
    double force_total() const { return _force_total; }
    double mass() const { return _mass; }
    double moment() const { return _moment; }
    double length() const { return _length; }
    double width() const { return _width; }
    const Vector<Point> &trail() const { return _trail; }
    World *world() const { return _world; }
    // Whether the vehicle's world runs the reference algorithms; the one
    // place the hot paths read the switch.  False outside a world.
    bool reference() const { return _world && _world->reference(); }
    // The readings and bound variables of the latest step.
    const Vector<double> &values() const { return _values; }
    // The clamped drive of each actuator in the latest step; empty before one.
    const Vector<double> &drives() const { return _drives; }
    // The catalogue name it was made from; null for a vehicle made otherwise.
    PermString name() const { return _name; }
    void set_name(PermString name) { _name = name; }

    Vehicle *clone() const override;
    void embody(World *world) override;
    void place(Point position, double heading) override;
    void reset() override;
    double heading() const override { return _heading; }
    bool emits(int kind) const override { return kind == 2; }
    double intensity_at(int kind, Point &source, Point at) const override;
    void collide(Body *other) override;
    // Collisions of unequal masses warn once per process; this rearms the
    // warning, so that a test of it does not depend on what ran before.
    static void reset_mass_warning();
    bool is_mobile() const override { return true; }
    void step(double dt) override;
    // Steps the n vehicles bodies[0, n), a run of one world's vehicles
    // whose steps read nothing another of them writes, without a virtual
    // call each.
    static void step_independent(Body *const *bodies, int n, double dt);
    bool record_trail() override;
    void draw(View *view) override;
    Vehicle *as_vehicle() override { return this; }

  private:
    World *_world;  // set once, by embody
    int _colour;    // palette index
    double _length;
    double _width;
    double _mass;
    double _moment;
    Vector<Sensor *> _sensors;
    Vector<Actuator *> _actuators;
    Vector<Logic *> _logic;  // wiring of actuator i; as long as _actuators
    Vector<Body *> _lights;  // carried copies, made with clone_carried
    double _heading;         // radians, kept within [-pi, pi]
    Point _velocity;         // world units per time unit
    double _spin;            // radians per step
    double _force_total;     // signed sum of the last step's motor forces
    Vector<Point> _trail;    // oldest first
    // Per-step scratch kept as members so that a step allocates nothing
    // once their storage has grown to size.
    Vector<double> _values;  // readings, then bound variables
    Vector<double> _drives;  // clamped drive of each actuator
    Vector<CachedTurn> _sensor_turns;  // one for each sensor
    CachedTurn _motor_turn;            // of the latest motor force
    PermString _name;

    void sense();
    void let_lights_observe();
    void compute_drives();
    Point apply_drives(double &torque);
    Point apply_drives_plain(double &torque);
    void move_linear(Point force, double dt);
    void turn(double torque, double dt);
    void draw_trail(View *view) const;
    void draw_body(View *view) const;
};

// Heading h wrapped into [-pi, pi]; values already inside stay unchanged.
double wrap_heading(double h);

#endif
