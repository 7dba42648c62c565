// Trail fitting: fixed cases with known segments, properties over random
// trails, agreement with a plain recursive transcription of the method,
// and long or deeply splitting trails.
#include "display/bezier.hh"

#include <gtest/gtest.h>

#include <cmath>
#include <pthread.h>
#include <random>
#include <vector>

void PrintTo(const Point &p, std::ostream *os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}

namespace {

Vector<Point> trail(std::initializer_list<Point> points)
{
    Vector<Point> v;
    for (Point p : points)
        v.push_back(p);
    return v;
}

Vector<Bezier> fit(const Vector<Point> &points, double tolerance)
{
    Vector<Bezier> out;
    fit_beziers(points, out, tolerance);
    return out;
}

void expect_segment(const Bezier &b, Point p0, Point p1, Point p2, Point p3)
{
    Point want[4] = {p0, p1, p2, p3};
    for (int k = 0; k < 4; k++) {
        EXPECT_DOUBLE_EQ(b.p[k].x, want[k].x) << "point " << k;
        EXPECT_DOUBLE_EQ(b.p[k].y, want[k].y) << "point " << k;
    }
}

double cross(Point a, Point b)
{
    return a.x * b.y - a.y * b.x;
}

// A vehicle-like path: steps of varying length, a heading that wanders,
// now and then a sharp turn, occasionally a pause (repeated points).
Vector<Point> random_trail(std::mt19937 &rng, int n)
{
    std::uniform_real_distribution<double> unit(0, 1);
    Vector<Point> v;
    Point p(unit(rng) * 200 - 100, unit(rng) * 200 - 100);
    double heading = unit(rng) * 6.28;
    for (int i = 0; i < n; i++) {
        v.push_back(p);
        double r = unit(rng);
        if (r < 0.05)
            continue;  // stood still
        heading += r < 0.1 ? (unit(rng) - 0.5) * 5 : (unit(rng) - 0.5) * 0.4;
        double step = 0.5 + unit(rng) * 6;
        p += Point(std::cos(heading), std::sin(heading)) * step;
    }
    return v;
}

// --- A recursive transcription, kept deliberately plain, to compare with.

Point ref_unit(Point v)
{
    double len = length(v);
    return len != 0 ? v / len : v;
}

Point ref_eval(const Point *p, int degree, double t)
{
    Point q[4];
    for (int i = 0; i <= degree; i++)
        q[i] = p[i];
    for (int r = 1; r <= degree; r++)
        for (int j = 0; j <= degree - r; j++)
            q[j] = q[j] * (1 - t) + q[j + 1] * t;
    return q[0];
}

Bezier ref_solve(const std::vector<Point> &d, const std::vector<double> &u,
                 Point t1, Point t2)
{
    int n = d.size();
    std::vector<Point> a1(n), a2(n);
    double c00 = 0, c01 = 0, c11 = 0, x0 = 0, x1 = 0;
    for (int i = 0; i < n; i++) {
        double v = u[i], w = 1 - v;
        a1[i] = t1 * (3 * v * w * w);
        a2[i] = t2 * (3 * v * v * w);
        Point tmp = d[i] - (d[0] * (w * w * w + 3 * v * w * w)
                            + d[n - 1] * (3 * v * v * w + v * v * v));
        c00 += dot(a1[i], a1[i]);
        c01 += dot(a1[i], a2[i]);
        c11 += dot(a2[i], a2[i]);
        x0 += dot(a1[i], tmp);
        x1 += dot(a2[i], tmp);
    }
    double det = c00 * c11 - c01 * c01;
    if (det == 0)
        det = c00 * c11 * 1e-11;
    double al = (x0 * c11 - x1 * c01) / det;
    double ar = (c00 * x1 - c01 * x0) / det;
    if (al < 0 || ar < 0)
        al = ar = length(d[0] - d[n - 1]) / 3;
    return Bezier(d[0], d[0] + t1 * al, d[n - 1] + t2 * ar, d[n - 1]);
}

double ref_error(const Bezier &b, const std::vector<Point> &d,
                 const std::vector<double> &u, int &split)
{
    int n = d.size();
    double err = 0;
    split = n / 2;
    for (int i = 1; i < n - 1; i++) {
        Point diff = ref_eval(b.p, 3, u[i]) - d[i];
        if (dot(diff, diff) >= err) {
            err = dot(diff, diff);
            split = i;
        }
    }
    return err;
}

void ref_span(const std::vector<Point> &d, Point t1, Point t2, double e,
              std::vector<Bezier> &out)
{
    int n = d.size();
    if (n == 2) {
        double dist = length(d[0] - d[1]) / 3;
        out.push_back(Bezier(d[0], d[0] + t1 * dist, d[1] + t2 * dist, d[1]));
        return;
    }
    std::vector<double> u(n, 0.0);
    for (int i = 1; i < n; i++)
        u[i] = u[i - 1] + length(d[i] - d[i - 1]);
    for (int i = 1; i < n; i++)
        u[i] /= u[n - 1];
    Bezier b = ref_solve(d, u, t1, t2);
    int split;
    double err = ref_error(b, d, u, split);
    if (err < e) {
        out.push_back(b);
        return;
    }
    if (err < e * e)
        for (int pass = 0; pass < 4; pass++) {
            Point q1[3], q2[2];
            for (int k = 0; k < 3; k++)
                q1[k] = (b.p[k + 1] - b.p[k]) * 3;
            for (int k = 0; k < 2; k++)
                q2[k] = (q1[k + 1] - q1[k]) * 2;
            for (int j = 0; j < n; j++) {
                Point q = ref_eval(b.p, 3, u[j]) - d[j];
                Point dq = ref_eval(q1, 2, u[j]), ddq = ref_eval(q2, 1, u[j]);
                double next = u[j] - dot(q, dq) / (dot(dq, dq) + dot(q, ddq));
                if (std::isfinite(next))
                    u[j] = next;
            }
            b = ref_solve(d, u, t1, t2);
            err = ref_error(b, d, u, split);
            if (err < e) {
                out.push_back(b);
                return;
            }
        }
    Point tc = ref_unit((d[split - 1] - d[split + 1]) * 0.5);
    ref_span(std::vector<Point>(d.begin(), d.begin() + split + 1), t1, tc, e, out);
    ref_span(std::vector<Point>(d.begin() + split, d.end()), -tc, t2, e, out);
}

std::vector<Bezier> ref_fit(const Vector<Point> &points, double e)
{
    std::vector<Point> d;
    for (Point p : points)
        if (d.empty() || p != d.back())
            d.push_back(p);
    std::vector<Bezier> out;
    if (d.size() == 1)
        out.push_back(Bezier(d[0], d[0], d[0], d[0]));
    else if (d.size() >= 2)
        ref_span(d, ref_unit(d[1] - d[0]), ref_unit(d[d.size() - 2] - d.back()),
                 e, out);
    return out;
}

void expect_same_chain(const Vector<Bezier> &got, const std::vector<Bezier> &want)
{
    ASSERT_EQ(got.size(), (int) want.size());
    for (int i = 0; i < got.size(); i++)
        for (int k = 0; k < 4; k++) {
            ASSERT_EQ(got[i].p[k].x, want[i].p[k].x) << "segment " << i << " point " << k;
            ASSERT_EQ(got[i].p[k].y, want[i].p[k].y) << "segment " << i << " point " << k;
        }
}

// Smallest squared distance from q to the curve over t in [lo, hi]: a
// dense scan, then a local ternary refinement around the best sample.
double distance2_to_curve(const Bezier &b, Point q, double lo, double hi)
{
    const int samples = 400;
    double best = INFINITY, best_t = lo;
    for (int i = 0; i <= samples; i++) {
        double t = lo + (hi - lo) * i / samples;
        Point diff = b.eval(t) - q;
        if (dot(diff, diff) < best) {
            best = dot(diff, diff);
            best_t = t;
        }
    }
    double a = best_t - (hi - lo) / samples, c = best_t + (hi - lo) / samples;
    for (int it = 0; it < 100; it++) {
        double m1 = a + (c - a) / 3, m2 = c - (c - a) / 3;
        Point d1 = b.eval(m1) - q, d2 = b.eval(m2) - q;
        if (dot(d1, d1) < dot(d2, d2))
            c = m2;
        else
            a = m1;
    }
    Point diff = b.eval((a + c) / 2) - q;
    return std::fmin(best, dot(diff, diff));
}

// The chain's ends are the trail's, each segment starts where the previous
// one ended, every join is a trail point in order, and every value is
// finite.  Returns for each segment the index of its end point in the
// trail with repeats removed (the first segment starts at index 0).
std::vector<int> check_chain(const Vector<Point> &points, const Vector<Bezier> &out)
{
    std::vector<Point> d;
    for (Point p : points)
        if (d.empty() || p != d.back())
            d.push_back(p);
    std::vector<int> ends;
    EXPECT_FALSE(out.empty());
    if (out.empty())
        return ends;
    EXPECT_EQ(out[0].p[0], d.front());
    EXPECT_EQ(out.back().p[3], d.back());
    int at = 0;
    for (int i = 0; i < out.size(); i++) {
        for (int k = 0; k < 4; k++)
            EXPECT_TRUE(std::isfinite(out[i].p[k].x) && std::isfinite(out[i].p[k].y))
                << "segment " << i;
        if (i > 0) {
            EXPECT_EQ(out[i].p[0], out[i - 1].p[3]) << "gap before segment " << i;
        }
        int next = at + 1;
        while (next < (int) d.size() && d[next] != out[i].p[3])
            next++;
        EXPECT_LT(next, (int) d.size()) << "segment " << i << " ends off the trail";
        if (next >= (int) d.size())
            return ends;
        at = next;
        ends.push_back(at);
    }
    EXPECT_EQ(at, (int) d.size() - 1);
    return ends;
}

// A zigzag whose amplitude grows along the trail: the
// worst point keeps falling near the far end, so spans split lopsidedly
// and the pending work nests deep.
Vector<Point> growing_zigzag(int n)
{
    Vector<Point> v;
    for (int i = 0; i < n; i++)
        v.push_back(Point(i, (i % 2) * std::pow(1.001, i)));
    return v;
}

// A zigzag whose every point is a split point.
Vector<Point> shrinking_zigzag(int n)
{
    Vector<Point> v;
    for (int i = 0; i < n; i++)
        v.push_back(Point(i, (i % 2) * double(n - i)));
    return v;
}

}  // namespace

TEST(EvalBezier, DeCasteljauForEachDegree)
{
    Point p[4] = {Point(0, 0), Point(0, 3), Point(3, 3), Point(3, 0)};
    EXPECT_EQ(eval_bezier(p, 0, 0.7), Point(0, 0));
    EXPECT_EQ(eval_bezier(p, 1, 0.25), Point(0, 0.75));
    EXPECT_EQ(eval_bezier(p, 2, 0.5), Point(0.75, 2.25));
    EXPECT_EQ(eval_bezier(p, 3, 0.5), Point(1.5, 2.25));
    EXPECT_EQ(Bezier(p[0], p[1], p[2], p[3]).eval(0.5), Point(1.5, 2.25));
    EXPECT_EQ(eval_bezier(p, 3, 0), p[0]);
    EXPECT_EQ(eval_bezier(p, 3, 1), p[3]);
}

TEST(EvalBezierDeathTest, DegreeFourIsAProgrammingError)
{
    Point p[5] = {};
    EXPECT_DEATH(eval_bezier(p, 4, 0.5), "eval_bezier: Assertion `degree < 4' failed\\.");
}

TEST(FitBeziers, DegenerateTrails)
{
    EXPECT_TRUE(fit(Vector<Point>(), 1).empty());

    Vector<Bezier> one = fit(trail({Point(4, -2)}), 1);
    ASSERT_EQ(one.size(), 1);
    expect_segment(one[0], Point(4, -2), Point(4, -2), Point(4, -2), Point(4, -2));

    Vector<Bezier> same = fit(trail({Point(4, -2), Point(4, -2), Point(4, -2)}), 1);
    ASSERT_EQ(same.size(), 1);
    expect_segment(same[0], Point(4, -2), Point(4, -2), Point(4, -2), Point(4, -2));
}

TEST(FitBeziers, AppendsToWhatTheCallerHas)
{
    Vector<Bezier> out;
    out.push_back(Bezier(Point(9, 9), Point(9, 9), Point(9, 9), Point(9, 9)));
    fit_beziers(trail({Point(0, 0), Point(30, 0)}), out, 1);
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(out[0].p[0], Point(9, 9));
    EXPECT_EQ(out[1].p[3], Point(30, 0));
}

TEST(FitBeziers, StraightCases)
{
    // Two points: control points at one and two thirds.
    Vector<Bezier> two = fit(trail({Point(0, 0), Point(30, 0)}), 1);
    ASSERT_EQ(two.size(), 1);
    expect_segment(two[0], Point(0, 0), Point(10, 0), Point(20, 0), Point(30, 0));

    // Three collinear points: singular system, control distances 0, and the
    // segment passes through the middle point whatever the tolerance.
    for (double tolerance : {0.01, 1.0, 50.0}) {
        Vector<Bezier> three = fit(trail({Point(0, 0), Point(1, 0), Point(2, 0)}), tolerance);
        ASSERT_EQ(three.size(), 1) << tolerance;
        expect_segment(three[0], Point(0, 0), Point(0, 0), Point(2, 0), Point(2, 0));
        EXPECT_EQ(three[0].eval(0.5), Point(1, 0));
    }

    // Points differing only in x are all kept: one segment from end to end.
    Vector<Bezier> line = fit(trail({Point(0, 5), Point(7, 5), Point(8, 5), Point(30, 5)}), 1);
    ASSERT_EQ(line.size(), 1);
    EXPECT_EQ(line[0].p[0], Point(0, 5));
    EXPECT_EQ(line[0].p[3], Point(30, 5));
    EXPECT_EQ(line[0].p[1].y, 5);
    EXPECT_EQ(line[0].p[2].y, 5);
}

TEST(FitBeziers, ZigzagSplitsWithSmoothJoins)
{
    Vector<Point> zz = trail({Point(0, 0), Point(10, 10), Point(20, 0), Point(30, 10),
                              Point(40, 0), Point(50, 10)});
    Vector<Bezier> out = fit(zz, 1);
    ASSERT_GE(out.size(), 2);
    std::vector<int> ends = check_chain(zz, out);
    ASSERT_EQ(ends.size(), (size_t) out.size());
    for (int i = 0; i + 1 < out.size(); i++) {
        int s = ends[i];
        Point tc = zz[s - 1] - zz[s + 1];
        tc = tc / length(tc);
        Point join = zz[s];
        Point in = out[i].p[2] - join, outward = out[i + 1].p[1] - join;
        // Left segment leaves the join along tc, the right one along -tc.
        EXPECT_NEAR(cross(in, tc), 0, 1e-9) << "join " << i;
        EXPECT_GT(dot(in, tc), 0) << "join " << i;
        EXPECT_NEAR(cross(outward, tc), 0, 1e-9) << "join " << i;
        EXPECT_LT(dot(outward, tc), 0) << "join " << i;
    }
}

TEST(FitBeziers, ToleranceIsStrict)
{
    // Out and back: the best segment stays at the origin, so the middle
    // point deviates by exactly 1 (squared: 1).  With tolerance 1 it is
    // rejected, and no refinement is tried since 1 x 1 is not above 1: the
    // span splits, with a zero centre tangent.
    Vector<Point> back = trail({Point(0, 0), Point(1, 0), Point(0, 0)});
    Vector<Bezier> split = fit(back, 1);
    ASSERT_EQ(split.size(), 2);
    expect_segment(split[0], Point(0, 0), Point(1.0 / 3, 0), Point(1, 0), Point(1, 0));
    expect_segment(split[1], Point(1, 0), Point(1, 0), Point(1.0 / 3, 0), Point(0, 0));

    // The least bit more tolerance accepts the collapsed segment.
    Vector<Bezier> loose = fit(back, std::nextafter(1.0, 2.0));
    ASSERT_EQ(loose.size(), 1);
    expect_segment(loose[0], Point(0, 0), Point(0, 0), Point(0, 0), Point(0, 0));
}

TEST(FitBeziers, RefinementNeverProducesNaN)
{
    // Collinear, unevenly spaced: the control distances come out 0, so the
    // derivative vanishes at the ends where the refinement's denominator is
    // then 0.  The error (about 1.27) lies between e and e * e for e = 1.2,
    // as after one zoom in.  The ends keep their parameters.
    Vector<Bezier> out = fit(trail({Point(0, 0), Point(3, 0), Point(12, 0)}), 1.2);
    ASSERT_EQ(out.size(), 1);
    for (int k = 0; k < 4; k++) {
        EXPECT_TRUE(std::isfinite(out[0].p[k].x)) << k;
        EXPECT_EQ(out[0].p[k].y, 0) << k;
    }
    EXPECT_EQ(out[0].p[0], Point(0, 0));
    EXPECT_EQ(out[0].p[3], Point(12, 0));
}

TEST(FitBeziers, RandomTrailsStayWithinTolerance)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 60; round++) {
        int n = 2 + round * 7;
        Vector<Point> points = random_trail(rng, n);
        // Below 1 no refinement happens, so every point's parameter lies in
        // [0, 1]; above it, parameters may wander slightly past the ends.
        double tolerance = round % 3 == 0 ? 0.25 : round % 3 == 1 ? 0.9 : 2.5;
        double lo = tolerance < 1 ? 0 : -0.5, hi = tolerance < 1 ? 1 : 1.5;
        Vector<Bezier> out = fit(points, tolerance);
        std::vector<int> ends = check_chain(points, out);
        ASSERT_EQ(ends.size(), (size_t) out.size()) << "round " << round;
        std::vector<Point> d;
        for (Point p : points)
            if (d.empty() || p != d.back())
                d.push_back(p);
        int start = 0;
        for (int i = 0; i < out.size(); i++) {
            for (int j = start + 1; j < ends[i]; j++)
                EXPECT_LT(distance2_to_curve(out[i], d[j], lo, hi), tolerance)
                    << "round " << round << " segment " << i << " point " << j;
            start = ends[i];
        }
    }
}

TEST(FitBeziers, SameChainAsRecursiveDefinition)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 40; round++) {
        Vector<Point> points = random_trail(rng, 3 + round * 25);
        for (double tolerance : {0.3, 1.0, 1.7, 6.0})
            expect_same_chain(fit(points, tolerance), ref_fit(points, tolerance));
    }
    Vector<Point> medium = random_trail(rng, 20000);
    expect_same_chain(fit(medium, 1.44), ref_fit(medium, 1.44));
    expect_same_chain(fit(growing_zigzag(4000), 1), ref_fit(growing_zigzag(4000), 1));
    expect_same_chain(fit(shrinking_zigzag(3000), 1), ref_fit(shrinking_zigzag(3000), 1));
}

namespace {

struct DeepFit {
    Vector<Point> points;
    Vector<Bezier> out;
};

void *run_deep_fit(void *arg)
{
    DeepFit *job = static_cast<DeepFit *>(arg);
    fit_beziers(job->points, job->out, 1);
    return nullptr;
}

}  // namespace

TEST(FitBeziers, DeepSplittingNeedsNoCallStack)
{
    // This trail nests its spans about a thousand deep; on a 64 KiB thread
    // stack that only works if pending spans do not live on the call stack.
    DeepFit job;
    job.points = growing_zigzag(5000);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, 64 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, run_deep_fit, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    expect_same_chain(job.out, ref_fit(job.points, 1));
}

TEST(FitBeziers, MillionPointTrails)
{
    // Nearly every point of this zigzag becomes a join.
    const int n = 1000000;
    Vector<Point> zz = shrinking_zigzag(n);
    Vector<Bezier> out = fit(zz, 1);
    EXPECT_GT(out.size(), n - 10);
    check_chain(zz, out);

    std::mt19937 rng(99);
    Vector<Point> run = random_trail(rng, n);
    Vector<Bezier> smooth = fit(run, 1);
    EXPECT_LT(smooth.size(), n / 2);
    check_chain(run, smooth);
}
