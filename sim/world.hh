// World: the container and engine of the simulation.  It holds the bodies
// in world order (vehicles before lights once sorted), the friction
// settings every vehicle's dynamics reads, and the operations the program
// drives: add, scatter, reset, step, collide, record trails, draw.  It owns
// none of its bodies.
#ifndef XTINKERBOT_SIM_WORLD_HH
#define XTINKERBOT_SIM_WORLD_HH

#include "lib/vector.hh"
#include "sim/body.hh"

class View;

class World {
  public:
    World();

    double static_friction() const { return _static_friction; }
    double dynamic_friction() const { return _dynamic_friction; }
    double angular_friction() const { return _angular_friction; }
    double angular_damping() const { return _angular_damping; }
    void set_static_friction(double k) { _static_friction = k; }
    void set_dynamic_friction(double k) { _dynamic_friction = k; }
    void set_angular_friction(double k) { _angular_friction = k >= 0 ? k : 0; }

    void add_body(Body *b);
    void reset();
    void scatter(bool place_mobile, bool place_fixed, View *view);
    void step();
    void collide_pairs();
    void record_trails();
    void draw(View *view);

    const Vector<Body *> &bodies() const { return _bodies; }
    const Vector<Body *> &colliding() const { return _colliding; }

  private:
    double _static_friction;
    double _dynamic_friction;
    double _angular_friction;  // never negative
    double _angular_damping;
    Vector<Body *> _bodies;
    Vector<Body *> _colliding;  // collision_group > 0, in order of addition

    void sort_bodies();
};

extern World *the_world;

#endif
