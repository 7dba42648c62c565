// Geometry grammar, read left to right:
//   spec     := size [offset] | offset
//   size     := DIGITS 'x' DIGITS
//   offset   := sign NUMBER sign NUMBER [anything]
//   sign     := '+' | '-'
// NUMBER is read by strtol, so it may carry its own sign.  A '-' offset
// counts from the right or bottom edge of the screen.  Sizes must lie in
// 1..32767 and offsets within +-32767: the server refuses a zero size
// (ending the program), and larger values do not fit the protocol.
#include "driver/geometry.hh"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace {

// strtol within +-max_geometry_value; false on overflow or out of range.
bool read_number(const char *text, const char **end, long *value)
{
    char *stop;
    errno = 0;
    *value = strtol(text, &stop, 10);
    *end = stop;
    return errno == 0 && *value >= -max_geometry_value
        && *value <= max_geometry_value;
}

bool is_digit(char c)
{
    return isdigit((unsigned char) c);
}

bool is_sign(char c)
{
    return c == '+' || c == '-';
}

bool parse_size(const char **s, XSizeHints *hints)
{
    long width, height;
    hints->flags |= USSize;
    if (!read_number(*s, s, &width) || width < 1)
        return false;
    hints->width = (int) width;
    if (**s != 'x' || !is_digit((*s)[1]))
        return false;
    if (!read_number(*s + 1, s, &height) || height < 1)
        return false;
    hints->height = (int) height;
    return true;
}

int gravity_of(char x_sign, char y_sign)
{
    if (x_sign == '+')
        return y_sign == '+' ? NorthWestGravity : SouthWestGravity;
    return y_sign == '+' ? NorthEastGravity : SouthEastGravity;
}

bool parse_offset(const char *s, int screen_width, int screen_height,
                  XSizeHints *hints)
{
    long x, y;
    if (!is_sign(*s))
        return false;
    char x_sign = *s;
    hints->flags |= USPosition | PWinGravity;
    if (!read_number(s + 1, &s, &x))
        return false;
    if (x_sign == '-')
        x = screen_width - x - hints->width;
    hints->x = (int) x;

    if (!is_sign(*s))
        return false;
    char y_sign = *s;
    if (!read_number(s + 1, &s, &y))
        return false;
    if (y_sign == '-')
        y = screen_height - y - hints->height;
    hints->y = (int) y;
    hints->win_gravity = gravity_of(x_sign, y_sign);
    return true;  // anything after y is ignored
}

}  // namespace

bool parse_geometry(const char *spec, int screen_width, int screen_height,
                    XSizeHints *hints)
{
    const char *s = spec;
    bool ok;
    hints->flags = 0;
    if (is_digit(*s)) {
        ok = parse_size(&s, hints);
        if (ok && *s)
            ok = parse_offset(s, screen_width, screen_height, hints);
    } else
        ok = *s && parse_offset(s, screen_width, screen_height, hints);
    if (!ok)
        hints->flags = 0;
    return ok;
}
