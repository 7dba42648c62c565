// The window's life on a private X server: after the main loop ends, the
// window is gone from the server while the process still runs.
#include <gtest/gtest.h>

// Xlib's macros (None, Bool) must follow GoogleTest's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

#include "driver/window.hh"
#include "driver/world_move_alarm.hh"
#include "display/view.hh"
#include "sim/world.hh"
#include "tests/display/x_server.hh"

namespace {

// Top-level windows named "xtinkerbot" on the server's first screen.
int program_windows(Display *display)
{
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    XSync(display, False);
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &n))
        return -1;
    int found = 0;
    for (unsigned i = 0; i < n; i++) {
        char *name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            found += std::strcmp(name, "xtinkerbot") == 0;
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

TEST(WindowTest, QuittingDestroysTheWindowOnTheServer)
{
    TestXServer server;
    if (!server.available())
        GTEST_SKIP() << "Xvfb not available";
    World world;
    World *saved_world = the_world;
    the_world = &world;
    StartupSettings settings;
    settings.display_name = server.name().c_str();
    quit_requested = true;  // the loop ends after its first batch of events

    run_window_and_loop(settings);
    int left = program_windows(server.display());

    // The loop's objects outlive it, as they do in the program.
    delete the_move_alarm;
    the_move_alarm = nullptr;
    delete the_view;
    the_view = nullptr;
    quit_requested = false;
    the_world = saved_world;
    EXPECT_EQ(0, left);
}

}  // namespace
