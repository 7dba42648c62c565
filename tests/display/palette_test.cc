// GoogleTest first: Xlib's macros (None, Bool, ...) break its headers.
#include <gtest/gtest.h>

#include "display/palette.hh"

#include <cstdio>

#include "display/colour.hh"
#include "tests/display/x_server.hh"

namespace {

const unsigned long colour_mask = GCFunction | GCForeground | GCLineWidth;

// A fresh table exists only in a fresh process: the threadsafe death-test
// style re-runs this test binary for the child, so the statements below
// see the table as the program does at start.
#define IN_FRESH_PROCESS(statements)                                         \
    do {                                                                     \
        GTEST_FLAG_SET(death_test_style, "threadsafe");                      \
        EXPECT_EXIT({ statements; exit(0); }, ::testing::ExitedWithCode(0), \
                    "");                                                     \
    } while (0)

// Child-side check: report and fail the child on a mismatch.
#define CHILD_CHECK(cond)                                                    \
    do {                                                                     \
        if (!(cond)) {                                                       \
            fprintf(stderr, "check failed: %s\n", #cond);                    \
            exit(1);                                                         \
        }                                                                    \
    } while (0)

TEST(PaletteTable, FirstRequestAddsBlackThenTheColour)
{
    IN_FRESH_PROCESS({
        CHILD_CHECK(Palette::table_size() == 0);
        CHILD_CHECK(request_colour(255, 0, 0) == 1);
        CHILD_CHECK(Palette::table_size() == 2);
        CHILD_CHECK(Palette::spec(0).mask == (unsigned long) GCForeground);
        CHILD_CHECK(Palette::spec(0).colour.red == 0);
        CHILD_CHECK(Palette::spec(1).mask == colour_mask);
        CHILD_CHECK(Palette::spec(1).colour.red == 65535);
        CHILD_CHECK(Palette::spec(1).values.function == GXcopy);
        CHILD_CHECK(Palette::request_colour(255, 0, 0) == 1);
        CHILD_CHECK(Palette::table_size() == 2);
        // Black merges into entry 0, widening its mask.
        CHILD_CHECK(Palette::request_colour(0, 0, 0) == 0);
        CHILD_CHECK(Palette::spec(0).mask == colour_mask);
        CHILD_CHECK(Palette::table_size() == 2);
    });
}

TEST(PaletteTable, EqualColoursShareAnEntry)
{
    int a = Palette::request_colour(17, 34, 51);
    int b = Palette::request_colour(17, 34, 52);
    EXPECT_NE(a, b);
    EXPECT_GT(a, 0);
    EXPECT_EQ(Palette::request_colour(17, 34, 51), a);
    EXPECT_EQ(Palette::request_colour(0, 0, 0), 0);
    int size = Palette::table_size();
    EXPECT_EQ(Palette::request_colour(17, 34, 52), b);
    EXPECT_EQ(Palette::table_size(), size);
}

TEST(PaletteTable, ComponentsAreReplicatedBytes)
{
    int i = Palette::request_colour(128, 64, 0);
    const XColor &c = Palette::spec(i).colour;
    EXPECT_EQ(c.red, 32896);
    EXPECT_EQ(c.green, 16448);
    EXPECT_EQ(c.blue, 0);
    int r = -1, g = -1, b = -1;
    EXPECT_TRUE(Palette::colour_components(i, r, g, b));
    EXPECT_EQ(r, 128);
    EXPECT_EQ(g, 64);
    EXPECT_EQ(b, 0);
    EXPECT_FALSE(Palette::colour_components(Palette::table_size(), r, g, b));
    EXPECT_FALSE(Palette::colour_components(-1, r, g, b));
}

TEST(PaletteTable, RequestsMatchOnlyOnAttributesBothMasksHave)
{
    XGCValues values = XGCValues();
    values.line_style = LineOnOffDash;
    XColor colour = XColor();
    colour.red = colour.green = colour.blue = 4112;  // (16, 16, 16)
    int dashed = Palette::request_gc(GCForeground | GCLineStyle, values, &colour);
    // A plain request for the same colour matches it and widens its mask.
    EXPECT_EQ(Palette::request_colour(16, 16, 16), dashed);
    EXPECT_EQ(Palette::spec(dashed).mask, colour_mask | GCLineStyle);
    EXPECT_EQ(Palette::spec(dashed).values.line_style, LineOnOffDash);
    // A different line style is a different entry.
    values.line_style = LineSolid;
    int solid = Palette::request_gc(GCForeground | GCLineStyle, values, &colour);
    EXPECT_NE(solid, dashed);
}

// ---- on a real server ------------------------------------------------------

unsigned long gc_foreground(Display *d, GC gc)
{
    XGCValues v;
    XGetGCValues(d, gc, GCForeground | GCFunction, &v);
    return v.foreground;
}

TEST(PaletteOnServer, AttachingRealisesEveryEntryLaterRequestsAtOnce)
{
    TestXServer server;
    XT_REQUIRE_SERVER(server);
    int green = Palette::request_colour(0, 255, 0);
    Window w = server.map_window(50, 50);
    {
        Palette palette(server.display(), w);
        EXPECT_EQ(palette.gc_count(), Palette::table_size());
        for (int i = 0; i < palette.gc_count(); i++)
            EXPECT_NE(palette.gc(i), nullptr) << "index " << i;
        EXPECT_EQ(palette.pixel(green), 0x00ff00UL);
        EXPECT_EQ(gc_foreground(server.display(), palette.gc(green)),
                  0x00ff00UL);
        EXPECT_EQ(palette.pixel(0), 0UL);

        int late = Palette::request_colour(1, 2, 3);
        EXPECT_EQ(palette.gc_count(), Palette::table_size());
        EXPECT_EQ(gc_foreground(server.display(), palette.gc(late)),
                  0x010203UL);

        // Black again: entry 0 may widen, but it keeps its pixel and GC.
        GC gc0 = palette.gc(0);
        EXPECT_EQ(Palette::request_colour(0, 0, 0), 0);
        EXPECT_EQ(palette.gc(0), gc0);
        EXPECT_EQ(gc_foreground(server.display(), gc0), 0UL);
    }
    // A second instance realises the same table afterwards.
    Palette again(server.display(), w);
    EXPECT_EQ(again.gc_count(), Palette::table_size());
    EXPECT_EQ(again.pixel(green), 0x00ff00UL);
}

TEST(PaletteOnServer, AttachedBeforeAnyRequestStillGetsTheBackground)
{
    TestXServer server;
    XT_REQUIRE_SERVER(server);
    Window w = server.map_window(50, 50);
    IN_FRESH_PROCESS({
        Palette palette(server.display(), w);
        CHILD_CHECK(palette.gc_count() == 0);
        CHILD_CHECK(Palette::request_colour(255, 0, 0) == 1);
        CHILD_CHECK(palette.gc_count() == 2);
        CHILD_CHECK(palette.gc(0) != nullptr);
        CHILD_CHECK(palette.gc(1) != nullptr);
        CHILD_CHECK(gc_foreground(server.display(), palette.gc(0)) == 0UL);
    });
}

TEST(PaletteOnServer, IndexOutsideTheTableIsAProgrammingError)
{
    TestXServer server;
    XT_REQUIRE_SERVER(server);
    Palette::request_colour(9, 9, 9);
    Window w = server.map_window(50, 50);
    Palette palette(server.display(), w);
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_DEATH(palette.gc(palette.gc_count()),
                 "Assertion `i>=0 && i<_n' failed");
}

}  // namespace
