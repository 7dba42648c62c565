// Key presses are matched first by keysym (arrows, Home, End, Escape), then
// by the one byte of text they produce, through key_table below.  Keys work
// while the animation is paused, so the view can still be moved and
// redrawn.  Button 1 drags (driver/drag.cc); the wheel zooms about the
// pointer.
#include "driver/events.hh"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "display/eps.hh"
#include "display/view.hh"
#include "driver/drag.hh"
#include "driver/hit_test.hh"
#include "driver/window.hh"
#include "driver/world_move_alarm.hh"
#include "sim/world.hh"

Atom delete_window_atom = None;

namespace {

const double pan_step = 0.3333;       // of the window size
const double fine_pan_step = 0.1111;  // with Control held
const double zoom_in = 1.2;
const double faster = 0.8;            // interval factors
const double slower = 1.25;
const double fit_margin = 0.05;       // of the window size, on every side

void redraw()
{
    the_world->draw(the_view);
}

void write_picture() { write_eps(the_world, the_view, the_pending_output); }
void quit() { quit_requested = true; }
void restart()
{
    // A vehicle in hand is about to be scattered: let go of everything.
    the_drag.cancel();
    the_world->reset();
    the_world->scatter(true, false, the_view);
}
void toggle_trails() { the_view->toggle_trails(); }
void zoom_out_view() { the_view->zoom(1 / zoom_in); }
void zoom_in_view() { the_view->zoom(zoom_in); }
void toggle_overlay() { the_view->toggle_overlay(); }

void change_speed(double factor)
{
    Moment interval = scaled(the_move_alarm->interval(), factor);
    // Too short an interval would starve the event queue, too long a one
    // would stall the animation: ignore the key.
    if (interval < WorldMoveAlarm::min_interval
        || WorldMoveAlarm::max_interval < interval)
        return;
    the_move_alarm->set_interval(interval);
}
void speed_up() { change_speed(faster); }
void slow_down() { change_speed(slower); }

struct KeyBinding {
    unsigned char byte;
    unsigned char mask;  // bits of the typed byte that must equal `byte'
    void (*action)();
    bool redraw;
    bool between_steps;  // touches neither the world nor the alarm
};

// 0xEF clears bit 4, so '.' also matches '>' and ',' also matches '<'.
const KeyBinding key_table[] = {
    {'o', 0xFF, write_picture, false, false},
    {'q', 0xFF, quit, false, true},
    {'r', 0xFF, restart, true, false},
    {'t', 0xFF, toggle_trails, true, true},
    {'-', 0xFF, zoom_out_view, true, true},
    {'=', 0xFF, zoom_in_view, true, true},
    {'.', 0xEF, speed_up, false, false},
    {',', 0xEF, slow_down, false, false},
    {'?', 0xFF, toggle_overlay, true, true},
};

const KeyBinding *binding_of(const char *text, int n)
{
    if (n != 1)
        return nullptr;
    unsigned char byte = text[0];
    for (const KeyBinding &k : key_table)
        if ((byte & k.mask) == k.byte)
            return &k;
    return nullptr;
}

bool is_arrow(KeySym keysym)
{
    return keysym == XK_Left || keysym == XK_Up || keysym == XK_Right || keysym == XK_Down;
}

void fit_view_to_bodies()
{
    Point lo, hi;
    if (bodies_extent(the_world, lo, hi))
        the_view->fit(lo, hi, fit_margin);
}

// Arrows, and Home and End, which also only move the view.
bool handle_arrow(KeySym keysym, unsigned state)
{
    double s = (state & ControlMask) ? fine_pan_step : pan_step;
    switch (keysym) {
    case XK_Left: the_view->pan(-s, 0); break;
    case XK_Up: the_view->pan(0, s); break;
    case XK_Right: the_view->pan(s, 0); break;
    case XK_Down: the_view->pan(0, -s); break;
    case XK_Home: fit_view_to_bodies(); break;
    case XK_End: the_view->reset_transform(); break;
    default: return false;
    }
    redraw();
    return true;
}

void handle_key_press(XKeyEvent *event)
{
    char text[5];
    KeySym keysym = NoSymbol;
    int n = XLookupString(event, text, sizeof text, &keysym, nullptr);
    handle_key(keysym, text, n, event->state);
}

void handle_button_press(XButtonEvent *event)
{
    switch (event->button) {
    case Button1:
        the_drag.press(event->x, event->y);
        break;
    case Button4:
        the_view->zoom_about(zoom_in, event->x, event->y);
        redraw();
        break;
    case Button5:
        the_view->zoom_about(1 / zoom_in, event->x, event->y);
        redraw();
        break;
    default:
        break;
    }
}

void handle_button_release(XButtonEvent *event)
{
    if (event->button == Button1)
        the_drag.release(event->x, event->y);
}

// Only the latest place of the pointer matters: motion events queued right
// behind this one are taken in its stead, so a slow frame (a paused world
// redraws at each move) never leaves a backlog.  Events of other kinds
// stop the draining, which keeps presses and releases in order.
void handle_motion(XMotionEvent *event)
{
    XMotionEvent latest = *event;
    Display *display = the_view->display();
    if (display) {
        XEvent next;
        while (XEventsQueued(display, QueuedAfterReading) > 0) {
            XPeekEvent(display, &next);
            if (next.type != MotionNotify || next.xmotion.window != latest.window)
                break;
            XNextEvent(display, &next);
            latest = next.xmotion;
        }
    }
    if (the_drag.kind() == Drag::nothing)
        return;
    // A release that never came (another client took the pointer) ends
    // the drag here rather than leaving the body stuck to the pointer.
    if (!(latest.state & Button1Mask))
        the_drag.release(latest.x, latest.y);
    else
        the_drag.move(latest.x, latest.y);
}

void handle_client_message(XClientMessageEvent *event)
{
    if (delete_window_atom != None && event->format == 32
        && (Atom) event->data.l[0] == delete_window_atom)
        quit_requested = true;
}

}  // namespace

void handle_key(KeySym keysym, const char *text, int n, unsigned state)
{
    if (handle_arrow(keysym, state))
        return;
    if (keysym == XK_Escape) {
        the_move_alarm->toggle_paused();
        return;
    }
    if (const KeyBinding *k = binding_of(text, n)) {
        k->action();
        if (k->redraw)
            redraw();
    }
}

// The pointer changes the world only when it picks up, carries or drops
// a body; panning and zooming move the view alone.
bool pointer_acts_between_steps(const XEvent *event)
{
    bool holding_body = the_drag.kind() == Drag::body;
    if (event->type == ButtonPress)
        return event->xbutton.button != Button1
            || (!holding_body
                && !body_at(the_world, the_view, event->xbutton.x, event->xbutton.y));
    return !holding_body;
}

// Keys are translated as handle_key translates them; events that
// handle_event ignores can come at any time.
bool acts_between_steps(const XEvent *event)
{
    if (event->xany.window != the_view->window())
        return true;
    if (event->type == ButtonPress || event->type == ButtonRelease
        || event->type == MotionNotify)
        return pointer_acts_between_steps(event);
    if (event->type != KeyPress)
        return true;
    XKeyEvent key = event->xkey;
    char text[5];
    KeySym keysym = NoSymbol;
    int n = XLookupString(&key, text, sizeof text, &keysym, nullptr);
    if (is_arrow(keysym) || keysym == XK_Escape)
        return true;
    const KeyBinding *k = binding_of(text, n);
    return !k || k->between_steps;
}

void handle_event(XEvent *event)
{
    if (event->type == MappingNotify) {
        XRefreshKeyboardMapping(&event->xmapping);
        return;
    }
    if (event->xany.window != the_view->window())
        return;
    switch (event->type) {
    case KeyPress:
        handle_key_press(&event->xkey);
        break;
    case ButtonPress:
        handle_button_press(&event->xbutton);
        break;
    case ButtonRelease:
        handle_button_release(&event->xbutton);
        break;
    case MotionNotify:
        handle_motion(&event->xmotion);
        break;
    case ConfigureNotify:
        the_view->resize(event->xconfigure.width, event->xconfigure.height);
        redraw();
        break;
    case Expose:
        if (event->xexpose.count == 0)
            redraw();
        break;
    case ClientMessage:
        handle_client_message(&event->xclient);
        break;
    default:
        break;
    }
}
