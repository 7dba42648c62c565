// EPS output: the name pattern check, the PostScript of each drawing
// operation, whole documents written from a small world built by hand,
// file numbering and every way a file can fail to be written.
#include "display/eps.hh"
#include "display/eps_view.hh"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "lib/program_name.hh"
#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

namespace {

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// What an EPSView prints for the drawing done by `draw'.
template <typename F>
std::string eps_text(const View &view, F draw)
{
    char *buffer = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&buffer, &size);
    {
        EPSView eps(view, f);
        draw(eps);
    }
    fclose(f);
    std::string text(buffer, size);
    free(buffer);
    return text;
}

// A fresh temporary directory per test, and the writer's state reset.
class EPSFiles : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/eps_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        eps_file_number = 0;
        saved_pattern = eps_name_pattern;
    }
    void TearDown() override
    {
        eps_name_pattern = saved_pattern;
        std::string cmd = "rm -rf '" + dir + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
    }
    void use_pattern(const std::string &pattern)
    {
        ASSERT_TRUE(eps_pattern_ok(pattern.c_str())) << pattern;
        handle_output_eps_option(pattern.c_str());
    }
    // Runs write_eps and returns what it printed on standard error.
    std::string write(World *world, View *view)
    {
        testing::internal::CaptureStderr();
        write_eps(world, view);
        return testing::internal::GetCapturedStderr();
    }

    // Bodies for a world built by hand; the world owns none of them.
    Vehicle *vehicle_at(Point p)
    {
        Vehicle *v = new Vehicle(20, 10);
        owned.emplace_back(v);
        v->place(p, 0);
        return v;
    }
    Light *light_at(Point p, double strength)
    {
        Light *l = new Light(p, 1, -M_PI, M_PI, strength);
        owned.emplace_back(l);
        return l;
    }

    std::string dir;
    String saved_pattern;
    std::vector<std::unique_ptr<Body>> owned;
};

// A vehicle-like trail that wanders and turns, for documents worth rendering.
void drive(Vehicle *v, Point start, double heading, int n)
{
    Point p = start;
    for (int i = 0; i < n; i++) {
        v->place(p, heading);
        v->record_trail();
        heading += 0.2 * std::sin(i * 0.1) + (i % 17 == 0 ? 1.2 : 0);
        p += Point(std::cos(heading), std::sin(heading)) * 4;
    }
}

std::string gs_error;

// Renders the EPS file with Ghostscript; returns the PNG's size, or (-1, -1)
// on failure with the reason in gs_error.  Skips when there is no gs.
bool render(const std::string &eps, int &width, int &height)
{
    std::string png = eps + ".png", log = eps + ".log";
    std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m -o '"
        + png + "' '" + eps + "' >'" + log + "' 2>&1";
    int status = system(cmd.c_str());
    gs_error = read_file(log);
    if (status != 0 || gs_error.find("Error") != std::string::npos)
        return false;
    std::string data = read_file(png);
    if (data.size() < 24 || data.compare(1, 3, "PNG") != 0)
        return false;
    auto be32 = [&](int at) {
        return (int) ((unsigned char) data[at] << 24 | (unsigned char) data[at + 1] << 16
                      | (unsigned char) data[at + 2] << 8 | (unsigned char) data[at + 3]);
    };
    width = be32(16);
    height = be32(20);
    return true;
}

bool have_gs()
{
    return system("command -v gs >/dev/null 2>&1") == 0;
}

}  // namespace

TEST(EPSPattern, Check)
{
    struct Case {
        const char *pattern;
        bool ok;
    } cases[] = {
        {"xtinkerbot.eps.%03d", true}, {"out%d.eps", true}, {"run-%-4i.eps", true},
        {"100%%-%u.eps", true}, {"fixed.eps", true}, {"", true}, {"-", true},
        {"% +#09d", true}, {"%%%%", true}, {"%5-3d", true},
        // Names must fit the system's path length limit, 4095 bytes.
        {"%4095d", true}, {"%%%4094d", true}, {"a%4095d", false}, {"%99999d", false},
        {"a%2147483646d", false}, {"%99999999999999999999d", false},
        {"a%s", false}, {"a%5.2d", false}, {"a%ld", false}, {"a%d%d", false},
        {"a%", false}, {"a%5", false}, {"%d%%%i", false}, {"%%%", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(eps_pattern_ok(c.pattern), c.ok) << c.pattern;
}

TEST(EPSPattern, OptionKeepsThePatternOnABadName)
{
    String saved = eps_name_pattern;
    program_name = "xtinkerbot";
    set_default_eps_pattern();
    EXPECT_TRUE(eps_name_pattern.equals("xtinkerbot.eps.%03d", -1));

    handle_output_eps_option("run%d.eps");
    EXPECT_TRUE(eps_name_pattern.equals("run%d.eps", -1));
    testing::internal::CaptureStderr();
    handle_output_eps_option("%s");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "xtinkerbot: bad output EPS name\n");
    EXPECT_TRUE(eps_name_pattern.equals("run%d.eps", -1));
    eps_name_pattern = saved;
}

TEST(EPSView, DrawingOperations)
{
    View view(640, 520);  // origin (-320, -260), one pixel per unit
    Point tri[3] = {Point(0, 0), Point(10, 0), Point(10, 10)};

    EXPECT_EQ(eps_text(view, [](EPSView &e) { e.draw_line(3, Point(0, 0), Point(10, 10)); }),
              "320 260 moveto 330 270 lineto stroke\n");
    EXPECT_EQ(eps_text(view, [&](EPSView &e) { e.draw_lines(3, 3, tri, false); }),
              "320 260 moveto 330 260 lineto 330 270 lineto stroke\n");
    EXPECT_EQ(eps_text(view, [&](EPSView &e) { e.draw_lines(3, 3, tri, true); }),
              "320 260 moveto 330 260 lineto 330 270 lineto closepath stroke\n");
    EXPECT_EQ(eps_text(view, [](EPSView &e) { e.draw_circle(3, Point(-5, 5), 7, -M_PI, M_PI); }),
              "newpath 315 265 7 -180 180 arc stroke\n");
    EXPECT_EQ(eps_text(view, [](EPSView &e) { e.draw_circle(3, Point(0, 0), 2, 0, M_PI / 2); }),
              "newpath 320 260 2 0 90 arc stroke\n");
    // Line art: fills become outlines, background fills vanish.
    EXPECT_EQ(eps_text(view, [&](EPSView &e) { e.fill_polygon(0, 3, tri); }), "");
    EXPECT_EQ(eps_text(view, [&](EPSView &e) { e.fill_polygon(2, 3, tri); }),
              "320 260 moveto 330 260 lineto 330 270 lineto closepath stroke\n");
    EXPECT_EQ(eps_text(view, [](EPSView &e) { e.fill_circle(0, Point(0, 0), 4, -M_PI, M_PI); }),
              "newpath 320 260 4 -180 180 arc stroke\n");
    // Unrounded coordinates.
    EXPECT_EQ(eps_text(view, [](EPSView &e) { e.draw_line(1, Point(0.25, -0.5), Point(1e-3, 0)); }),
              "320.25 259.5 moveto 320.001 260 lineto stroke\n");
}

TEST(EPSView, FollowsTheViewTransformButNotItsTrails)
{
    View view(640, 520);
    view.set_trails(true);
    view.zoom(1.2);
    view.pan(0.25, 0);
    EPSView eps(view, stdout);
    EXPECT_FALSE(eps.trails());
    EXPECT_EQ(eps.window(), 0u);
    EXPECT_EQ(eps.width(), 640);
    EXPECT_EQ(eps.height(), 520);
    EXPECT_EQ(eps.origin(), view.origin());
    EXPECT_EQ(eps.scale_x(), view.scale_x());
    EXPECT_EQ(eps.scale_y(), view.scale_y());

    // After zooming in by 1.2 coordinates scale around the window centre.
    View zoomed(640, 520);
    zoomed.zoom(1.2);
    EXPECT_EQ(eps_text(zoomed, [](EPSView &e) { e.draw_line(1, Point(0, 0), Point(10, -10)); }),
              "320 260 moveto 332 248 lineto stroke\n");
    EXPECT_EQ(eps_text(zoomed, [](EPSView &e) { e.draw_circle(1, Point(0, 0), 10, 0, M_PI); }),
              "newpath 320 260 12 0 180 arc stroke\n");
}

namespace {

// Fills go through the virtual outline and arc operations.
class CountingEPSView : public EPSView {
  public:
    CountingEPSView(const View &v, FILE *f) : EPSView(v, f) {}
    void draw_lines(int, int, const Point *, bool closed) override { lines += closed; }
    void draw_circle(int, Point, double, double, double) override { circles++; }
    int lines = 0;
    int circles = 0;
};

}  // namespace

TEST(EPSView, FillsDispatchThroughTheOutlineOperations)
{
    View view(100, 100);
    Point sq[4] = {Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 1)};
    CountingEPSView eps(view, stdout);
    View *v = &eps;
    v->fill_polygon(5, 4, sq);
    v->fill_polygon(0, 4, sq);
    v->fill_circle(0, Point(0, 0), 3, 0, 1);
    EXPECT_EQ(eps.lines, 1);
    EXPECT_EQ(eps.circles, 1);
}

TEST_F(EPSFiles, WholeDocumentForOneVehicleAndOneLight)
{
    View view(640, 520);
    World world;
    Vehicle *v = vehicle_at(Point(0, 0));
    v->record_trail();
    v->place(Point(30, 0), 0);
    v->record_trail();
    world.add_body(v);
    world.add_body(light_at(Point(-100, 50), 10));
    use_pattern(dir + "/pic.eps.%03d");

    std::string err = write(&world, &view);
    std::string name = dir + "/pic.eps.001";
    EXPECT_EQ(err, "EPS written to `" + name + "'\n");
    std::vector<std::string> want = {
        "%!PS-Adobe-3.0 EPSF-3.0",
        "%%BoundingBox: 0 0 640 520",
        "%%EndComments",
        "%%Page: 1 1",
        "gsave 0 0 640 520 rectclip",
        "% Vehicle 0",
        "[] 0 setdash",
        "320 260 moveto",
        "10 0 20 0 30 0 rcurveto",
        "stroke",
        "340 255 moveto 340 265 lineto 360 265 lineto 360 255 lineto closepath stroke",
        "% Body 1",
        "[] 0 setdash 0.7 setgray",
        "newpath 220 310 10 -180 180 arc stroke",
        "newpath 220 310 15 -180 180 arc stroke",
        "newpath 220 310 12 -180 180 arc stroke",
        "0 setgray",
        "grestore showpage",
        "%%EOF",
    };
    EXPECT_EQ(lines_of(read_file(name)), want);
}

TEST_F(EPSFiles, DashPatternsAndTrailShapes)
{
    View view(640, 520);
    World world;
    std::vector<Vehicle *> vs;
    for (int i = 0; i < 5; i++) {
        vs.push_back(vehicle_at(Point(i * 40 - 100, 0)));
        world.add_body(vs.back());
        if (i == 1)
            world.add_body(light_at(Point(0, 100), 20));  // body 2
    }
    // Vehicle 0: no trail.  Vehicle 1: one point, repeated.
    vs[1]->record_trail();
    vs[1]->record_trail();
    use_pattern(dir + "/d%d.eps");
    write(&world, &view);
    std::vector<std::string> lines = lines_of(read_file(dir + "/d1.eps"));

    std::vector<std::string> marks;
    for (const std::string &l : lines)
        if (l[0] == '%' && l[1] == ' ')
            marks.push_back(l);
        else if (l.find("setdash") != std::string::npos)
            marks.push_back(l);
    std::vector<std::string> want = {
        "% Vehicle 0", "[] 0 setdash",
        "% Vehicle 1", "[1 2] 0 setdash",
        "% Body 2", "[] 0 setdash 0.7 setgray",
        "% Vehicle 3", "[5 3] 0 setdash",
        "% Vehicle 4", "[8 3 2 3] 0 setdash",
        "% Vehicle 5", "[] 0 setdash",
    };
    EXPECT_EQ(marks, want);

    // No trail: the vehicle's outline follows its dash line directly.
    auto at = std::find(lines.begin(), lines.end(), "% Vehicle 0");
    ASSERT_TRUE(at + 2 < lines.end());
    EXPECT_NE(at[2].find("closepath stroke"), std::string::npos) << at[2];
    // One point: a moveto and one curve of zero offsets.
    at = std::find(lines.begin(), lines.end(), "% Vehicle 1");
    ASSERT_TRUE(at + 4 < lines.end());
    EXPECT_EQ(at[2], "260 260 moveto");
    EXPECT_EQ(at[3], "0 0 0 0 0 0 rcurveto");
    EXPECT_EQ(at[4], "stroke");
}

TEST_F(EPSFiles, RelativeCurvesAddUpToTheTrail)
{
    View view(640, 520);
    view.zoom(1.2);
    World world;
    Vehicle *v = vehicle_at(Point(0, 0));
    drive(v, Point(-50, -40), 0.3, 400);
    world.add_body(v);
    use_pattern(dir + "/t.eps");
    write(&world, &view);
    std::vector<std::string> lines = lines_of(read_file(dir + "/t.eps"));

    // Replay moveto and rcurveto: the pen ends at the last trail point.
    double x = NAN, y = NAN;
    int curves = 0;
    for (const std::string &l : lines) {
        double a[6];
        int used = 0;
        if (sscanf(l.c_str(), "%lf %lf moveto%n", &a[0], &a[1], &used) == 2
            && used == (int) l.size()) {
            x = a[0];
            y = a[1];
        } else if (sscanf(l.c_str(), "%lf %lf %lf %lf %lf %lf rcurveto",
                          &a[0], &a[1], &a[2], &a[3], &a[4], &a[5]) == 6) {
            x += a[4];
            y += a[5];
            curves++;
        }
    }
    EPSView eps(view, stdout);
    Point last = eps.transform(v->trail().back());
    EXPECT_GT(curves, 1);
    EXPECT_NEAR(x, last.x, 0.01);
    EXPECT_NEAR(y, last.y, 0.01);
}

TEST_F(EPSFiles, NumberingAndStandardOutput)
{
    View view(640, 520);
    World world;
    world.add_body(vehicle_at(Point(0, 0)));
    use_pattern(dir + "/xtinkerbot.eps.%03d");
    EXPECT_EQ(write(&world, &view), "EPS written to `" + dir + "/xtinkerbot.eps.001'\n");
    EXPECT_EQ(write(&world, &view), "EPS written to `" + dir + "/xtinkerbot.eps.002'\n");
    EXPECT_TRUE(exists(dir + "/xtinkerbot.eps.001"));
    EXPECT_TRUE(exists(dir + "/xtinkerbot.eps.002"));
    EXPECT_EQ(read_file(dir + "/xtinkerbot.eps.001"), read_file(dir + "/xtinkerbot.eps.002"));

    // "-" and "" write to standard output, silently, without numbering.
    for (const char *pattern : {"-", ""}) {
        handle_output_eps_option(pattern);
        testing::internal::CaptureStdout();
        std::string err = write(&world, &view);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(err, "") << pattern;
        EXPECT_EQ(out, read_file(dir + "/xtinkerbot.eps.001")) << pattern;
        EXPECT_EQ(eps_file_number, 2) << pattern;
    }

    // Without a conversion every picture rewrites the same file.
    use_pattern(dir + "/same.eps");
    write(&world, &view);
    EXPECT_EQ(write(&world, &view), "EPS written to `" + dir + "/same.eps'\n");
    EXPECT_EQ(eps_file_number, 4);

    // A name of any width, in full.
    use_pattern(dir + "/%0200d");
    write(&world, &view);
    EXPECT_TRUE(exists(dir + "/" + std::string(199, '0') + "5"));
}

TEST_F(EPSFiles, FailuresAreReportedAndTheNumberMovesOn)
{
    View view(640, 520);
    World world;
    world.add_body(vehicle_at(Point(0, 0)));

    use_pattern(dir + "/missing/pic.%03d");
    EXPECT_EQ(write(&world, &view), dir + "/missing/pic.001: No such file or directory\n");
    EXPECT_EQ(write(&world, &view), dir + "/missing/pic.002: No such file or directory\n");

    // Patterns the check refuses never reach the formatter from the
    // command line; set directly, they are still refused without building
    // the name, and reported under the pattern.
    for (const char *pattern : {"%99999d", "a%2147483646d", "%99999999999d"}) {
        int before = eps_file_number;
        eps_name_pattern = pattern;
        EXPECT_EQ(write(&world, &view), std::string(pattern) + ": File name too long\n");
        EXPECT_EQ(eps_file_number, before + 1);
    }

    // A full device: the file opened, so it is announced, then the failure.
    if (exists("/dev/full")) {
        use_pattern("/dev/full");
        EXPECT_EQ(write(&world, &view),
                  "EPS written to `/dev/full'\n/dev/full: No space left on device\n");
    }
}

TEST_F(EPSFiles, FullStandardOutputIsReported)
{
    if (!exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    View view(640, 520);
    World world;
    world.add_body(vehicle_at(Point(0, 0)));
    handle_output_eps_option("-");

    fflush(stdout);
    int saved = dup(1);
    int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    dup2(full, 1);
    close(full);
    std::string err = write(&world, &view);
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    clearerr(stdout);
    EXPECT_EQ(err, "<standard output>: No space left on device\n");

    // Standard output stays usable, and a good write reports nothing.
    testing::internal::CaptureStdout();
    err = write(&world, &view);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(err, "");
    EXPECT_EQ(out.compare(0, 11, "%!PS-Adobe-"), 0);
    EXPECT_EQ(out.find("%%EOF"), out.size() - 6) << "more than one document";
}

TEST_F(EPSFiles, DocumentsRenderWithGhostscript)
{
    if (!have_gs())
        GTEST_SKIP() << "gs is not installed";
    View view(640, 520);
    view.zoom(1.2);
    World world;
    for (int i = 0; i < 5; i++) {
        Vehicle *v = vehicle_at(Point(0, 0));
        drive(v, Point(i * 30 - 60, i * 20 - 40), i * 1.3, 150 + 40 * i);
        world.add_body(v);
        if (i == 2)
            world.add_body(light_at(Point(50, 60), 15));
    }
    Vehicle *parked = vehicle_at(Point(-200, 150));
    parked->record_trail();
    world.add_body(parked);
    use_pattern(dir + "/r.eps");
    write(&world, &view);

    int width = -1, height = -1;
    EXPECT_TRUE(render(dir + "/r.eps", width, height)) << gs_error;
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 520);
}
