// xtinkerbot: small autonomous vehicles among lights, in an X window.
//
// main is two steps.  read_command_line (driver/startup.cc) builds the
// catalogue of prototype bodies and the world, then applies the options
// and operands left to right: options change the settings or the world at
// once, operands put clones of catalogue bodies into the world.  Then
// run_window_and_loop (driver/window.cc) opens the window, scatters the
// vehicles and runs the main loop, in which the world-move alarm
// (driver/world_move_alarm.cc) steps and draws the world and the event
// handler (driver/events.cc) answers the keys.  Start reading with
// read_command_line, then World::step in sim/world.cc.
#include "driver/settings.hh"
#include "driver/standard_streams.hh"
#include "driver/startup.hh"
#include "driver/window.hh"

int main(int argc, char **argv)
{
    secure_standard_streams();
    StartupSettings settings;
    read_command_line(argc, argv, settings);
    run_window_and_loop(settings);
    return 0;
}
