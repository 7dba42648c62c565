// The prototypes.  Positions are in the vehicle's frame (x forward, y to
// the left of the heading); every sensor and light has kind 1.  The
// sensors named "left" and actuator 0 sit at negative y, "right" and
// actuator 1 at positive y, so an uncrossed wiring joins a sensor to the
// actuator on its own side.
//
// Names: "2" wirings grow with the light received, "3" ones shrink with
// it; "a" is uncrossed, "b" crossed; a final "p" marks narrower fields.
#include "driver/catalogue.hh"

#include <cmath>

#include "lang/operator.hh"
#include "sim/actuator.hh"
#include "sim/expr.hh"
#include "sim/light.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"

BodyCatalogue *the_catalogue = nullptr;


static const double vehicle_length = 20.0;
static const double vehicle_width = 12.0;

BodyCatalogue::BodyCatalogue() : _index(0)
{
    _bodies.push_back(nullptr);
}

void BodyCatalogue::insert(PermString name, Body *body)
{
    int i = _index.find(name);
    if (i > 0)
        _bodies[i] = body;
    else {
        _bodies.push_back(body);
        _index.insert(name, _bodies.size() - 1);
    }
}

Body *BodyCatalogue::find(PermString name) const
{
    return _bodies[_index.find(name)];
}

// The wiring trees shared by both families, created on first use.
struct FamilyWirings {
    Logic *l0;  // reading of sensor 0
    Logic *l1;  // reading of sensor 1
    Logic *e0;  // flip(sensor 0) * 0.3: 0.3 in the dark, 0 at reading 1
    Logic *e1;  // flip(sensor 1) * 0.3
};

static const FamilyWirings &family_wirings()
{
    static FamilyWirings w;
    if (!w.l0) {
        w.l0 = new LinearLogic(0, 0.0, 1.0);
        w.l1 = new LinearLogic(1, 0.0, 1.0);
        Logic *k = new ConstExpr(0.3);
        w.e0 = new BinaryExpr(new UnaryExpr(opFlip, w.l0), '*', k);
        w.e1 = new BinaryExpr(new UnaryExpr(opFlip, w.l1), '*', k);
    }
    return w;
}

static Vehicle *wired_clone(const Vehicle *from, Logic *wiring0, Logic *wiring1)
{
    Vehicle *v = from->clone();
    v->set_logic(0, wiring0);
    v->set_logic(1, wiring1);
    return v;
}

void add_family(Vehicle *base, PermString suffix, BodyCatalogue *catalogue)
{
    const FamilyWirings &w = family_wirings();

    Vehicle *v = wired_clone(base, w.l0, w.l1);
    catalogue->insert(permcat("v2a", suffix), v);

    v = wired_clone(v, w.l1, w.l0);
    v->set_colour(0, 0, 255);
    catalogue->insert(permcat("v2b", suffix), v);

    v = wired_clone(v, w.e0, w.e1);
    v->set_colour(0, 255, 0);
    catalogue->insert(permcat("v3a", suffix), v);

    v = wired_clone(v, w.e1, w.e0);
    v->set_colour(255, 128, 0);
    catalogue->insert(permcat("v3b", suffix), v);
}

static Vehicle *one_sensor_vehicle(Actuator *a1, double min_angle, double max_angle)
{
    Vehicle *v = new Vehicle(vehicle_length, vehicle_width);
    v->add_sensor(new Sensor(Point(10, 0), 1, "middle", min_angle, max_angle));
    v->add_actuator(a1, new LinearLogic(0, 0.0, 1.0));
    return v;
}

// The unregistered template of a two-sensor family; wirings come later.
static Vehicle *two_sensor_base(Actuator *al, Actuator *ar,
                                double left_min, double left_max,
                                double right_min, double right_max)
{
    Vehicle *v = new Vehicle(vehicle_length, vehicle_width);
    v->add_sensor(new Sensor(Point(10, -6), 1, "left", left_min, left_max));
    v->add_sensor(new Sensor(Point(10, 6), 1, "right", right_min, right_max));
    v->add_actuator(al, nullptr);
    v->add_actuator(ar, nullptr);
    return v;
}

void build_catalogue()
{
    BodyCatalogue *c = new BodyCatalogue;
    const double pi = M_PI;

    Actuator *a1 = new Actuator(Point(-10, 0), 1.0);
    c->insert("v1", one_sensor_vehicle(a1, -pi, pi));
    c->insert("v1p", one_sensor_vehicle(a1, -pi / 2, pi / 2));

    Actuator *al = new Actuator(Point(-10, -10), 1.0);
    Actuator *ar = new Actuator(Point(-10, 10), 1.0);
    // The two family templates are never registered: once their clones
    // exist, nothing refers to them (the clones share only their parts).
    Vehicle *wide = two_sensor_base(al, ar, -pi, pi, -pi, pi);
    add_family(wide, "", c);
    delete wide;
    Vehicle *narrow = two_sensor_base(al, ar, -3 * pi / 4, pi / 2, -pi / 2, 3 * pi / 4);
    add_family(narrow, "p", c);
    delete narrow;

    c->insert("l", new Light(Point(0, 0), 1, -pi, pi, 8.0));
    c->insert("timel", new TimedLight(Point(0, 0), 1, 320, -pi, pi, 8.0));
    c->insert("l2a", new Light(Point(-250, 0), 1, -pi, pi, 10.0));
    c->insert("l2b", new Light(Point(250, 0), 1, -pi, pi, 10.0));

    the_catalogue = c;
}
