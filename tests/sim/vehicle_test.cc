// Vehicle dynamics on a 20 by 12 vehicle (mass 2.4, moment 2.4, radius 10)
// with the default friction, dt 0.1.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "display/palette.hh"
#include "sim/actuator.hh"
#include "sim/light.hh"
#include "sim/logic.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/wiring_source.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

Actuator centre_motor(Point(-10, 0), 1.0);
Actuator right_motor(Point(-10, -10), 1.0);  // negative lever
Actuator left_motor(Point(-10, 10), 1.0);

class VehicleTest : public ::testing::Test {
  protected:
    World &world = lasting_world();

    // A vehicle at rest at the origin, heading 0, in the world.
    Vehicle *embodied(Vehicle *v)
    {
        v->place(Point(0, 0), 0);
        world.add_body(v);
        return v;
    }
    Vehicle *one_motor(double drive)
    {
        Vehicle *v = new Vehicle(20, 12);
        v->add_actuator(&centre_motor, new FixedDrive(drive));
        return embodied(v);
    }
    Vehicle *two_motors(double right_drive, double left_drive)
    {
        Vehicle *v = new Vehicle(20, 12);
        v->add_actuator(&right_motor, new FixedDrive(right_drive));
        v->add_actuator(&left_motor, new FixedDrive(left_drive));
        return embodied(v);
    }
};

TEST_F(VehicleTest, StartsAsARedRestingRectangle)
{
    Vehicle v(20, 12);
    int r, g, b;
    ASSERT_TRUE(Palette::colour_components(v.colour(), r, g, b));
    EXPECT_EQ(255, r);
    EXPECT_EQ(0, g);
    EXPECT_EQ(0, b);
    EXPECT_EQ(1, v.collision_group());
    EXPECT_DOUBLE_EQ(10, v.radius());
    EXPECT_DOUBLE_EQ(2.4, v.mass());
    EXPECT_DOUBLE_EQ(2.4, v.moment());
    EXPECT_EQ(0, v.heading());
    EXPECT_EQ(Point(0, 0), v.velocity());
    EXPECT_EQ(0, v.spin());
    EXPECT_TRUE(v.is_mobile());
    EXPECT_EQ(0, v.layer());
    EXPECT_EQ(&v, v.as_vehicle());
}

TEST_F(VehicleTest, FullDriveBreaksAwayThenFeelsSlidingFriction)
{
    Vehicle *v = one_motor(1);
    v->step(0.1);
    EXPECT_EQ(Point(0, 0), v->position());
    EXPECT_NEAR(1.0 / 24, v->velocity().x, 1e-12);
    EXPECT_EQ(0, v->velocity().y);
    v->step(0.1);
    EXPECT_NEAR(0.1 / 24, v->x(), 1e-12);
    EXPECT_NEAR(1.0 / 24 + 0.976 * 0.1 / 2.4, v->velocity().x, 1e-12);
    EXPECT_NEAR(0.0823333, v->velocity().x, 1e-7);
    EXPECT_EQ(0, v->heading());
    EXPECT_DOUBLE_EQ(1, v->force_total());
}

// velocity += net * dt / mass, grouped as written: for this force
// net * (dt / mass) would round one unit in the last place higher.
TEST_F(VehicleTest, VelocityUpdateRoundsAsNetTimesDtOverMass)
{
    Vehicle *v = one_motor(0.04);
    v->step(0.1);
    EXPECT_EQ(0x1.b4e81b4e81b4fp-10, v->velocity().x);
    EXPECT_NE(0.04 * (0.1 / 2.4), v->velocity().x);
}

TEST_F(VehicleTest, StaticFrictionHoldsAWeakDrive)
{
    Vehicle *v = one_motor(0.02);  // force 0.02 < 0.2 * 0.05 * 2.4 = 0.024
    for (int i = 0; i < 10; i++)
        v->step(0.1);
    EXPECT_EQ(Point(0, 0), v->position());
    EXPECT_EQ(Point(0, 0), v->velocity());
    EXPECT_DOUBLE_EQ(0.02, v->force_total());
}

TEST_F(VehicleTest, DrivesAreClampedToPlusMinusOne)
{
    struct { double drive, acts_as; } cases[] = {{3, 1}, {-7, -1}, {0.5, 0.5}};
    for (auto c : cases) {
        Vehicle *v = one_motor(c.drive);
        Vehicle *w = one_motor(c.acts_as);
        for (int i = 0; i < 3; i++) {
            v->step(0.1);
            w->step(0.1);
        }
        EXPECT_EQ(w->velocity(), v->velocity()) << "drive " << c.drive;
        EXPECT_EQ(w->force_total(), v->force_total()) << "drive " << c.drive;
    }
}

TEST_F(VehicleTest, TurningStartsAtRatesThatDependOnTheSide)
{
    // The friction term takes the sign +1 at zero spin, so the two turns
    // start at different rates; a drive difference of 0.01 already reaches
    // the clamp of the turning effect.
    struct { double right, left, spin; } cases[] = {
        {1, 0, 0.00386667},    // w = -0.1 + 0.0072: counter-clockwise
        {0, 1, -0.00446667},   // w = 0.1 + 0.0072: clockwise
        {0.51, 0.5, 0.00386667},
    };
    for (auto c : cases) {
        Vehicle *v = two_motors(c.right, c.left);
        v->step(0.1);
        EXPECT_NEAR(c.spin, v->spin(), 5e-9) << c.right << "," << c.left;
        EXPECT_EQ(0, v->heading());  // the old spin (0) was applied
        double spin = v->spin();
        v->step(0.1);
        EXPECT_EQ(spin, v->heading());
    }
}

TEST_F(VehicleTest, AngularFrictionHoldsAWeakTurnUnlessZero)
{
    Vehicle *held = two_motors(0.0005, 0);  // T = -0.005 < A = 0.0072
    held->step(0.1);
    EXPECT_EQ(0, held->spin());

    world.set_angular_friction(0);
    Vehicle *v = two_motors(0.0005, 0);
    v->step(0.1);
    EXPECT_NEAR(0.005 * 0.1 / 2.4, v->spin(), 1e-15);
}

TEST_F(VehicleTest, PlaceWrapsTheHeading)
{
    struct { double given, stored; } cases[] = {
        {4, 4 - 2 * M_PI}, {-4, -4 + 2 * M_PI}, {2 * M_PI, 0},
        {M_PI, M_PI}, {-M_PI, -M_PI}, {13, 13 - 4 * M_PI}, {-13, -13 + 4 * M_PI},
        {1000 * M_PI + 1, 1}, {-1000 * M_PI - 1, -1},
    };
    for (auto c : cases) {
        Vehicle v(20, 12);
        v.place(Point(3, 4), c.given);
        EXPECT_NEAR(c.stored, v.heading(), 1e-12) << c.given;
        EXPECT_EQ(Point(3, 4), v.position());
    }
}

TEST_F(VehicleTest, PlaceEndsForHeadingsBeyondTurnByTurnWrapping)
{
    Vehicle v(20, 12);
    v.place(Point(0, 0), 1e300);
    EXPECT_LE(std::fabs(v.heading()), M_PI);
    v.place(Point(0, 0), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isinf(v.heading()));
    v.place(Point(0, 0), std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(v.heading()));
}

TEST_F(VehicleTest, WithoutDriveASlidingVehicleDecaysThenJitters)
{
    Vehicle *v = embodied(new Vehicle(20, 12));
    v->set_velocity(Point(0.0025, 0));
    v->step(0.1);
    EXPECT_NEAR(0.0015, v->velocity().x, 1e-15);
    v->step(0.1);
    EXPECT_NEAR(0.0005, v->velocity().x, 1e-15);
    // Below 0.001 the full sliding friction reverses the motion each step.
    for (int i = 0; i < 4; i++) {
        double before = v->velocity().x;
        v->step(0.1);
        EXPECT_NEAR(-before, v->velocity().x, 1e-15);
    }
    EXPECT_EQ(0, v->heading());
    EXPECT_EQ(0, v->spin());
}

// A non-number would spread from the drive into the velocity and the
// position, and from there into every picture: it counts as 0, and the
// expression that gave it is named once, however many vehicles share it.
TEST_F(VehicleTest, ANaNDriveCountsAsZeroAndIsReportedOnce)
{
    Logic *undefined = new FixedDrive(std::numeric_limits<double>::quiet_NaN());
    note_wiring_source(undefined, "-left-logic", "left/right");
    Vehicle *a = new Vehicle(20, 12), *b = new Vehicle(20, 12);
    a->add_actuator(&centre_motor, undefined);
    b->add_actuator(&centre_motor, undefined);
    embodied(a);
    embodied(b);
    Vehicle *unnamed = one_motor(std::numeric_limits<double>::quiet_NaN());
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; i++)
        for (Vehicle *v : {a, b, unnamed})
            v->step(0.1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "xtinkerbot: the -left-logic expression `left/right' gave a non-number; "
              "its drive counts as 0\n"
              "xtinkerbot: a wiring gave a non-number; its drive counts as 0\n");
    for (Vehicle *v : {a, b, unnamed}) {
        EXPECT_EQ(v->force_total(), 0);
        EXPECT_EQ(v->velocity(), Point(0, 0));
        EXPECT_EQ(v->position(), Point(0, 0));
    }
}

TEST_F(VehicleTest, AnActuatorWithoutWiringGetsTheSharedNullLogic)
{
    Vehicle *v = new Vehicle(20, 12);
    v->add_actuator(&centre_motor, nullptr);
    Vehicle w(20, 12);
    w.add_actuator(&left_motor, nullptr);
    EXPECT_EQ(null_logic(), v->logic(0));
    EXPECT_EQ(null_logic(), w.logic(0));
    embodied(v)->step(0.1);
    EXPECT_EQ(Point(0, 0), v->velocity());
    EXPECT_EQ(0, v->force_total());
}

// Each step rebuilds the values from the readings; a bound variable
// appended by one wiring is seen by the wirings after it.
class AppendAndIdle : public Logic {
  public:
    double eval(Vector<double> &values, const Vehicle *) const override
    {
        values.push_back(0.25);
        return 0;
    }
};
class LastValue : public Logic {
  public:
    double eval(Vector<double> &values, const Vehicle *) const override
    {
        return values.back();
    }
};

TEST_F(VehicleTest, WiringsShareTheStepsValuesInActuatorOrder)
{
    Sensor blind(Point(10, 0), 7, "blind", -M_PI, M_PI);
    Vehicle *v = new Vehicle(20, 12);
    v->add_sensor(&blind);
    v->add_actuator(&centre_motor, new AppendAndIdle);
    v->add_actuator(&centre_motor, new LastValue);
    embodied(v);
    for (int i = 0; i < 3; i++) {
        v->step(0.1);
        ASSERT_EQ(2, v->values().size());
        EXPECT_EQ(0, v->values()[0]);
        EXPECT_EQ(0.25, v->values()[1]);
        EXPECT_DOUBLE_EQ(0.25, v->force_total());
    }
}

TEST_F(VehicleTest, CollisionHandsOverTheVelocityAlongTheLineOfCentres)
{
    Vehicle *a = embodied(new Vehicle(20, 12));
    Vehicle *b = new Vehicle(20, 12);
    b->place(Point(15, 0), 0);
    world.add_body(b);
    b->set_velocity(Point(-1, 0));
    a->collide(b);
    EXPECT_NEAR(-1, a->velocity().x, 1e-12);
    EXPECT_NEAR(0, a->velocity().y, 1e-12);
    EXPECT_NEAR(0, b->velocity().x, 1e-12);
    EXPECT_NEAR(0, b->velocity().y, 1e-12);
    EXPECT_EQ(Point(0, 0), a->position());
    EXPECT_EQ(Point(15, 0), b->position());
}

TEST_F(VehicleTest, CollisionAcrossTheLineKeepsTheCrossingPart)
{
    // The other moves across the line of centres: nothing is handed over.
    Vehicle *a = embodied(new Vehicle(20, 12));
    Vehicle *b = keep(new Vehicle(20, 12));
    b->place(Point(15, 0), 0);
    b->set_velocity(Point(0, 2));
    a->collide(b);
    EXPECT_NEAR(0, a->velocity().x, 1e-12);
    EXPECT_NEAR(0, a->velocity().y, 1e-12);
    EXPECT_NEAR(0, b->velocity().x, 1e-12);
    EXPECT_NEAR(2, b->velocity().y, 1e-12);
}

TEST_F(VehicleTest, CollisionNeedsEuclideanOverlap)
{
    Vehicle *a = embodied(new Vehicle(20, 12));
    Vehicle *b = keep(new Vehicle(20, 12));
    b->place(Point(12, 12), 0);  // distance 16.97 < 20
    b->set_velocity(Point(-1, -1));
    Vehicle *c = keep(new Vehicle(20, 12));
    c->place(Point(15, 15), 0);  // distance ~21.2 > 20
    c->set_velocity(Point(-1, -1));
    a->collide(c);
    EXPECT_EQ(Point(0, 0), a->velocity());
    a->collide(b);
    EXPECT_NE(Point(0, 0), a->velocity());
}

TEST_F(VehicleTest, UnequalMassesWarnOnceAndStillExchange)
{
    Vehicle *a = embodied(new Vehicle(20, 12));
    Vehicle *b = keep(new Vehicle(10, 10));
    b->place(Point(10, 0), 0);
    b->set_velocity(Point(-1, 0));
    Vehicle *c = keep(new Vehicle(30, 12));
    c->place(Point(0, 10), 0);
    Vehicle::reset_mass_warning();
    testing::internal::CaptureStderr();
    a->collide(b);
    a->collide(c);
    b->collide(c);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ("warning: colliding two bodies with different masses; bad physics\n", err);
    EXPECT_NEAR(-1, a->velocity().x, 1e-12);
}

TEST_F(VehicleTest, CollidingWithALightDoesNothing)
{
    Vehicle *a = embodied(new Vehicle(20, 12));
    a->set_velocity(Point(1, 0));
    Light l(Point(0, 0), 1, -M_PI, M_PI, 8);
    a->collide(&l);
    EXPECT_EQ(Point(1, 0), a->velocity());
}

TEST_F(VehicleTest, RadiatesItsForceTotalAsKindTwo)
{
    Actuator half(Point(-10, 0), 0.5);
    Vehicle *v = new Vehicle(20, 12);
    v->add_actuator(&half, new FixedDrive(1));
    embodied(v)->step(0.1);
    ASSERT_DOUBLE_EQ(0.5, v->force_total());
    EXPECT_TRUE(v->emits(2));
    EXPECT_FALSE(v->emits(1));
    Point source(-99, -99);
    EXPECT_DOUBLE_EQ(0, v->intensity_at(1, source, Point(2, 0)));
    EXPECT_EQ(Point(-99, -99), source);
    EXPECT_DOUBLE_EQ(0.125, v->intensity_at(2, source, Point(0, 2)));
    EXPECT_EQ(v->position(), source);
    EXPECT_DOUBLE_EQ(0.5, v->intensity_at(2, source, Point(0.5, 0)));
}

TEST_F(VehicleTest, TrailRecordsPositionsUntilReset)
{
    Vehicle *v = one_motor(1);
    for (int tick = 0; tick < 13; tick++) {
        if (tick % 6 == 0)
            v->record_trail();
        v->step(0.1);
    }
    ASSERT_EQ(3, v->trail().size());
    EXPECT_EQ(Point(0, 0), v->trail()[0]);
    EXPECT_LT(v->trail()[1].x, v->trail()[2].x);
    Point where = v->position();
    double h = v->heading();
    v->reset();
    EXPECT_TRUE(v->trail().empty());
    EXPECT_EQ(Point(0, 0), v->velocity());
    EXPECT_EQ(0, v->spin());
    EXPECT_EQ(where, v->position());
    EXPECT_EQ(h, v->heading());
    EXPECT_DOUBLE_EQ(1, v->force_total());
}

TEST_F(VehicleTest, SensorAndActuatorPositionsTurnWithTheHeading)
{
    Sensor s(Point(10, 0), 1, "front", -M_PI, M_PI);
    Vehicle v(20, 12);
    v.add_sensor(&s);
    v.add_actuator(&right_motor, nullptr);
    v.place(Point(5, 5), M_PI / 2);
    EXPECT_NEAR(5, v.sensor_position(0).x, 1e-12);
    EXPECT_NEAR(15, v.sensor_position(0).y, 1e-12);
    EXPECT_NEAR(15, v.actuator_position(0).x, 1e-12);  // (-10,-10) turned
    EXPECT_NEAR(-5, v.actuator_position(0).y, 1e-12);
    EXPECT_EQ(0, v.sensor_index("front"));
    EXPECT_EQ(-1, v.sensor_index("back"));
}

TEST(VehicleDeathTest, OutOfRangeIndexesAreProgrammingErrors)
{
    Vehicle v(20, 12);
    v.add_actuator(&centre_motor, nullptr);
    EXPECT_DEATH(v.sensor_position(0), "Assertion `i>=0 && i<_n' failed");
    EXPECT_DEATH(v.actuator_position(1), "Assertion `i>=0 && i<_n' failed");
    EXPECT_DEATH(v.set_logic(-1, null_logic()), "Assertion `i>=0 && i<_n' failed");
}

TEST(VehicleDeathTest, EmbodyingTwiceStops)
{
    World &w = lasting_world();
    Vehicle *v = new Vehicle(20, 12);
    w.add_body(v);
    EXPECT_DEATH(w.add_body(v), "embody: Assertion `!_world' failed");
}

TEST_F(VehicleTest, CloneSharesPartsButNotState)
{
    Sensor s(Point(10, 0), 1, "front", -M_PI, M_PI);
    Light lamp(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 6);
    Vehicle *proto = new Vehicle(20, 12);
    proto->add_sensor(&s);
    proto->add_actuator(&centre_motor, new FixedDrive(1));
    proto->add_light(&lamp);
    proto->set_colour(0, 0, 255);
    proto->place(Point(7, 8), 1);
    world.add_body(proto);
    proto->step(0.1);
    proto->record_trail();

    Vehicle *c = keep(proto->clone());
    EXPECT_EQ(nullptr, c->world());
    EXPECT_TRUE(c->trail().empty());
    EXPECT_EQ(0, c->force_total());
    EXPECT_EQ(&s, c->sensor(0));
    EXPECT_EQ(&centre_motor, c->actuator(0));
    EXPECT_EQ(proto->logic(0), c->logic(0));
    EXPECT_EQ(proto->colour(), c->colour());
    EXPECT_EQ(proto->position(), c->position());
    EXPECT_EQ(proto->heading(), c->heading());
    EXPECT_EQ(proto->velocity(), c->velocity());
    ASSERT_EQ(1, c->light_count());
    EXPECT_NE(proto->light(0), c->light(0));
    EXPECT_TRUE(c->light(0)->carried_by(c));
    EXPECT_FALSE(c->light(0)->carried_by(proto));

    c->set_logic(0, null_logic());
    EXPECT_NE(null_logic(), proto->logic(0));
}

TEST_F(VehicleTest, CarriedLightsEnterTheWorldWithTheirVehicle)
{
    Light lamp(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 6);
    Vehicle *before = new Vehicle(20, 12);
    before->add_light(&lamp);
    world.add_body(before);
    Vehicle *after = embodied(new Vehicle(20, 12));
    after->add_light(&lamp);
    const Vector<Body *> &bodies = world.bodies();
    ASSERT_EQ(4, bodies.size());
    EXPECT_EQ(before, bodies[0]);
    EXPECT_EQ(before->light(0), bodies[1]);
    EXPECT_EQ(after, bodies[2]);
    EXPECT_EQ(after->light(0), bodies[3]);
    EXPECT_EQ(2, world.colliding().size());
}

}  // namespace
