// The start-up settings that the command line collects for the window.
#ifndef XTINKERBOT_DRIVER_SETTINGS_HH
#define XTINKERBOT_DRIVER_SETTINGS_HH

#include "lib/vector.hh"

struct StartupSettings {
    const char *display_name = nullptr;   // null: the default display
    const char *geometry_spec = nullptr;  // null: no -geometry
    bool double_buffer = false;
    bool show_trails = false;
    Vector<const char *> xrm_lines;       // accepted, stored, never read
};

#endif
