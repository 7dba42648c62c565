#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "driver/body_options.hh"
#include "driver/catalogue.hh"
#include "sim/light.hh"
#include "sim/logic.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

// Each test starts from the settings of a fresh command line and an empty
// world; the handlers themselves restore the settings.
class BodyOptionsTest : public ::testing::Test {
  protected:
    Logic e, f;  // two distinguishable wirings

    void SetUp() override
    {
        if (!the_catalogue)
            build_catalogue();
        if (!vehicle_light)
            create_vehicle_light();
        vehicle_light->set_strength(6);
        handle_lights_option(true, false, 0);
        handle_cross_option(true);
        set_left_logic(nullptr);
        set_right_logic(nullptr);
        the_world = &lasting_world();
    }
    static int count() { return the_world->bodies().size(); }
    static Body *body(int i) { return the_world->bodies()[i]; }
    static Vehicle *vehicle(int i) { return body(i)->as_vehicle(); }
    static Vehicle *prototype(const char *name)
    {
        return the_catalogue->find(name)->as_vehicle();
    }
    // The operand's standard error output.
    static std::string operand(const char *text)
    {
        testing::internal::CaptureStderr();
        handle_operand(text);
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(BodyOptionsTest, TemplateLightIsAFreeKindOneLightOfStrengthSix)
{
    EXPECT_EQ(nullptr, vehicle_light->carrier());
    EXPECT_EQ(1, vehicle_light->kind());
    EXPECT_EQ(6, vehicle_light->strength());
    EXPECT_DOUBLE_EQ(2 * M_PI, vehicle_light->arc_width());
}

TEST_F(BodyOptionsTest, VehiclesEnterAsIndependentClones)
{
    EXPECT_EQ("", operand("v2a"));
    EXPECT_EQ("", operand("v2a"));
    ASSERT_EQ(2, count());
    Vehicle *a = vehicle(0), *b = vehicle(1), *proto = prototype("v2a");
    EXPECT_NE(a, b);
    EXPECT_NE(proto, a);
    EXPECT_EQ(the_world, a->world());
    EXPECT_EQ(proto->sensor(0), a->sensor(0));
    EXPECT_EQ(proto->sensor(1), b->sensor(1));
    EXPECT_EQ(proto->actuator(0), b->actuator(0));
    EXPECT_EQ(proto->logic(0), a->logic(0));
    EXPECT_EQ(proto->logic(1), b->logic(1));
    EXPECT_EQ(0, a->light_count());
    // The trace names each vehicle by the operand it came from.
    EXPECT_STREQ("v2a", a->name().c_str());
    EXPECT_EQ("", operand("v1p"));
    EXPECT_STREQ("v1p", vehicle(2)->name().c_str());
    EXPECT_TRUE(proto->name().null());
}

TEST_F(BodyOptionsTest, LightsEnterThemselvesAndTwiceWhenNamedTwice)
{
    handle_lights_option(false, false, 0);
    handle_cross_option(false);
    set_left_logic(&e);
    operand("l");
    operand("l");
    ASSERT_EQ(2, count());
    EXPECT_EQ(the_catalogue->find("l"), body(0));
    EXPECT_EQ(body(0), body(1));
    EXPECT_EQ(8, static_cast<Light *>(body(0))->strength());
}

TEST_F(BodyOptionsTest, LightsOptionGivesLaterVehiclesACarriedLight)
{
    handle_lights_option(false, false, 0);  // -l
    operand("v1");
    handle_lights_option(true, false, 0);   // +l
    operand("v1");
    ASSERT_EQ(3, count());  // the carried light follows its vehicle
    Vehicle *lit = vehicle(0);
    ASSERT_EQ(1, lit->light_count());
    Light *l = static_cast<Light *>(lit->light(0));
    EXPECT_EQ(l, body(1));
    EXPECT_TRUE(l->carried_by(lit));
    EXPECT_EQ(6, l->strength());
    EXPECT_NE(vehicle_light, l);
    EXPECT_EQ(0, vehicle(2)->light_count());
}

TEST_F(BodyOptionsTest, LightStrengthIsTheTemplatesWhenTheVehicleIsNamed)
{
    handle_lights_option(false, true, 3);  // -l3
    operand("v1");
    handle_lights_option(false, true, 9);  // -l9
    operand("v1");
    handle_lights_option(false, false, 0);  // -l keeps 9
    operand("v2a");
    const double expected[] = {3, 9, 9};
    int found = 0;
    for (Body *b : the_world->bodies()) {
        Vehicle *v = b->as_vehicle();
        if (!v)
            continue;
        ASSERT_EQ(1, v->light_count());
        EXPECT_EQ(expected[found], static_cast<Light *>(v->light(0))->strength());
        found++;
    }
    EXPECT_EQ(3, found);
}

TEST_F(BodyOptionsTest, WiringSettingsApplyToVehiclesNamedAfterThem)
{
    operand("v2a");
    set_left_logic(&e);  // -ll E
    operand("v2b");
    EXPECT_EQ(prototype("v2a")->logic(0), vehicle(0)->logic(0));
    EXPECT_EQ(&e, vehicle(1)->logic(0));
    EXPECT_EQ(prototype("v2b")->logic(1), vehicle(1)->logic(1));
    EXPECT_EQ(prototype("v2b")->logic(0), prototype("v2a")->logic(1));
}

TEST_F(BodyOptionsTest, CrossingRunsAfterTheWiringSettings)
{
    struct { bool cross; Logic *left, *right; Logic *expect0, *expect1; } cases[] = {
        // -x v2a behaves like v2b
        {true, nullptr, nullptr, prototype("v2b")->logic(0), prototype("v2b")->logic(1)},
        // -ll E -rl F -x v3a: F on actuator 0, E on actuator 1
        {true, &e, &f, &f, &e},
        // -x -ll E v3a: E on actuator 1
        {true, &e, nullptr, prototype("v3a")->logic(1), &e},
        {false, &e, &f, &e, &f},
    };
    const char *names[] = {"v2a", "v3a", "v3a", "v3a"};
    for (int i = 0; i < 4; i++) {
        handle_cross_option(!cases[i].cross);
        set_left_logic(cases[i].left);
        set_right_logic(cases[i].right);
        operand(names[i]);
        Vehicle *v = vehicle(count() - 1);
        EXPECT_EQ(cases[i].expect0, v->logic(0)) << i;
        EXPECT_EQ(cases[i].expect1, v->logic(1)) << i;
    }
}

TEST_F(BodyOptionsTest, SingleActuatorVehiclesIgnoreRightLogicAndCrossingAloud)
{
    set_left_logic(&e);
    EXPECT_EQ("", operand("v1p"));
    EXPECT_EQ(&e, vehicle(0)->logic(0));

    set_left_logic(nullptr);
    set_right_logic(&f);
    EXPECT_EQ("xtinkerbot: `v1' has only one actuator; -right-logic ignored\n",
              operand("v1"));
    EXPECT_EQ(prototype("v1")->logic(0), vehicle(1)->logic(0));

    set_right_logic(nullptr);
    handle_cross_option(false);
    set_left_logic(&e);
    EXPECT_EQ("xtinkerbot: `v1' has only one actuator; -cross-logic ignored\n",
              operand("v1"));
    EXPECT_EQ(&e, vehicle(2)->logic(0));
    EXPECT_EQ(1, vehicle(2)->actuator_count());
    ASSERT_EQ(3, count());
}

TEST_F(BodyOptionsTest, UnknownNamesAreReportedAndSkipped)
{
    EXPECT_EQ("xtinkerbot: no such body `foo'\n", operand("foo"));
    EXPECT_EQ("xtinkerbot: no such body `V1'\n", operand("V1"));
    EXPECT_EQ("xtinkerbot: no such body `'\n", operand(""));
    EXPECT_EQ(0, count());
    operand("v1");
    EXPECT_EQ(1, count());
}

}  // namespace
