// Pictures whose geometry is out of an interpreter's reach: far vehicles
// after long runs, deep zooms, positions that are no longer numbers.  No
// printed number may be non-finite or beyond the limits, what crosses the
// page must still be drawn there, and what lies wholly off it is left out.
#include "display/eps_limits.hh"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "display/eps.hh"
#include "display/eps_view.hh"
#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

// Defined by tests/counting_new.hh, which frame_allocation_test.cc
// includes for this binary.
extern std::atomic<std::size_t> largest_allocation;

namespace {

const PageBox page(640, 520);

TEST(ClipSegment, KeepsThePartOnThePage)
{
    struct Case {
        Point a, b;
        bool kept;
        Point ca, cb;
    } cases[] = {
        {{10, 20}, {30, 40}, true, {10, 20}, {30, 40}},
        {{-100, 100}, {700, 100}, true, {-10, 100}, {650, 100}},
        {{-1e300, 260}, {1e300, 260}, true, {-10, 260}, {650, 260}},
        {{320, -1e308}, {320, 1e308}, true, {320, -10}, {320, 530}},
        {{-1e10, -1e10}, {1e10, 1e10}, true, {-10, -10}, {530, 530}},
        {{700, 0}, {800, 500}, false, {}, {}},
        {{-1e300, 600}, {1e300, 600}, false, {}, {}},
        {{NAN, 10}, {20, 30}, false, {}, {}},
        {{10, 10}, {INFINITY, 30}, false, {}, {}},
    };
    for (const Case &c : cases) {
        Point a = c.a, b = c.b;
        ASSERT_EQ(clip_segment(page, a, b), c.kept) << c.a.x << "," << c.a.y;
        if (!c.kept)
            continue;
        EXPECT_NEAR(a.x, c.ca.x, 1e-6) << c.a.x;
        EXPECT_NEAR(a.y, c.ca.y, 1e-6) << c.a.y;
        EXPECT_NEAR(b.x, c.cb.x, 1e-6) << c.b.x;
        EXPECT_NEAR(b.y, c.cb.y, 1e-6) << c.b.y;
    }
}

TEST(CircleMeetsBox, OnlyOutlinesThroughTheBox)
{
    EXPECT_TRUE(circle_meets_box(page, Point(320, 260), 100));
    EXPECT_FALSE(circle_meets_box(page, Point(320, 260), 1e6));  // all around it
    EXPECT_FALSE(circle_meets_box(page, Point(1e7, 0), 5));
    EXPECT_TRUE(circle_meets_box(page, Point(-1e7, 260), 1e7 + 300));
    EXPECT_FALSE(circle_meets_box(page, Point(NAN, 0), 5));
}

// Every number of the text, line by line.
std::vector<std::vector<double>> numbers_of(const std::string &text)
{
    std::vector<std::vector<double>> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<double> numbers;
        std::istringstream words(line);
        std::string w;
        while (words >> w) {
            char *end;
            double d = std::strtod(w.c_str(), &end);
            if (end != w.c_str() && *end == 0)
                numbers.push_back(d);
        }
        lines.push_back(numbers);
    }
    return lines;
}

std::string printed(const View &view, void (*draw)(EPSView &))
{
    char *buffer = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&buffer, &size);
    {
        EPSView eps(view, f);
        draw(eps);
    }
    std::fclose(f);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

// The text holds no "nan" or "inf", every line's numbers are within the
// path limit, and every arc within the arc limit.
void expect_within_limits(const std::string &text)
{
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    EXPECT_EQ(text.find("inf"), std::string::npos) << text;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<double> n = numbers_of(line)[0];
        for (double d : n)
            EXPECT_LE(std::fabs(d), max_path_coordinate) << line;
        if (line.find(" arc ") != std::string::npos) {
            ASSERT_EQ(n.size(), 5u) << line;
            EXPECT_TRUE(arc_within_limit(Point(n[0], n[1]), n[2])) << line;
        }
    }
}

TEST(EPSViewLimits, FarGeometryIsTrimmedToThePage)
{
    View view(640, 520);  // page = world + (320, 260)
    struct Case {
        const char *what;
        void (*draw)(EPSView &);
        const char *expected;
    } cases[] = {
        {"a small arc far away", [](EPSView &e) { e.draw_circle(1, Point(2e5, 0), 5, 0, 2 * M_PI); },
         ""},
        {"an arc about a far centre through the page",
         [](EPSView &e) { e.draw_circle(1, Point(-1e7, 0), 1e7 + 20, 0, 2 * M_PI); },
         // Two chords: the range seen from the centre spans angle 0.
         "340 260 moveto 340 530 lineto stroke\n340 -10 moveto 340 260 lineto stroke\n"},
        {"the same arc, only its far side",
         [](EPSView &e) { e.draw_circle(1, Point(-1e7, 0), 1e7 + 20, M_PI / 2, 3 * M_PI / 2); },
         ""},
        {"a line across the page from beyond float range",
         [](EPSView &e) { e.draw_line(1, Point(-1e300, 0), Point(1e300, 0)); },
         "-10 260 moveto 650 260 lineto stroke\n"},
        {"a line that is not a number", [](EPSView &e) { e.draw_line(1, Point(NAN, 0), Point(0, 0)); },
         ""},
        {"a polygon with one far corner",
         [](EPSView &e) {
             Point p[3] = {Point(0, 0), Point(1e20, 0), Point(0, 100)};
             e.fill_polygon(1, 3, p);
         },
         // The edge back from the far corner runs just below y = 360.
         "320 260 moveto 650 260 lineto stroke\n650 360 moveto 320 360 lineto stroke\n"
         "320 360 moveto 320 260 lineto stroke\n"},
    };
    for (const Case &c : cases) {
        std::string text = printed(view, c.draw);
        expect_within_limits(text);
        // The chord's ends land on the page's margin: compare them rounded.
        std::ostringstream rounded;
        for (const std::vector<double> &n : numbers_of(text)) {
            if (n.empty())
                continue;
            rounded << std::lround(n[0]) << ' ' << std::lround(n[1]) << " moveto "
                    << std::lround(n[2]) << ' ' << std::lround(n[3]) << " lineto stroke\n";
        }
        EXPECT_EQ(rounded.str(), c.expected) << c.what << ":\n" << text;
    }
    // Within the limits, nothing changes: the arc is printed as always.
    EXPECT_EQ(printed(view, [](EPSView &e) { e.draw_circle(1, Point(9e4, 0), 5, 0, M_PI); }),
              "newpath 90320 260 5 0 180 arc stroke\n");
}

typedef std::vector<std::unique_ptr<Body>> Bodies;

// A vehicle that recorded the trail, parked at its last point.
Vehicle *vehicle_with_trail(Bodies &owned, World &world, const std::vector<Point> &trail)
{
    Vehicle *v = new Vehicle(20, 10);
    owned.emplace_back(v);
    for (const Point &p : trail) {
        v->place(p, 0.3);
        v->record_trail();
    }
    world.add_body(v);
    return v;
}

// What write_eps puts in a file.
std::string picture_text(World &world, View &view)
{
    char path[] = "/tmp/eps_limits.XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    close(fd);
    String saved = eps_name_pattern;
    eps_name_pattern = path;
    testing::internal::CaptureStderr();
    bool written = write_eps(&world, &view);
    std::string err = testing::internal::GetCapturedStderr();
    eps_name_pattern = saved;
    EXPECT_TRUE(written) << err;
    FILE *f = std::fopen(path, "r");
    std::string text;
    char buffer[4096];
    size_t n;
    while (f && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    if (f)
        std::fclose(f);
    std::remove(path);
    return text;
}

TEST(EPSWriterLimits, TrailsThatLeaveTheLimitsOrStopBeingNumbers)
{
    View view(640, 520);
    Bodies owned;
    World world;
    // Speeding away: the trail crosses the page, then runs off to 1e20.
    std::vector<Point> away;
    for (int i = 0; i < 60; i++)
        away.push_back(Point(-300 + i * 10.0 * std::pow(3, std::max(0, i - 10)), 5 * i));
    vehicle_with_trail(owned, world, away);
    // A position that became undefined, then a trail that never was finite.
    vehicle_with_trail(owned, world, {Point(0, 0), Point(10, 5), Point(NAN, NAN), Point(20, 0)});
    Vehicle *lost = vehicle_with_trail(owned, world, {Point(NAN, 0), Point(INFINITY, 1)});
    lost->place(Point(NAN, NAN), 0);
    owned.emplace_back(new Light(Point(2e8, 0), 1, -M_PI, M_PI, 6));
    world.add_body(owned.back().get());

    std::string text = picture_text(world, view);
    expect_within_limits(text);
    // The first trail still starts on the page and is drawn there.
    EXPECT_NE(text.find("\n20 260 moveto\n"), std::string::npos) << text;
    size_t vehicle2 = text.find("% Vehicle 1\n"), vehicle3 = text.find("% Vehicle 2\n");
    ASSERT_NE(vehicle3, std::string::npos);
    EXPECT_NE(text.substr(vehicle2, vehicle3 - vehicle2).find("rcurveto"), std::string::npos)
        << "the finite part of the second trail was lost";
    // Nothing of the third vehicle or of the far light is printed.
    size_t body3 = text.find("% Body 3\n");
    ASSERT_NE(body3, std::string::npos);
    EXPECT_EQ(text.substr(vehicle3, body3 - vehicle3), "% Vehicle 2\n[5 3] 0 setdash\n");
    EXPECT_EQ(text.substr(body3), "% Body 3\n[] 0 setdash 0.7 setgray\n0 setgray\n"
                                  "grestore showpage\n%%EOF\n");
}

// Fitting a trail whole copies it; with memory that short the trail is
// fitted piece by piece and still drawn, not lost.
TEST(EPSWriterLimits, ALongTrailIsStillDrawnWhenMemoryIsShort)
{
    View view(640, 520);
    Bodies owned;
    World world;
    std::vector<Point> trail;
    for (int i = 0; i < 5000; i++)
        trail.push_back(Point(200 * std::cos(i * 0.01), 200 * std::sin(i * 0.013)));
    vehicle_with_trail(owned, world, trail);
    std::string whole = picture_text(world, view);

    largest_allocation = 20000;  // a fifth of the trail's copy
    std::string pieces = picture_text(world, view);
    largest_allocation = SIZE_MAX;
    size_t curves = 0;
    for (size_t at = pieces.find("rcurveto"); at != std::string::npos;
         at = pieces.find("rcurveto", at + 1))
        curves++;
    EXPECT_GE(curves, 10u) << pieces;
    size_t first_curve = whole.find("rcurveto");
    ASSERT_NE(first_curve, std::string::npos);
    first_curve = whole.rfind('\n', first_curve);
    EXPECT_EQ(pieces.compare(0, first_curve, whole, 0, first_curve), 0);  // same start
    expect_within_limits(pieces);
}

}  // namespace
