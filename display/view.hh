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
class View;

// Something drawn over the scene at the end of every frame on the window,
// such as the key panel.  Pictures printed through an EPSView never have it.
class ViewOverlay {
  public:
    virtual ~ViewOverlay() {}
    virtual void draw(View &view) = 0;
};

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
    // Scales about the window centre.  A zoom that would take the scale
    // out of [min_scale, max_scale] is ignored (false), as are factors
    // that are not positive and finite.  Every way of zooming goes
    // through can_zoom, so no path can reach a scale that breaks the
    // transform.
    bool zoom(double factor);
    bool can_zoom(double factor) const;
    // Pixels per world unit: a million times either way of the start.
    // Far beyond, the scale underflows or overflows and the view is lost.
    static constexpr double min_scale = 1e-6;
    static constexpr double max_scale = 1e6;
    void pan(double fx, double fy);
    Point top_right() const;
    void reset_transform();
    // Bottom-left corner at origin, scale pixels per world unit on both axes.
    void set_transform(Point origin, double scale);
    // The pointer's side of the transform.  world_at gives the world point
    // at the centre of a window pixel, the inverse of window_x/window_y;
    // show_at moves the view so that world point p lies at the centre of
    // pixel (x, y); zoom_about zooms by factor (through zoom, so whatever
    // bounds zoom keeps the scale in) with the world point under pixel
    // (x, y) kept there; fit zooms and pans so that the world rectangle
    // lo-hi fills the window, centred, with margin (a fraction of the
    // window) left on every side.
    Point world_at(int x, int y) const;
    void show_at(Point p, int x, int y);
    void zoom_about(double factor, int x, int y);
    void fit(Point lo, Point hi, double margin);
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
    // The overlay is not owned; it is drawn only while shown.
    void set_overlay(ViewOverlay *overlay) { _overlay = overlay; }
    bool overlay_shown() const { return _overlay_shown; }
    void toggle_overlay() { _overlay_shown = !_overlay_shown; }
    Palette *palette() const { return _palette; }
    unsigned long drawable() const { return _drawable; }
    unsigned long window() const { return _window; }
    _XDisplay *display() const { return _display; }

    void clear();
    // Ends a frame: draws the overlay if shown, then swaps if double-buffered.
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
    // Takes size, origin and scales from another view, so that this one
    // shows the same region (EPSView is built this way).
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
    ViewOverlay *_overlay;
    bool _overlay_shown;
};

#endif
