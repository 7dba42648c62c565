// Trail fitting.  A span of points between two end tangents gets one cubic
// segment by least squares over chord-length parameters; if some point
// lies too far from it, and the error is close enough, the parameters are
// refined by Newton-Raphson and the segment solved again; if the span still
// does not fit it is split at its worst point with a shared centre tangent,
// so the chain stays smooth there.
//
// The splitting is naturally recursive (left half, then right half), but a
// long trail that splits at nearly every point would nest a million deep,
// so spans wait on an explicit stack instead, the right half pushed below
// the left one: segments come out in exactly the recursive order.
#include "display/bezier.hh"

#include <cmath>

Point eval_bezier(const Point *points, int degree, double t)
{
    ASSERT(degree < 4);
    Point q[4];
    for (int i = 0; i <= degree; i++)
        q[i] = points[i];
    for (int r = 1; r <= degree; r++)
        for (int j = 0; j <= degree - r; j++)
            q[j] = q[j] * (1 - t) + q[j + 1] * t;
    return q[0];
}

Point Bezier::eval(double t) const
{
    return eval_bezier(p, 3, t);
}

namespace {

const double control_divisor = 3;      // two-point and fallback control distance
const double centre_tangent_half = 0.5;
const int reparameterise_passes = 4;
const double singular_factor = 1e-11;  // stands in for a zero determinant

// v divided by its length; a zero vector stays as it is.
Point unit(Point v)
{
    double len = length(v);
    return len != 0 ? v / len : v;
}

// One span still to fit: n points from d[first], with the tangents at its
// ends pointing into it.
struct Span {
    int first = 0;
    int n = 0;
    Point t1;
    Point t2;
};

void chord_parameters(const Point *d, int n, double *u)
{
    u[0] = 0;
    for (int i = 1; i < n; i++)
        u[i] = u[i - 1] + length(d[i] - d[i - 1]);
    for (int i = 1; i < n; i++)
        u[i] /= u[n - 1];
}

// The segment from d[0] to d[n-1] with end tangents t1 and t2 whose control
// distances minimise the squared error at the parameters u.
Bezier solve_control_points(const Point *d, int n, const double *u,
                            Point t1, Point t2)
{
    Point first = d[0], last = d[n - 1];
    double c00 = 0, c01 = 0, c11 = 0, x0 = 0, x1 = 0;
    for (int i = 0; i < n; i++) {
        double v = u[i], w = 1 - v;
        double b0 = w * w * w, b1 = 3 * v * w * w;
        double b2 = 3 * v * v * w, b3 = v * v * v;
        Point a1 = t1 * b1, a2 = t2 * b2;
        Point tmp = d[i] - (first * (b0 + b1) + last * (b2 + b3));
        c00 += dot(a1, a1);
        c01 += dot(a1, a2);
        c11 += dot(a2, a2);
        x0 += dot(a1, tmp);
        x1 += dot(a2, tmp);
    }
    double det = c00 * c11 - c01 * c01;
    if (det == 0)
        det = c00 * c11 * singular_factor;
    double alpha_l = (x0 * c11 - x1 * c01) / det;
    double alpha_r = (c00 * x1 - c01 * x0) / det;
    if (alpha_l < 0 || alpha_r < 0)
        alpha_l = alpha_r = length(first - last) / control_divisor;
    return Bezier(first, first + t1 * alpha_l, last + t2 * alpha_r, last);
}

// The largest squared distance from an interior point to the segment, and
// in `split' where it occurs (the last of equal maxima).
double max_deviation(const Bezier &b, const Point *d, int n, const double *u,
                     int &split)
{
    double err = 0;
    split = n / 2;
    for (int i = 1; i < n - 1; i++) {
        Point diff = b.eval(u[i]) - d[i];
        double dist = dot(diff, diff);
        if (dist >= err) {
            err = dist;
            split = i;
        }
    }
    return err;
}

// One Newton-Raphson step towards the parameter of the closest point of b,
// for every point.  A step that comes out non-finite (its denominator is 0,
// as at an end whose control point coincides with it) keeps the old value:
// taking it would turn the whole segment into NaNs.
void reparameterise(const Bezier &b, const Point *d, int n, double *u)
{
    Point q1[3], q2[2];
    for (int k = 0; k < 3; k++)
        q1[k] = (b.p[k + 1] - b.p[k]) * 3;
    for (int k = 0; k < 2; k++)
        q2[k] = (q1[k + 1] - q1[k]) * 2;
    for (int j = 0; j < n; j++) {
        Point q = b.eval(u[j]) - d[j];
        Point dq = eval_bezier(q1, 2, u[j]);
        Point ddq = eval_bezier(q2, 1, u[j]);
        double next = u[j] - dot(q, dq) / (dot(dq, dq) + dot(q, ddq));
        if (std::isfinite(next))
            u[j] = next;
    }
}

class Fitter {
  public:
    Fitter(const Point *d, int n, Vector<Bezier> &out, double tolerance)
        : _d(d), _out(out), _tolerance(tolerance), _u(n) {}

    void fit(Point t1, Point t2, int n);

  private:
    const Point *_d;
    Vector<Bezier> &_out;
    double _tolerance;
    Vector<double> _u;        // parameters of the current span, reused
    Vector<Span> _pending;    // spans still to fit, next on top

    bool fit_span(const Span &s, int &split);
};

void Fitter::fit(Point t1, Point t2, int n)
{
    _u.resize(n, 0.0);
    Span whole;
    whole.n = n;
    whole.t1 = t1;
    whole.t2 = t2;
    _pending.push_back(whole);
    while (!_pending.empty()) {
        Span s = _pending.back();
        _pending.pop_back();
        int split;
        if (fit_span(s, split))
            continue;
        const Point *d = _d + s.first;
        Point tc = unit((d[split - 1] - d[split + 1]) * centre_tangent_half);
        Span left, right;
        left.first = s.first;
        left.n = split + 1;
        left.t1 = s.t1;
        left.t2 = tc;
        right.first = s.first + split;
        right.n = s.n - split;
        right.t1 = -tc;
        right.t2 = s.t2;
        _pending.push_back(right);
        _pending.push_back(left);
    }
}

// Appends the span's segment and returns true, or returns false with the
// index (within the span) to split at.
bool Fitter::fit_span(const Span &s, int &split)
{
    const Point *d = _d + s.first;
    int n = s.n;
    if (n == 2) {
        double dist = length(d[0] - d[1]) / control_divisor;
        _out.push_back(Bezier(d[0], d[0] + s.t1 * dist, d[1] + s.t2 * dist, d[1]));
        return true;
    }
    double *u = _u.begin();
    chord_parameters(d, n, u);
    Bezier b = solve_control_points(d, n, u, s.t1, s.t2);
    double err = max_deviation(b, d, n, u, split);
    if (err < _tolerance) {
        _out.push_back(b);
        return true;
    }
    if (err < _tolerance * _tolerance) {
        for (int pass = 0; pass < reparameterise_passes; pass++) {
            reparameterise(b, d, n, u);
            b = solve_control_points(d, n, u, s.t1, s.t2);
            err = max_deviation(b, d, n, u, split);
            if (err < _tolerance) {
                _out.push_back(b);
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void fit_beziers(const Vector<Point> &points, Vector<Bezier> &out,
                 double tolerance)
{
    Vector<Point> d(points.size());
    for (const Point &p : points)
        if (d.empty() || p.x != d.back().x || p.y != d.back().y)
            d.push_back(p);
    int n = d.size();
    if (n == 0)
        return;
    if (n == 1) {
        out.push_back(Bezier(d[0], d[0], d[0], d[0]));
        return;
    }
    Point t1 = unit(d[1] - d[0]);
    Point t2 = unit(d[n - 2] - d[n - 1]);
    Fitter fitter(d.begin(), n, out, tolerance);
    fitter.fit(t1, t2, n);
}
