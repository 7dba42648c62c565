// Framing by drawing: every body draws itself on a view that only records
// the extent of what it is asked to draw, so the frame holds exactly what
// the EPS writer will draw, whatever shapes the bodies are made of.  Trails
// are added point by point; their fitted curves pass within the fitting
// tolerance of those points, well inside the margin.
//
// Only the transform changes.  The page keeps its size, so line widths and
// the trail-fitting rules are those of a normal picture; the bodies simply
// come out smaller (or larger) with the scale.
#include "display/picture_frame.hh"

#include <cmath>

#include "sim/vehicle.hh"
#include "sim/world.hh"

namespace {

// Records the smallest box around every finite point it is asked to draw;
// a circle counts as its whole disc.
class ExtentView : public View {
  public:
    ExtentView() : View(static_cast<Palette *>(nullptr)) {}

    void draw_line(int, Point a, Point b) override
    {
        add(a);
        add(b);
    }
    void draw_lines(int, int n, const Point *points, bool) override
    {
        for (int i = 0; i < n; i++)
            add(points[i]);
    }
    void draw_circle(int, Point centre, double radius, double, double) override
    {
        add_disc(centre, radius);
    }
    void fill_polygon(int, int n, const Point *points) override
    {
        for (int i = 0; i < n; i++)
            add(points[i]);
    }
    void fill_circle(int, Point centre, double radius, double, double) override
    {
        add_disc(centre, radius);
    }
    void draw_trail(int, int n, const Point *points, Point end) override
    {
        for (int i = 0; i < n; i++)
            add(points[i]);
        add(end);
    }

    void add(Point p)
    {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return;
        if (!_any) {
            _lo = _hi = p;
            _any = true;
            return;
        }
        _lo.x = std::fmin(_lo.x, p.x);
        _lo.y = std::fmin(_lo.y, p.y);
        _hi.x = std::fmax(_hi.x, p.x);
        _hi.y = std::fmax(_hi.y, p.y);
    }

    bool any() const { return _any; }
    Point lo() const { return _lo; }
    Point hi() const { return _hi; }

  private:
    bool _any = false;
    Point _lo, _hi;

    void add_disc(Point centre, double radius)
    {
        double r = std::fabs(radius);
        add(Point(centre.x - r, centre.y - r));
        add(Point(centre.x + r, centre.y + r));
    }
};

// Pixels per unit that fit span into room; infinite for an empty span.
double fitting_scale(double room, double span)
{
    return span > 0 ? room / span : INFINITY;
}

}  // namespace

double frame_margin(int width, int height)
{
    int side = width < height ? width : height;
    double m = side / 25.0;
    return m >= 1 ? m : 1;
}

View framed_view(World *world, const View &view)
{
    ExtentView extent;
    for (Body *body : world->bodies()) {
        body->draw(&extent);
        if (Vehicle *v = body->as_vehicle())
            for (Point p : v->trail())
                extent.add(p);
    }
    View framed(view);
    if (!extent.any())
        return framed;

    Point lo = extent.lo(), hi = extent.hi();
    double margin = frame_margin(view.width(), view.height());
    double room_x = view.width() - 2 * margin, room_y = view.height() - 2 * margin;
    double scale = std::fmin(fitting_scale(room_x, hi.x - lo.x),
                             fitting_scale(room_y, hi.y - lo.y));
    if (std::isinf(scale))
        scale = view.scale_x();
    // Spans too wide for a double (or pages with no room) leave no usable
    // scale: the normal picture is the best there is.
    if (!(scale > 0) || !std::isfinite(scale))
        return framed;
    Point centre(lo.x / 2 + hi.x / 2, lo.y / 2 + hi.y / 2);
    Point origin(centre.x - view.width() / 2.0 / scale, centre.y - view.height() / 2.0 / scale);
    framed.set_transform(origin, scale);
    return framed;
}
