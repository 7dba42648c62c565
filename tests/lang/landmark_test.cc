// Line tables, position texts and the message reporter.
#include <cstdarg>

#include <gtest/gtest.h>

#include "lang/landmark.hh"
#include "lang/token.hh"
#include "tests/lang/lang_helpers.hh"

namespace {

std::string position_text(LineTable *table, uint32_t pos)
{
    String s = Landmark(table, pos).position_text();
    return std::string(s.data(), s.length());
}

TEST(LineTableTest, PositionsOnThreeLines)
{
    // "ab\ncd\nef": lines start at 0, 3 and 6.
    LineTable t(PermString("<argument>"));
    t.finish_line(3);
    t.finish_line(6);
    EXPECT_EQ("<argument>:1:", position_text(&t, 0));
    EXPECT_EQ("<argument>:1:", position_text(&t, 2));
    EXPECT_EQ("<argument>:2:", position_text(&t, 3));
    EXPECT_EQ("<argument>:2:", position_text(&t, 5));
    EXPECT_EQ("<argument>:3:", position_text(&t, 6));
    EXPECT_EQ("<argument>:3:", position_text(&t, 8));  // just past the end
}

TEST(LineTableTest, EightyLinesFillABlock)
{
    LineTable t(PermString("f"));
    for (uint32_t i = 1; i <= 80; i++)
        t.finish_line(10 * i);
    // Lines 1 to 80 are in the head block, line 81 starts the second.
    ASSERT_NE(t.head(), t.current());
    EXPECT_EQ(t.current(), t.head()->next());
    EXPECT_EQ(80, t.head()->line_count());
    EXPECT_EQ(800u, t.head()->end());
    EXPECT_EQ(800u, t.current()->start());
    EXPECT_EQ("f:80:", position_text(&t, 799));
    EXPECT_EQ("f:81:", position_text(&t, 800));
    EXPECT_EQ("f:81:", position_text(&t, 805));
    EXPECT_EQ("f:1:", position_text(&t, 0));
    EXPECT_EQ("f:41:", position_text(&t, 405));
    t.finish_line(810);
    EXPECT_EQ("f:82:", position_text(&t, 810));
}

TEST(LineTableTest, ManyBlocksFromTheLexer)
{
    // 1000 lines through a real tokenizer: the end-of-input token sits on
    // the last line.
    std::string text;
    for (int i = 0; i < 999; i++)
        text += "x\n";
    text += "x";
    StringTokenBufferFiller filler("<argument>", text.c_str());
    Tokenizer tok(&filler);
    Token t;
    for (int i = 0; i < 1000; i++) {
        t = tok.get_token();
        ASSERT_EQ(opIdentifier, t.code());
        if (i == 500) {
            String s = t.landmark().position_text();
            EXPECT_EQ("<argument>:501:", std::string(s.data(), s.length()));
        }
    }
    t = tok.get_token();
    EXPECT_EQ(opNone, t.code());
    String s = t.landmark().position_text();
    EXPECT_EQ("<argument>:1000:", std::string(s.data(), s.length()));
}

std::string format(const char *f, ...)
{
    va_list val;
    va_start(val, f);
    String s = format_message(f, val);
    va_end(val);
    return std::string(s.data(), s.length());
}

TEST(ReporterTest, Conversions)
{
    Tokenizer::static_initialize();
    EXPECT_EQ("^G", format("%c", 7));
    EXPECT_EQ("^A ^@ ^_", format("%c %c %c", 1, 0, 31));
    EXPECT_EQ("\\310", format("%c", 200));
    EXPECT_EQ("\\177", format("%c", 127));
    EXPECT_EQ("A ~", format("%c %c", 65, 126));
    EXPECT_EQ("\\377", format("%c", -1));  // taken as an unsigned byte
    EXPECT_EQ(")", format("%o", 41));
    EXPECT_EQ("in", format("%o", 264));
    EXPECT_EQ("(null) (null)", format("%o %o", 0, 261));
    EXPECT_EQ("flip", format("%o", opFlip));
    EXPECT_EQ("x", format("%-s", "x"));
    EXPECT_EQ("x", format("%--s", "x"));
    EXPECT_EQ("(null)", format("%s", (const char *) nullptr));
    EXPECT_EQ("<BAD % `q'>", format("%q"));
    EXPECT_EQ("100%", format("%d%%", 100));
    EXPECT_EQ("-5 4000000000", format("%d %u", -5, 4000000000u));
    EXPECT_EQ("1 thing, 2 things, 0 things",
              format("%d thing%S, %d thing%S, %d thing%S", 1, 1, 2, 2, 0, 0));
    EXPECT_EQ(format("%p", (void *) 0x1234), format("%p", (void *) 0x1234));
    EXPECT_NE(std::string::npos, format("%p", (void *) 0x1234).find("1234"));
}

TEST(ReporterTest, ErrorAndWarningLines)
{
    Tokenizer::static_initialize();
    LineTable t(PermString("<argument>"));
    t.finish_line(4);
    MessageCapture capture;
    Landmark(&t, 0).error("expected `%o', found `%o'", ')', 0);
    Landmark(&t, 5).warning("garbage at end of number");
    EXPECT_EQ("<argument>:1:expected `)', found `(null)'\n"
              "<argument>:2:warning: garbage at end of number\n",
              capture.text());
}

TEST(ReporterDeathTest, OperatorCodeOutOfRange)
{
    EXPECT_DEATH(format("%o", opLast),
                 literal_regex("Assertion `_op >= 0 && _op < opLast' failed"));
}

TEST(LineTableDeathTest, FinishLineOnAnEarlierBlock)
{
    LineTable t(PermString("f"));
    for (uint32_t i = 1; i <= 80; i++)
        t.finish_line(i);
    EXPECT_DEATH(t.head()->finish_line(100), literal_regex("Assertion `!_next' failed"));
}

}  // namespace
