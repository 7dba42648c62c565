// GoogleTest first: Xlib's macros (None, Bool, ...) break its headers.
#include <gtest/gtest.h>

#include "driver/events.hh"

#include <X11/keysym.h>

#include "display/view.hh"
#include "driver/window.hh"
#include "driver/world_move_alarm.hh"
#include "sim/world.hh"
#include "tests/driver/process_objects.hh"

namespace {

class CountingBody : public Body {
  public:
    void draw(View *) override { draws++; }
    void reset() override { resets++; }
    int draws = 0, resets = 0;
};

// Points the process-wide objects at a headless view, a world of one body
// and an alarm, and puts them back afterwards.
class EventsTest : public ::testing::Test {
  protected:
    EventsTest() : view(640, 520), alarm(&world, &view)
    {
        world.add_body(&body);
        objects.use(&world, &view, &alarm);
        quit_requested = false;
    }
    ~EventsTest() override
    {
        quit_requested = false;
    }
    void type(char c, unsigned state = 0)
    {
        handle_key(NoSymbol, &c, 1, state);
    }
    XEvent event_of(int type)
    {
        XEvent e = XEvent();
        e.type = type;
        e.xany.window = view.window();
        return e;
    }

    World world;
    View view;
    WorldMoveAlarm alarm;
    CountingBody body;
    ProcessObjects objects;  // last: it puts the previous objects back first
};

TEST_F(EventsTest, ArrowsPanByAThirdOrANinthWithControlAndRedraw)
{
    struct Case {
        KeySym key;
        unsigned state;
        double dx, dy;
    } cases[] = {
        {XK_Left, 0, -213.312, 0},
        {XK_Left, ControlMask, -71.104, 0},
        {XK_Right, 0, 213.312, 0},
        {XK_Up, 0, 0, 173.316},
        {XK_Down, ControlMask, 0, -57.772},
    };
    for (const Case &c : cases) {
        Point before = view.origin();
        int draws = body.draws;
        handle_key(c.key, "", 0, c.state);
        EXPECT_NEAR(view.origin().x - before.x, c.dx, 1e-9);
        EXPECT_NEAR(view.origin().y - before.y, c.dy, 1e-9);
        EXPECT_EQ(body.draws, draws + 1);
    }
}

TEST_F(EventsTest, EscapeTogglesPauseWithoutRedrawing)
{
    handle_key(XK_Escape, "\033", 1, 0);
    EXPECT_TRUE(alarm.paused());
    EXPECT_EQ(body.draws, 0);
    // Keys still act while paused.
    type('=');
    EXPECT_DOUBLE_EQ(view.scale_x(), 1.2);
    EXPECT_EQ(body.draws, 1);
    handle_key(XK_Escape, "\033", 1, 0);
    EXPECT_FALSE(alarm.paused());
}

TEST_F(EventsTest, ZoomKeysKeepTheCentreAndRedraw)
{
    type('-');
    EXPECT_DOUBLE_EQ(view.scale_x(), 1 / 1.2);
    EXPECT_DOUBLE_EQ(view.scale_y(), 1 / 1.2);
    type('=');
    EXPECT_NEAR(view.scale_x(), 1.0, 1e-12);
    EXPECT_NEAR(view.origin().x, -320, 1e-9);
    EXPECT_NEAR(view.origin().y, -260, 1e-9);
    EXPECT_EQ(body.draws, 2);
}

// Held down, '-' once underflowed the scale to 0 after some 3,900 presses,
// and nothing brought the picture back: both zoom keys stop at a bound,
// the centre stays put, and the other key works from there.
TEST_F(EventsTest, ZoomStopsAtItsBoundsBothWays)
{
    for (int i = 0; i < 5000; i++)
        type('-');
    double low = view.scale_x();
    EXPECT_GE(low, View::min_scale);
    EXPECT_LT(low / 1.2, View::min_scale);
    EXPECT_EQ(view.scale_y(), low);
    EXPECT_EQ(view.window_x(0), 320);
    EXPECT_EQ(view.window_y(0), 260);
    for (int i = 0; i < 500; i++)
        type('=');
    double high = view.scale_x();
    EXPECT_LE(high, View::max_scale);
    EXPECT_GT(high * 1.2, View::max_scale);
    EXPECT_EQ(view.window_x(0), 320);
    EXPECT_EQ(view.window_y(0), 260);
    EXPECT_EQ(view.window_x(10 / high), 330);
}

TEST_F(EventsTest, TrailsAndRestart)
{
    type('t');
    EXPECT_TRUE(view.trails());
    EXPECT_EQ(body.draws, 1);
    type('t');
    EXPECT_FALSE(view.trails());
    int resets = body.resets;
    type('r');
    EXPECT_GT(body.resets, resets);  // reset, then scatter resets again
    EXPECT_EQ(body.draws, 3);
}

TEST_F(EventsTest, SpeedKeysAndTheirShiftedTwins)
{
    struct Case {
        char key;
        int64_t usec;
    } cases[] = {{'>', 8000}, {'.', 8000}, {'<', 12500}, {',', 12500}};
    for (const Case &c : cases) {
        alarm.set_interval(Moment(0, 10000));
        type(c.key);
        EXPECT_EQ(alarm.interval(), Moment(0, c.usec)) << c.key;
    }
    EXPECT_EQ(body.draws, 0);
}

TEST_F(EventsTest, SpeedUpStopsAtOneMillisecond)
{
    for (int i = 0; i < 60; i++)
        type('>');
    EXPECT_EQ(alarm.interval(), Moment(0, 1072));
    EXPECT_EQ(alarm.steps_per_tick(), 1);
    type('<');
    EXPECT_EQ(alarm.interval(), Moment(0, 1340));
}

// Held down, '<' would grow the interval until its seconds no longer fit
// (and the alarm, already due ages away, would never bring the animation
// back): it stops at ten seconds, and '>' still works from there.
TEST_F(EventsTest, SlowDownStopsAtTenSeconds)
{
    for (int i = 0; i < 300; i++)
        type('<');
    Moment stop = alarm.interval();
    EXPECT_TRUE(stop <= WorldMoveAlarm::max_interval);
    EXPECT_TRUE(WorldMoveAlarm::max_interval < scaled(stop, 1.25));
    EXPECT_EQ(alarm.steps_per_tick(), (int) (stop.microseconds() / 2500));
    type('>');
    EXPECT_EQ(alarm.interval(), scaled(stop, 0.8));
}

TEST_F(EventsTest, QuitAndIgnoredKeys)
{
    Point origin = view.origin();
    const char *ignored[] = {"p", "s", "\017", "", "qq", "Q", "n"};
    for (const char *text : ignored) {
        int n = 0;
        while (text[n])
            n++;
        handle_key(NoSymbol, text, n, 0);
    }
    handle_key(XK_o, "\017", 1, ControlMask);  // Control+o
    EXPECT_FALSE(quit_requested);
    EXPECT_EQ(body.draws, 0);
    EXPECT_EQ(view.origin(), origin);
    EXPECT_EQ(alarm.interval(), Moment(0, 10000));
    type('q');
    EXPECT_TRUE(quit_requested);
}

TEST_F(EventsTest, ConfigureResizesAndRedraws)
{
    XEvent e = event_of(ConfigureNotify);
    e.xconfigure.width = 640;
    e.xconfigure.height = 600;
    handle_event(&e);
    EXPECT_EQ(view.height(), 600);
    EXPECT_DOUBLE_EQ(view.origin().y, -340);
    EXPECT_EQ(body.draws, 1);
    handle_event(&e);  // a move alone: same size, redraw anyway
    EXPECT_DOUBLE_EQ(view.origin().y, -340);
    EXPECT_EQ(body.draws, 2);
}

TEST_F(EventsTest, OnlyTheLastExposeOfASeriesRedraws)
{
    XEvent e = event_of(Expose);
    e.xexpose.count = 2;
    handle_event(&e);
    EXPECT_EQ(body.draws, 0);
    e.xexpose.count = 0;
    handle_event(&e);
    EXPECT_EQ(body.draws, 1);
}

TEST_F(EventsTest, EventsOfOtherWindowsAreIgnored)
{
    XEvent e = event_of(ConfigureNotify);
    e.xany.window = view.window() + 1;
    e.xconfigure.width = 100;
    e.xconfigure.height = 100;
    handle_event(&e);
    EXPECT_EQ(view.height(), 520);
    EXPECT_EQ(body.draws, 0);
}

TEST_F(EventsTest, DeleteRequestQuitsOtherClientMessagesDoNot)
{
    Atom saved = delete_window_atom;
    delete_window_atom = 77;
    XEvent e = event_of(ClientMessage);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 78;
    handle_event(&e);
    EXPECT_FALSE(quit_requested);
    e.xclient.data.l[0] = 77;
    handle_event(&e);
    EXPECT_TRUE(quit_requested);
    delete_window_atom = saved;
}

}  // namespace
