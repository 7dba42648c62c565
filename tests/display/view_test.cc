// GoogleTest first: Xlib's macros (None, Bool, ...) break its headers.
#include <gtest/gtest.h>

#include "display/view.hh"

#include <X11/Xutil.h>

#include <cmath>

#include "display/palette.hh"
#include "tests/display/x_server.hh"

namespace {

TEST(ViewTransform, FreshViewPutsTheWorldOriginAtTheCentre)
{
    View v(640, 520);
    EXPECT_EQ(v.origin(), Point(-320, -260));
    EXPECT_EQ(v.scale_x(), 1.0);
    EXPECT_EQ(v.scale_y(), 1.0);
    EXPECT_FALSE(v.trails());
    EXPECT_EQ(v.window_x(0), 320);
    EXPECT_EQ(v.window_y(0), 260);
    EXPECT_EQ(v.window_x(10), 330);
    EXPECT_EQ(v.window_y(10), 250);
    EXPECT_EQ(v.top_right(), Point(320, 260));

    View odd(641, 521);
    EXPECT_EQ(odd.origin(), Point(-320, -260));
}

TEST(ViewTransform, TruncatesTowardZeroAndWrapsTo16Bits)
{
    View v(640, 520);
    struct Case {
        double world;
        int x;
    } cases[] = {
        {-320.5, 0},        // trunc(-0.5) is 0, not -1
        {-321.5, -1},
        {10.9, 330},
        {32767 - 320, 32767},
        {32768 - 320, -32768},  // wraps, not clipped
        {65536 + 10 - 320, 10},
        {1e12, (short) (unsigned short) (long long) (1e12 + 320)},
        {-1e300, 0},            // exactly a multiple of 2^16 in double
        {NAN, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(v.window_x(c.world), c.x) << "world x " << c.world;

    // y: height minus the truncated offset, then 16 bits.
    EXPECT_EQ(v.window_y(-260.5), 520);
    EXPECT_EQ(v.window_y(260), 0);
    EXPECT_EQ(v.window_y(-260 - 33000), 33520 - 65536);  // far below: wraps
}

TEST(ViewTransform, ZoomKeepsTheCentre)
{
    View v(640, 520);
    v.pan(0.25, -0.1);
    Point centre = v.origin() + Point(320, 260);
    v.zoom(1.2);
    EXPECT_DOUBLE_EQ(v.scale_x(), 1.2);
    EXPECT_DOUBLE_EQ(v.scale_y(), 1.2);
    Point after = v.origin() + Point(320 / 1.2, 260 / 1.2);
    EXPECT_NEAR(after.x, centre.x, 1e-9);
    EXPECT_NEAR(after.y, centre.y, 1e-9);
    v.zoom(1 / 1.2);
    EXPECT_NEAR(v.scale_x(), 1.0, 1e-12);
    EXPECT_NEAR(v.origin().x, centre.x - 320, 1e-9);
    EXPECT_NEAR(v.origin().y, centre.y - 260, 1e-9);
}

TEST(ViewTransform, ZoomRefusesWhatWouldBreakTheScale)
{
    View v(640, 520);
    for (double factor : {0.0, -1.2, double(NAN), double(INFINITY), 2e6, 0.9e-6}) {
        EXPECT_FALSE(v.can_zoom(factor)) << factor;
        EXPECT_FALSE(v.zoom(factor)) << factor;
        EXPECT_EQ(v.scale_x(), 1.0) << factor;
        EXPECT_EQ(v.origin(), Point(-320, -260)) << factor;
    }
    EXPECT_TRUE(v.zoom(1e6));
    EXPECT_EQ(v.scale_x(), View::max_scale);
    EXPECT_FALSE(v.zoom(1.0001));
    EXPECT_TRUE(v.zoom(1e-12));
    EXPECT_EQ(v.scale_x(), View::min_scale);
}

TEST(ViewTransform, PanResizeAndReset)
{
    View v(640, 520);
    v.pan(0, 0.5);
    EXPECT_DOUBLE_EQ(v.origin().y, 0);
    v.pan(-0.5, 0);
    EXPECT_DOUBLE_EQ(v.origin().x, -640);

    View r(640, 520);
    r.zoom(2);
    double top = r.top_right().y;
    double left = r.origin().x;
    r.resize(640, 600);
    EXPECT_DOUBLE_EQ(r.origin().y, -130 - 40);  // lowered by 80 / 2
    EXPECT_DOUBLE_EQ(r.top_right().y, top);
    EXPECT_DOUBLE_EQ(r.origin().x, left);
    EXPECT_EQ(r.width(), 640);
    EXPECT_EQ(r.height(), 600);

    r.reset_transform();
    EXPECT_EQ(r.origin(), Point(-320, -300));
    EXPECT_EQ(r.scale_x(), 1.0);
}

// The pointer's side: world_at inverts the drawing transform for every
// pixel of the window, whatever the zoom and pan, y flip included.
TEST(ViewPointer, WorldAtIsThePixelCentreTheTransformDrawsOn)
{
    struct Case {
        double zoom, fx, fy;
    } cases[] = {{1, 0, 0}, {2.5, 0.3, -0.2}, {0.3, -1.7, 4}, {1 / 1.2, 0, 0.5}};
    int pixels[][2] = {{0, 0}, {639, 519}, {320, 260}, {1, 518}, {600, 3}};
    for (const Case &c : cases) {
        View v(640, 520);
        v.zoom(c.zoom);
        v.pan(c.fx, c.fy);
        for (auto &px : pixels) {
            Point p = v.world_at(px[0], px[1]);
            EXPECT_EQ(v.window_x(p.x), px[0]) << "zoom " << c.zoom;
            EXPECT_EQ(v.window_y(p.y), px[1]) << "zoom " << c.zoom;
        }
    }
    View v(640, 520);
    EXPECT_EQ(v.world_at(320, 260), Point(0.5, 0.5));
}

TEST(ViewPointer, ShowAtAndZoomAboutKeepTheWorldPointUnderThePixel)
{
    View v(640, 520);
    v.show_at(Point(1000, -50), 100, 400);
    EXPECT_NEAR(v.world_at(100, 400).x, 1000, 1e-9);
    EXPECT_NEAR(v.world_at(100, 400).y, -50, 1e-9);

    struct Case {
        double factor;
        int x, y;
    } cases[] = {{1.2, 70, 260}, {1 / 1.2, 0, 519}, {1.2, 639, 0}, {1.2, 320, 260}};
    for (const Case &c : cases) {
        Point before = v.world_at(c.x, c.y);
        double scale = v.scale_x();
        v.zoom_about(c.factor, c.x, c.y);
        EXPECT_DOUBLE_EQ(v.scale_x(), scale * c.factor);
        EXPECT_DOUBLE_EQ(v.scale_y(), scale * c.factor);
        EXPECT_NEAR(v.world_at(c.x, c.y).x, before.x, 1e-9);
        EXPECT_NEAR(v.world_at(c.x, c.y).y, before.y, 1e-9);
    }
}

TEST(ViewPointer, FitShowsTheWholeRectangleCentredWithTheMargin)
{
    View v(640, 520);
    v.fit(Point(1000, 0), Point(3000, 100), 0.05);  // wide: the width decides
    EXPECT_NEAR(v.scale_x(), 640 * 0.9 / 2000, 1e-12);
    EXPECT_DOUBLE_EQ(v.scale_x(), v.scale_y());
    EXPECT_NEAR(v.origin().x, 1000 - 2000 * 0.05 / 0.9, 1e-9);
    EXPECT_NEAR(v.origin().y + 260 / v.scale_y(), 50, 1e-9);  // centred

    v.fit(Point(0, -10), Point(1, 10), 0.1);  // tall: the height decides
    EXPECT_NEAR(v.scale_y(), 520 * 0.8 / 20, 1e-12);
    EXPECT_NEAR(v.origin().x + 320 / v.scale_x(), 0.5, 1e-9);

    // A single point keeps the scale and is centred; a rectangle that is
    // no rectangle changes nothing.
    double scale = v.scale_x();
    v.fit(Point(7, 8), Point(7, 8), 0.05);
    EXPECT_EQ(v.scale_x(), scale);
    EXPECT_NEAR(v.world_at(320, 260).x, 7 + 0.5 / scale, 1e-9);
    Point origin = v.origin();
    v.fit(Point(5, 5), Point(4, 6), 0.05);
    v.fit(Point(NAN, 0), Point(1, 1), 0.05);
    EXPECT_EQ(v.origin(), origin);
    EXPECT_EQ(v.scale_x(), scale);
}

TEST(ViewTransform, HeadlessViewDrawsNothingAndTogglesTrails)
{
    View v(100, 80);
    Point square[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    v.clear();
    v.draw_line(3, square[0], square[1]);
    v.draw_lines(3, 4, square, true);
    v.fill_polygon(3, 4, square);
    v.draw_circle(3, square[0], 2, -M_PI, M_PI);
    v.fill_circle(3, square[0], 2, -M_PI, M_PI);
    v.swap_buffers();
    EXPECT_FALSE(v.double_buffered());
    v.toggle_trails();
    EXPECT_TRUE(v.trails());
}

// ---- on a real server ------------------------------------------------------

class ViewOnServer : public ::testing::Test {
  protected:
    void SetUp() override
    {
        XT_REQUIRE_SERVER(server);
        red = Palette::request_colour(255, 0, 0);
        window = server.map_window(640, 520);
        palette = new Palette(server.display(), window);
        view = new View(palette, window);
    }
    void TearDown() override
    {
        delete view;
        delete palette;
    }
    unsigned long pixel_at(Drawable d, int x, int y)
    {
        XImage *image = XGetImage(server.display(), d, x, y, 1, 1, AllPlanes,
                                  ZPixmap);
        unsigned long p = XGetPixel(image, 0, 0) & 0xffffff;
        XDestroyImage(image);
        return p;
    }
    // A 4-unit square around world (10, 10): pixels 328..331, 248..251.
    void fill_square()
    {
        Point sq[4] = {{8, 8}, {12, 8}, {12, 12}, {8, 12}};
        view->fill_polygon(red, 4, sq);
    }

    TestXServer server;
    Window window = 0;
    Palette *palette = nullptr;
    View *view = nullptr;
    int red = 0;
};

TEST_F(ViewOnServer, WindowViewReadsTheWindowSize)
{
    EXPECT_EQ(view->width(), 640);
    EXPECT_EQ(view->height(), 520);
    EXPECT_EQ(view->origin(), Point(-320, -260));
    EXPECT_EQ(view->window(), window);
    EXPECT_EQ(view->display(), server.display());
}

TEST_F(ViewOnServer, DrawsWhereTheTransformSays)
{
    view->set_double_buffer(false);
    view->clear();
    fill_square();
    view->draw_line(red, Point(-100, -100), Point(-100, 100));
    view->fill_circle(red, Point(100, 100), 5, -M_PI, M_PI);
    EXPECT_EQ(pixel_at(window, 330, 250), 0xff0000UL);
    EXPECT_EQ(pixel_at(window, 320, 260), 0UL);
    EXPECT_EQ(pixel_at(window, 220, 260), 0xff0000UL);  // the line
    EXPECT_EQ(pixel_at(window, 420, 160), 0xff0000UL);  // the disc centre
    view->clear();
    EXPECT_EQ(pixel_at(window, 330, 250), 0UL);
}

TEST_F(ViewOnServer, LongPolylinesAndPolygonsDraw)
{
    view->clear();
    Point many[40];
    for (int i = 0; i < 40; i++) {
        double a = 2 * M_PI * i / 40;
        many[i] = Point(50 * cos(a), 50 * sin(a));
    }
    view->fill_polygon(red, 40, many);  // beyond the 32-entry array
    EXPECT_EQ(pixel_at(window, 320, 260), 0xff0000UL);
    view->clear();
    view->draw_lines(red, 32, many, true);  // 33 entries with the closing one
    EXPECT_EQ(pixel_at(window, 320, 260), 0UL);
    EXPECT_EQ(pixel_at(window, 370, 260), 0xff0000UL);
}

TEST_F(ViewOnServer, DoubleBufferSkipsTheFillRightAfterASwap)
{
    view->set_double_buffer(true);
    ASSERT_TRUE(view->double_buffered());

    // Drawing goes to the back buffer, not the window.
    view->clear();
    fill_square();
    EXPECT_EQ(pixel_at(window, 330, 250), 0UL);
    view->swap_buffers();
    EXPECT_EQ(pixel_at(window, 330, 250), 0xff0000UL);

    // The server cleared the new back buffer; the next clear must not fill,
    // so a square drawn before that clear survives it.
    fill_square();
    view->clear();
    view->swap_buffers();
    EXPECT_EQ(pixel_at(window, 330, 250), 0xff0000UL);

    // A clear not preceded by a swap fills.
    fill_square();
    view->clear();
    view->clear();
    view->swap_buffers();
    EXPECT_EQ(pixel_at(window, 330, 250), 0UL);
}

TEST_F(ViewOnServer, BareViewTouchesNoDrawable)
{
    // The base of an EPSView has no window: drawing through it must not
    // reach X, whose default error handler would end the process.
    View bare(palette);
    bare.clear();
    bare.draw_line(red, Point(0, 0), Point(1, 1));
    bare.fill_circle(red, Point(0, 0), 1, -M_PI, M_PI);
    bare.swap_buffers();
    XSync(server.display(), False);
    EXPECT_EQ(bare.window(), 0UL);
}

TEST(ViewWithoutDbe, DoubleBufferFallsBackToTheWindow)
{
    TestXServer server({"-extension", "DOUBLE-BUFFER"});
    XT_REQUIRE_SERVER(server);
    int red = Palette::request_colour(255, 0, 0);
    Window window = server.map_window(200, 100);
    Palette palette(server.display(), window);
    View view(&palette, window);
    view.set_double_buffer(true);
    EXPECT_FALSE(view.double_buffered());
    view.fill_circle(red, Point(0, 0), 3, -M_PI, M_PI);
    XImage *image = XGetImage(server.display(), window, 100, 50, 1, 1,
                              AllPlanes, ZPixmap);
    EXPECT_EQ(XGetPixel(image, 0, 0) & 0xffffff, 0xff0000UL);
    XDestroyImage(image);
}

}  // namespace
