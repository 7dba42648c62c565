// Bodies draw through the five operations of a View; a recording view
// stands in for the window.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "display/view.hh"
#include "sim/actuator.hh"
#include "sim/light.hh"
#include "sim/logic.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

struct Call {
    const char *op;
    int colour;
    std::vector<Point> points;
    double radius = 0, start = 0, end = 0;
    bool closed = false;
};

class RecordingView : public View {
  public:
    RecordingView() : View(640, 520) {}
    std::vector<Call> calls;

    void draw_line(int c, Point a, Point b) override
    {
        calls.push_back({"draw_line", c, {a, b}});
    }
    void draw_lines(int c, int n, const Point *p, bool closed) override
    {
        Call call{"draw_lines", c, std::vector<Point>(p, p + n)};
        call.closed = closed;
        calls.push_back(call);
    }
    void draw_circle(int c, Point centre, double r, double s, double e) override
    {
        calls.push_back({"draw_circle", c, {centre}, r, s, e});
    }
    void fill_polygon(int c, int n, const Point *p) override
    {
        calls.push_back({"fill_polygon", c, std::vector<Point>(p, p + n)});
    }
    void fill_circle(int c, Point centre, double r, double s, double e) override
    {
        calls.push_back({"fill_circle", c, {centre}, r, s, e});
    }
};

void expect_point(Point expected, Point actual)
{
    EXPECT_NEAR(expected.x, actual.x, 1e-9);
    EXPECT_NEAR(expected.y, actual.y, 1e-9);
}

// Draws a line from its sensor to its actuator, like a real wiring.
class Wire : public Logic {
  public:
    void draw(const Vehicle *v, int i, View *view) const override
    {
        view->draw_line(v->colour(), v->sensor_position(0), v->actuator_position(i));
    }
};

TEST(DrawTest, SensorDrawsItsFieldAsAWedge)
{
    Sensor s(Point(10, 0), 1, "eye", -M_PI / 2, M_PI / 4);
    Vehicle v(20, 12);
    v.place(Point(1, 2), M_PI / 2);
    RecordingView view;
    s.draw(&v, &view);
    ASSERT_EQ(3u, view.calls.size());
    Point at(1, 12);
    EXPECT_STREQ("draw_lines", view.calls[0].op);
    EXPECT_FALSE(view.calls[0].closed);
    ASSERT_EQ(2u, view.calls[0].points.size());
    expect_point(at, view.calls[0].points[0]);
    expect_point(Point(6, 12), view.calls[0].points[1]);  // edge at heading 0
    expect_point(at + rotate_polar(Point(5, 0), 3 * M_PI / 4), view.calls[1].points[1]);
    EXPECT_STREQ("draw_circle", view.calls[2].op);
    expect_point(at, view.calls[2].points[0]);
    EXPECT_EQ(5, view.calls[2].radius);
    EXPECT_DOUBLE_EQ(0, view.calls[2].start);
    EXPECT_DOUBLE_EQ(3 * M_PI / 4, view.calls[2].end);
    for (const Call &c : view.calls)
        EXPECT_EQ(v.colour(), c.colour);
}

TEST(DrawTest, ActuatorDrawsAnEightByFiveBlockOnItsMount)
{
    Actuator a(Point(-10, 0), 1);
    Vehicle v(20, 12);
    RecordingView view;
    a.draw(&v, &view);
    ASSERT_EQ(1u, view.calls.size());
    const Call &c = view.calls[0];
    EXPECT_STREQ("fill_polygon", c.op);
    ASSERT_EQ(4u, c.points.size());
    expect_point(Point(-14, -2.5), c.points[0]);
    expect_point(Point(-6, -2.5), c.points[1]);
    expect_point(Point(-6, 2.5), c.points[2]);
    expect_point(Point(-14, 2.5), c.points[3]);
}

TEST(DrawTest, VehicleDrawsTrailSensorsBodyWiringThenMotors)
{
    World &w = lasting_world();
    Sensor s(Point(10, 0), 1, "eye", -M_PI, M_PI);
    Actuator a(Point(-10, 0), 1);
    Vehicle *v = new Vehicle(20, 12);
    v->add_sensor(&s);
    v->add_actuator(&a, new Wire);
    w.add_body(v);
    v->record_trail();
    v->place(Point(1, 0), 0);
    v->record_trail();
    v->place(Point(2, 0), 0);

    RecordingView view;
    v->draw(&view);
    std::vector<const char *> without_trails;
    for (const Call &c : view.calls)
        without_trails.push_back(c.op);
    EXPECT_EQ(7u, without_trails.size());

    view.calls.clear();
    view.set_trails(true);
    v->draw(&view);
    const char *expected[] = {
        "draw_line", "draw_line",                           // trail, joined to the vehicle
        "draw_lines", "draw_lines", "draw_circle",          // sensor
        "fill_polygon", "draw_lines",                       // body
        "draw_line",                                        // wiring
        "fill_polygon",                                     // motor
    };
    ASSERT_EQ(9u, view.calls.size());
    for (int i = 0; i < 9; i++)
        EXPECT_STREQ(expected[i], view.calls[i].op) << i;
    expect_point(Point(1, 0), view.calls[1].points[0]);
    expect_point(Point(2, 0), view.calls[1].points[1]);

    const Call &fill = view.calls[5], &outline = view.calls[6];
    EXPECT_EQ(0, fill.colour);  // background, hiding what lies under the body
    EXPECT_EQ(v->colour(), outline.colour);
    EXPECT_TRUE(outline.closed);
    ASSERT_EQ(4u, outline.points.size());
    expect_point(Point(-8, -6), outline.points[0]);
    expect_point(Point(-8, 6), outline.points[1]);
    expect_point(Point(12, 6), outline.points[2]);
    expect_point(Point(12, -6), outline.points[3]);
}

TEST(DrawTest, LightsShowDiscAndRingsByStrengthAndCarrier)
{
    Vehicle carrier(20, 12);
    Light free_light(Point(3, 4), 1, -M_PI, M_PI, 8);
    Light carried(&carrier, 1, -M_PI, M_PI, 6);
    TimedLight dark(Point(0, 0), 1, 10, -M_PI, M_PI, 8);
    struct { Light *light; std::vector<const char *> ops; std::vector<double> radii; } cases[] = {
        {&free_light, {"fill_circle", "draw_circle", "draw_circle"}, {8, 13, 10}},
        {&carried, {"fill_circle", "draw_circle"}, {6, 8}},
        {&dark, {"draw_circle"}, {2}},
    };
    for (auto &c : cases) {
        RecordingView view;
        c.light->draw(&view);
        ASSERT_EQ(c.ops.size(), view.calls.size());
        for (size_t i = 0; i < c.ops.size(); i++) {
            EXPECT_STREQ(c.ops[i], view.calls[i].op);
            EXPECT_EQ(c.radii[i], view.calls[i].radius);
            EXPECT_EQ(c.light->colour(), view.calls[i].colour);
            EXPECT_EQ(c.light->position(), view.calls[i].points[0]);
            EXPECT_DOUBLE_EQ(-M_PI, view.calls[i].start);
            EXPECT_DOUBLE_EQ(M_PI, view.calls[i].end);
        }
    }
}

TEST(DrawTest, WorldDrawsEveryBodyInWorldOrder)
{
    World &w = lasting_world();
    Light *l = new Light(Point(0, 0), 1, -M_PI, M_PI, 8);
    w.add_body(l);
    w.add_body(new Vehicle(20, 12));
    View headless(640, 520);
    w.scatter(true, false, &headless);
    RecordingView view;
    w.draw(&view);
    ASSERT_EQ(5u, view.calls.size());
    EXPECT_STREQ("fill_polygon", view.calls[0].op);  // the vehicle first
    EXPECT_STREQ("fill_circle", view.calls[2].op);   // then the light on top
}

}  // namespace
