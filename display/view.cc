// View: the world-to-window transform and the five drawing operations.
//
// A world point (x, y) lands on pixel (trunc((x - origin.x) * scale.x),
// height - trunc((y - origin.y) * scale.y)), truncated toward zero and then
// kept to the low 16 bits, the width of a coordinate in the X protocol.
// Far-away points therefore wrap instead of being clipped; the conversion
// is done so that even absurd coordinates (or NaN) cannot overflow an int.
//
// Drawing allocates nothing for ordinary shapes: polylines and polygons of
// up to 32 points are converted into an array on the stack.  Trails, which
// grow to tens of thousands of points, go out in chunks from a stack array.  A view built
// without a display (the headless constructor) keeps its transform but
// draws nothing; it serves tests and the batch runner.
#include "display/view.hh"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdbe.h>

#include <climits>
#include <cmath>

#include "display/palette.hh"

namespace {

const int stack_points = 32;
// Points per polyline request of a trail: 16 KiB, well inside the
// smallest maximum request size.
const int trail_chunk = 4096;

// The low 16 bits of trunc(v) as a signed value, for any double.
int trunc_low16(double v)
{
    // Within int range the conversion itself truncates toward zero (and v
    // is in range exactly when trunc(v) is): the common case needs no trunc.
    if (v > INT_MIN && v < INT_MAX)
        return (short) (unsigned short) (int) v;
    double t = std::trunc(v);
    if (std::isnan(t))
        return 0;
    // Beyond int range (or infinite): reduce modulo 2^16 exactly in double.
    double r = std::isinf(t) ? 0 : std::fmod(t, 65536.0);
    return (short) (unsigned short) (int) r;
}

// trunc(v) as an int, saturated instead of overflowing (for arc angles).
int trunc_saturated(double v)
{
    if (std::isnan(v))
        return 0;
    double t = std::trunc(v);
    if (t <= INT_MIN)
        return INT_MIN;
    if (t >= INT_MAX)
        return INT_MAX;
    return (int) t;
}

short to_short(int v)
{
    return (short) (unsigned short) v;
}

}  // namespace

View::View(Palette *palette, unsigned long window)
    : _palette(palette), _display(palette->display()), _window(window),
      _width(0), _height(0), _back_buffer(0), _drawable(window),
      _back_cleared(false), _scale_x(1.0), _scale_y(1.0), _trails(false),
      _overlay(nullptr), _overlay_shown(false)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(_display, window, &attributes);
    _width = attributes.width;
    _height = attributes.height;
    reset_transform();
    XSetWindowBackground(_display, window,
                         BlackPixelOfScreen(attributes.screen));

    // The back buffer exists whenever the server can give one, so that
    // set_double_buffer only has to choose the drawable.
    int major, minor;
    if (XdbeQueryExtension(_display, &major, &minor))
        _back_buffer = XdbeAllocateBackBufferName(_display, window,
                                                  XdbeBackground);
}

View::View(Palette *palette)
    : _palette(palette), _display(palette ? palette->display() : nullptr),
      _window(0), _width(0), _height(0), _back_buffer(0), _drawable(0),
      _back_cleared(false), _scale_x(1.0), _scale_y(1.0), _trails(false),
      _overlay(nullptr), _overlay_shown(false)
{
}

View::View(int width, int height)
    : _palette(nullptr), _display(nullptr), _window(0), _width(width),
      _height(height), _back_buffer(0), _drawable(0), _back_cleared(false),
      _scale_x(1.0), _scale_y(1.0), _trails(false),
      _overlay(nullptr), _overlay_shown(false)
{
    reset_transform();
}

void View::copy_transform(const View &other)
{
    _width = other._width;
    _height = other._height;
    _origin = other._origin;
    _scale_x = other._scale_x;
    _scale_y = other._scale_y;
}

void View::set_double_buffer(bool on)
{
    _drawable = (on && _back_buffer) ? _back_buffer : _window;
}

bool View::double_buffered() const
{
    return _back_buffer != 0 && _drawable == _back_buffer;
}

void View::resize(int width, int height)
{
    // X keeps the top-left corner in place: keep the world y at the top.
    _origin.y -= (double) (height - _height) / _scale_y;
    _width = width;
    _height = height;
}

bool View::can_zoom(double factor) const
{
    if (!(factor > 0) || !std::isfinite(factor))
        return false;
    double scale = _scale_x * factor;
    return scale >= min_scale && scale <= max_scale;
}

bool View::zoom(double factor)
{
    if (!can_zoom(factor))
        return false;
    Point centre(_width / _scale_x * 0.5 + _origin.x,
                 _height / _scale_y * 0.5 + _origin.y);
    _scale_x *= factor;
    _scale_y *= factor;
    _origin = Point(centre.x - _width / _scale_x * 0.5,
                    centre.y - _height / _scale_y * 0.5);
    return true;
}

void View::pan(double fx, double fy)
{
    _origin.x += fx * _width / _scale_x;
    _origin.y += fy * _height / _scale_y;
}

Point View::top_right() const
{
    return Point(_width / _scale_x + _origin.x, _height / _scale_y + _origin.y);
}

void View::reset_transform()
{
    _scale_x = 1.0;
    _scale_y = 1.0;
    _origin = Point(-(_width / 2), -(_height / 2));
}

void View::set_transform(Point origin, double scale)
{
    _origin = origin;
    _scale_x = scale;
    _scale_y = scale;
}

// Pixel (x, y) covers page offsets [x, x + 1) across and, since window y
// is height - trunc(offset), [height - y, height - y + 1) upwards.  In
// double: pointer coordinates may be anything an int holds.
Point View::world_at(int x, int y) const
{
    return Point(_origin.x + (x + 0.5) / _scale_x,
                 _origin.y + ((double) _height - y + 0.5) / _scale_y);
}

void View::show_at(Point p, int x, int y)
{
    _origin = Point(p.x - (x + 0.5) / _scale_x,
                    p.y - ((double) _height - y + 0.5) / _scale_y);
}

void View::zoom_about(double factor, int x, int y)
{
    Point p = world_at(x, y);
    double before = _scale_x;
    zoom(factor);
    // A zoom that was refused leaves the view exactly as it was.
    if (_scale_x != before)
        show_at(p, x, y);
}

void View::fit(Point lo, Point hi, double margin)
{
    double w = hi.x - lo.x, h = hi.y - lo.y;
    double room = 1 - 2 * margin;
    if (!(w >= 0 && h >= 0) || _width <= 0 || _height <= 0 || !(room > 0))
        return;
    // The scale the rectangle needs along its tighter axis; a point-sized
    // rectangle keeps the scale and is only centred.
    double across = w > 0 ? _width * room / w : INFINITY;
    double up = h > 0 ? _height * room / h : INFINITY;
    double wanted = std::fmin(across, up);
    if (std::isfinite(wanted) && wanted > 0)
        zoom(wanted / _scale_x);
    Point centre(lo.x * 0.5 + hi.x * 0.5, lo.y * 0.5 + hi.y * 0.5);
    _origin = Point(centre.x - _width / _scale_x * 0.5,
                    centre.y - _height / _scale_y * 0.5);
}

// ---- frames ----------------------------------------------------------------

// A headless view has no display and a bare one (under an EPSView) no
// drawable; X would kill the program for drawing on drawable 0.
bool View::draws_on_x() const
{
    return _display && _drawable;
}

void View::clear()
{
    if (!draws_on_x())
        return;
    if (_drawable == _window) {
        XClearWindow(_display, _window);
        return;
    }
    if (_back_cleared) {
        _back_cleared = false;
        return;
    }
    XFillRectangle(_display, _drawable, _palette->gc(0), 0, 0, _width, _height);
}

void View::swap_buffers()
{
    if (!draws_on_x())
        return;
    if (_overlay && _overlay_shown)
        _overlay->draw(*this);
    if (_drawable == _window)
        return;
    XdbeSwapInfo info;
    info.swap_window = _window;
    info.swap_action = XdbeBackground;
    XdbeSwapBuffers(_display, &info, 1);
    _back_cleared = true;
}

// ---- drawing ---------------------------------------------------------------

namespace {

// The transform, as a small value so the conversion loops stay tight.
struct Transform {
    Point origin;
    double sx, sy;
    int height;

    short x(double wx) const { return to_short(trunc_low16((wx - origin.x) * sx)); }
    short y(double wy) const
    {
        return to_short(height - trunc_low16((wy - origin.y) * sy));
    }
    void convert(int n, const Point *points, XPoint *out) const
    {
        for (int i = 0; i < n; i++) {
            out[i].x = x(points[i].x);
            out[i].y = y(points[i].y);
        }
    }
};

}  // namespace

#define XT_TRANSFORM Transform{_origin, _scale_x, _scale_y, _height}

int View::window_x(double x) const
{
    return XT_TRANSFORM.x(x);
}

int View::window_y(double y) const
{
    return XT_TRANSFORM.y(y);
}

void View::draw_line(int colour, Point a, Point b)
{
    if (!draws_on_x())
        return;
    GC gc = _palette->gc(colour);
    Transform t = XT_TRANSFORM;
    XDrawLine(_display, _drawable, gc, t.x(a.x), t.y(a.y), t.x(b.x), t.y(b.y));
}

void View::draw_lines(int colour, int n, const Point *points, bool closed)
{
    if (!draws_on_x() || n <= 0)
        return;
    XPoint local[stack_points];
    // One spare entry for the closing point.
    XPoint *xp = n < stack_points ? local : new XPoint[n + 1];
    XT_TRANSFORM.convert(n, points, xp);
    int count = n;
    if (closed)
        xp[count++] = xp[0];
    GC gc = _palette->gc(colour);
    XDrawLines(_display, _drawable, gc, xp, count, CoordModeOrigin);
    if (xp != local)
        delete[] xp;
}

void View::fill_polygon(int colour, int n, const Point *points)
{
    if (!draws_on_x() || n <= 0)
        return;
    XPoint local[stack_points];
    XPoint *xp = n <= stack_points ? local : new XPoint[n];
    XT_TRANSFORM.convert(n, points, xp);
    GC gc = _palette->gc(colour);
    XFillPolygon(_display, _drawable, gc, xp, n, Nonconvex, CoordModeOrigin);
    if (xp != local)
        delete[] xp;
}

namespace {

struct ArcBox {
    int x, y, width, height, angle1, angle2;
};

ArcBox arc_box(const Transform &t, Point c, double r, double start, double end)
{
    short left = t.x(c.x - r);
    short right = t.x(c.x + r);
    short top = t.y(c.y + r);
    short bottom = t.y(c.y - r);
    return ArcBox{left, top, right - left, bottom - top,
                  trunc_saturated(start / M_PI * 11520),  // 64ths of a degree
                  trunc_saturated((end - start) / M_PI * 11520)};
}

}  // namespace

// XDrawArc and XFillArc take the same arguments.
typedef int (*ArcRequest)(Display *, Drawable, GC, int, int, unsigned, unsigned,
                          int, int);

static void send_arc(ArcRequest request, Display *display, Drawable drawable,
                     GC gc, const ArcBox &b)
{
    request(display, drawable, gc, b.x, b.y, b.width, b.height, b.angle1, b.angle2);
}

void View::draw_circle(int colour, Point centre, double radius, double start,
                       double end)
{
    if (!draws_on_x())
        return;
    GC gc = _palette->gc(colour);
    send_arc(XDrawArc, _display, _drawable, gc,
             arc_box(XT_TRANSFORM, centre, radius, start, end));
}

void View::fill_circle(int colour, Point centre, double radius, double start,
                       double end)
{
    if (!draws_on_x())
        return;
    GC gc = _palette->gc(colour);
    send_arc(XFillArc, _display, _drawable, gc,
             arc_box(XT_TRANSFORM, centre, radius, start, end));
}

// Consecutive points on the same pixel are dropped: a segment that starts
// and ends on one pixel sets only that pixel, which its neighbours set
// anyway.  A chunk ends on the point the next one starts from; with the
// copy function of every palette GC, drawing that pixel twice changes
// nothing.  A trail that never leaves its pixel is still drawn, as the
// one-pixel segment it is.  The display test of trails compares the
// window with the segments drawn one by one.
void View::draw_trail(int colour, int n, const Point *points, Point end)
{
    if (n <= 0)
        return;
    if (!draws_on_x()) {
        for (int i = 0; i + 1 < n; i++)
            draw_line(colour, points[i], points[i + 1]);
        draw_line(colour, points[n - 1], end);
        return;
    }
    GC gc = _palette->gc(colour);
    Transform t = XT_TRANSFORM;
    XPoint xp[trail_chunk];
    int count = 0;
    for (int i = 0; i <= n; i++) {
        Point p = i < n ? points[i] : end;
        XPoint q = {t.x(p.x), t.y(p.y)};
        if (count > 0 && q.x == xp[count - 1].x && q.y == xp[count - 1].y)
            continue;
        if (count == trail_chunk) {
            XDrawLines(_display, _drawable, gc, xp, count, CoordModeOrigin);
            xp[0] = xp[count - 1];
            count = 1;
        }
        xp[count++] = q;
    }
    // The server draws nothing for a polyline of one repeated point.
    if (count == 1)
        XDrawLine(_display, _drawable, gc, xp[0].x, xp[0].y, xp[0].x, xp[0].y);
    else
        XDrawLines(_display, _drawable, gc, xp, count, CoordModeOrigin);
}
