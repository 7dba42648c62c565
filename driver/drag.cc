// The pointer keeps the world point it grabbed under itself: a held body
// is placed at that point plus the offset taken at the press, and a held
// view is moved so that the point lies under the pointer again.  Both are
// computed from the press, never accumulated, so a long drag cannot drift.
//
// While the animation runs, its own frames show the drag; paused, every
// change is drawn at once.
#include "driver/drag.hh"

#include <X11/Xlib.h>
#include <X11/cursorfont.h>

#include "display/view.hh"
#include "driver/hit_test.hh"
#include "driver/window.hh"
#include "driver/world_move_alarm.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

Drag the_drag;

namespace {

void redraw_if_paused()
{
    if (the_move_alarm && the_move_alarm->paused())
        the_world->draw(the_view);
}

}  // namespace

void Drag::press(int x, int y)
{
    cancel();
    Point p = the_view->world_at(x, y);
    if (Body *b = body_at(the_world, the_view, x, y)) {
        _kind = body;
        _body = b;
        _grab = b->position() - p;
        the_world->hold(b);
        if (Vehicle *v = b->as_vehicle())
            v->stop();
        show_holding(true);
    } else {
        _kind = view;
        _grab = p;
    }
}

void Drag::move(int x, int y)
{
    if (_kind == body)
        carry(the_view->world_at(x, y) + _grab);
    else if (_kind == view)
        the_view->show_at(_grab, x, y);
    else
        return;
    redraw_if_paused();
}

void Drag::release(int x, int y)
{
    if (_kind == nothing)
        return;
    move(x, y);
    cancel();
}

void Drag::cancel()
{
    if (_kind == body) {
        // Dropped, a vehicle starts again from rest.
        if (Vehicle *v = _body->as_vehicle())
            v->stop();
        the_world->hold(nullptr);
        show_holding(false);
    }
    _kind = nothing;
    _body = nullptr;
}

// A carried light sits on its vehicle's centre; moving them together keeps
// the picture right while paused, when no step makes the lights follow.
void Drag::carry(Point centre)
{
    _body->move_to(centre);
    if (Vehicle *v = _body->as_vehicle()) {
        v->stop();
        for (int i = 0; i < v->light_count(); i++)
            v->light(i)->move_to(centre);
    }
}

void Drag::show_holding(bool on)
{
    Display *display = the_view->display();
    Window window = the_view->window();
    if (!display || !window)
        return;
    if (on) {
        if (!_cursor)
            _cursor = XCreateFontCursor(display, XC_fleur);
        XDefineCursor(display, window, _cursor);
    } else
        XUndefineCursor(display, window);
}
