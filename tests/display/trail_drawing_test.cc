// A trail drawn through View::draw_trail (long polylines, repeated pixels
// dropped) must set exactly the pixels of the trail drawn segment by
// segment with draw_line.  Both are drawn on a real server and the window
// contents compared.
// GoogleTest first: Xlib's macros (None, Bool, ...) break its headers.
#include <gtest/gtest.h>

#include "display/view.hh"

#include <X11/Xutil.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "display/palette.hh"
#include "tests/display/x_server.hh"

namespace {

// Records what reaches the drawing operations, drawing nothing.
class SegmentRecorder : public View {
  public:
    SegmentRecorder() : View(640, 520) {}
    std::vector<std::pair<Point, Point>> lines;
    void draw_line(int, Point a, Point b) override { lines.push_back({a, b}); }
};

TEST(TrailDrawing, WithoutXTheTrailIsOneDrawLinePerSegment)
{
    Point trail[3] = {{0, 0}, {1, 2}, {3, 3}};
    SegmentRecorder view;
    view.draw_trail(1, 3, trail, Point(9, 9));
    ASSERT_EQ(3u, view.lines.size());
    EXPECT_EQ(Point(1, 2), view.lines[0].second);
    EXPECT_EQ(Point(3, 3), view.lines[2].first);
    EXPECT_EQ(Point(9, 9), view.lines[2].second);
    view.lines.clear();
    view.draw_trail(1, 0, trail, Point(9, 9));
    EXPECT_TRUE(view.lines.empty());
}

class TrailOnServer : public ::testing::Test {
  protected:
    void SetUp() override
    {
        XT_REQUIRE_SERVER(server);
        colour = Palette::request_colour(0, 255, 128);
        window = server.map_window(width, height);
        palette = new Palette(server.display(), window);
        view = new View(palette, window);
    }
    void TearDown() override
    {
        delete view;
        delete palette;
    }

    std::string snapshot()
    {
        XSync(server.display(), False);
        XImage *image = XGetImage(server.display(), window, 0, 0, width, height,
                                  AllPlanes, ZPixmap);
        std::string bytes(image->data, image->bytes_per_line * image->height);
        XDestroyImage(image);
        return bytes;
    }
    // The trail through draw_trail, then segment by segment; both pictures.
    void draw_both(const std::vector<Point> &trail, Point end, std::string &batched,
                   std::string &segments)
    {
        view->clear();
        view->draw_trail(colour, trail.size(), trail.data(), end);
        batched = snapshot();
        view->clear();
        for (size_t i = 0; i + 1 < trail.size(); i++)
            view->draw_line(colour, trail[i], trail[i + 1]);
        view->draw_line(colour, trail.back(), end);
        segments = snapshot();
    }

    static const int width = 400, height = 300;
    TestXServer server;
    Window window = 0;
    Palette *palette = nullptr;
    View *view = nullptr;
    int colour = 0;
};

TEST_F(TrailOnServer, SamePixelsAsSegmentBySegment)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0, 1);
    struct Case {
        const char *name;
        int n;
        double step;     // typical distance between points, world units
        double spread;   // chance of a jump far off the window
    } cases[] = {
        {"dense wander", 20000, 0.4, 0},   // many points share a pixel
        {"sparse wander", 9000, 6, 0},     // crosses chunk boundaries
        {"far jumps", 3000, 3, 0.02},      // wrapped 16-bit coordinates
        {"one point", 1, 1, 0},
    };
    for (const Case &c : cases) {
        std::vector<Point> trail;
        Point p(0, 0);
        double heading = 0;
        for (int i = 0; i < c.n; i++) {
            heading += (unit(rng) - 0.5) * 0.8;
            p += Point(std::cos(heading), std::sin(heading)) * (c.step * unit(rng));
            if (p.x < -200 || p.x > 200 || p.y < -150 || p.y > 150)
                p = Point(unit(rng) * 300 - 150, unit(rng) * 200 - 100);
            Point q = unit(rng) < c.spread ? Point(unit(rng) * 2e5 - 1e5, unit(rng) * 1e5) : p;
            trail.push_back(q);
        }
        std::string batched, segments;
        draw_both(trail, p + Point(0.3, 0.2), batched, segments);
        EXPECT_TRUE(batched == segments) << c.name;
        // The pictures are not both blank.
        EXPECT_NE(std::string(segments.size(), '\0'), segments) << c.name;
    }

    // A trail that never leaves one pixel is still that pixel.
    std::vector<Point> still(50, Point(10.2, 10.7));
    std::string batched, segments;
    draw_both(still, Point(10.4, 10.1), batched, segments);
    EXPECT_TRUE(batched == segments);
    EXPECT_NE(std::string(segments.size(), '\0'), segments);
}

}  // namespace
