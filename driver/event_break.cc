#include "driver/event_break.hh"

#include <sys/select.h>

#include "driver/events.hh"
#include "driver/window.hh"
#include "driver/world_move_alarm.hh"

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
    bool only_between_steps = handle_events_between_steps();
    while (only_between_steps && !quit_requested && the_move_alarm->paused()) {
        wait_for_input();
        only_between_steps = handle_events_between_steps();
    }
    return quit_requested;
}

bool EventBreak::handle_events_between_steps()
{
    XEvent event;
    while (!quit_requested && XPending(_display)) {
        XPeekEvent(_display, &event);
        if (!acts_between_steps(&event))
            return false;
        XNextEvent(_display, &event);
        handle_event(&event);
    }
    return true;
}

// Events Xlib has already read do not wake select: only called when
// XPending found none.
void EventBreak::wait_for_input()
{
    int fd = ConnectionNumber(_display);
    fd_set read_set;
    FD_ZERO(&read_set);
    FD_SET(fd, &read_set);
    select(fd + 1, &read_set, nullptr, nullptr, nullptr);
}
