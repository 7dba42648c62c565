// Palette: the process-wide table of GC specifications and the instances
// that realise it on a display.
//
// Requests arrive long before any display exists (body prototypes ask for
// their colours in their constructors), so they only fill the table; an
// instance attached later realises every entry, and entries added or widened
// while instances exist are realised on each of them at once.  Equal requests
// share an entry, so a run needs as many GCs as it uses distinct colours.
#include "display/palette.hh"

#include "display/colour.hh"

namespace {

// Only GCFunction, GCForeground (by components, not pixel), GCLineWidth and
// GCLineStyle are compared, and only where both masks have them.
bool attributes_match(const GCSpec &entry, unsigned long mask,
                      const XGCValues &values, const XColor *colour)
{
    unsigned long both = entry.mask & mask;
    if ((both & GCFunction) && entry.values.function != values.function)
        return false;
    if ((both & GCForeground)
        && (entry.colour.red != colour->red
            || entry.colour.green != colour->green
            || entry.colour.blue != colour->blue))
        return false;
    if ((both & GCLineWidth) && entry.values.line_width != values.line_width)
        return false;
    if ((both & GCLineStyle) && entry.values.line_style != values.line_style)
        return false;
    return true;
}

// Copies the compared attributes the request carries into the entry.
void merge_into(GCSpec &entry, unsigned long mask, const XGCValues &values,
                const XColor *colour)
{
    if (mask & GCFunction)
        entry.values.function = values.function;
    if (mask & GCForeground)
        entry.colour = *colour;
    if (mask & GCLineWidth)
        entry.values.line_width = values.line_width;
    if (mask & GCLineStyle)
        entry.values.line_style = values.line_style;
    entry.mask |= mask;
}

GCSpec black_entry()
{
    GCSpec entry = GCSpec();
    entry.mask = GCForeground;
    entry.colour.flags = DoRed | DoGreen | DoBlue;
    return entry;
}

}  // namespace

Vector<GCSpec> &Palette::table()
{
    static Vector<GCSpec> entries;
    return entries;
}

Vector<Palette *> &Palette::instances()
{
    static Vector<Palette *> attached;
    return attached;
}

int request_colour(int red, int green, int blue)
{
    return Palette::request_colour(red, green, blue);
}

int Palette::request_colour(int red, int green, int blue)
{
    XGCValues values = XGCValues();
    values.function = GXcopy;
    values.line_width = 0;
    XColor colour = XColor();
    // 8-bit components replicated into both bytes: 255 -> 65535.
    colour.red = (unsigned short) (red * 257);
    colour.green = (unsigned short) (green * 257);
    colour.blue = (unsigned short) (blue * 257);
    colour.flags = DoRed | DoGreen | DoBlue;
    return request_gc(GCFunction | GCForeground | GCLineWidth, values, &colour);
}

int Palette::request_gc(unsigned long mask, const XGCValues &values,
                        const XColor *colour)
{
    ASSERT(colour || !(mask & GCForeground));
    Vector<GCSpec> &entries = table();
    if (entries.empty()) {
        entries.push_back(black_entry());
        // A palette attached before the first request has no GC for the
        // background yet, and drawing in it would hand X a null GC.
        Vector<Palette *> &attached = instances();
        for (int i = 0; i < attached.size(); i++)
            attached[i]->realize(0, 0, entries[0]);
    }

    int index = 0;
    while (index < entries.size()
           && !attributes_match(entries[index], mask, values, colour))
        index++;

    unsigned long previous_mask;
    if (index < entries.size()) {
        GCSpec &entry = entries[index];
        previous_mask = entry.mask;
        if (mask & ~entry.mask)
            merge_into(entry, mask, values, colour);
    } else {
        GCSpec entry = GCSpec();
        entry.values = values;
        entry.mask = mask;
        if (colour)
            entry.colour = *colour;
        entries.push_back(entry);
        previous_mask = 0;
    }

    GCSpec &entry = entries[index];
    if (entry.mask != previous_mask) {
        Vector<Palette *> &attached = instances();
        for (int i = 0; i < attached.size(); i++)
            attached[i]->realize(index, previous_mask, entry);
    }
    return index;
}

bool Palette::colour_components(int index, int &red, int &green, int &blue)
{
    const Vector<GCSpec> &entries = table();
    if (index < 0 || index >= entries.size()
        || !(entries[index].mask & GCForeground))
        return false;
    const XColor &c = entries[index].colour;
    red = c.red >> 8;
    green = c.green >> 8;
    blue = c.blue >> 8;
    return true;
}

Palette::Palette(Display *display, Window window)
    : _display(display), _pixmap(0), _screen(nullptr), _colormap(0), _depth(0)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    _screen = attributes.screen;
    _colormap = attributes.colormap;
    _depth = attributes.depth;
    _pixmap = XCreatePixmap(display, window, 1, 1, _depth);
    instances().push_back(this);

    Vector<GCSpec> &entries = table();
    for (int i = 0; i < entries.size(); i++)
        realize(i, 0, entries[i]);
}

Palette::~Palette()
{
    for (int i = 0; i < _gcs.size(); i++)
        if (_gcs[i])
            XFreeGC(_display, _gcs[i]);
    if (!_allocated.empty())
        XFreeColors(_display, _colormap, _allocated.begin(), _allocated.size(),
                    0);
    XFreePixmap(_display, _pixmap);

    Vector<Palette *> &attached = instances();
    for (int i = 0; i < attached.size(); i++)
        if (attached[i] == this) {
            attached[i] = attached.back();
            attached.pop_back();
            break;
        }
}

void Palette::realize(int index, unsigned long previous_mask, GCSpec &entry)
{
    if (_gcs.size() <= index) {
        _gcs.resize(index + 1, nullptr);
        _pixels.resize(index + 1, 0);
    }
    if (!(previous_mask & GCForeground) && (entry.mask & GCForeground)) {
        // The shared record receives what the server granted, so later
        // requests compare against the granted components.
        alloc_colour(entry.colour);
        _pixels[index] = entry.colour.pixel;
    }
    entry.values.foreground = _pixels[index];
    if (_gcs[index])
        XChangeGC(_display, _gcs[index], entry.mask, &entry.values);
    else
        _gcs[index] = XCreateGC(_display, _pixmap, entry.mask, &entry.values);
}

void Palette::alloc_colour(XColor &colour)
{
    if (XAllocColor(_display, _colormap, &colour))
        _allocated.push_back(colour.pixel);
    else
        colour.pixel = WhitePixelOfScreen(_screen);
}
