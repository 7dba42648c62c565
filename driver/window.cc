// Window set-up and the main loop.
//
// run_window_and_loop opens the display, creates and maps the one window,
// attaches the palette and the view, creates the world-move alarm due at
// once, scatters the vehicles and loops: every pending event goes to
// handle_event; when none is pending, due alarms run and the program sleeps
// in select until the X connection has input or the next alarm is due.
// The queue is drained before sleeping because events Xlib has already
// read do not wake select.  select also watches the pipes and FIFOs that
// pictures are still being written to, so a slow reader never stops the
// loop.  During a long firing the world's work break
// (driver/event_break.cc) answers the keys that may come between steps.
#include "driver/window.hh"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <sys/select.h>

#include <cstdio>
#include <cstdlib>

#include "display/key_overlay.hh"
#include "display/palette.hh"
#include "display/pending_output.hh"
#include "display/view.hh"
#include "driver/alarm.hh"
#include "driver/event_break.hh"
#include "driver/events.hh"
#include "driver/geometry.hh"
#include "driver/world_move_alarm.hh"
#include "lib/program_name.hh"
#include "sim/world.hh"

View *the_view = nullptr;
WorldMoveAlarm *the_move_alarm = nullptr;
bool quit_requested = false;
PendingOutput *the_pending_output = nullptr;

namespace {

const int default_width = 640;
const int default_height = 520;
const long event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask
    | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask
    | PointerMotionMask | ExposureMask | StructureNotifyMask;

Display *open_display(const char *name)
{
    Display *display = XOpenDisplay(name);
    if (!display) {
        fprintf(stderr, "%s: can't open display `%s'\n", program_name,
                XDisplayName(name));
        exit(1);
    }
    return display;
}

// Nothing reads the database; -xrm lines are accepted and kept there.
void build_resource_database(Display *display,
                             const Vector<const char *> &xrm_lines)
{
    XrmInitialize();
    const char *server = XResourceManagerString(display);
    XrmDatabase db = XrmGetStringDatabase(server ? server : "");
    for (int i = 0; i < xrm_lines.size(); i++)
        XrmPutLineResource(&db, xrm_lines[i]);
    XrmSetDatabase(display, db);
}

XSizeHints *size_hints(Display *display, const char *geometry_spec)
{
    XSizeHints *hints = XAllocSizeHints();
    hints->width = default_width;
    hints->height = default_height;
    if (geometry_spec) {
        int screen = DefaultScreen(display);
        if (!parse_geometry(geometry_spec, DisplayWidth(display, screen),
                            DisplayHeight(display, screen), hints))
            fprintf(stderr, "%s: bad geometry specification\n", program_name);
    }
    return hints;
}

Window create_window(Display *display, XSizeHints *hints)
{
    int screen = DefaultScreen(display);
    XSetWindowAttributes attributes;
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.backing_store = NotUseful;
    attributes.save_under = False;
    attributes.colormap = DefaultColormap(display, screen);
    return XCreateWindow(display, RootWindow(display, screen), hints->x,
                         hints->y, hints->width, hints->height, 0,
                         DefaultDepth(display, screen), InputOutput,
                         DefaultVisual(display, screen),
                         CWBackPixel | CWBorderPixel | CWBackingStore
                             | CWSaveUnder | CWColormap,
                         &attributes);
}

Window open_window(Display *display, const StartupSettings &settings)
{
    char name[] = "xtinkerbot";
    char res_class[] = "XTinkerbot";
    char *names[] = {name};
    XTextProperty window_name = XTextProperty(), icon_name = XTextProperty();
    XStringListToTextProperty(names, 1, &window_name);
    XStringListToTextProperty(names, 1, &icon_name);
    XClassHint class_hint;
    class_hint.res_name = name;
    class_hint.res_class = res_class;

    XSizeHints *hints = size_hints(display, settings.geometry_spec);
    Window window = create_window(display, hints);
    XSetWMProperties(display, window, &window_name, &icon_name, nullptr, 0,
                     hints, nullptr, &class_hint);
    XSetWMProtocols(display, window, &delete_window_atom, 1);
    XSelectInput(display, window, event_mask);
    XMapRaised(display, window);
    XFree(hints);
    if (window_name.value)
        XFree(window_name.value);
    if (icon_name.value)
        XFree(icon_name.value);
    return window;
}

timeval to_timeval(Moment m)
{
    timeval tv;
    if (m.sec < 0)
        m = Moment();
    tv.tv_sec = m.sec;
    tv.tv_usec = m.usec;
    return tv;
}

// One pass of sleeping: run the due alarms, then wait in select for input
// or the next alarm.  Returns when events may be pending.
void wait_for_events(Display *display)
{
    int fd = ConnectionNumber(display);
    while (true) {
        Moment t = now();
        run_due_alarms(t);
        // A quit during a firing leaves no event behind to wake select.
        if (quit_requested || XPending(display))
            return;
        fd_set read_set, write_set;
        FD_ZERO(&read_set);
        FD_SET(fd, &read_set);
        FD_ZERO(&write_set);
        int largest = the_pending_output->add_to_write_set(&write_set);
        if (largest < fd)
            largest = fd;
        timeval timeout;
        timeval *timeout_ptr = nullptr;
        if (alarm_queue) {
            timeout = to_timeval(alarm_queue->when() - t);
            timeout_ptr = &timeout;
        }
        int n = select(largest + 1, &read_set, &write_set, nullptr, timeout_ptr);
        if (n > 0)
            the_pending_output->write_ready(&write_set);
        if (n > 0 && FD_ISSET(fd, &read_set))
            return;
    }
}

void main_loop(Display *display)
{
    XEvent event;
    while (true) {
        while (XPending(display)) {
            XNextEvent(display, &event);
            handle_event(&event);
        }
        // Tested before sleeping: wait_for_events returns only when input
        // arrives, and after a lone 'q' or delete request none may come.
        if (quit_requested)
            break;
        wait_for_events(display);
    }
}

}  // namespace

void run_window_and_loop(const StartupSettings &settings)
{
    Display *display = open_display(settings.display_name);
    delete_window_atom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    build_resource_database(display, settings.xrm_lines);
    Window window = open_window(display, settings);

    Palette *palette = new Palette(display, window);
    the_view = new View(palette, window);
    the_view->set_double_buffer(settings.double_buffer);
    the_view->set_trails(settings.show_trails);
    KeyOverlay *key_overlay = new KeyOverlay;
    the_view->set_overlay(key_overlay);

    the_pending_output = new PendingOutput;
    the_move_alarm = new WorldMoveAlarm(the_world, the_view);
    the_move_alarm->alarm()->schedule(now());
    the_move_alarm->set_redraw_period(
        Moment(0, settings.double_buffer ? 120000 : 30000));
    the_world->scatter(true, false, the_view);
    EventBreak breaks(display);
    the_world->set_work_break(&breaks);

    main_loop(display);
    the_world->set_work_break(nullptr);
    the_pending_output->abandon();
    // The panel's GC and font go while the display is open.
    the_view->set_overlay(nullptr);
    delete key_overlay;

    XDestroyWindow(display, window);
    delete palette;
    // Closing the display does not destroy a database set on it.
    XrmDatabase db = XrmGetDatabase(display);
    XrmSetDatabase(display, nullptr);
    XrmDestroyDatabase(db);
    // Sends the requests above, which would otherwise stay in Xlib's
    // buffer until the process ended.
    XCloseDisplay(display);
}
