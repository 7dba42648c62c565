// View: the drawing surface of the simulation.  It owns the mapping from
// world coordinates (y up) to window pixels (y down), the optional DBE back
// buffer, and five virtual drawing operations in world units that every
// drawable thing uses.  EPSView derives from it and prints PostScript, so
// drawing code never knows which surface it draws on.
//
// Xlib stays out of this header: X handles are kept as plain XIDs and the
// display as an opaque pointer, so the simulation can include it freely.
#ifndef XTINKERBOT_DISPLAY_VIEW_HH
#define XTINKERBOT_DISPLAY_VIEW_HH

#include "lib/point.hh"

struct _XDisplay;
class Palette;

class View {
  public:
    // Window view: attached to the palette's display and the given window.
    View(Palette *palette, unsigned long window);
    // Bare view: palette only; size, origin and scale set by the derived class.
    explicit View(Palette *palette);
    // Headless view of a virtual window of the given size, transform as a
    // fresh window view's; it draws nothing.
    View(int width, int height);
    virtual ~View() {}

    void set_double_buffer(bool on);
    bool double_buffered() const;

    void resize(int width, int height);
    void zoom(double factor);
    void pan(double fx, double fy);
    Point top_right() const;
    void reset_transform();
    // Bottom-left corner at origin, scale pixels per world unit on both axes.
    void set_transform(Point origin, double scale);
    // The window pixel of a world coordinate, as the drawing operations
    // compute it (truncated toward zero, wrapped to 16 bits).
    int window_x(double x) const;
    int window_y(double y) const;

    Point origin() const { return _origin; }
    double scale_x() const { return _scale_x; }
    double scale_y() const { return _scale_y; }
    int width() const { return _width; }
    int height() const { return _height; }
    bool trails() const { return _trails; }
    void set_trails(bool on) { _trails = on; }
    void toggle_trails() { _trails = !_trails; }
    unsigned long window() const { return _window; }
    _XDisplay *display() const { return _display; }

    void clear();
    void swap_buffers();

    virtual void draw_line(int colour, Point a, Point b);
    virtual void draw_lines(int colour, int n, const Point *points, bool closed);
    virtual void draw_circle(int colour, Point centre, double radius,
                             double start, double end);
    virtual void fill_polygon(int colour, int n, const Point *points);
    virtual void fill_circle(int colour, Point centre, double radius,
                             double start, double end);
    // A vehicle's trail: the segments points[0]-points[1], ...,
    // points[n-1]-end.  On X it goes out as long polylines, which set the
    // same pixels as the segments one by one; elsewhere (a headless view, a
    // view that prints) it is draw_line for each segment.
    virtual void draw_trail(int colour, int n, const Point *points, Point end);

  protected:
    // Copies size and transform from another view (EPSView does this).
    void copy_transform(const View &other);
    bool draws_on_x() const;

    Palette *_palette;
    _XDisplay *_display;
    unsigned long _window;
    int _width;
    int _height;
    unsigned long _back_buffer;  // DBE back buffer, 0 when there is none
    unsigned long _drawable;     // the window or the back buffer
    bool _back_cleared;          // the server cleared the back buffer at the last swap
    Point _origin;               // world coordinates of the bottom-left corner
    double _scale_x;             // pixels per world unit; both scales change together
    double _scale_y;
    bool _trails;
};

#endif
