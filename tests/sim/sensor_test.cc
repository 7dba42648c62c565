// Sensors on a vehicle at the origin, heading 0, sensor mounted at (10, 0).
#include <cmath>

#include <gtest/gtest.h>

#include "sim/actuator.hh"
#include "sim/light.hh"
#include "sim/logic.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

class SensorTest : public ::testing::Test {
  protected:
    World &world = lasting_world();
    Sensor all_round{Point(10, 0), 1, "front", -M_PI, M_PI};
    Sensor forward{Point(10, 0), 1, "front", -M_PI / 2, M_PI / 2};

    Vehicle *vehicle_with(Sensor *s, Point at = Point(0, 0), double heading = 0)
    {
        Vehicle *v = new Vehicle(20, 12);
        v->add_sensor(s);
        v->place(at, heading);
        world.add_body(v);
        return v;
    }
    Light *light_at(Point p, double strength = 8)
    {
        Light *l = new Light(p, 1, -M_PI, M_PI, strength);
        world.add_body(l);
        return l;
    }
};

TEST_F(SensorTest, ReadsTheGainTimesTheIntensity)
{
    Vehicle *v = vehicle_with(&all_round);
    Light *l = light_at(Point(100, 0));
    Point source;
    double intensity = l->intensity_at(1, source, Point(10, 0));
    EXPECT_NEAR(64.0 / 90, intensity, 1e-12);
    EXPECT_DOUBLE_EQ(0.1, all_round.gain());
    EXPECT_DOUBLE_EQ(0.1 * intensity, all_round.read(v));
}

TEST_F(SensorTest, FieldOfViewIsRelativeToTheHeading)
{
    Vehicle *v = vehicle_with(&forward);
    light_at(Point(-100, 0));
    EXPECT_EQ(0, forward.read(v));
    v->place(Point(0, 0), M_PI);
    EXPECT_NEAR(0.1 * 64.0 / 90, forward.read(v), 1e-12);
}

TEST_F(SensorTest, FieldBoundsAreInclusive)
{
    // Lights straight across the sensor's mount: exactly +-pi/2.
    Sensor narrow(Point(0, 0), 1, "n", -M_PI / 2, M_PI / 2);
    Vehicle *v = vehicle_with(&narrow);
    light_at(Point(0, 100));
    EXPECT_NEAR(0.1 * 0.64, narrow.read(v), 1e-12);
    light_at(Point(0, -100));
    EXPECT_NEAR(0.2 * 0.64, narrow.read(v), 1e-12);
    Sensor narrower(Point(0, 0), 1, "m", -M_PI / 2 + 1e-9, M_PI / 2 - 1e-9);
    Vehicle *w = vehicle_with(&narrower);
    EXPECT_EQ(0, narrower.read(w));
}

TEST_F(SensorTest, IgnoresOnlyLightsItsOwnVehicleCarries)
{
    Light lamp(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 6);
    Vehicle *carrier = vehicle_with(&all_round);
    carrier->add_light(&lamp);
    Vehicle *other = vehicle_with(&all_round, Point(50, 0), M_PI);
    world.reset();  // the carried light joins its carrier at the origin
    EXPECT_EQ(0, all_round.read(carrier));
    EXPECT_NEAR(0.1 * 36.0 / 40, all_round.read(other), 1e-12);
}

TEST_F(SensorTest, ALightListedTwiceCountsTwice)
{
    Vehicle *v = vehicle_with(&all_round);
    Light *l = light_at(Point(100, 0));
    double once = all_round.read(v);
    world.add_body(l);
    EXPECT_DOUBLE_EQ(2 * once, all_round.read(v));
}

TEST_F(SensorTest, NegativeSumsReadZero)
{
    Actuator motor(Point(-10, 0), 1.0);
    Sensor feeler(Point(10, 0), 2, "feeler", -M_PI, M_PI);
    Vehicle *sensing = vehicle_with(&feeler);
    Vehicle *backing = new Vehicle(20, 12);
    backing->add_actuator(&motor, new FixedDrive(-1));
    backing->place(Point(100, 0), 0);
    world.add_body(backing);
    backing->step(0.1);
    ASSERT_EQ(-1, backing->force_total());
    EXPECT_EQ(0, feeler.read(sensing));

    Vehicle *pushing = new Vehicle(20, 12);
    pushing->add_actuator(&motor, new FixedDrive(1));
    pushing->place(Point(-100, 0), 0);
    world.add_body(pushing);
    pushing->step(0.1);
    pushing->step(0.1);
    EXPECT_EQ(0, feeler.read(sensing));  // still -1/90^2 + 1/110^2 < 0
    pushing->place(Point(20, 0), 0);
    EXPECT_NEAR(0.1 * (1.0 / 100 - 1.0 / 8100), feeler.read(sensing), 1e-12);
}

TEST_F(SensorTest, NothingEmitsAnUnusedKind)
{
    Sensor odd(Point(10, 0), 3, "odd", -M_PI, M_PI);
    Vehicle *v = vehicle_with(&odd);
    light_at(Point(20, 0));
    vehicle_with(&all_round, Point(30, 0));
    EXPECT_EQ(0, odd.read(v));
}

TEST(ActuatorTest, LeverIsTheMountsLateralOffset)
{
    struct { Point mount; double lever; } cases[] = {
        {{-10, -10}, -10}, {{-10, 10}, 10}, {{-10, 0}, 0}, {{5, 3}, 3},
    };
    for (auto c : cases) {
        Actuator a(c.mount, 1.0);
        EXPECT_NEAR(c.lever, a.lever(), 1e-12) << c.mount.x << "," << c.mount.y;
        EXPECT_EQ(0, a.direction());
        EXPECT_EQ(1.0, a.strength());
    }
}

}  // namespace
