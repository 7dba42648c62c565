// KeyOverlay: the panel that '?' shows in the top-left corner of the
// window, listing the keys and mouse actions in the core X font "fixed",
// white on the background colour.  It draws on the view's drawable over
// the finished scene, so it is never part of an EPS picture.
#ifndef XTINKERBOT_DISPLAY_KEY_OVERLAY_HH
#define XTINKERBOT_DISPLAY_KEY_OVERLAY_HH

#include <X11/Xlib.h>

#include "display/view.hh"

class KeyOverlay : public ViewOverlay {
  public:
    KeyOverlay();
    ~KeyOverlay() override;

    void draw(View &view) override;

    // The lines of the panel, in order; null-terminated.
    static const char *const lines[];

  private:
    Display *_display;    // the display the GCs and font below belong to
    XFontStruct *_font;   // null if the server has no "fixed" font
    GC _text_gc;
    int _text_colour;     // palette index
    int _width, _height;  // of the panel, in pixels
    int _ascent, _line_height;

    bool prepare(View &view);
};

#endif
