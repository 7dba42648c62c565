// GoogleTest first: Xlib's macros (None, Bool, ...) break its headers.
#include <gtest/gtest.h>

#include "driver/drag.hh"

#include <X11/keysym.h>

#include <climits>
#include <cmath>

#include "display/view.hh"
#include "driver/events.hh"
#include "driver/window.hh"
#include "driver/world_move_alarm.hh"
#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/driver/process_objects.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

class CountingBody : public Body {
  public:
    void draw(View *) override { draws++; }
    int draws = 0;
};

// A vehicle at the origin carrying a light, a free light at (200, 100)
// and a body that counts the redraws, on a headless 640 x 520 view: the
// process-wide objects point at them during each test.
class DragTest : public ::testing::Test {
  protected:
    DragTest() : view(640, 520), alarm(&world, &view)
    {
        Light carried(Point(0, 0), 1, -M_PI, M_PI, 6);
        vehicle->add_light(&carried);
        world.add_body(vehicle);
        world.add_body(light);
        world.add_body(&counter);
        world.reset();
        vehicle->place(Point(0, 0), 1.0);
        world.step();
        objects.use(&world, &view, &alarm);
    }
    ~DragTest() override
    {
        the_drag.cancel();
        quit_requested = false;
    }

    void send(int type, int x, int y, unsigned button_or_state)
    {
        XEvent e = XEvent();
        e.type = type;
        e.xany.window = view.window();
        if (type == MotionNotify) {
            e.xmotion.x = x;
            e.xmotion.y = y;
            e.xmotion.state = button_or_state;
        } else {
            e.xbutton.x = x;
            e.xbutton.y = y;
            e.xbutton.button = button_or_state;
        }
        handle_event(&e);
    }
    void press(int x, int y, unsigned button = Button1) { send(ButtonPress, x, y, button); }
    void release(int x, int y, unsigned button = Button1) { send(ButtonRelease, x, y, button); }
    void drag_to(int x, int y) { send(MotionNotify, x, y, Button1Mask); }
    int pixel_x(Point p) const { return view.window_x(p.x); }
    int pixel_y(Point p) const { return view.window_y(p.y); }

    World world;
    View view;
    WorldMoveAlarm alarm;
    Vehicle *vehicle = keep(new Vehicle(20, 12));
    Light *light = keep(new Light(Point(200, 100), 1, -M_PI, M_PI, 8));
    CountingBody counter;
    ProcessObjects objects;  // last: it puts the previous objects back first
};

TEST_F(DragTest, AVehicleFollowsThePointerWithItsLightAndIsDroppedAtRest)
{
    view.zoom(2);
    vehicle->set_velocity(Point(3, 1));
    Point start = vehicle->position();
    int x = pixel_x(start), y = pixel_y(start);
    press(x, y);
    EXPECT_EQ(world.held(), vehicle);
    EXPECT_EQ(vehicle->velocity(), Point(0, 0));
    // 2 pixels per unit: 100 pixels right and 50 down is (50, -25).
    drag_to(x + 100, y + 50);
    EXPECT_NEAR(vehicle->x(), start.x + 50, 1e-9);
    EXPECT_NEAR(vehicle->y(), start.y - 25, 1e-9);
    EXPECT_EQ(vehicle->light(0)->position(), vehicle->position());
    EXPECT_EQ(vehicle->heading(), 1.0);
    // Held, it does not move by itself.
    world.step();
    world.step();
    EXPECT_NEAR(vehicle->x(), start.x + 50, 1e-9);

    release(x - 20, y);
    EXPECT_NEAR(vehicle->x(), start.x - 10, 1e-9);
    EXPECT_NEAR(vehicle->y(), start.y, 1e-9);
    EXPECT_EQ(world.held(), nullptr);
    EXPECT_EQ(vehicle->velocity(), Point(0, 0));
    EXPECT_EQ(vehicle->spin(), 0);
    EXPECT_EQ(vehicle->heading(), 1.0);
    EXPECT_EQ(the_drag.kind(), Drag::nothing);
}

TEST_F(DragTest, ALightIsCarriedAndThePictureRedrawsOnlyWhilePaused)
{
    int x = pixel_x(light->position()), y = pixel_y(light->position());
    press(x, y);
    EXPECT_EQ(world.held(), light);
    drag_to(x + 1, y);
    EXPECT_EQ(counter.draws, 0);  // running: the next frame shows it
    alarm.toggle_paused();
    drag_to(x + 30, y - 40);
    EXPECT_EQ(counter.draws, 1);
    release(x + 30, y - 40);
    EXPECT_EQ(counter.draws, 2);
    EXPECT_NEAR(light->x(), 230, 1e-9);
    EXPECT_NEAR(light->y(), 140, 1e-9);
    // Restart leaves the light where it was dropped.
    handle_key(NoSymbol, "r", 1, 0);
    EXPECT_NEAR(light->x(), 230, 1e-9);
}

TEST_F(DragTest, EmptySpaceDragsTheViewAndTheWheelZoomsAboutThePointer)
{
    Point grabbed = view.world_at(100, 400);
    press(100, 400);
    EXPECT_EQ(the_drag.kind(), Drag::view);
    EXPECT_EQ(world.held(), nullptr);
    drag_to(180, 350);
    EXPECT_NEAR(view.world_at(180, 350).x, grabbed.x, 1e-9);
    EXPECT_NEAR(view.world_at(180, 350).y, grabbed.y, 1e-9);
    EXPECT_NEAR(view.origin().x, -320 - 80, 1e-9);
    release(180, 350);
    Point origin = view.origin();
    drag_to(0, 0);  // no longer held
    EXPECT_EQ(view.origin(), origin);

    int draws = counter.draws;
    Point under = view.world_at(70, 260);
    press(70, 260, Button4);
    EXPECT_DOUBLE_EQ(view.scale_x(), 1.2);
    press(70, 260, Button4);
    EXPECT_NEAR(view.world_at(70, 260).x, under.x, 1e-9);
    EXPECT_NEAR(view.world_at(70, 260).y, under.y, 1e-9);
    press(70, 260, Button5);
    EXPECT_DOUBLE_EQ(view.scale_x(), 1.2 * 1.2 / 1.2);
    EXPECT_EQ(counter.draws, draws + 3);
    EXPECT_EQ(the_drag.kind(), Drag::nothing);  // wheel presses hold nothing
}

// Input that makes no sense must leave nothing stuck.
TEST_F(DragTest, StrayAndAbsurdPointerEventsLeaveNothingHeld)
{
    Point origin = view.origin();
    release(5, 5);
    drag_to(5, 5);
    press(5, 5, Button2);
    press(5, 5, Button3);
    release(5, 5, Button3);
    EXPECT_EQ(view.origin(), origin);
    EXPECT_EQ(the_drag.kind(), Drag::nothing);

    // Far outside the window: the view goes there and stays finite.
    press(INT_MAX, INT_MIN);
    drag_to(INT_MIN, INT_MAX);
    release(INT_MIN, INT_MAX);
    EXPECT_TRUE(std::isfinite(view.origin().x) && std::isfinite(view.origin().y));
    handle_key(XK_End, "", 0, 0);
    EXPECT_EQ(view.origin(), origin);

    // A release that never comes: the next motion without the button drops.
    int x = pixel_x(light->position()), y = pixel_y(light->position());
    press(x, y);
    send(MotionNotify, x + 10, y, 0);
    EXPECT_EQ(world.held(), nullptr);
    EXPECT_NEAR(light->x(), 210, 1e-9);

    // 'r' in the middle of a drag lets go; the rest of the drag does nothing.
    press(pixel_x(vehicle->position()), pixel_y(vehicle->position()));
    EXPECT_EQ(world.held(), vehicle);
    handle_key(NoSymbol, "r", 1, 0);
    EXPECT_EQ(world.held(), nullptr);
    Point scattered = vehicle->position();
    drag_to(600, 10);
    release(600, 10);
    EXPECT_EQ(vehicle->position(), scattered);

    // Events of another window are not the pointer's.
    XEvent e = XEvent();
    e.type = ButtonPress;
    e.xany.window = view.window() + 1;
    e.xbutton.button = Button4;
    handle_event(&e);
    EXPECT_EQ(view.scale_x(), 1.0);
}

TEST_F(DragTest, HomeShowsEveryBodyEndGoesBackAndQuestionMarkTogglesThePanel)
{
    vehicle->place(Point(5000, -3000), 0);
    light->move_to(Point(-2000, 800));
    world.step();
    handle_key(XK_Home, "", 0, 0);
    for (Body *b : {(Body *) vehicle, (Body *) light}) {
        EXPECT_GE(pixel_x(b->position()), 0);
        EXPECT_LT(pixel_x(b->position()), 640);
        EXPECT_GE(pixel_y(b->position()), 0);
        EXPECT_LT(pixel_y(b->position()), 520);
    }
    EXPECT_LT(view.scale_x(), 0.1);
    EXPECT_EQ(counter.draws, 1);
    handle_key(XK_End, "", 0, 0);
    EXPECT_EQ(view.origin(), Point(-320, -260));
    EXPECT_EQ(view.scale_x(), 1.0);
    EXPECT_EQ(counter.draws, 2);

    handle_key(XK_question, "?", 1, ShiftMask);
    EXPECT_TRUE(view.overlay_shown());
    EXPECT_EQ(counter.draws, 3);
    handle_key(XK_question, "?", 1, ShiftMask);
    EXPECT_FALSE(view.overlay_shown());
}

// During a long firing the program handles some events between its steps:
// those of the pointer only while they leave the world alone.
TEST_F(DragTest, OnlyPointerEventsThatLeaveTheWorldAloneActBetweenSteps)
{
    auto between = [&](int type, int x, int y, unsigned button_or_state) {
        XEvent e = XEvent();
        e.type = type;
        e.xany.window = view.window();
        e.xbutton.x = x;
        e.xbutton.y = y;
        if (type == MotionNotify)
            e.xmotion.state = button_or_state;
        else
            e.xbutton.button = button_or_state;
        return acts_between_steps(&e);
    };
    int x = pixel_x(light->position()), y = pixel_y(light->position());
    EXPECT_TRUE(between(ButtonPress, 5, 5, Button1));   // empty space: pan
    EXPECT_TRUE(between(ButtonPress, x, y, Button4));   // the wheel zooms
    EXPECT_FALSE(between(ButtonPress, x, y, Button1));  // picks the light up
    press(5, 5);
    EXPECT_TRUE(between(MotionNotify, 50, 50, Button1Mask));
    EXPECT_TRUE(between(ButtonRelease, 50, 50, Button1));
    release(5, 5);
    press(x, y);
    EXPECT_FALSE(between(MotionNotify, 50, 50, Button1Mask));
    EXPECT_FALSE(between(ButtonRelease, 50, 50, Button1));
    EXPECT_FALSE(between(ButtonPress, 5, 5, Button1));  // would drop it
    EXPECT_TRUE(between(ButtonPress, 5, 5, Button5));
    release(x, y);
    EXPECT_TRUE(between(MotionNotify, 50, 50, 0));
}

}  // namespace
