// The lexer: token streams, constants, strings, punctuation, comments,
// positions, chunked input and its messages.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "lang/token.hh"
#include "tests/lang/lang_helpers.hh"

namespace {

// One token as text: "O<code>:<text>" for operators, "P<code>:<text>" for
// plain tokens, "C:<value>" for constants.
std::string token_text(const Token &t)
{
    char buf[64];
    if (t.cat() == catConstant) {
        snprintf(buf, sizeof buf, "C:%g", t.constant()->value());
        return buf;
    }
    snprintf(buf, sizeof buf, "%c%d:", t.cat() == catOperator ? 'O' : 'P', t.code());
    return buf + std::string(t.text().c_str(), t.text().length());
}

// Every token up to and including end of input.
std::string tokens_of(const std::string &text)
{
    StringTokenBufferFiller filler("<argument>", text.data(), (int) text.size());
    Tokenizer tok(&filler);
    std::string out;
    for (int i = 0; i < 1000; i++) {
        Token t = tok.get_token();
        out += (out.empty() ? "" : " ") + token_text(t);
        if (t.cat() == catConstant)
            delete t.constant();
        if (t.code() == opNone)
            break;
    }
    return out;
}

struct LexCase {
    const char *input;
    const char *tokens;
    const char *messages;
};

template <size_t N>
void check(const LexCase (&cases)[N])
{
    for (const LexCase &c : cases) {
        SCOPED_TRACE(c.input);
        MessageCapture capture;
        EXPECT_EQ(c.tokens, tokens_of(c.input));
        EXPECT_EQ(c.messages, capture.text());
    }
}

TEST(TokenizerTest, TokenStreams)
{
    const LexCase cases[] = {
        {"flip(left)", "O279:flip O40:( P261:left P41:) P0:", ""},
        {"flipper", "P261:flipper P0:", ""},
        {"$x_1 _9", "P261:$x_1 P261:_9 P0:", ""},
        {"let in end", "P265:let P264:in P263:end P0:", ""},
        {"a//b", "P261:a P0:", ""},
        {"a// x\nb", "P261:a P261:b P0:", ""},
        {"a/*x*/b", "P261:a P261:b P0:", ""},
        {"a/** x **/b", "P261:a P261:b P0:", ""},
        {"a/* never closed", "P261:a P0:", ""},
        {".5", "C:0.5 P0:", ""},
        {". x", "P46:. P261:x P0:", ""},
        {"):;[]{}~#&|%^", "P41:) P58:: P59:; P91:[ P93:] P123:{ P125:} P126:~ "
                          "P35:# P38:& P124:| P37:% P94:^ P0:", ""},
        {"+", "O266:+ P0:", ""},
        {"a-b", "P261:a O269:- P261:b P0:", ""},
        {"**= <= >= == != && || ? , ! / *",
         "O270:** O281:= O272:<= O274:>= O275:== O276:!= O277:&& O278:|| O63:? "
         "O44:, O33:! O47:/ O42:* P0:", ""},
        {"+= -= *= /=", "O282:+= O283:-= O284:*= O285:/= P0:", ""},
        // Spellings that mean nothing in the language: plain tokens named
        // by their first character, whole spelling kept.
        {"a++b", "P261:a P43:++ P261:b P0:", ""},
        {"-- -> &= |= ||| ==> <-> << <<= >> >>= %= ^= ## ...",
         "P45:-- P45:-> P38:&= P124:|= P124:||| P61:==> P60:<-> P60:<< P60:<<= "
         "P62:>> P62:>>= P37:%= P94:^= P35:## P46:... P0:", ""},
        {"<-x", "O271:< O269:- P261:x P0:", ""},
        {"..", "P46:. P46:. P0:", ""},
        {"a@b", "P261:a P261:b P0:", "<argument>:1:illegal character `@'\n"},
        {"\\`", "P0:", "<argument>:1:illegal character `\\'\n"
                      "<argument>:1:illegal character ``'\n"},
    };
    check(cases);
}

TEST(TokenizerTest, ControlAndHighBytesAreIllegal)
{
    MessageCapture capture;
    EXPECT_EQ("P261:a P261:b P0:", tokens_of(std::string("a\0\x7f\xc8 b", 6)));
    EXPECT_EQ("<argument>:1:illegal character `^@'\n"
              "<argument>:1:illegal character `\\177'\n"
              "<argument>:1:illegal character `\\310'\n",
              capture.text());
}

TEST(TokenizerTest, NumericConstants)
{
    const LexCase cases[] = {
        {"0x10", "C:16 P0:", ""},
        {"0X1f", "C:31 P0:", ""},
        {"010", "C:8 P0:", ""},
        {"1.5f", "C:1.5 P0:", ""},
        {"1e3", "C:1000 P0:", ""},
        {"1e-5", "C:1e-05 P0:", ""},
        {"2.5E+2", "C:250 P0:", ""},
        {"7L", "C:7 P0:", ""},
        {"0x1F", "C:31 P0:", ""},
        {"1.e2x", "C:100 P0:", ""},  // strtod's leftovers are not examined
        {"10U", "C:10 P0:", "<argument>:1:warning: unsigned not yet supported\n"},
        {"10UL", "C:10 P0:", "<argument>:1:warning: unsigned not yet supported\n"},
        {"10LU", "C:10 P0:", "<argument>:1:warning: unsigned not yet supported\n"},
        {"10LL", "C:10 P0:", "<argument>:1:warning: garbage at end of number\n"},
        {"1.5uf", "C:1.5 P0:", "<argument>:1:warning: garbage at end of number\n"
                               "<argument>:1:warning: unsigned not yet supported\n"},
        {"12abc", "C:12 P0:",
         "<argument>:1:floating constant or garbage at end of number\n"},
        {"0x", "C:0 P0:", "<argument>:1:floating constant or garbage at end of number\n"},
        {"99999999999999999999", "C:9.22337e+18 P0:",
         "<argument>:1:warning: integer constant out of range\n"},
        {"2*.5", "C:2 O42:* C:0.5 P0:", ""},
    };
    check(cases);
}

TEST(TokenizerTest, StringConstants)
{
    const LexCase cases[] = {
        {"L'x'", "P260:x P0:", ""},
        {"Lx", "P261:Lx P0:", ""},
        {"\"a\\x41g\"", "P260:aAg P0:", ""},
        {"\"a\\x41b\"", "P260:a\x1b P0:", ""},  // b is a hexadecimal digit
        {"\"\\101\"", "P260:A P0:", ""},
        {"'\\1012'", "P260:A2 P0:", ""},
        {"\"\\x4142\"", "P260:B P0:", ""},  // low 8 bits of 0x4142
        {"\"\\xffffffffffffffffffff41\"", "P260:A P0:", ""},
        {"\"\\n\\t\\\\\\\"\\'\\?\"", "P260:\n\t\\\"'? P0:", ""},
        {"\"ab\\\ncd\"", "P260:abcd P0:", ""},
        {"\"\\q\"", "P260:q P0:", "<argument>:1:warning: unknown escape sequence\n"},
        {"\"abc", "P260:abc P0:", "<argument>:1:unexpected end of file\n"},
        {"'a\nb'", "P260:a\nb P0:",
         "<argument>:2:warning: ANSI C forbids newline in character constant\n"},
        {"\"a\nb\"", "P260:a\nb P0:",
         "<argument>:2:warning: ANSI C forbids newline in string constant\n"},
        {"\"\\", "P260:\xff P0:", "<argument>:1:warning: unknown escape sequence\n"
                                  "<argument>:1:unexpected end of file\n"},
    };
    check(cases);
}

TEST(TokenizerTest, EndOfInputRepeatsAndSitsOnTheLastLine)
{
    StringTokenBufferFiller filler("<argument>", "a\n b ");
    Tokenizer tok(&filler);
    Token a = tok.get_token(), b = tok.get_token();
    EXPECT_EQ(0u, a.landmark().position());
    EXPECT_EQ(3u, b.landmark().position());
    for (int i = 0; i < 3; i++) {
        Token t = tok.get_token();
        EXPECT_EQ(opNone, t.code());
        EXPECT_EQ(catPlain, t.cat());
        EXPECT_EQ(0, t.text().length());
        EXPECT_EQ(5u, t.landmark().position());
        String s = t.landmark().position_text();
        EXPECT_EQ("<argument>:2:", std::string(s.data(), s.length()));
    }
}

TEST(TokenizerTest, PushedBackCharactersComeBackInOrder)
{
    StringTokenBufferFiller filler("<argument>", "");
    Tokenizer tok(&filler);
    std::string word = "abcdefghijklmnopqrstuvwxyzABC";  // 29 characters
    for (int i = (int) word.size() - 1; i >= 0; i--)
        tok.unread(word[i]);
    tok.unread(-1);  // ignored
    Token t = tok.get_token();
    EXPECT_EQ(word, t.text().c_str());
    EXPECT_EQ(opNone, tok.get_token().code());
}

// A file large enough to arrive in several chunks.
FILE *file_with(const std::string &text)
{
    FILE *f = tmpfile();
    fwrite(text.data(), 1, text.size(), f);
    rewind(f);
    return f;
}

TEST(FileTokenBufferFillerTest, TokensAcrossChunkBoundaries)
{
    // "<" is the second-to-last character of the first chunk and "-" the
    // last, so the "-" read while looking for "<->" must be pushed back
    // from a chunk that is already gone.
    std::string text(4094 - 2, ' ');
    text += "a\n<-b";
    text += std::string(5000, ' ') + "\ncd";
    FILE *f = file_with(text);
    FileTokenBufferFiller filler("file", f);
    Tokenizer tok(&filler);
    Token a = tok.get_token();
    Token less = tok.get_token();
    Token minus = tok.get_token();
    Token b = tok.get_token();
    Token cd = tok.get_token();
    Token end = tok.get_token();
    EXPECT_EQ("P261:a", token_text(a));
    EXPECT_EQ("O271:<", token_text(less));
    EXPECT_EQ("O269:-", token_text(minus));
    EXPECT_EQ(4094u, less.landmark().position());
    EXPECT_EQ(4095u, minus.landmark().position());
    EXPECT_EQ("P261:b", token_text(b));
    EXPECT_EQ(4096u, b.landmark().position());
    EXPECT_EQ("P261:cd", token_text(cd));
    EXPECT_EQ(opNone, end.code());
    EXPECT_EQ((uint32_t) text.size(), end.landmark().position());
    String s = minus.landmark().position_text();
    EXPECT_EQ("file:2:", std::string(s.data(), s.length()));
    s = cd.landmark().position_text();
    EXPECT_EQ("file:3:", std::string(s.data(), s.length()));
    fclose(f);
}

TEST(FileTokenBufferFillerTest, ReadErrorEndsTheInput)
{
    // Reading a directory fails without reaching end of file.
    FILE *f = fopen("/", "r");
    ASSERT_NE(nullptr, f);
    FileTokenBufferFiller filler("dir", f);
    Tokenizer tok(&filler);
    EXPECT_EQ(opNone, tok.get_token().code());
    EXPECT_EQ(opNone, tok.get_token().code());
    EXPECT_TRUE(ferror(f));
    fclose(f);
}

TEST(TokenizerDeathTest, ProgrammingErrors)
{
    EXPECT_DEATH(
        {
            StringTokenBufferFiller filler("<argument>", "ab c");
            Tokenizer tok(&filler);
            tok.get_token();
            tok.unread('z');
        },
        literal_regex("Assertion `(unsigned char) *_tb->pos == ch' failed"));
    EXPECT_DEATH(
        {
            StringTokenBufferFiller filler("<argument>", "");
            Tokenizer tok(&filler);
            for (int i = 0; i < 30; i++)
                tok.unread('x');
        },
        literal_regex("Assertion `_unread.pos - _unread.begin > 1' failed"));
    EXPECT_DEATH(
        {
            StringTokenBufferFiller filler("<argument>", ")");
            Tokenizer tok(&filler);
            tok.get_token().vopgroup();
        },
        literal_regex("Assertion `_cat == catOperator' failed"));
}

}  // namespace
