#include <cmath>

#include <gtest/gtest.h>

#include "display/view.hh"
#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

// Counts the drawing operations; a headless view draws nothing itself.
class CountingView : public View {
  public:
    CountingView() : View(640, 520) {}
    int calls = 0;
    void draw_line(int, Point, Point) override { calls++; }
    void draw_lines(int, int, const Point *, bool) override { calls++; }
    void draw_circle(int, Point, double, double, double) override { calls++; }
    void fill_polygon(int, int, const Point *) override { calls++; }
    void fill_circle(int, Point, double, double, double) override { calls++; }
};

TEST(WorldTest, FrictionDefaultsAndSetters)
{
    World &w = lasting_world();
    EXPECT_EQ(0.2, w.static_friction());
    EXPECT_EQ(0.2, w.dynamic_friction());
    EXPECT_EQ(0.3, w.angular_friction());
    EXPECT_EQ(1.0, w.angular_damping());
    w.set_static_friction(-2);
    w.set_dynamic_friction(1.5);
    EXPECT_EQ(-2, w.static_friction());
    EXPECT_EQ(1.5, w.dynamic_friction());
    w.set_angular_friction(-1);
    EXPECT_EQ(0, w.angular_friction());
    w.set_angular_friction(0.7);
    EXPECT_EQ(0.7, w.angular_friction());
}

TEST(WorldTest, AnEmptyWorldDoesNothing)
{
    World &w = lasting_world();
    CountingView view;
    w.reset();
    w.scatter(true, true, &view);
    w.step();
    w.collide_pairs();
    w.record_trails();
    w.draw(&view);
    EXPECT_EQ(0, w.bodies().size());
    EXPECT_EQ(0, view.calls);
}

// Two resting vehicles of radius 10 and one moving towards them.
class CollideTest : public ::testing::TestWithParam<Point> {};

TEST_P(CollideTest, PairTestUsesTheCoordinateDifferenceSum)
{
    World &w = lasting_world();
    Vehicle *a = new Vehicle(20, 12);
    Vehicle *b = new Vehicle(20, 12);
    b->place(GetParam(), 0);
    w.add_body(a);
    w.add_body(b);
    b->set_velocity(Point(-1, -1));
    w.collide_pairs();
    Point p = GetParam();
    bool overlapping = std::fabs(p.x) + std::fabs(p.y) <= 20;
    EXPECT_EQ(overlapping, a->velocity() != Point(0, 0)) << p.x << "," << p.y;
}

// (12, 12): Euclidean 17 but sum 24 > 20, no collision; (8, 8): sum 16.
INSTANTIATE_TEST_SUITE_P(Offsets, CollideTest,
                         ::testing::Values(Point(12, 12), Point(8, 8), Point(20, 0),
                                           Point(-10, 10.5)));

TEST(WorldTest, CollisionsSeeEarlierPairsAndOnlyTheEarlierBodyIsCalled)
{
    // a at rest, b at rest, c moving left: pair (a,c) is handled before
    // (b,c) and hands c's motion to a, so (b,c) then finds c at rest.
    World &w = lasting_world();
    Vehicle *a = new Vehicle(20, 12);
    Vehicle *b = new Vehicle(20, 12);
    Vehicle *c = new Vehicle(20, 12);
    a->place(Point(0, 0), 0);
    b->place(Point(30, 0), 0);
    c->place(Point(15, 0), 0);
    w.add_body(a);
    w.add_body(b);
    w.add_body(c);
    c->set_velocity(Point(-1, 0));
    w.collide_pairs();
    EXPECT_NEAR(-1, a->velocity().x, 1e-12);
    EXPECT_NEAR(0, b->velocity().x, 1e-12);
    EXPECT_NEAR(0, c->velocity().x, 1e-12);
}

TEST(WorldTest, OnlyCollidingBodiesJoinTheCollidingList)
{
    World &w = lasting_world();
    Light *l = new Light(Point(0, 0), 1, -M_PI, M_PI, 8);
    Vehicle *v = new Vehicle(20, 12);
    w.add_body(l);
    w.add_body(v);
    w.add_body(l);
    ASSERT_EQ(3, w.bodies().size());
    ASSERT_EQ(1, w.colliding().size());
    EXPECT_EQ(v, w.colliding()[0]);
}

TEST(WorldTest, ScatterPlacesVehiclesInTheVisibleRegionAndKeepsLights)
{
    World &w = lasting_world();
    View view(640, 520);
    Light *l = new Light(Point(1000, 2000), 1, -M_PI, M_PI, 8);
    w.add_body(l);
    for (int i = 0; i < 50; i++)
        w.add_body(new Vehicle(20, 12));
    w.scatter(true, false, &view);
    EXPECT_EQ(Point(1000, 2000), l->position());
    for (Body *b : w.bodies()) {
        if (!b->as_vehicle())
            continue;
        EXPECT_GE(b->x(), -320);
        EXPECT_LE(b->x(), 320);
        EXPECT_GE(b->y(), -260);
        EXPECT_LE(b->y(), 260);
        EXPECT_GE(b->heading(), -M_PI);
        EXPECT_LE(b->heading(), M_PI);
    }
}

TEST(WorldTest, ScatterPlacesFixedBodiesOnlyWhenAsked)
{
    World &w = lasting_world();
    View view(640, 520);
    Light *l = new Light(Point(1000, 2000), 1, -M_PI, M_PI, 8);
    Vehicle *v = new Vehicle(20, 12);
    v->place(Point(999, 999), 0);
    w.add_body(v);
    w.add_body(l);
    w.scatter(false, true, &view);
    EXPECT_EQ(Point(999, 999), v->position());
    EXPECT_LE(std::fabs(l->x()), 320);
    EXPECT_LE(std::fabs(l->y()), 260);
}

TEST(WorldTest, SortingPutsVehiclesFirstAndKeepsTheOrderOfAddition)
{
    World &w = lasting_world();
    View view(640, 520);
    Light *l1 = new Light(Point(0, 0), 1, -M_PI, M_PI, 8);
    Light *l2 = new Light(Point(9, 0), 1, -M_PI, M_PI, 8);
    Vehicle *v[4];
    for (auto &p : v)
        p = new Vehicle(20, 12);
    w.add_body(l1);
    w.add_body(v[0]);
    w.add_body(v[1]);
    w.add_body(l2);
    w.add_body(v[2]);
    w.add_body(l1);
    w.add_body(v[3]);
    w.scatter(true, false, &view);
    Body *expected[] = {v[0], v[1], v[2], v[3], l1, l2, l1};
    ASSERT_EQ(7, w.bodies().size());
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(expected[i], w.bodies()[i]) << i;
    w.reset();
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(expected[i], w.bodies()[i]) << i;
}

TEST(WorldTest, ABodyListedTwiceIsSteppedAndDrawnTwice)
{
    World &w = lasting_world();
    CountingView view;
    TimedLight *t = new TimedLight(Point(0, 0), 1, 10, -M_PI, M_PI, 8);
    w.add_body(t);
    w.add_body(t);
    w.reset();
    EXPECT_EQ(10, t->countdown());
    w.step();
    EXPECT_EQ(8, t->countdown());
    w.draw(&view);
    EXPECT_EQ(2 * 3, view.calls);  // a free lit light: disc and two rings
}

TEST(WorldTest, StepMovesEveryVehicleAndRecordTrailsAppends)
{
    World &w = lasting_world();
    Vehicle *a = new Vehicle(20, 12);
    Vehicle *b = new Vehicle(20, 12);
    w.add_body(a);
    w.add_body(b);
    a->set_velocity(Point(1, 0));
    b->set_velocity(Point(0, 2));
    w.record_trails();
    w.step();
    w.record_trails();
    EXPECT_NEAR(0.1, a->x(), 1e-12);
    EXPECT_NEAR(0.2, b->y(), 1e-12);
    EXPECT_EQ(2, a->trail().size());
    EXPECT_EQ(2, b->trail().size());
    w.reset();
    EXPECT_EQ(0, a->trail().size());
    EXPECT_EQ(Point(0, 0), b->velocity());
}

// The pointer's hold: the held vehicle stands still and at rest, the
// other still runs into it (and is stopped by it, head on), and a held
// light keeps stepping; with threads too.
TEST(WorldTest, AHeldVehicleStandsStillWhileOthersCollideWithIt)
{
    for (int threads : {1, 2}) {
        World &w = lasting_world();
        w.set_threads(threads);
        w.set_parallel_minimum(1);
        Vehicle *held = new Vehicle(20, 12);
        Vehicle *mover = new Vehicle(20, 12);
        TimedLight *t = new TimedLight(Point(50, 50), 1, 10, -M_PI, M_PI, 8);
        w.add_body(held);
        w.add_body(mover);
        w.add_body(t);
        w.reset();
        mover->place(Point(-15, 0), 0);
        mover->set_velocity(Point(5, 0));
        held->set_velocity(Point(3, 3));
        w.hold(held);
        EXPECT_EQ(held, w.held());
        for (int i = 0; i < 3; i++) {
            w.step();
            w.collide_pairs();
        }
        EXPECT_EQ(Point(0, 0), held->position()) << threads;
        EXPECT_LT(mover->velocity().x, 1e-9) << threads;  // handed over to the held one
        EXPECT_EQ(7, t->countdown()) << threads;
        w.step();
        EXPECT_EQ(Point(0, 0), held->velocity()) << threads;  // and soaked up

        w.hold(nullptr);
        held->set_velocity(Point(1, 0));
        w.step();
        EXPECT_NEAR(0.1, held->x(), 1e-12) << threads;
    }
}

}  // namespace
