// Cubic Bezier segments and the fitting of a vehicle's trail with a smooth
// chain of them, for EPS output: least-squares fitting with Newton-Raphson
// reparameterisation and splitting at the worst point (Schneider's method
// for digitised curves).
#ifndef XTINKERBOT_DISPLAY_BEZIER_HH
#define XTINKERBOT_DISPLAY_BEZIER_HH

#include "lib/point.hh"
#include "lib/vector.hh"

// Start point, first control point, second control point, end point.
struct Bezier {
    Point p[4];

    Bezier() = default;
    Bezier(Point p0, Point p1, Point p2, Point p3) : p{p0, p1, p2, p3} {}

    Point eval(double t) const;
};

// de Casteljau evaluation of the curve of degree `degree' (at most 3)
// whose degree + 1 control points are `points'.
Point eval_bezier(const Point *points, int degree, double t);

// Appends to `out' a continuous chain of segments approximating `points'
// in path order.  `tolerance' bounds the squared distance between a point
// and the segment that covers it.  An empty input appends nothing.
void fit_beziers(const Vector<Point> &points, Vector<Bezier> &out,
                 double tolerance);

#endif
