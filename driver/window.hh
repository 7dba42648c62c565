// Window set-up and the main loop: opens the display and the program's one
// window, attaches palette and view, creates the world-move alarm, scatters
// the vehicles and runs until the user quits.
#ifndef XTINKERBOT_DRIVER_WINDOW_HH
#define XTINKERBOT_DRIVER_WINDOW_HH

#include "driver/settings.hh"

class PendingOutput;
class View;
class WorldMoveAlarm;

extern View *the_view;
extern WorldMoveAlarm *the_move_alarm;
extern bool quit_requested;
// Pictures still being written to pipes and FIFOs; the main loop writes
// them on as their readers take them.
extern PendingOutput *the_pending_output;

// Returns when the main loop ends (status 0); exits with status 1 itself
// when the display cannot be opened.
void run_window_and_loop(const StartupSettings &settings);

#endif
