// GoogleTest first: Xlib's macros (None, Bool, ...) break its headers.
#include <gtest/gtest.h>

#include "display/key_overlay.hh"

#include <X11/Xutil.h>

#include "display/palette.hh"
#include "display/view.hh"
#include "sim/world.hh"
#include "tests/display/x_server.hh"

namespace {

// White pixels in the top-left quarter of the window.
int white_in_corner(Display *display, Window window)
{
    XSync(display, False);
    XImage *image = XGetImage(display, window, 0, 0, 320, 260, AllPlanes, ZPixmap);
    int white = WhitePixel(display, DefaultScreen(display));
    int n = 0;
    for (int y = 0; y < 260; y++)
        for (int x = 0; x < 320; x++)
            n += XGetPixel(image, x, y) == (unsigned long) white;
    XDestroyImage(image);
    return n;
}

// The panel appears over the frame once toggled on, single- and
// double-buffered, and is gone from the next frame once toggled off.
TEST(KeyOverlay, DrawnOverTheFrameOnlyWhileShown)
{
    TestXServer server;
    if (!server.available())
        GTEST_SKIP() << "Xvfb not available";
    Window window = server.map_window(640, 520);
    Palette *palette = new Palette(server.display(), window);
    View *view = new View(palette, window);
    World world;
    {
        KeyOverlay overlay;
        view->set_overlay(&overlay);
        for (bool double_buffer : {false, true}) {
            view->set_double_buffer(double_buffer);
            world.draw(view);
            EXPECT_EQ(white_in_corner(server.display(), window), 0) << double_buffer;
            view->toggle_overlay();
            world.draw(view);
            EXPECT_GT(white_in_corner(server.display(), window), 1000) << double_buffer;
            view->toggle_overlay();
            world.draw(view);
            EXPECT_EQ(white_in_corner(server.display(), window), 0) << double_buffer;
        }
        view->set_overlay(nullptr);
    }
    delete view;
    delete palette;
}

}  // namespace
