#include <cmath>

#include <gtest/gtest.h>

#include "display/palette.hh"
#include "display/view.hh"
#include "driver/catalogue.hh"
#include "lang/operator.hh"
#include "sim/actuator.hh"
#include "sim/expr.hh"
#include "sim/light.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!the_catalogue)
            build_catalogue();
    }
    static Vehicle *vehicle(const char *name)
    {
        Body *b = the_catalogue->find(name);
        return b ? b->as_vehicle() : nullptr;
    }
    static Light *light(const char *name)
    {
        return dynamic_cast<Light *>(the_catalogue->find(name));
    }
    static void expect_colour(int r, int g, int b, const Vehicle *v)
    {
        int cr, cg, cb;
        ASSERT_TRUE(Palette::colour_components(v->colour(), cr, cg, cb));
        EXPECT_EQ(r, cr);
        EXPECT_EQ(g, cg);
        EXPECT_EQ(b, cb);
    }
    // The sensor a wiring of the form flip(reading) * 0.3 reads, or -1.
    static int inhibitory_sensor(Logic *l)
    {
        BinaryExpr *times = l->as_binary();
        if (!times || times->op() != '*')
            return -1;
        auto *k = dynamic_cast<ConstExpr *>(times->right());
        auto *flip = dynamic_cast<UnaryExpr *>(times->left());
        if (!k || k->value() != 0.3 || !flip || flip->op() != opFlip)
            return -1;
        auto *reading = dynamic_cast<LinearLogic *>(flip->operand());
        if (!reading || reading->offset() != 0 || reading->gain() != 1)
            return -1;
        return reading->sensor();
    }
    // The sensor a plain reading wiring reads, or -1.
    static int excitatory_sensor(Logic *l)
    {
        auto *reading = dynamic_cast<LinearLogic *>(l);
        if (!reading || reading->offset() != 0 || reading->gain() != 1)
            return -1;
        return reading->sensor();
    }
};

TEST_F(CatalogueTest, HoldsTenVehiclesAndFourLights)
{
    const char *vehicles[] = {"v1", "v1p", "v2a", "v2b", "v3a", "v3b",
                              "v2ap", "v2bp", "v3ap", "v3bp"};
    const char *lights[] = {"l", "timel", "l2a", "l2b"};
    EXPECT_EQ(14, the_catalogue->size());
    for (const char *n : vehicles) {
        Vehicle *v = vehicle(n);
        ASSERT_NE(nullptr, v) << n;
        EXPECT_EQ(20, v->length());
        EXPECT_EQ(12, v->width());
        EXPECT_EQ(nullptr, v->world()) << n;
    }
    for (const char *n : lights) {
        Light *l = light(n);
        ASSERT_NE(nullptr, l) << n;
        EXPECT_EQ(1, l->kind());
        EXPECT_EQ(nullptr, l->carrier());
        EXPECT_DOUBLE_EQ(2 * M_PI, l->arc_width());
    }
}

TEST_F(CatalogueTest, NamesMatchExactly)
{
    EXPECT_EQ(nullptr, the_catalogue->find("v3"));
    EXPECT_EQ(nullptr, the_catalogue->find("V1"));
    EXPECT_EQ(nullptr, the_catalogue->find(""));
    EXPECT_EQ(nullptr, the_catalogue->find("v1 "));
}

TEST_F(CatalogueTest, V3bpIsOrangeWithNarrowFieldsAndCrossedInhibition)
{
    Vehicle *v = vehicle("v3bp");
    expect_colour(255, 128, 0, v);
    ASSERT_EQ(2, v->sensor_count());
    ASSERT_EQ(2, v->actuator_count());
    EXPECT_EQ(PermString("left"), v->sensor(0)->name());
    EXPECT_DOUBLE_EQ(-3 * M_PI / 4, v->sensor(0)->min_angle());
    EXPECT_DOUBLE_EQ(M_PI / 2, v->sensor(0)->max_angle());
    EXPECT_EQ(PermString("right"), v->sensor(1)->name());
    EXPECT_DOUBLE_EQ(-M_PI / 2, v->sensor(1)->min_angle());
    EXPECT_DOUBLE_EQ(3 * M_PI / 4, v->sensor(1)->max_angle());
    EXPECT_EQ(1, inhibitory_sensor(v->logic(0)));  // E1
    EXPECT_EQ(0, inhibitory_sensor(v->logic(1)));  // E0
}

TEST_F(CatalogueTest, FamiliesDifferInWiringAndColour)
{
    struct { const char *name; int w0, w1; bool inhibitory; int r, g, b; } cases[] = {
        {"v2a", 0, 1, false, 255, 0, 0},   {"v2b", 1, 0, false, 0, 0, 255},
        {"v3a", 0, 1, true, 0, 255, 0},    {"v3b", 1, 0, true, 255, 128, 0},
        {"v2ap", 0, 1, false, 255, 0, 0},  {"v2bp", 1, 0, false, 0, 0, 255},
        {"v3ap", 0, 1, true, 0, 255, 0},   {"v3bp", 1, 0, true, 255, 128, 0},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        Vehicle *v = vehicle(c.name);
        auto reads = c.inhibitory ? inhibitory_sensor : excitatory_sensor;
        EXPECT_EQ(c.w0, reads(v->logic(0)));
        EXPECT_EQ(c.w1, reads(v->logic(1)));
        expect_colour(c.r, c.g, c.b, v);
        // Actuator 0 ("left") sits at negative y, like sensor 0.
        EXPECT_EQ(Point(-10, -10), v->actuator(0)->mount());
        EXPECT_EQ(Point(-10, 10), v->actuator(1)->mount());
        EXPECT_EQ(Point(10, -6), v->sensor(0)->mount());
        EXPECT_EQ(Point(10, 6), v->sensor(1)->mount());
    }
}

TEST_F(CatalogueTest, PartsAndWiringTreesAreShared)
{
    const char *wide[] = {"v2a", "v2b", "v3a", "v3b"};
    const char *narrow[] = {"v2ap", "v2bp", "v3ap", "v3bp"};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(vehicle("v2a")->sensor(0), vehicle(wide[i])->sensor(0));
        EXPECT_EQ(vehicle("v2a")->sensor(1), vehicle(wide[i])->sensor(1));
        EXPECT_EQ(vehicle("v2ap")->sensor(0), vehicle(narrow[i])->sensor(0));
        EXPECT_EQ(vehicle("v2ap")->sensor(1), vehicle(narrow[i])->sensor(1));
        EXPECT_EQ(vehicle("v2a")->actuator(0), vehicle(narrow[i])->actuator(0));
        EXPECT_EQ(vehicle("v2a")->actuator(1), vehicle(narrow[i])->actuator(1));
        EXPECT_EQ(vehicle(wide[i])->logic(0), vehicle(narrow[i])->logic(0));
        EXPECT_EQ(vehicle(wide[i])->logic(1), vehicle(narrow[i])->logic(1));
    }
    EXPECT_NE(vehicle("v2a")->sensor(0), vehicle("v2ap")->sensor(0));
    EXPECT_EQ(vehicle("v2a")->logic(0), vehicle("v2b")->logic(1));
    EXPECT_EQ(vehicle("v3a")->logic(1), vehicle("v3b")->logic(0));

    Vehicle *v1 = vehicle("v1"), *v1p = vehicle("v1p");
    EXPECT_EQ(1, v1->sensor_count());
    EXPECT_EQ(1, v1->actuator_count());
    EXPECT_EQ(1, v1p->sensor_count());
    EXPECT_EQ(1, v1p->actuator_count());
    EXPECT_EQ(v1->actuator(0), v1p->actuator(0));
    EXPECT_NE(v1->sensor(0), v1p->sensor(0));
    EXPECT_NE(v1->logic(0), v1p->logic(0));
    EXPECT_EQ(0, excitatory_sensor(v1p->logic(0)));
    EXPECT_DOUBLE_EQ(-M_PI / 2, v1p->sensor(0)->min_angle());
    EXPECT_EQ(PermString("middle"), v1->sensor(0)->name());
}

TEST_F(CatalogueTest, ClonesAreIndependentOfTheirPrototype)
{
    Vehicle *proto = vehicle("v2a");
    Logic *before = proto->logic(0);
    Vehicle *c = proto->clone();
    c->set_logic(0, proto->logic(1));
    c->set_colour(1, 2, 3);
    EXPECT_EQ(before, proto->logic(0));
    expect_colour(255, 0, 0, proto);
    World &w = lasting_world();
    w.add_body(c);
    EXPECT_EQ(nullptr, proto->world());
}

TEST_F(CatalogueTest, LightsAreDistinctAndPlaced)
{
    struct { const char *name; Point at; double strength; } cases[] = {
        {"l", {0, 0}, 8}, {"timel", {0, 0}, 8}, {"l2a", {-250, 0}, 10}, {"l2b", {250, 0}, 10},
    };
    for (auto c : cases) {
        Light *l = light(c.name);
        EXPECT_EQ(c.at, l->position()) << c.name;
        EXPECT_EQ(c.strength, l->nominal_strength()) << c.name;
    }
    EXPECT_NE(light("l"), light("timel"));
    EXPECT_NE(light("l2a"), light("l2b"));
    auto *timel = dynamic_cast<TimedLight *>(light("timel"));
    ASSERT_NE(nullptr, timel);
    EXPECT_EQ(320, timel->period());
    EXPECT_EQ(nullptr, dynamic_cast<TimedLight *>(light("l")));
}

TEST_F(CatalogueTest, TimelStartsDarkAndLightsUpAtTheFirstScatter)
{
    TimedLight *timel = dynamic_cast<TimedLight *>(light("timel"))->clone();
    World &w = lasting_world();
    View view(640, 520);
    w.add_body(timel);
    EXPECT_EQ(0, timel->strength());
    w.scatter(true, false, &view);
    EXPECT_EQ(8, timel->strength());
}

// Behaviour in a world stepped as the program does it.
class BehaviourTest : public CatalogueTest {
  protected:
    World &world = lasting_world();
    Vehicle *put(const char *name, Point at, double heading)
    {
        Vehicle *v = vehicle(name)->clone();
        v->place(at, heading);
        world.add_body(v);
        return v;
    }
    void run(int steps)
    {
        for (int i = 0; i < steps; i++) {
            world.step();
            world.collide_pairs();
        }
    }
};

TEST_F(BehaviourTest, InTheDarkV3aCruisesAndV2aStays)
{
    Vehicle *v3a = put("v3a", Point(0, 0), 0);
    Vehicle *v2a = put("v2a", Point(0, 100), 0);
    world.reset();
    run(3);
    EXPECT_DOUBLE_EQ(0.6, v3a->force_total());  // 0.3 on both motors
    EXPECT_GT(v3a->x(), 0);
    EXPECT_EQ(0, v3a->heading());
    EXPECT_EQ(0, v2a->force_total());
    EXPECT_EQ(Point(0, 100), v2a->position());
}

// Start beside the light ("l" at the origin), heading across it.
TEST_F(BehaviourTest, V2bClosesInOnALightAndV2aShiesAway)
{
    for (const char *name : {"v2b", "v2a"}) {
        World &w = lasting_world();
        Vehicle *v = vehicle(name)->clone();
        v->place(Point(80, 0), M_PI / 2);
        w.add_body(v);
        w.add_body(the_catalogue->find("l"));
        w.reset();
        for (int i = 0; i < 300; i++)
            w.step();
        double d = ::length(v->position());
        if (std::string(name) == "v2b")
            EXPECT_LT(d, 60) << name;
        else
            EXPECT_GT(d, 90) << name;
    }
}

TEST_F(BehaviourTest, V3aSlowsDownNearALightWhereV3bKeepsGoing)
{
    Vehicle *v3a = put("v3a", Point(80, 0), M_PI / 2);
    world.add_body(the_catalogue->find("l"));
    world.reset();
    double top_speed = 0, slowest_after_top = 1e9, farthest = 0;
    for (int i = 0; i < 800; i++) {
        run(1);
        double speed = ::length(v3a->velocity());
        if (speed > top_speed) {
            top_speed = speed;
            slowest_after_top = speed;
        }
        slowest_after_top = std::fmin(slowest_after_top, speed);
        farthest = std::fmax(farthest, ::length(v3a->position()));
    }
    EXPECT_GT(top_speed, 1);
    EXPECT_LT(slowest_after_top, 0.5 * top_speed);
    EXPECT_LT(farthest, 120);  // it stays by the light

    World &other = lasting_world();
    Vehicle *v3b = vehicle("v3b")->clone();
    v3b->place(Point(80, 0), M_PI / 2);
    other.add_body(v3b);
    other.add_body(the_catalogue->find("l"));
    other.reset();
    double previous = 0;
    for (int i = 0; i < 8; i++) {
        Point from = v3b->position();
        for (int j = 0; j < 100; j++)
            other.step();
        double covered = ::length(v3b->position() - from);
        EXPECT_GT(covered, previous) << "hundred steps #" << i;
        previous = covered;
    }
    EXPECT_GT(::length(v3b->position()), 400);
}

}  // namespace
