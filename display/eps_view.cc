// PostScript drawing for EPS output.  Each operation prints one line,
// unless its geometry is beyond what an interpreter takes
// (display/eps_limits.hh): then only its parts near the page are printed,
// as separate strokes, and nothing of what is not finite.
#include "display/eps_view.hh"

#include <cmath>

#include "display/eps_limits.hh"

namespace {

// Segments of arcs beyond the limit: short enough to stray less than a
// quarter point from the circle, and never more than this many.
const int max_arc_segments = 256;

}  // namespace

// A bare view on the same palette, with the window view's size and
// transform and nothing of its window.  Raw trails stay off: the EPS writer
// draws the trails itself, as fitted curves.
EPSView::EPSView(const View &view, FILE *stream)
    : View(view.palette()), _stream(stream)
{
    copy_transform(view);
}

Point EPSView::transform(Point p) const
{
    return Point((p.x - _origin.x) * _scale_x, (p.y - _origin.y) * _scale_y);
}

PageBox EPSView::page_box() const
{
    return PageBox(_width, _height);
}

void EPSView::print_segment_on_page(Point a, Point b)
{
    if (clip_segment(page_box(), a, b))
        fprintf(_stream, "%g %g moveto %g %g lineto stroke\n", a.x, a.y, b.x, b.y);
}

void EPSView::draw_line(int, Point a, Point b)
{
    Point ta = transform(a), tb = transform(b);
    if (within_path_limit(ta) && within_path_limit(tb))
        fprintf(_stream, "%g %g moveto %g %g lineto stroke\n", ta.x, ta.y, tb.x, tb.y);
    else
        print_segment_on_page(ta, tb);
}

void EPSView::draw_lines(int, int n, const Point *points, bool closed)
{
    if (n <= 0)
        return;
    for (int i = 0; i < n; i++)
        if (!within_path_limit(transform(points[i]))) {
            for (int j = 0; j + 1 < n; j++)
                print_segment_on_page(transform(points[j]), transform(points[j + 1]));
            if (closed && n > 2)
                print_segment_on_page(transform(points[n - 1]), transform(points[0]));
            return;
        }
    Point t = transform(points[0]);
    fprintf(_stream, "%g %g moveto ", t.x, t.y);
    for (int i = 1; i < n; i++) {
        t = transform(points[i]);
        fprintf(_stream, "%g %g lineto ", t.x, t.y);
    }
    fputs(closed ? "closepath stroke\n" : "stroke\n", _stream);
}

void EPSView::draw_circle(int, Point centre, double radius, double start, double end)
{
    Point c = transform(centre);
    double r = radius * _scale_x;
    if (arc_within_limit(c, r) && std::isfinite(start) && std::isfinite(end))
        fprintf(_stream, "newpath %g %g %g %g %g arc stroke\n", c.x, c.y, r,
                start * 180 / M_PI, end * 180 / M_PI);
    else if (circle_meets_box(page_box(), c, r))
        print_arc_on_page(c, r, start, end);
}

// Beyond the limit, an arc that still meets the page is so large that the
// page sees a sliver of it: drawn as a few chords near the page.
void EPSView::print_arc_on_page(Point c, double r, double start, double end)
{
    double ranges[max_arc_ranges][2];
    int n = arc_ranges_near_box(page_box(), c, r, start, end, ranges);
    double step = std::sqrt(2 / std::fabs(r));
    for (int i = 0; i < n; i++) {
        double a = ranges[i][0], b = ranges[i][1];
        int segments = (int) std::fmin(std::ceil((b - a) / step), max_arc_segments);
        if (segments < 1)
            segments = 1;
        Point from = c + Point(std::cos(a), std::sin(a)) * r;
        for (int k = 1; k <= segments; k++) {
            double t = a + (b - a) * k / segments;
            Point to = c + Point(std::cos(t), std::sin(t)) * r;
            print_segment_on_page(from, to);
            from = to;
        }
    }
}

// Line art only: a filled shape becomes its outline, and a polygon filled in
// the background colour, which only hides what lies under it, is left out.
void EPSView::fill_polygon(int colour, int n, const Point *points)
{
    if (colour != 0)
        draw_lines(colour, n, points, true);
}

void EPSView::fill_circle(int colour, Point centre, double radius, double start, double end)
{
    draw_circle(colour, centre, radius, start, end);
}
