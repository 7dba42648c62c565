// Operands name catalogue bodies.  A vehicle enters the world as a clone
// that gets the light, wiring and crossing settings in force when it is
// named; a light enters itself, so naming it twice adds it twice.
#include "driver/body_options.hh"

#include <cmath>
#include <cstdio>

#include "driver/catalogue.hh"
#include "lib/permstr.hh"
#include "lib/program_name.hh"
#include "sim/light.hh"
#include "sim/logic.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

Light *vehicle_light = nullptr;

// Settings collected while the command line is read.
static bool lights_on = false;
static Logic *left_logic = nullptr;
static Logic *right_logic = nullptr;
static bool cross_logic = false;

void create_vehicle_light()
{
    vehicle_light = new Light(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 6.0);
}

void handle_cross_option(bool negated)
{
    cross_logic = !negated;
}

void handle_lights_option(bool negated, bool has_value, double value)
{
    lights_on = false;
    if (!negated) {
        lights_on = true;
        if (has_value)
            vehicle_light->set_strength(value);
    }
}

void set_left_logic(Logic *logic)
{
    left_logic = logic;
}

void set_right_logic(Logic *logic)
{
    right_logic = logic;
}

static int errors_reported = 0;

int operand_error_count()
{
    return errors_reported;
}

// A setting that needs an actuator the vehicle does not have is skipped
// with a message rather than indexing past the vehicle's wirings.
static bool has_actuator(const Vehicle *v, int i, const char *name,
                         const char *setting)
{
    if (i < v->actuator_count())
        return true;
    int n = v->actuator_count();
    errors_reported++;
    std::fprintf(stderr, "%s: `%s' has %s; %s ignored\n", program_name, name,
                 n == 1 ? "only one actuator" : "no actuators", setting);
    return false;
}

static void apply_settings(Vehicle *v, const char *name)
{
    if (lights_on)
        v->add_light(vehicle_light);
    if (left_logic && has_actuator(v, 0, name, "-left-logic"))
        v->set_logic(0, left_logic);
    if (right_logic && has_actuator(v, 1, name, "-right-logic"))
        v->set_logic(1, right_logic);
    // After the wirings, so `-x -ll E' puts E on actuator 1.
    if (cross_logic && has_actuator(v, 1, name, "-cross-logic")) {
        Logic *l0 = v->logic(0);
        v->set_logic(0, v->logic(1));
        v->set_logic(1, l0);
    }
}

void handle_operand(const char *text)
{
    PermString name(text);
    Body *p = the_catalogue->find(name);
    if (!p) {
        std::fprintf(stderr, "%s: no such body `%s'\n", program_name, text);
        errors_reported++;
        return;
    }
    Vehicle *prototype = p->as_vehicle();
    if (!prototype) {
        the_world->add_body(p);
        return;
    }
    Vehicle *copy = prototype->clone();
    copy->set_name(name);
    apply_settings(copy, text);
    the_world->add_body(copy);
}
