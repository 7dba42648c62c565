// EPSView: a View that prints PostScript instead of drawing on a window,
// so the bodies' own drawing code serves the EPS output unchanged.  It
// shows the same region as the view it is built from, at one point per
// pixel, with the PostScript y axis pointing up like the world's.  It is
// line art: colours are ignored, a filled shape becomes its outline, and a
// polygon filled in the background colour is left out.
#ifndef XTINKERBOT_DISPLAY_EPS_VIEW_HH
#define XTINKERBOT_DISPLAY_EPS_VIEW_HH

#include <cstdio>

#include "display/eps_limits.hh"
#include "display/view.hh"

class EPSView : public View {
  public:
    // Same palette, size and transform as `view'; no window, no raw trails.
    // The stream is not owned.
    EPSView(const View &view, FILE *stream);

    // Page coordinates of a world point: unrounded, not flipped.
    Point transform(Point p) const;
    // The page, widened by the margin a stroke can reach beyond it.
    PageBox page_box() const;

    void draw_line(int colour, Point a, Point b) override;
    void draw_lines(int colour, int n, const Point *points, bool closed) override;
    void draw_circle(int colour, Point centre, double radius,
                     double start, double end) override;
    void fill_polygon(int colour, int n, const Point *points) override;
    void fill_circle(int colour, Point centre, double radius,
                     double start, double end) override;

  private:
    FILE *_stream;

    // The part of the segment (page coordinates) on the page, if any.
    void print_segment_on_page(Point a, Point b);
    void print_arc_on_page(Point centre, double r, double start, double end);
};

#endif
