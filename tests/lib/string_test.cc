#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/permstr.hh"
#include "lib/straccum.hh"
#include "lib/string.hh"

namespace {

std::string str(const String &s)
{
    return std::string(s.data(), s.length());
}

TEST(String, CopiesShareAndAppendsNeverLeak)
{
    String a("hello");
    String b = a;
    EXPECT_EQ(a.memo(), b.memo());
    EXPECT_EQ(a.memo()->_refcount, 2);

    // Both end at the buffer's used end; the first to append extends the
    // buffer in place, the other must then copy.
    b.append(" world", -1);
    EXPECT_EQ(b.memo(), a.memo());
    EXPECT_EQ(str(a), "hello");
    EXPECT_EQ(str(b), "hello world");

    a.append("!!", 2);
    EXPECT_NE(a.memo(), b.memo());
    EXPECT_EQ(str(a), "hello!!");
    EXPECT_EQ(str(b), "hello world");
}

TEST(String, BufferSizesGoUpInSixteensThenDouble)
{
    EXPECT_EQ(String(std::string(15, 'x').c_str()).memo()->_capacity, 16);
    EXPECT_EQ(String(std::string(16, 'x').c_str()).memo()->_capacity, 32);
    EXPECT_EQ(String("abc").memo()->_dirty, 3);

    String s("0123456789");
    const Memo *before = s.memo();
    EXPECT_EQ(before->_capacity, 16);
    s.append("abcdefghijklmnopqrst", 20);
    EXPECT_NE(s.memo(), before);
    EXPECT_EQ(s.memo()->_capacity, 32);
    EXPECT_EQ(s.memo()->_dirty, 30);
    EXPECT_EQ(str(s), "0123456789abcdefghijklmnopqrst");

    // Five bytes fit in place (16 - 10 > 5); six would fill the buffer.
    String t("0123456789");
    const Memo *m = t.memo();
    t.append("abcde", 5);
    EXPECT_EQ(t.memo(), m);
    t.append("f", 1);
    EXPECT_NE(t.memo(), m);
}

TEST(String, AppendOfItself)
{
    String s("abc");
    s.append(s);
    s.append(s.data() + 1, 2);
    EXPECT_EQ(str(s), "abcabcbc");
}

TEST(String, Substrings)
{
    const String s("abcdef");
    struct Case {
        int left, length;
        const char *expected;
    } cases[] = {
        {-3, -1, "de"}, {2, 100, "cdef"}, {10, 1, ""}, {0, 6, "abcdef"},
        {-10, 3, ""},   {1, -1, "bcde"},  {3, 0, ""},  {5, 1, "f"},
    };
    for (const Case &c : cases) {
        String sub = s.substring(c.left, c.length);
        EXPECT_EQ(str(sub), c.expected) << c.left << "," << c.length;
        if (sub.length()) {
            EXPECT_EQ(sub.memo(), s.memo());
        }
    }
    EXPECT_EQ(str(s.substring(-2)), "ef");
}

TEST(String, Searching)
{
    String s("abcabc");
    EXPECT_EQ(s.find_left('c'), 2);
    EXPECT_EQ(s.find_left('c', 3), 5);
    EXPECT_EQ(s.find_left('z'), -1);
    EXPECT_EQ(s.find_left('a', -5), 0);
    EXPECT_EQ(s.find_left(String("ca")), 2);
    EXPECT_EQ(s.find_left(String("bc"), 2), 4);
    EXPECT_EQ(s.find_left(String("abcabcx")), -1);
    EXPECT_EQ(s.find_left(String(), 4), 0);
    EXPECT_EQ(s.find_left(String(), 6), -1);
    EXPECT_EQ(s.find_right('a'), 3);
    EXPECT_EQ(s.find_right('a', 2), 0);
    EXPECT_EQ(s.find_right('a', -1), -1);
}

TEST(String, Printable)
{
    const char bytes[] = {65, 10, (char) 200};
    EXPECT_EQ(str(String(bytes, 3).printable()), "A^J\\310");
    const char more[] = {0, 127, 'z'};
    EXPECT_EQ(str(String(more, 3).printable()), "^@\\177z");
    String plain("plain text");
    EXPECT_EQ(plain.printable().memo(), plain.memo());
}

TEST(String, EqualsAndCompare)
{
    EXPECT_TRUE(String("-").equals("-", -1));
    EXPECT_FALSE(String("--").equals("-", -1));
    EXPECT_TRUE(String().equals("", 0));
    EXPECT_FALSE(String().equals(String::out_of_memory_data(), 0));
    EXPECT_FALSE(String::out_of_memory_string().equals("", 0));
    EXPECT_EQ(String("ab").compare("abc", -1), -1);
    EXPECT_EQ(String("abc").compare("ab", -1), 1);
    EXPECT_EQ(String("abc").compare("abc", -1), 0);
    EXPECT_LT(String("abd").compare("abe", -1), 0);
    EXPECT_GT(String("b").compare("abc", -1), 0);
    EXPECT_TRUE(String("x") == "x");
    EXPECT_TRUE(String("x") != String("y"));
}

TEST(String, HashcodeUsesLengthAndEdgeBytes)
{
    EXPECT_EQ(String().hashcode(), 0);
    EXPECT_EQ(String("a").hashcode(), 97 | (97 << 8));
    EXPECT_EQ(String("ab").hashcode(), (2 << 12) + 97 + 8 * 98);
    EXPECT_EQ(String("abcd").hashcode(), 1684353633);
    // Byte 3 counts unsigned, the last byte signed.
    EXPECT_EQ(String("abc\xC8\xFF").hashcode(), -932991391);
}

TEST(String, CcTerminatesWithoutDisturbingSharers)
{
    // At the used end with room: the NUL is written in place and counted.
    String s("abcdef");
    const char *before = s.data();
    EXPECT_STREQ(s.cc(), "abcdef");
    EXPECT_EQ(s.data(), before);
    EXPECT_EQ(s.memo()->_dirty, 7);

    // A substring in the middle is copied before it is terminated.
    String whole("abcdef");
    String mid = whole.substring(1, 3);
    EXPECT_STREQ(mid.cc(), "bcd");
    EXPECT_NE(mid.memo(), whole.memo());
    EXPECT_EQ(str(whole), "abcdef");

    // A buffer filled to the last byte must not be read past its end.
    char *buffer = new char[4];
    std::memcpy(buffer, "wxyz", 4);
    String full = String::claim_string(buffer, 4, 4);
    EXPECT_STREQ(full.cc(), "wxyz");
    EXPECT_EQ(full.length(), 4);
}

TEST(String, MutableDataCopiesSharedBuffers)
{
    String a("shared");
    String b = a;
    b.mutable_data()[0] = 'S';
    EXPECT_EQ(str(a), "shared");
    EXPECT_EQ(str(b), "Shared");
    const Memo *m = b.memo();
    b.mutable_data()[1] = 'H';
    EXPECT_EQ(b.memo(), m);  // sole owner: in place
    EXPECT_STREQ(String::stable_string("static").mutable_c_str(), "static");
}

TEST(String, ConstructorsAndCase)
{
    EXPECT_EQ(str(String(-42)), "-42");
    EXPECT_EQ(str(String(4000000000u)), "4000000000");
    EXPECT_EQ(str(String(-7L)), "-7");
    EXPECT_EQ(str(String(2.5)), "2.5");
    EXPECT_EQ(str(String(PermString("perm"))), "perm");
    EXPECT_EQ(str(String::fill_string('z', 3)), "zzz");
    EXPECT_EQ(String::garbage_string(40).length(), 40);
    const char embedded[] = {'a', 0, 'b'};
    EXPECT_EQ(String(embedded, 3).length(), 3);

    String mixed("abCD12");
    EXPECT_EQ(str(mixed.lower()), "abcd12");
    EXPECT_EQ(str(mixed.upper()), "ABCD12");
    String low("lower");
    EXPECT_EQ(low.lower().memo(), low.memo());
}

TEST(String, OutOfMemoryAbsorbsAppends)
{
    String s("text");
    s.append(String::out_of_memory_data(), 0);
    EXPECT_TRUE(s.out_of_memory());
    s.append("more", -1);
    s.append_fill('x', 10);
    EXPECT_EQ(s.length(), 0);
    EXPECT_TRUE(s.out_of_memory());
    EXPECT_STREQ(s.cc(), "");
    s = "fresh";
    EXPECT_FALSE(s.out_of_memory());
    EXPECT_EQ(str(s), "fresh");
}

TEST(StringAccum, GrowsByDoublingAndHandsOverItsBuffer)
{
    StringAccum sa;
    EXPECT_EQ(sa.capacity(), 0);
    for (int i = 0; i < 200; i++)
        sa.append((char) ('a' + i % 26));
    EXPECT_EQ(sa.capacity(), 256);
    EXPECT_EQ(sa.length(), 200);

    const char *buffer = sa.data();
    String s = sa.take_string();
    EXPECT_EQ(s.data(), buffer);  // no copy
    EXPECT_EQ(s.length(), 200);
    EXPECT_EQ(s.memo()->_capacity, 256);
    EXPECT_EQ(sa.length(), 0);
    EXPECT_EQ(sa.capacity(), 0);

    EXPECT_EQ(StringAccum().take_string().length(), 0);
}

TEST(StringAccum, FormatsNumbersAndTerminates)
{
    StringAccum sa;
    sa << "x=" << 42 << ", y=" << -3L << ", z=" << 0.25 << ", u=" << 7u;
    sa.snprintf(10, " %s", "end");
    EXPECT_STREQ(sa.c_str(), "x=42, y=-3, z=0.25, u=7 end");
    EXPECT_EQ(sa.length(), (int) std::strlen("x=42, y=-3, z=0.25, u=7 end"));

    StringAccum self;
    self << "abc";
    self.append(self.data(), 3);
    EXPECT_STREQ(self.c_str(), "abcabc");
}

TEST(StringAccum, OutOfMemoryState)
{
    StringAccum sa;
    sa << "lost";
    sa.append(String::out_of_memory_data(), 0);
    EXPECT_TRUE(sa.out_of_memory());
    sa << "ignored" << 5;
    EXPECT_EQ(sa.length(), 0);
    EXPECT_EQ(sa.reserve(10), nullptr);
    EXPECT_STREQ(sa.c_str(), "");
    EXPECT_TRUE(sa.take_string().out_of_memory());
}

TEST(StringDeathTest, ContractViolations)
{
    EXPECT_DEATH(String().assign(nullptr, 3), "Assertion `len <= 0' failed");
    EXPECT_DEATH(String().append(nullptr, 2), "Assertion `suffix_len <= 0' failed");
    EXPECT_DEATH(String().append_fill('x', -1), "Assertion `suffix_len >= 0' failed");
    EXPECT_DEATH(String().append_garbage(-1), "Assertion `suffix_len >= 0' failed");
    EXPECT_DEATH(String::claim_string(nullptr, 1, 1),
                 "Assertion `str && len > 0 && capacity >= len' failed");
    EXPECT_DEATH(String{PermString()}, "assign: Assertion `len <= 0' failed");
    EXPECT_DEATH(StringAccum(4).forward(5),
                 "Assertion `n>=0 && _len\\+n<=_cap' failed");
    EXPECT_DEATH(StringAccum().reserve(-1), "Assertion `hm >= 0' failed");
    EXPECT_DEATH(
        {
            StringAccum sa;
            sa.make_out_of_memory();
            sa.make_out_of_memory();
        },
        "Assertion `_cap >= 0' failed");
    EXPECT_DEATH(
        {
            StringAccum sa;
            sa.snprintf(2, "%s", "long");
        },
        "Assertion `len <= n' failed");
}

}  // namespace
