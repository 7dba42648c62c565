// The panel is measured and its graphics context made at the first frame
// that shows it; later frames only send a fill, a rectangle and the text,
// and allocate nothing.
#include "display/key_overlay.hh"

#include <X11/Xlib.h>

#include <cstring>

#include "display/colour.hh"
#include "display/palette.hh"

namespace {

const int margin = 8;   // between the window corner and the panel
const int padding = 6;  // between the panel's border and its text

}  // namespace

const char *const KeyOverlay::lines[] = {
    "Keys",
    "  arrows     pan (Control: a little)",
    "  = -        zoom in, out",
    "  Home       show every body",
    "  End        back to the first view",
    "  < >        slower, faster",
    "  Escape     pause, resume",
    "  t          trails on, off",
    "  o          write an EPS picture",
    "  r          restart the vehicles",
    "  q          quit",
    "  ?          this panel",
    "Mouse",
    "  drag body  move it",
    "  drag space pan",
    "  wheel      zoom about the pointer",
    nullptr,
};

KeyOverlay::KeyOverlay()
    : _display(nullptr), _font(nullptr), _text_gc(nullptr), _text_colour(0),
      _width(0), _height(0), _ascent(0), _line_height(0)
{
}

KeyOverlay::~KeyOverlay()
{
    if (_display && _text_gc)
        XFreeGC(_display, _text_gc);
    if (_display && _font)
        XFreeFont(_display, _font);
}

bool KeyOverlay::prepare(View &view)
{
    if (_display)
        return _display == view.display();
    Display *display = view.display();
    if (!display || !view.palette())
        return false;
    _display = display;
    _text_colour = request_colour(255, 255, 255);
    _font = XLoadQueryFont(display, "fixed");
    XGCValues values = XGCValues();
    values.foreground = view.palette()->pixel(_text_colour);
    unsigned long mask = GCForeground;
    if (_font) {
        values.font = _font->fid;
        mask |= GCFont;
    }
    _text_gc = XCreateGC(display, view.window(), mask, &values);
    // Without the font the server's default one draws; its size is close
    // enough to "fixed" to lay the panel out by.
    _ascent = _font ? _font->ascent : 10;
    _line_height = _font ? _font->ascent + _font->descent : 13;
    int widest = 0, n = 0;
    for (; lines[n]; n++) {
        int len = std::strlen(lines[n]);
        int w = _font ? XTextWidth(_font, lines[n], len) : 6 * len;
        if (w > widest)
            widest = w;
    }
    _width = widest + 2 * padding;
    _height = n * _line_height + 2 * padding;
    return true;
}

void KeyOverlay::draw(View &view)
{
    if (!prepare(view) || !view.drawable())
        return;
    Drawable d = view.drawable();
    XFillRectangle(_display, d, view.palette()->gc(0), margin, margin, _width, _height);
    XDrawRectangle(_display, d, _text_gc, margin, margin, _width, _height);
    int y = margin + padding + _ascent;
    for (int i = 0; lines[i]; i++, y += _line_height)
        XDrawString(_display, d, _text_gc, margin + padding, y, lines[i],
                    std::strlen(lines[i]));
}
