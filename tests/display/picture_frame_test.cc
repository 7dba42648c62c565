// The fitted picture frame: everything the picture draws lands inside the
// page with the margin to spare, the frame is tight on one axis and keeps
// equal scales, and a world that draws nothing keeps the normal view.
#include "display/picture_frame.hh"

#include <gtest/gtest.h>

#include <cmath>

#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

// Where on the page each drawn point lands, and how far inside the page
// the nearest of them is.
class PageCheck : public View {
  public:
    explicit PageCheck(const View &view) : View(static_cast<Palette *>(nullptr))
    {
        copy_transform(view);
    }

    void draw_line(int, Point a, Point b) override
    {
        check(a, 0);
        check(b, 0);
    }
    void draw_lines(int, int n, const Point *p, bool) override
    {
        for (int i = 0; i < n; i++)
            check(p[i], 0);
    }
    void fill_polygon(int, int n, const Point *p) override { draw_lines(0, n, p, true); }
    void draw_circle(int, Point c, double r, double, double) override { check(c, r); }
    void fill_circle(int, Point c, double r, double, double) override { check(c, r); }

    // Page coordinates of p, with a disc of world radius r around it.
    void check(Point p, double r)
    {
        double x = (p.x - _origin.x) * _scale_x, y = (p.y - _origin.y) * _scale_y;
        double pr = std::fabs(r) * _scale_x;
        double inside = std::fmin(std::fmin(x - pr, _width - x - pr),
                                  std::fmin(y - pr, _height - y - pr));
        nearest = std::fmin(nearest, inside);
        points++;
    }

    double nearest = INFINITY;
    int points = 0;
};

TEST(PictureFrame, EverythingDrawnFitsInsideTheMargin)
{
    World &world = lasting_world();
    const Point places[] = {{-5000, 300}, {8000, -2000}, {10, 10}, {40, 3000}};
    Vector<Vehicle *> vehicles;
    for (Point p : places) {
        Vehicle *v = keep(new Vehicle(20, 12));
        world.add_body(v);
        v->place(p, 0.5);
        v->record_trail();
        vehicles.push_back(v);
    }
    // Trails that reach past every body.
    vehicles[0]->place(Point(-9000, -7000), 1);
    vehicles[0]->record_trail();
    vehicles[0]->place(places[0], 0.5);
    world.add_body(keep(new Light(Point(-250, 0), 1, -M_PI, M_PI, 10.0)));
    world.add_body(keep(new Light(Point(250, 0), 1, -M_PI, M_PI, 10.0)));

    for (Point size : {Point(640, 520), Point(300, 900), Point(50, 50)}) {
        View view(size.x, size.y);
        View framed = framed_view(&world, view);
        EXPECT_EQ(view.width(), framed.width());
        EXPECT_EQ(view.height(), framed.height());
        EXPECT_EQ(framed.scale_x(), framed.scale_y());
        EXPECT_LT(framed.scale_x(), 0.1);

        PageCheck page(framed);
        for (Body *b : world.bodies()) {
            b->draw(&page);
            if (Vehicle *v = b->as_vehicle())
                for (Point p : v->trail())
                    page.check(p, 0);
        }
        ASSERT_GT(page.points, 20);
        double margin = frame_margin(view.width(), view.height());
        // Inside with the margin to spare, and no more than that on the
        // axis that decides the scale.
        EXPECT_NEAR(margin, page.nearest, 1e-6 * view.width()) << size.x << "x" << size.y;
    }
}

TEST(PictureFrame, NothingDrawnKeepsTheNormalView)
{
    World &world = lasting_world();
    View view(640, 520);
    view.zoom(2);
    View framed = framed_view(&world, view);
    EXPECT_EQ(view.origin(), framed.origin());
    EXPECT_EQ(view.scale_x(), framed.scale_x());

    // A vehicle far beyond the range of a double's span: no usable scale.
    Vehicle *far = keep(new Vehicle(20, 12));
    world.add_body(far);
    far->place(Point(-1.5e308, 0), 0);
    far->record_trail();
    far->place(Point(1.5e308, 0), 0);
    framed = framed_view(&world, view);
    EXPECT_EQ(view.origin(), framed.origin());
    EXPECT_EQ(view.scale_x(), framed.scale_x());
}

}  // namespace
