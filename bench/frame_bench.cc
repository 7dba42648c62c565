// Drawing on a real X server: one firing of the world-move alarm with its
// share of a redraw (every third firing draws), a frame of N vehicles
// without trails, and a frame of 10 vehicles whose trails hold 50,000
// points each -- about an hour of recording -- drawn as the view draws
// them and, for comparison, segment by segment.  Every iteration waits for
// the server (XSync), so its drawing time counts.
//
// Needs DISPLAY; bench/run.sh starts an Xvfb for it.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "bench/bench_world.hh"
#include "display/palette.hh"
#include "display/view.hh"
#include "driver/catalogue.hh"
#include "driver/world_move_alarm.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

namespace {

struct Screen640 {
    Display *display = nullptr;
    Window window = 0;
    Palette *palette = nullptr;
    View *view = nullptr;
};

// The program's default window, opened once; null display without X.
Screen640 &screen()
{
    static Screen640 s;
    static bool tried = false;
    if (tried)
        return s;
    tried = true;
    if (!std::getenv("DISPLAY") || !(s.display = XOpenDisplay(nullptr)))
        return s;
    if (!the_catalogue)
        build_catalogue();
    s.window = XCreateSimpleWindow(s.display, DefaultRootWindow(s.display), 0, 0,
                                   640, 520, 0, 0, 0);
    XSelectInput(s.display, s.window, ExposureMask);
    XMapWindow(s.display, s.window);
    XEvent e;
    do
        XNextEvent(s.display, &e);
    while (e.type != Expose);
    XSelectInput(s.display, s.window, 0);
    s.palette = new Palette(s.display, s.window);
    s.view = new View(s.palette, s.window);
    return s;
}

bool have_screen(benchmark::State &state)
{
    if (screen().display)
        return true;
    state.SkipWithError("no X display: set DISPLAY (bench/run.sh starts Xvfb)");
    return false;
}

World *world_on_screen(int vehicles)
{
    return catalogue_world(vehicles, screen().view);
}

void BM_AlarmFiring(benchmark::State &state)
{
    if (!have_screen(state))
        return;
    View *view = screen().view;
    World *w = world_on_screen(state.range(0));
    WorldMoveAlarm alarm(w, view);
    for (int i = 0; i < 30; i++)
        alarm.tick(true);
    XSync(screen().display, False);
    for (auto _ : state) {
        alarm.tick(true);
        XSync(screen().display, False);
    }
    state.counters["firings_per_draw"] = alarm.ticks_per_redraw();
}
BENCHMARK(BM_AlarmFiring)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_Frame(benchmark::State &state)
{
    if (!have_screen(state))
        return;
    View *view = screen().view;
    World *w = world_on_screen(state.range(0));
    for (auto _ : state) {
        w->draw(view);
        XSync(screen().display, False);
    }
}
BENCHMARK(BM_Frame)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// What the view did before it batched trails: one request per segment.
class SegmentView : public View {
  public:
    SegmentView(Palette *palette, unsigned long window) : View(palette, window) {}
    void draw_trail(int colour, int n, const Point *points, Point end) override
    {
        for (int i = 0; i + 1 < n; i++)
            draw_line(colour, points[i], points[i + 1]);
        draw_line(colour, points[n - 1], end);
    }
};

// Ten vehicles that have wandered the window long enough to leave 50,000
// trail points each: a point every couple of units, turning as they go.
World *trail_world()
{
    static World *w = nullptr;
    if (w)
        return w;
    w = world_on_screen(10);
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> unit(0, 1);
    for (Body *b : w->bodies()) {
        Vehicle *v = b->as_vehicle();
        if (!v)
            continue;
        Point p = v->position();
        double heading = v->heading();
        for (int i = 0; i < 50000; i++) {
            heading += (unit(rng) - 0.5) * 0.4 + 0.02;
            p += Point(std::cos(heading), std::sin(heading)) * (1.5 + unit(rng) * 2);
            if (std::fabs(p.x) > 320 || std::fabs(p.y) > 260)
                heading += M_PI;
            v->place(p, heading);
            v->record_trail();
        }
    }
    return w;
}

void trail_frame(benchmark::State &state, View *view)
{
    World *w = trail_world();
    view->set_trails(true);
    for (auto _ : state) {
        w->draw(view);
        XSync(screen().display, False);
    }
    view->set_trails(false);
    state.counters["trail_points"] = 10 * 50000;
}

void BM_TrailFrame(benchmark::State &state)
{
    if (have_screen(state))
        trail_frame(state, screen().view);
}
BENCHMARK(BM_TrailFrame)->Unit(benchmark::kMillisecond);

void BM_TrailFrameSegments(benchmark::State &state)
{
    if (!have_screen(state))
        return;
    static SegmentView *view = new SegmentView(screen().palette, screen().window);
    trail_frame(state, view);
}
BENCHMARK(BM_TrailFrameSegments)->Unit(benchmark::kMillisecond);

}  // namespace
