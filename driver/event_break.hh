// EventBreak: the interactive program's answer to the world's work
// breaks.  During a long firing it looks at the X connection every few
// hundredths of a second and handles, in the order they came, the events
// that may come between two steps: quit, pause, the view keys, redraws.
// It stops at the first event that must wait for the firing to end.
//
// A pause holds the firing inside the break, where the view keys still
// act, until it ends or the user quits.  An event that must wait for the
// firing also lets the held firing go on: the program then handles it
// after the firing, as it would have without the breaks.
#ifndef XTINKERBOT_DRIVER_EVENT_BREAK_HH
#define XTINKERBOT_DRIVER_EVENT_BREAK_HH

#include <X11/Xlib.h>

#include "driver/moment.hh"
#include "sim/world.hh"

class EventBreak : public WorkBreak {
  public:
    explicit EventBreak(Display *display) : _display(display) {}

    // True once the user asked to quit.
    bool take_break() override;

  private:
    Display *_display;
    Moment _next_look;  // looking costs a system call: not before this

    // False when an event that must wait is next in the queue.
    bool handle_events_between_steps();
    void wait_for_input();
};

#endif
