// The simulation step runs hundreds of times a second: once the per-vehicle
// scratch vectors have grown, stepping, colliding and sensing must not
// touch the heap.  Global operator new is replaced to count, and to fail
// (tests/counting_new.hh): trails grow without limit, and a run whose
// memory runs out must go on without them.
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

TEST(TrailMemoryTest, RunningOutStopsTrailsOnceAndTheRunGoesOn)
{
    Sensor eye(Point(10, 0), 1, "eye", -M_PI, M_PI);
    Actuator al(Point(-10, -10), 1), ar(Point(-10, 10), 1);
    World &w = lasting_world();
    Vehicle *vs[2];
    for (Vehicle *&v : vs) {
        v = new Vehicle(20, 12);
        v->add_sensor(&eye);
        v->add_actuator(&al, new ReadAndBind);
        v->add_actuator(&ar, nullptr);
        w.add_body(v);
    }
    w.add_body(new Light(Point(0, 0), 1, -M_PI, M_PI, 8));
    View view(300, 300);
    w.scatter(true, false, &view);
    for (int i = 0; i < 3; i++) {
        w.step();
        w.record_trails();
    }
    ASSERT_EQ(vs[0]->trail().size(), 3);

    // The trails' storage (4 points) is full after one more point; the
    // growth that follows fails.
    testing::internal::CaptureStderr();
    largest_allocation = 0;
    Point fourth;
    for (int i = 0; i < 10; i++) {
        w.step();
        w.collide_pairs();
        if (i == 0)
            fourth = vs[0]->position();
        w.record_trails();
    }
    largest_allocation = SIZE_MAX;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "xtinkerbot: out of memory: trails are no longer recorded\n");
    EXPECT_FALSE(w.recording_trails());
    EXPECT_EQ(vs[0]->trail().size(), 4);
    EXPECT_EQ(vs[1]->trail().size(), 4);
    EXPECT_EQ(vs[0]->trail()[3], fourth);  // what was kept is intact
    EXPECT_NE(vs[0]->position(), fourth);  // the vehicles went on

    // A restart empties the trails and records again.
    w.reset();
    EXPECT_TRUE(w.recording_trails());
    w.record_trails();
    EXPECT_EQ(vs[0]->trail().size(), 1);
}

}  // namespace
