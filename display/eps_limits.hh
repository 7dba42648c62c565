// What a PostScript interpreter can take, and the geometry that keeps a
// picture within it.  Interpreters hold reals in single precision, so
// nothing beyond about 3e38 renders; Ghostscript builds arcs in fixed
// point, and an arc reaching past about 2^23 points fails the whole page;
// and dashing a stroke costs time in proportion to its length, so a
// dashed trail a million points long takes seconds to render, and one of
// 1e8 minutes.  Long runs and deep zooms reach such coordinates; the EPS
// writer then leaves out what lies wholly off the page and trims the rest
// to the page, so every picture it reports as written renders, quickly.
// Geometry within the limits is written exactly as it always was.
#ifndef XTINKERBOT_DISPLAY_EPS_LIMITS_HH
#define XTINKERBOT_DISPLAY_EPS_LIMITS_HH

#include "lib/point.hh"

// Lines and curves: some 150 pages away from the page, far beyond where
// an ordinary picture reaches.
const double max_path_coordinate = 1e5;
// Arcs: |centre| + radius on either axis.
const double max_arc_extent = 1e5;
// How far outside the page a stroke (width 1, mitred joins) can still
// show: what lies beyond it may be dropped.
const double page_margin = 10;

// A rectangle in page points, the page widened by page_margin.
struct PageBox {
    double x0, y0, x1, y1;

    PageBox(double width, double height)
        : x0(-page_margin), y0(-page_margin), x1(width + page_margin),
          y1(height + page_margin) {}
};

inline bool is_finite(Point p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// False for non-finite points too.
inline bool within_path_limit(Point p)
{
    return std::fabs(p.x) <= max_path_coordinate && std::fabs(p.y) <= max_path_coordinate;
}

// False for non-finite values too.
inline bool arc_within_limit(Point centre, double radius)
{
    double r = std::fabs(radius);
    return std::fabs(centre.x) + r <= max_arc_extent
        && std::fabs(centre.y) + r <= max_arc_extent;
}

// Cuts the segment a-b down to its part inside the box; false when none
// of it is inside or an end is not finite.
bool clip_segment(const PageBox &box, Point &a, Point &b);

// True when the bounding box of the n points meets the box: a Bezier
// curve lies within its control points' hull.
bool hull_meets_box(const PageBox &box, const Point *points, int n);

// True when the circle's outline passes through the box.
bool circle_meets_box(const PageBox &box, Point centre, double r);

// de Casteljau's split of a cubic at t = 1/2.
void split_bezier(const Point p[4], Point left[4], Point right[4]);

// The stretches of the arc of a circle about `centre' (radius r, from
// `start' counter-clockwise to `end', radians, as PostScript's arc takes
// them) that may meet the box, as angle ranges; at most max_arc_ranges.
// Only for circles whose centre lies far from the box compared with its
// size, as every arc beyond the limit that still meets the page does.
const int max_arc_ranges = 3;
int arc_ranges_near_box(const PageBox &box, Point centre, double r, double start,
                        double end, double ranges[][2]);

#endif
