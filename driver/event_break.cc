#include "driver/event_break.hh"

#include "driver/events.hh"
#include "driver/window.hh"

namespace {

// Often enough that keys act at once to the eye, rarely enough that the
// looks cost nothing next to the work between them.
const Moment look_interval(0, 20000);

}  // namespace

bool EventBreak::take_break()
{
    if (quit_requested)
        return true;
    Moment t = now();
    if (t < _next_look)
        return false;
    _next_look = t + look_interval;
    XEvent event;
    while (!quit_requested && XPending(_display)) {
        XPeekEvent(_display, &event);
        if (!acts_between_steps(&event))
            break;
        XNextEvent(_display, &event);
        handle_event(&event);
    }
    return quit_requested;
}
