// The simulation step runs hundreds of times a second: once the per-vehicle
// scratch vectors have grown, stepping, colliding and sensing must not
// touch the heap.  Global operator new is replaced to count
// (tests/counting_new.hh).
#include <cmath>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "display/view.hh"
#include "sim/actuator.hh"
#include "sim/light.hh"
#include "sim/logic.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"
#include "tests/counting_new.hh"

namespace {

// Reads sensor 0 and appends a bound variable, as `let' wirings do.
class ReadAndBind : public Logic {
  public:
    double eval(Vector<double> &values, const Vehicle *) const override
    {
        values.push_back(values[0] * 2);
        return values.back();
    }
};

// A few warm-up steps grow every scratch vector; the heap allocations of
// the hundred steps after them are the steady state's.
long steady_state_allocations(World &w)
{
    for (int i = 0; i < 3; i++) {
        w.step();
        w.collide_pairs();
    }
    long before = allocations;
    for (int i = 0; i < 100; i++) {
        w.step();
        w.collide_pairs();
    }
    return allocations - before;
}

TEST(StepAllocationTest, SteadyStateStepsAllocateNothing)
{
    Sensor left(Point(10, -6), 1, "left", -M_PI, M_PI);
    Sensor right(Point(10, 6), 1, "right", -M_PI / 2, 3 * M_PI / 4);
    Actuator al(Point(-10, -10), 1), ar(Point(-10, 10), 1);
    Light lamp(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 6);
    ThresholdLight beacon(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 4, 0.1);
    World &w = lasting_world();
    for (int i = 0; i < 20; i++) {
        Vehicle *v = new Vehicle(20, 12);
        v->add_sensor(&left);
        v->add_sensor(&right);
        v->add_actuator(&al, new ReadAndBind);
        v->add_actuator(&ar, nullptr);
        v->add_light(i % 2 ? static_cast<Light *>(&lamp) : &beacon);
        w.add_body(v);
    }
    w.add_body(new TimedLight(Point(0, 0), 1, 320, -M_PI, M_PI, 8));
    View view(200, 200);  // crowded, so that pairs collide
    w.scatter(true, false, &view);
    EXPECT_EQ(0, steady_state_allocations(w));
    Vehicle *v = w.bodies()[0]->as_vehicle();
    ASSERT_NE(nullptr, v);
    EXPECT_NE(Point(0, 0), v->velocity());  // the steps did move things
}

// Enough vehicles for the collision grid and the emitter index: their
// scratch storage, too, is grown once and reused.
TEST(StepAllocationTest, IndexedWorldsAllocateNothingEither)
{
    Sensor eye(Point(10, 0), 1, "eye", -M_PI, M_PI);
    Sensor crowd(Point(10, 6), 2, "crowd", -M_PI / 2, M_PI / 2);
    Actuator al(Point(-10, -10), 1), ar(Point(-10, 10), 1);
    World &w = lasting_world();
    for (int i = 0; i < 80; i++) {
        Vehicle *v = new Vehicle(20, 12);
        v->add_sensor(&eye);
        v->add_sensor(&crowd);
        v->add_actuator(&al, new ReadAndBind);
        v->add_actuator(&ar, nullptr);
        w.add_body(v);
    }
    w.add_body(new Light(Point(0, 0), 1, -M_PI, M_PI, 8));
    ASSERT_FALSE(w.reference());
    View view(250, 250);
    w.scatter(true, false, &view);
    EXPECT_EQ(0, steady_state_allocations(w));
}

// Vehicles stepped on worker threads: handing a step to the threads
// allocates nothing once they are started.
TEST(StepAllocationTest, ThreadedStepsAllocateNothing)
{
    Sensor left(Point(10, -6), 1, "left", -M_PI, M_PI);
    Sensor right(Point(10, 6), 1, "right", -M_PI / 2, 3 * M_PI / 4);
    Actuator al(Point(-10, -10), 1), ar(Point(-10, 10), 1);
    World &w = lasting_world();
    w.set_threads(3);
    w.set_parallel_minimum(8);
    for (int i = 0; i < 200; i++) {
        Vehicle *v = new Vehicle(20, 12);
        v->add_sensor(&left);
        v->add_sensor(&right);
        v->add_actuator(&al, new ReadAndBind);
        v->add_actuator(&ar, nullptr);
        w.add_body(v);
    }
    w.add_body(new TimedLight(Point(0, 0), 1, 320, -M_PI, M_PI, 8));
    View view(300, 300);
    w.scatter(true, false, &view);
    EXPECT_EQ(0, steady_state_allocations(w));
    EXPECT_EQ(103, w.parallel_steps());
}

}  // namespace
