// -left-logic and -right-logic: the text is parsed at once, its messages
// carry the "<argument>" position, and the result (even null) is what the
// vehicles named afterwards receive.
#include <string>

#include <gtest/gtest.h>

#include "driver/body_options.hh"
#include "driver/catalogue.hh"
#include "driver/wiring_options.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/lang/lang_helpers.hh"

namespace {

class WiringOptionsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!the_catalogue)
            build_catalogue();
        if (!vehicle_light)
            create_vehicle_light();
        handle_lights_option(true, false, 0);
        handle_cross_option(true);
        set_left_logic(nullptr);
        set_right_logic(nullptr);
        the_world = new World;
    }

    // Runs the option and returns its messages.
    static std::string option(int id, const char *text)
    {
        MessageCapture capture;
        handle_logic_option(id, text);
        return capture.text();
    }
    static Vehicle *add(const char *name)
    {
        handle_operand(name);
        return the_world->bodies().back()->as_vehicle();
    }
    static Vehicle *prototype(const char *name)
    {
        return the_catalogue->find(PermString(name))->as_vehicle();
    }
    // Wiring i of v on the readings (left, right).
    static double drive(Vehicle *v, int i, double left, double right)
    {
        Vector<double> values;
        values.push_back(left);
        values.push_back(right);
        return v->logic(i)->eval(values, v);
    }
};

TEST_F(WiringOptionsTest, ParsesWithArgumentPositions)
{
    MessageCapture capture;
    // The test owns the trees it parses directly.
    auto parsed = [](const char *text) {
        Logic *tree = parse_wiring(text);
        std::string printed = tree_text(tree);
        delete_tree(tree);
        return printed;
    };
    EXPECT_EQ("(left * 2)", parsed("left*2"));
    EXPECT_EQ("left", parsed("(left"));
    EXPECT_EQ("null", parsed("*"));
    EXPECT_EQ("null", parsed(""));
    EXPECT_EQ("<argument>:1:expected `)', found `(null)'\n"
              "<argument>:1:`*' can't be used as a prefix operator\n",
              capture.text());
}

TEST_F(WiringOptionsTest, LeftLogicDrivesActuatorZero)
{
    EXPECT_EQ("", option(308, "left*2"));
    Vehicle *v = add("v2a");
    ASSERT_NE(nullptr, v);
    EXPECT_EQ("(left * 2)", tree_text(v->logic(0)));
    EXPECT_DOUBLE_EQ(0.6, drive(v, 0, 0.3, 0.9));
    EXPECT_EQ(prototype("v2a")->logic(1), v->logic(1));
}

TEST_F(WiringOptionsTest, RightLogicDrivesActuatorOne)
{
    EXPECT_EQ("", option(309, "flip right"));
    Vehicle *v = add("v2b");
    EXPECT_EQ("(flip right)", tree_text(v->logic(1)));
    EXPECT_DOUBLE_EQ(0.25, drive(v, 1, 0, 0.75));
    EXPECT_EQ(prototype("v2b")->logic(0), v->logic(0));
}

TEST_F(WiringOptionsTest, BrokenTextsStoreWhatTheyYield)
{
    EXPECT_EQ("<argument>:1:expected `)', found `(null)'\n", option(308, "(left"));
    Vehicle *a = add("v2a");
    EXPECT_EQ("left", tree_text(a->logic(0)));

    // "*" yields null, which cancels the earlier text: the catalogue wiring
    // stays.
    EXPECT_EQ("<argument>:1:`*' can't be used as a prefix operator\n", option(308, "*"));
    Vehicle *b = add("v2a");
    EXPECT_EQ(prototype("v2a")->logic(0), b->logic(0));
}

TEST_F(WiringOptionsTest, LaterTextsReplaceEarlierOnes)
{
    option(308, "left + 1");
    option(308, "left + 2");
    Vehicle *a = add("v3a");
    EXPECT_EQ("(left + 2)", tree_text(a->logic(0)));
    option(308, "left + 3");
    Vehicle *b = add("v3a");
    Vehicle *c = add("v3b");
    EXPECT_EQ("(left + 2)", tree_text(a->logic(0)));
    EXPECT_EQ("(left + 3)", tree_text(b->logic(0)));
    EXPECT_EQ(b->logic(0), c->logic(0));  // one tree, shared
}

TEST_F(WiringOptionsTest, TextNestedTooDeeplyIsReportedNotFatal)
{
    std::string text(128 * 1024 - 1, '(');
    EXPECT_EQ("<argument>:1:expression nested too deeply\n", option(308, text.c_str()));
    Vehicle *v = add("v2a");
    EXPECT_EQ(prototype("v2a")->logic(0), v->logic(0));
}

}  // namespace
