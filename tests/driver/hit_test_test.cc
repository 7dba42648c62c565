#include <gtest/gtest.h>

#include "driver/hit_test.hh"

#include <cmath>

#include "display/view.hh"
#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

// Two overlapping vehicles a and b (radius 10, b added later, so drawn on
// top), a free light of strength 8 (reach 13) overlapping b, and a vehicle
// c far to the left carrying a light of strength 30 (reach 32).
struct Scene {
    World &world = lasting_world();
    Vehicle *a = keep(new Vehicle(20, 12));
    Vehicle *b = keep(new Vehicle(20, 12));
    Vehicle *c = keep(new Vehicle(20, 12));
    Light *light = keep(new Light(Point(35, 0), 1, -M_PI, M_PI, 8));

    Scene()
    {
        Light carried(Point(0, 0), 1, -M_PI, M_PI, 30);
        c->add_light(&carried);
        world.add_body(light);
        world.add_body(a);
        world.add_body(b);
        world.add_body(c);
        world.reset();  // vehicles before lights
        a->place(Point(0, 0), 0);
        b->place(Point(15, 0), 0);
        c->place(Point(-100, 0), 0);
        world.step();  // the carried light joins its vehicle
    }
};

TEST(HitTest, DrawnRadiusIsTheOutermostCircleOfALight)
{
    Scene s;
    EXPECT_EQ(drawn_radius(s.a), 10);
    EXPECT_EQ(drawn_radius(s.light), 13);
    EXPECT_EQ(drawn_radius(s.c->light(0)), 32);  // no outer ring when carried
    Light dark(Point(0, 0), 1, -M_PI, M_PI, 0);
    EXPECT_EQ(drawn_radius(&dark), 2);
}

TEST(HitTest, TopmostBodyUnderThePixelAtEveryZoomAndPan)
{
    Scene s;
    struct Case {
        Point at;
        Body *expected;
        bool on_edge;  // tested only where the transform is exact
    } cases[] = {
        {Point(0, 0), s.a, false},
        {Point(-6, -8), s.a, true},        // distance 10: on the edge
        {Point(-10.5, 0), nullptr, false},
        {Point(7.5, 0), s.b, false},       // a and b overlap: b is on top
        {Point(24, 0), s.light, false},    // b and the light: the light
        {Point(47, 5), s.light, true},     // distance 13
        {Point(35, 14), nullptr, false},
        {Point(-80, 0), s.c, false},       // on the carried light: its vehicle
        {Point(-100, 32), s.c, true},
        {Point(-100, 33), nullptr, false},
    };
    struct Pose {
        double zoom;
        int x, y;
        bool exact;
    } poses[] = {{1, 300, 200, true}, {4, 5, 510, true}, {0.5, 639, 0, true},
                 {1.2, 320, 260, false}, {1 / 1.2, 17, 400, false}};
    for (const Pose &pose : poses)
        for (const Case &c : cases) {
            if (c.on_edge && !pose.exact)
                continue;
            View view(640, 520);
            view.zoom(pose.zoom);
            view.show_at(c.at, pose.x, pose.y);
            EXPECT_EQ(body_at(&s.world, &view, pose.x, pose.y), c.expected)
                << "at (" << c.at.x << ", " << c.at.y << "), zoom " << pose.zoom;
        }
}

TEST(HitTest, ExtentHoldsEveryBodyAsDrawnAndSkipsLostOnes)
{
    Scene s;
    Point lo, hi;
    ASSERT_TRUE(bodies_extent(&s.world, lo, hi));
    EXPECT_EQ(lo, Point(-132, -32));  // the carried light's reach
    EXPECT_EQ(hi, Point(48, 32));
    s.a->place(Point(NAN, 0), 0);
    s.b->place(Point(1e6, INFINITY), 0);
    ASSERT_TRUE(bodies_extent(&s.world, lo, hi));
    EXPECT_EQ(hi, Point(48, 32));

    World &empty = lasting_world();
    EXPECT_FALSE(bodies_extent(&empty, lo, hi));
}

}  // namespace
