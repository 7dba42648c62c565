#include <cmath>

#include <gtest/gtest.h>

#include "sim/body.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

TEST(RotatePolarTest, TurnsCounterClockwiseKeepingLength)
{
    struct { Point v; double angle; Point expected; } cases[] = {
        {{10, 0}, M_PI / 2, {0, 10}},
        {{0, 5}, 0, {0, 5}},
        {{0, 0}, 1.3, {0, 0}},
        {{3, 4}, M_PI, {-3, -4}},
        {{-10, -10}, -M_PI / 2, {-10, 10}},
    };
    for (auto c : cases) {
        Point r = rotate_polar(c.v, c.angle);
        EXPECT_NEAR(c.expected.x, r.x, 1e-12) << c.v.x << "," << c.v.y << " by " << c.angle;
        EXPECT_NEAR(c.expected.y, r.y, 1e-12) << c.v.x << "," << c.v.y << " by " << c.angle;
    }
    EXPECT_EQ(Point(0, 0), rotate_polar(Point(0, 0), 2.0));
}

// A body kind that overrides nothing is inert, and a sensor never sees it.
TEST(BodyTest, ABareBodyIsInert)
{
    World &world = lasting_world();
    Body *b = new Body;
    world.add_body(b);
    EXPECT_EQ(nullptr, b->clone());
    EXPECT_EQ(nullptr, b->as_vehicle());
    EXPECT_FALSE(b->is_mobile());
    EXPECT_EQ(0, b->layer());
    EXPECT_EQ(0, b->collision_group());
    EXPECT_EQ(0, world.colliding().size());
    for (int k = 0; k < 4; k++)
        EXPECT_FALSE(b->emits(k));
    b->place(Point(5, 5), 1);
    world.step();
    EXPECT_EQ(Point(0, 0), b->position());

    Sensor s(Point(10, 0), 0, "any", -M_PI, M_PI);
    Vehicle *v = new Vehicle(20, 12);
    v->add_sensor(&s);
    world.add_body(v);
    EXPECT_EQ(0, s.read(v));
}

}  // namespace
