// Palette: colour requests become small colour indexes, and each index
// becomes an X graphics context.  Requests fill a process-wide table of GC
// specifications, possibly before any display is open; every attached
// instance realises each entry as a GC with an allocated colour.
// Index 0 is always black, the background.
#ifndef XTINKERBOT_DISPLAY_PALETTE_HH
#define XTINKERBOT_DISPLAY_PALETTE_HH

#include <X11/Xlib.h>

#include "lib/vector.hh"

struct GCSpec {
    XGCValues values;  // foreground overwritten by each instance before use
    unsigned long mask;
    XColor colour;     // meaningful when mask has GCForeground
};

class Palette {
  public:
    Palette(Display *display, Window window);
    ~Palette();

    static int request_colour(int red, int green, int blue);
    static int request_gc(unsigned long mask, const XGCValues &values,
                          const XColor *colour);
    static bool colour_components(int index, int &red, int &green, int &blue);
    static int table_size() { return table().size(); }
    static const GCSpec &spec(int index) { return table().at(index); }

    Display *display() const { return _display; }
    int gc_count() const { return _gcs.size(); }
    GC gc(int index) const { return _gcs[index]; }
    unsigned long pixel(int index) const { return _pixels[index]; }

  private:
    Display *_display;
    Pixmap _pixmap;
    Screen *_screen;
    Colormap _colormap;
    int _depth;
    Vector<GC> _gcs;  // GC is a pointer type: one per colour index
    Vector<unsigned long> _pixels;
    Vector<unsigned long> _allocated;

    void realize(int index, unsigned long previous_mask, GCSpec &entry);
    void alloc_colour(XColor &colour);

    static Vector<GCSpec> &table();
    static Vector<Palette *> &instances();
};

#endif
