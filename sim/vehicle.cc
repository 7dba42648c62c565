// Vehicle dynamics.  A step reads as its phases: sense, let carried lights
// observe the readings, compute the drives, turn them into a force and a
// turning effect, move, rotate.  Everything a step needs lives in members
// whose storage is reused, so the steady state allocates nothing.
#include "sim/vehicle.hh"

#include <cmath>
#include <cstdio>

#include "display/colour.hh"
#include "display/view.hh"
#include "sim/actuator.hh"
#include "sim/light.hh"
#include "sim/logic.hh"
#include "sim/sensor.hh"
#include "sim/wiring_source.hh"
#include "sim/world.hh"

Vehicle::Vehicle(double length, double width)
    : _world(nullptr), _colour(request_colour(255, 0, 0)), _length(length),
      _width(width), _mass(length * width / 100), _heading(0),
      _velocity(0, 0), _spin(0), _force_total(0)
{
    double m = length > width ? length : width;
    _moment = _mass * 0.5 * m * m / 200;
    _collision_group = 1;
    _radius = m / 2;
}

void Vehicle::add_sensor(Sensor *sensor)
{
    _sensors.push_back(sensor);
    _sensor_turns.push_back(CachedTurn());
}

void Vehicle::add_actuator(Actuator *actuator, Logic *logic)
{
    _actuators.push_back(actuator);
    _logic.push_back(logic ? logic : null_logic());
}

void Vehicle::add_light(Light *light)
{
    Body *copy = light->clone_carried(this);
    _lights.push_back(copy);
    if (_world)
        _world->add_body(copy);
}

void Vehicle::set_colour(int red, int green, int blue)
{
    _colour = request_colour(red, green, blue);
}

int Vehicle::sensor_index(PermString name) const
{
    for (int i = 0; i < _sensors.size(); i++)
        if (_sensors[i]->name() == name)
            return i;
    return -1;
}

Point Vehicle::sensor_position(int i) const
{
    return _position + rotate_polar(_sensors[i]->mount(), _heading);
}

Point Vehicle::actuator_position(int i) const
{
    return _position + rotate_polar(_actuators[i]->mount(), _heading);
}

Vehicle *Vehicle::clone() const
{
    Vehicle *v = new Vehicle(*this);
    v->_world = nullptr;
    v->_trail.clear();
    v->_force_total = 0;
    v->_values.clear();
    v->_drives.clear();
    for (int i = 0; i < v->_logic.size(); i++)
        v->_logic[i] = _logic[i]->share();
    for (int i = 0; i < v->_lights.size(); i++)
        v->_lights[i] = _lights[i]->clone_carried(v);
    return v;
}

void Vehicle::embody(World *world)
{
    ASSERT(!_world);
    _world = world;
    for (Body *light : _lights)
        world->add_body(light);
}

double wrap_heading(double h)
{
    // Subtracting turns one by one never ends for an infinite heading, nor
    // for one so large that 2 pi is below its precision.
    if (!std::isfinite(h))
        return h;
    if (std::fabs(h) > 64 * M_PI)
        h = std::remainder(h, 2 * M_PI);
    while (h > M_PI)
        h -= 2 * M_PI;
    while (h < -M_PI)
        h += 2 * M_PI;
    return h;
}

void Vehicle::place(Point position, double heading)
{
    _position = position;
    _heading = wrap_heading(heading);
}

void Vehicle::reset()
{
    _velocity = Point(0, 0);
    _spin = 0;
    _trail.clear();
}

double Vehicle::intensity_at(int kind, Point &source, Point at) const
{
    if (kind != 2)
        return 0;
    source = _position;
    double dx = at.x - _position.x, dy = at.y - _position.y;
    double q = dx * dx + dy * dy;
    return q > 1 ? _force_total / q : _force_total;
}

// The mass warning is given once per process: after the first unequal
// pair the user knows the physics is off, and more lines say nothing new.
static bool mass_warning_given = false;

void Vehicle::reset_mass_warning()
{
    mass_warning_given = false;
}

// Elastic exchange between equal masses: seen from this vehicle, the other
// hands over the part of its relative velocity along the line of centres
// and keeps the part across it.
void Vehicle::collide(Body *other)
{
    Vehicle *o = other->as_vehicle();
    if (!o)
        return;
    double dx = o->x() - x(), dy = o->y() - y();
    if (std::sqrt(dx * dx + dy * dy) > _radius + o->_radius)
        return;
    if (_mass != o->_mass && !mass_warning_given) {
        std::fprintf(stderr, "warning: colliding two bodies with different masses; bad physics\n");
        mass_warning_given = true;
    }
    Point u = _velocity;
    Point r = o->_velocity - u;
    double s = ::length(r);
    double beta = std::atan2(r.y, r.x);
    double theta = std::atan2(dy, dx) - beta;
    Point along, across;
    if (reference()) {  // the plain algorithm
        along = rotate_polar(Point(std::cos(theta) * s, 0), theta + beta);
        across = rotate_polar(Point(std::sin(theta) * s, 0), theta + beta - M_PI / 2);
    } else {
        along = rotate_polar_x(std::cos(theta) * s, theta + beta);
        across = rotate_polar_x(std::sin(theta) * s, theta + beta - M_PI / 2);
    }
    _velocity = u + along;
    o->_velocity = u + across;
}

// The phases are defined inline: called out of line, the points they pass
// and return went through memory at every call, and a step spent a tenth
// of its time waiting for them.
void Vehicle::step(double dt)
{
    // Sensing and friction read the world: only embodied vehicles step.
    ASSERT(_world);
    sense();
    let_lights_observe();
    compute_drives();
    double torque = 0;
    Point force = apply_drives(torque);
    move_linear(force, dt);
    turn(torque, dt);
}

void Vehicle::step_independent(Body *const *bodies, int n, double dt)
{
    // The world's runs hold vehicles only.
    for (int i = 0; i < n; i++)
        static_cast<Vehicle *>(bodies[i])->Vehicle::step(dt);
}

inline void Vehicle::sense()
{
    _values.clear();
    for (int i = 0; i < _sensors.size(); i++)
        _values.push_back(_sensors[i]->read(this, _sensor_turns[i]));
}

inline void Vehicle::let_lights_observe()
{
    for (Body *light : _lights)
        light->observe(_values);
}

// A wiring may append bound variables to _values; the wirings evaluated
// after it see them.  A non-number counts as 0 (sim/wiring_source.hh).
inline void Vehicle::compute_drives()
{
    _drives.clear();
    for (int i = 0; i < _logic.size(); i++) {
        double d = _logic[i]->eval(_values, this);
        if (d > 1)
            d = 1;
        else if (d < -1)
            d = -1;
        else if (d != d) {
            report_non_number(_logic[i]);
            d = 0;
        }
        _drives.push_back(d);
    }
}

// Sums the motor forces into a world-frame force and a turning effect.
// Each force is rotate_polar((f, 0), direction + heading), bit for bit:
// the motors of a vehicle mostly push the same way, step after step, so
// one cached sine and cosine serves them all.
inline Point Vehicle::apply_drives(double &torque)
{
    if (reference())
        return apply_drives_plain(torque);
    Point force(0, 0);
    _force_total = 0;
    const double *drives = _drives.begin();
    Actuator *const *actuators = _actuators.begin();
    for (int i = 0; i < _drives.size(); i++) {
        double d = drives[i];
        if (d == 0)
            continue;
        const Actuator *a = actuators[i];
        double f = d * a->strength();
        double c, sn, r = length_x(f);
        _motor_turn.at(polar_direction_x(f) + (a->direction() + _heading), c, sn);
        force += Point(c * r, r * sn);
        torque += f * a->lever();
        _force_total += f;
    }
    return force;
}

// The plain algorithm, for worlds without indexes.
Point Vehicle::apply_drives_plain(double &torque)
{
    Point force(0, 0);
    _force_total = 0;
    for (int i = 0; i < _drives.size(); i++) {
        double d = _drives[i];
        if (d == 0)
            continue;
        const Actuator *a = _actuators[i];
        double f = d * a->strength();
        force += rotate_polar(Point(f, 0), a->direction() + _heading);
        torque += f * a->lever();
        _force_total += f;
    }
    return force;
}

// Static friction holds a vehicle at rest against a weak force; a moving
// one always feels the full sliding friction against its motion.
inline void Vehicle::move_linear(Point force, double dt)
{
    double weight = 0.05 * _mass;
    Point net;
    if (_velocity == Point(0, 0) && _world->static_friction() * weight > ::length(force))
        net = Point(0, 0);
    else {
        double speed = ::length(_velocity);
        Point u = speed != 0 ? _velocity / speed : Point(0, 0);
        net = force - u * (_world->dynamic_friction() * weight);
    }
    _position += _velocity * dt;
    _velocity += net * dt / _mass;
}

// The turning effect is clamped to +-0.1; it enters the spin with a minus
// sign, so force on the right side (negative lever) turns to the left.
inline void Vehicle::turn(double torque, double dt)
{
    if (torque > 0.1)
        torque = 0.1;
    else if (torque < -0.1)
        torque = -0.1;
    double friction = _world->angular_friction() * _moment * 0.01;
    double w;
    if (_spin == 0 && friction > std::fabs(torque))
        w = 0;
    else
        w = torque + friction * (_spin < 0 ? -1 : 1) + _world->angular_damping() * _spin;
    _heading = wrap_heading(_heading + _spin);
    _spin -= w * dt / _moment;
}

// Trails grow without limit, so a long run can exhaust memory here; the
// trail then stays as it was.
bool Vehicle::record_trail()
{
    return _trail.try_push_back(_position);
}

void Vehicle::draw(View *view)
{
    if (view->trails())
        draw_trail(view);
    for (Sensor *s : _sensors)
        s->draw(this, view);
    draw_body(view);
    for (int i = 0; i < _logic.size(); i++)
        _logic[i]->draw(this, i, view);
    for (Actuator *a : _actuators)
        a->draw(this, view);
}

// Segment by segment, joined to the vehicle; the view batches them.
void Vehicle::draw_trail(View *view) const
{
    if (!_trail.empty())
        view->draw_trail(_colour, _trail.size(), _trail.begin(), _position);
}

// Filled in the background colour first, so the body hides the trail and
// the sensor wedges under it.
void Vehicle::draw_body(View *view) const
{
    Point a = rotate_polar(Point(0, _width), _heading);
    Point b = rotate_polar(Point(_length, 0), _heading);
    Point p0 = _position - (a + b) * 0.5;
    Point corners[4] = {p0, p0 + a, p0 + a + b, p0 + b};
    view->fill_polygon(0, 4, corners);
    view->draw_lines(_colour, 4, corners, true);
}
