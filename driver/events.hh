// The program's one event handler: keys pan, zoom, fit, change the speed,
// pause, toggle trails and the key panel, write EPS, restart and quit; the
// mouse drags bodies and the view and zooms; configuration changes resize
// the view and exposures redraw.  It acts on the process-wide
// the_world, the_view, the_move_alarm and quit_requested.
#ifndef XTINKERBOT_DRIVER_EVENTS_HH
#define XTINKERBOT_DRIVER_EVENTS_HH

#include <X11/Xlib.h>

// WM_DELETE_WINDOW, interned by the window set-up; a window manager's
// delete request ends the program like 'q'.  None until interned.
extern Atom delete_window_atom;

void handle_event(XEvent *event);

// Whether handle_event may act on the event between two steps of a firing:
// it only quits, pauses, moves the view (keys, panning and zooming with
// the mouse) or redraws.  Other events change
// the world or the alarm and wait until the firing is over.
bool acts_between_steps(const XEvent *event);

// A key press once translated: its keysym, the n bytes of text it produced
// and the modifier state.  handle_event calls it after XLookupString.
void handle_key(KeySym keysym, const char *text, int n, unsigned state);

#endif
