#include <cmath>

#include <gtest/gtest.h>

#include "display/palette.hh"
#include "sim/light.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

double intensity(const Light &l, Point at)
{
    Point source;
    return l.intensity_at(l.kind(), source, at);
}

TEST(LightTest, OmnidirectionalIntensityIsStrengthInsideTheDiscThenFalls)
{
    Light l(Point(0, 0), 1, -M_PI, M_PI, 8);
    struct { Point at; double expected; } cases[] = {
        {{5, 0}, 8}, {{0, 8}, 8}, {{-20, 0}, 3.2}, {{0, 0}, 8}, {{30, 40}, 64.0 / 50},
    };
    for (auto c : cases)
        EXPECT_NEAR(c.expected, intensity(l, c.at), 1e-12) << c.at.x << "," << c.at.y;
}

TEST(LightTest, DirectionalIntensityIsTheOverlapWithTheArc)
{
    Light l(Point(0, 0), 1, 0, M_PI / 2, 8);
    auto at = [](double direction) {
        return Point(100 * std::cos(direction), 100 * std::sin(direction));
    };
    struct { double direction, expected; } cases[] = {
        {M_PI / 4, 0.64},     // window wholly inside the arc
        {M_PI, 0},            // facing away
        {M_PI / 2, 0.32},     // window half over the arc's edge
        {0, 0.32},
        {-M_PI / 4, 0},
    };
    for (auto c : cases)
        EXPECT_NEAR(c.expected, intensity(l, at(c.direction)), 1e-12) << c.direction;
}

TEST(LightTest, ArcsAcrossZeroWrap)
{
    // Arc from -0.1 to 0.1 radians.  Near, the window around the point's
    // direction covers the whole arc; far, the arc covers the whole window.
    Light l(Point(0, 0), 1, -0.1, 0.1, 8);
    EXPECT_NEAR(8 * 0.2 / M_PI, intensity(l, Point(8, 0)), 1e-12);
    EXPECT_NEAR(8 * 0.2 / M_PI, intensity(l, Point(100, 0)), 1e-12);
    EXPECT_NEAR(8 * 0.04, intensity(l, Point(200, 0)), 1e-12);
    // At direction -0.05 the window [-0.05 -+ 0.02 pi] sticks out below -0.1.
    double window_top = -0.05 + 0.02 * M_PI;
    EXPECT_NEAR(8 * (window_top + 0.1) / M_PI,
                intensity(l, Point(200 * std::cos(0.05), -200 * std::sin(0.05))), 1e-12);
}

// Normalising the arc's start turn by turn would never end for these.
TEST(LightTest, InfiniteOrHugeArcStartsStillGiveAnIntensity)
{
    struct { double heading; bool finite; } cases[] = {
        {INFINITY, false}, {-INFINITY, false}, {1e300, true}, {-1e300, true}, {1e20, true},
    };
    for (auto c : cases) {
        Light l(Point(0, 0), 1, 0, M_PI / 2, 8);
        l.place(Point(0, 0), c.heading);
        double i = intensity(l, Point(100, 0));
        if (c.finite) {
            EXPECT_GE(i, 0) << c.heading;
            EXPECT_LE(i, 0.64 + 1e-12) << c.heading;
        } else {
            EXPECT_EQ(0, i) << c.heading;
        }
    }
}

TEST(LightTest, OtherKindsGetNothingAndTheSourceIsUntouched)
{
    Light l(Point(3, 4), 1, -M_PI, M_PI, 8);
    EXPECT_TRUE(l.emits(1));
    EXPECT_FALSE(l.emits(2));
    Point source(-1, -1);
    EXPECT_EQ(0, l.intensity_at(2, source, Point(10, 0)));
    EXPECT_EQ(Point(-1, -1), source);
    l.intensity_at(1, source, Point(10, 0));
    EXPECT_EQ(Point(3, 4), source);
}

TEST(LightTest, IsAYellowNonCollidingTopLayerBody)
{
    Light l(Point(0, 0), 1, -M_PI, M_PI, 8);
    int r, g, b;
    ASSERT_TRUE(Palette::colour_components(l.colour(), r, g, b));
    EXPECT_EQ(255, r);
    EXPECT_EQ(255, g);
    EXPECT_EQ(0, b);
    EXPECT_EQ(0, l.collision_group());
    EXPECT_EQ(0, l.radius());
    EXPECT_EQ(1, l.layer());
    EXPECT_FALSE(l.is_mobile());
    EXPECT_DOUBLE_EQ(2 * M_PI, l.arc_width());
}

TEST(LightTest, PlaceCentresTheArcOnTheHeading)
{
    Light l(Point(0, 0), 1, 0, M_PI / 2, 8);
    l.place(Point(7, 7), 0);
    EXPECT_DOUBLE_EQ(-M_PI / 4, l.arc_start());
    EXPECT_EQ(Point(7, 7), l.position());
    l.set_strength(3);
    EXPECT_EQ(3, l.strength());
}

class CarriedLightTest : public ::testing::Test {
  protected:
    World &world = lasting_world();
    Vehicle *vehicle_at(Point p, double heading = 0)
    {
        Vehicle *v = new Vehicle(20, 12);
        v->place(p, heading);
        world.add_body(v);
        return v;
    }
};

TEST_F(CarriedLightTest, FollowsItsCarrierAndTurnsItsArcWithIt)
{
    Vehicle *v = vehicle_at(Point(50, 20), 0.5);
    Light proto(static_cast<Vehicle *>(nullptr), 1, 0, 1, 6);
    v->add_light(&proto);
    Light *l = static_cast<Light *>(v->light(0));
    EXPECT_EQ(Point(0, 0), l->position());
    world.reset();
    EXPECT_EQ(Point(50, 20), l->position());
    EXPECT_DOUBLE_EQ(0.5, l->arc_start());
    EXPECT_TRUE(l->carried_by(v));
    v->set_velocity(Point(3, 0));
    world.step();
    EXPECT_EQ(v->position(), l->position());
    EXPECT_EQ(Point(50.3, 20), l->position());
}

TEST_F(CarriedLightTest, ATimedLightFollowsItsCarrierToo)
{
    Vehicle *v = vehicle_at(Point(-30, 10));
    TimedLight proto(static_cast<Vehicle *>(nullptr), 1, 10, -M_PI, M_PI, 5);
    v->add_light(&proto);
    TimedLight *l = static_cast<TimedLight *>(v->light(0));
    world.reset();
    EXPECT_EQ(Point(-30, 10), l->position());
    EXPECT_EQ(5, l->strength());
    v->set_velocity(Point(0, -1));
    world.step();
    EXPECT_EQ(v->position(), l->position());
    EXPECT_DOUBLE_EQ(4.5, l->strength());
}

TEST(TimedLightTest, FadesLinearlyAfterEveryReset)
{
    TimedLight l(Point(0, 0), 1, 320, -M_PI, M_PI, 8);
    EXPECT_EQ(0, l.strength());
    EXPECT_EQ(0, intensity(l, Point(1, 0)));
    l.reset();
    EXPECT_EQ(8, l.strength());
    l.step(0.1);
    EXPECT_DOUBLE_EQ(7.975, l.strength());
    for (int i = 1; i < 320; i++)
        l.step(0.1);
    EXPECT_EQ(0, l.strength());
    l.step(0.1);
    EXPECT_EQ(0, l.countdown());
    l.reset();
    EXPECT_EQ(8, l.strength());

    TimedLight never(Point(0, 0), 1, 0, -M_PI, M_PI, 8);
    never.reset();
    EXPECT_EQ(0, never.strength());
}

TEST(ThresholdLightTest, ShinesWhileTheObservedSumReachesTheThreshold)
{
    ThresholdLight l(Point(0, 0), 1, -M_PI, M_PI, 8, 1);
    EXPECT_EQ(0, l.strength());
    struct { double a, b; double strength; } cases[] = {
        {0.4, 0.7, 8}, {0.4, 0.5, 0}, {0.5, 0.5, 8}, {-1, 3, 8},
    };
    for (auto c : cases) {
        Vector<double> values;
        values.push_back(c.a);
        values.push_back(c.b);
        l.observe(values);
        EXPECT_EQ(c.strength, l.strength()) << c.a << "+" << c.b;
        EXPECT_EQ(c.strength, intensity(l, Point(1, 0))) << c.a << "+" << c.b;
    }
}

TEST_F(CarriedLightTest, AVehicleLetsItsThresholdLightObserveItsReadings)
{
    Sensor eye(Point(10, 0), 1, "eye", -M_PI, M_PI);
    Vehicle *v = new Vehicle(20, 12);
    v->add_sensor(&eye);
    ThresholdLight proto(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 4, 0.5);
    v->add_light(&proto);
    world.add_body(v);
    ThresholdLight *l = static_cast<ThresholdLight *>(v->light(0));
    Light *sun = new Light(Point(100, 0), 1, -M_PI, M_PI, 8);
    world.add_body(sun);
    world.step();
    EXPECT_FALSE(l->on());  // reads 0.1 * 64 / 90
    sun->place(Point(12, 0), 0);
    world.step();
    EXPECT_TRUE(l->on());  // reads 0.1 * 8
    EXPECT_EQ(4, l->strength());
}

TEST(LightCopyTest, ClonesKeepClassAndSettingsButNotState)
{
    Vehicle carrier(20, 12);
    TimedLight t(Point(4, 5), 1, 30, 0, 1, 8);
    t.reset();
    TimedLight *tc = keep(t.clone());
    EXPECT_EQ(Point(4, 5), tc->position());
    EXPECT_EQ(30, tc->period());
    EXPECT_EQ(0, tc->countdown());
    EXPECT_DOUBLE_EQ(1, tc->arc_width());
    EXPECT_EQ(nullptr, tc->carrier());
    TimedLight *tcc = keep(t.clone_carried(&carrier));
    EXPECT_EQ(Point(0, 0), tcc->position());
    EXPECT_EQ(&carrier, tcc->carrier());
    EXPECT_EQ(0, tcc->countdown());

    ThresholdLight h(Point(1, 1), 2, -M_PI, M_PI, 8, 0.5);
    Vector<double> bright;
    bright.push_back(1);
    h.observe(bright);
    ThresholdLight *hc = keep(h.clone());
    EXPECT_FALSE(hc->on());
    EXPECT_EQ(0.5, hc->threshold());
    EXPECT_EQ(2, hc->kind());
    EXPECT_FALSE(keep(h.clone_carried(&carrier))->on());

    Light l(&carrier, 1, -1, 1, 6);
    Light *lc = keep(l.clone());
    EXPECT_EQ(nullptr, lc->carrier());
    EXPECT_EQ(6, lc->strength());
    EXPECT_EQ(-1, lc->arc_start());
}

}  // namespace
