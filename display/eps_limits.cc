#include "display/eps_limits.hh"

#include <algorithm>

namespace {

// Clipping works in extended precision, so differences of coordinates
// near the double range do not overflow.
typedef long double Wide;

// Where the point lies against the box: a bit for each side it is beyond.
enum { beyond_left = 1, beyond_right = 2, beyond_bottom = 4, beyond_top = 8 };

int sides_beyond(const PageBox &box, Wide x, Wide y)
{
    return (x < box.x0 ? beyond_left : 0) | (x > box.x1 ? beyond_right : 0)
        | (y < box.y0 ? beyond_bottom : 0) | (y > box.y1 ? beyond_top : 0);
}

// The point of the line through p and q at coordinate `at' of one axis
// (u) -- found from whichever point lies nearer, so that a far end does
// not swamp the answer with its rounding.
Wide cross_at(Wide at, Wide pu, Wide pv, Wide qu, Wide qv)
{
    if (std::fabs(at - qu) < std::fabs(at - pu)) {
        std::swap(pu, qu);
        std::swap(pv, qv);
    }
    return pv + (qv - pv) * ((at - pu) / (qu - pu));
}

}  // namespace

// Cohen and Sutherland's clipping: an end beyond a side moves onto it.
bool clip_segment(const PageBox &box, Point &a, Point &b)
{
    if (!is_finite(a) || !is_finite(b))
        return false;
    Wide ax = a.x, ay = a.y, bx = b.x, by = b.y;
    int sa = sides_beyond(box, ax, ay), sb = sides_beyond(box, bx, by);
    // Each pass puts an end on a side; four per end at most.
    for (int pass = 0; pass < 8 && (sa | sb); pass++) {
        if (sa & sb)
            return false;  // both beyond the same side
        bool move_a = sa != 0;
        int s = move_a ? sa : sb;
        Wide x, y;
        if (s & (beyond_left | beyond_right)) {
            x = (s & beyond_left) ? box.x0 : box.x1;
            y = cross_at(x, ax, ay, bx, by);
        } else {
            y = (s & beyond_bottom) ? box.y0 : box.y1;
            x = cross_at(y, ay, ax, by, bx);
        }
        if (move_a) {
            ax = x, ay = y;
            sa = sides_beyond(box, ax, ay);
        } else {
            bx = x, by = y;
            sb = sides_beyond(box, bx, by);
        }
    }
    if (sa | sb)
        return false;
    a = Point((double) ax, (double) ay);
    b = Point((double) bx, (double) by);
    return true;
}

bool hull_meets_box(const PageBox &box, const Point *points, int n)
{
    double x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
    for (int i = 1; i < n; i++) {
        x0 = std::min(x0, points[i].x);
        x1 = std::max(x1, points[i].x);
        y0 = std::min(y0, points[i].y);
        y1 = std::max(y1, points[i].y);
    }
    return x0 <= box.x1 && x1 >= box.x0 && y0 <= box.y1 && y1 >= box.y0;
}

bool circle_meets_box(const PageBox &box, Point centre, double r)
{
    if (!is_finite(centre) || !std::isfinite(r))
        return false;
    // Nearest point of the box, and its farthest corner, from the centre.
    Wide nx = std::max<Wide>({(Wide) box.x0 - centre.x, 0, (Wide) centre.x - box.x1});
    Wide ny = std::max<Wide>({(Wide) box.y0 - centre.y, 0, (Wide) centre.y - box.y1});
    Wide fx = std::max<Wide>(std::fabs((Wide) centre.x - box.x0), std::fabs((Wide) centre.x - box.x1));
    Wide fy = std::max<Wide>(std::fabs((Wide) centre.y - box.y0), std::fabs((Wide) centre.y - box.y1));
    Wide rr = (Wide) r * r;
    return nx * nx + ny * ny <= rr && rr <= fx * fx + fy * fy;
}

void split_bezier(const Point p[4], Point left[4], Point right[4])
{
    Point p01 = (p[0] + p[1]) * 0.5, p12 = (p[1] + p[2]) * 0.5, p23 = (p[2] + p[3]) * 0.5;
    Point p012 = (p01 + p12) * 0.5, p123 = (p12 + p23) * 0.5;
    Point mid = (p012 + p123) * 0.5;
    left[0] = p[0], left[1] = p01, left[2] = p012, left[3] = mid;
    right[0] = mid, right[1] = p123, right[2] = p23, right[3] = p[3];
}

int arc_ranges_near_box(const PageBox &box, Point centre, double r, double start,
                        double end, double ranges[][2])
{
    const double two_pi = 2 * M_PI;
    if (!is_finite(centre) || !std::isfinite(r) || !std::isfinite(start)
        || !std::isfinite(end) || r == 0)
        return 0;
    // PostScript's arc runs counter-clockwise from start to end, adding
    // whole turns to end until it is not below start.
    double sweep = end - start;
    if (sweep < 0)
        sweep = std::fmod(sweep, two_pi) + two_pi;
    sweep = std::min(sweep, two_pi);

    // The angles under which the box's corners are seen from the centre,
    // relative to its middle (a negative radius draws the opposite side).
    Point middle((box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2);
    double towards = std::atan2(middle.y - centre.y, middle.x - centre.x);
    double lo = 0, hi = 0;
    const Point corners[4] = {Point(box.x0, box.y0), Point(box.x1, box.y0),
                              Point(box.x0, box.y1), Point(box.x1, box.y1)};
    for (const Point &c : corners) {
        double a = std::remainder(std::atan2(c.y - centre.y, c.x - centre.x) - towards, two_pi);
        lo = std::min(lo, a);
        hi = std::max(hi, a);
    }
    if (r < 0)
        towards += M_PI;
    lo += towards;
    hi += towards;

    int n = 0;
    double k_first = std::ceil((start - hi) / two_pi);
    double k_last = std::floor((start + sweep - lo) / two_pi);
    for (double k = k_first; k <= k_last && n < max_arc_ranges; k++) {
        double a = std::max(start, lo + k * two_pi);
        double b = std::min(start + sweep, hi + k * two_pi);
        if (a <= b) {
            ranges[n][0] = a;
            ranges[n][1] = b;
            n++;
        }
    }
    return n;
}
