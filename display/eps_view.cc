// PostScript drawing for EPS output.  Each operation prints one line.
#include "display/eps_view.hh"

#include <cmath>

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

void EPSView::draw_line(int, Point a, Point b)
{
    Point ta = transform(a), tb = transform(b);
    fprintf(_stream, "%g %g moveto %g %g lineto stroke\n", ta.x, ta.y, tb.x, tb.y);
}

void EPSView::draw_lines(int, int n, const Point *points, bool closed)
{
    if (n <= 0)
        return;
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
    fprintf(_stream, "newpath %g %g %g %g %g arc stroke\n", c.x, c.y,
            radius * _scale_x, start * 180 / M_PI, end * 180 / M_PI);
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
