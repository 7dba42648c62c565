// GoogleTest first: Xlib's macros (None, Bool, ...) break its headers.
#include <gtest/gtest.h>

#include "driver/geometry.hh"


namespace {

struct GeometryCase {
    const char *spec;
    bool ok;
    int width, height, x, y;
    long flags;
    int gravity;  // checked only when PWinGravity is set
};

const long size_flag = USSize;
const long position_flags = USPosition | PWinGravity;

// On a 1280x1024 screen, starting from the default 640x520 at (0, 0).
const GeometryCase cases[] = {
    {"300x200", true, 300, 200, 0, 0, size_flag, 0},
    {"300x200+10-20", true, 300, 200, 10, 804, size_flag | position_flags,
     SouthWestGravity},
    {"300x200+10+20", true, 300, 200, 10, 20, size_flag | position_flags,
     NorthWestGravity},
    {"300x200-10+20", true, 300, 200, 970, 20, size_flag | position_flags,
     NorthEastGravity},
    {"-0-0", true, 640, 520, 640, 504, position_flags, SouthEastGravity},
    {"+-5+7", true, 640, 520, -5, 7, position_flags, NorthWestGravity},
    {"300x200+10+20junk", true, 300, 200, 10, 20, size_flag | position_flags,
     NorthWestGravity},
    // Bad: the fields keep what was stored before the fault.
    {"300", false, 300, 520, 0, 0, 0, 0},
    {"300x200+10", false, 300, 200, 10, 0, 0, 0},
    {"x200", false, 640, 520, 0, 0, 0, 0},
    {"", false, 640, 520, 0, 0, 0, 0},
    {"300x", false, 300, 520, 0, 0, 0, 0},
    {"300xx", false, 300, 520, 0, 0, 0, 0},
    {"300x200*5+5", false, 300, 200, 0, 0, 0, 0},
    // A zero size would be refused by the server, killing the program.
    {"0x200", false, 640, 520, 0, 0, 0, 0},
    {"300x0", false, 300, 520, 0, 0, 0, 0},
    {"0x0+5+5", false, 640, 520, 0, 0, 0, 0},
    // Numbers too large for X coordinates, or for a long.
    {"40000x200", false, 640, 520, 0, 0, 0, 0},
    {"300x99999999999999999999999", false, 300, 520, 0, 0, 0, 0},
    {"300x200+99999999999999999999-0", false, 300, 200, 0, 0, 0, 0},
    {"300x200+0-40000", false, 300, 200, 0, 0, 0, 0},
    {"32767x32767", true, 32767, 32767, 0, 0, size_flag, 0},
};

TEST(Geometry, Table)
{
    for (const GeometryCase &c : cases) {
        XSizeHints hints = XSizeHints();
        hints.width = 640;
        hints.height = 520;
        hints.flags = PMinSize;  // stale flags are always cleared
        bool ok = parse_geometry(c.spec, 1280, 1024, &hints);
        SCOPED_TRACE(std::string("geometry \"") + c.spec + "\"");
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(hints.width, c.width);
        EXPECT_EQ(hints.height, c.height);
        EXPECT_EQ(hints.x, c.x);
        EXPECT_EQ(hints.y, c.y);
        EXPECT_EQ(hints.flags, c.flags);
        if (c.flags & PWinGravity) {
            EXPECT_EQ(hints.win_gravity, c.gravity);
        }
    }
}

}  // namespace
