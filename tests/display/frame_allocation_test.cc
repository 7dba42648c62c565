// A frame is drawn every few alarm firings for as long as the program
// runs: once the view exists, clearing, drawing every body (vehicles with
// their sensor wedges, wires and motors, carried and free lights, trails)
// and swapping, with the key panel over it or not, must not touch the heap.  Global operator new is replaced
// to count (tests/counting_new.hh); Xlib's own buffers are not counted.
// GoogleTest first: Xlib's macros (None, Bool, ...) break its headers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "display/key_overlay.hh"
#include "display/palette.hh"
#include "display/view.hh"
#include "driver/catalogue.hh"
#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/display/x_server.hh"
#include "tests/counting_new.hh"

namespace {

// Every catalogue vehicle, some carrying lights, and every catalogue light;
// like the program's, the world lives until the process ends.
World *catalogue_world(View *view)
{
    if (!the_catalogue)
        build_catalogue();
    static World *world = new World;
    static Light *carried = new Light(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 6.0);
    const char *names[] = {"v1", "v1p", "v2a", "v2b", "v3a", "v3b",
                           "v2ap", "v2bp", "v3ap", "v3bp"};
    for (int i = 0; i < 3; i++)
        for (const char *name : names) {
            Vehicle *v = the_catalogue->find(PermString(name))->as_vehicle()->clone()->as_vehicle();
            if (i == 1)
                v->add_light(carried);
            world->add_body(v);
        }
    for (const char *name : {"l", "timel", "l2a", "l2b"})
        world->add_body(the_catalogue->find(PermString(name)));
    world->scatter(true, false, view);
    return world;
}

// Steps and draws as the alarm does; returns the allocations of the frames
// after the first few, which may size what is sized once.
long steady_frame_allocations(World *world, View *view)
{
    for (int frame = 0; frame < 3; frame++) {
        world->step();
        world->record_trails();
        world->draw(view);
    }
    allocations = 0;
    for (int frame = 0; frame < 20; frame++) {
        for (int i = 0; i < 4; i++) {
            world->step();
            world->collide_pairs();
        }
        world->draw(view);
    }
    return allocations;
}

TEST(FrameAllocation, SteadyFramesAllocateNothing)
{
    TestXServer server;
    XT_REQUIRE_SERVER(server);
    Window window = server.map_window(640, 520);
    Palette *palette = new Palette(server.display(), window);
    View *view = new View(palette, window);
    World *world = catalogue_world(view);

    EXPECT_EQ(0, steady_frame_allocations(world, view)) << "single-buffered, no trails";
    view->set_trails(true);
    EXPECT_EQ(0, steady_frame_allocations(world, view)) << "single-buffered, trails shown";
    view->set_double_buffer(true);
    view->set_trails(false);
    EXPECT_EQ(0, steady_frame_allocations(world, view)) << "double-buffered, no trails";
    {
        KeyOverlay overlay;
        view->set_overlay(&overlay);
        view->toggle_overlay();
        EXPECT_EQ(0, steady_frame_allocations(world, view)) << "key panel shown";
        view->set_overlay(nullptr);
    }
    XSync(server.display(), False);

    delete view;
    delete palette;
}

}  // namespace
