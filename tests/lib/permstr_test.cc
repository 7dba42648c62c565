#include <gtest/gtest.h>

#include <cstring>

#include "lib/permstr.hh"

namespace {

TEST(PermString, EqualTextsAreOnePointerWhateverTheRoute)
{
    PermString a("sensor");
    PermString b("sensor-left", 6);
    PermString c = permcat(PermString("sen"), PermString("sor"));
    EXPECT_EQ(a.c_str(), b.c_str());
    EXPECT_EQ(a.c_str(), c.c_str());
    EXPECT_TRUE(a == c);
    EXPECT_EQ(a.length(), 6);
    EXPECT_STREQ(a.c_str(), "sensor");
    EXPECT_NE(PermString("sensors"), a);
    EXPECT_EQ(permcat(a, PermString("")), a);
}

TEST(PermString, EmptyAndSingleCharacterTexts)
{
    PermString a("a");
    EXPECT_EQ(a.c_str(), PermString("ab", 1).c_str());
    EXPECT_EQ(a.c_str(), PermString('a').c_str());
    EXPECT_EQ(a.length(), 1);
    EXPECT_EQ(PermString("").c_str(), PermString("xyz", 0).c_str());
    EXPECT_EQ(PermString("").length(), 0);
    EXPECT_FALSE(PermString("").null());

    // Every byte value, the NUL and bytes above 127 included, has its record.
    for (int c = 0; c < 256; c++) {
        char ch = (char) c;
        PermString p(&ch, 1);
        EXPECT_EQ(p.length(), 1);
        EXPECT_EQ((unsigned char) p[0], c);
        EXPECT_EQ(p[1], 0);
        EXPECT_EQ(p, PermString(ch));
    }
}

TEST(PermString, EmbeddedNulKeepsItsLength)
{
    const char text[] = {'a', 0, 'b'};
    PermString p(text, 3);
    EXPECT_EQ(p.length(), 3);
    EXPECT_NE(p, PermString("a"));
    EXPECT_EQ(std::memcmp(p.c_str(), text, 3), 0);
    EXPECT_EQ(p, PermString(text, 3));
}

TEST(PermString, TextsSharingTheirLastTenBytesStayApart)
{
    // Only the last ten bytes decide the bucket, so these collide.
    PermString a("AAAA0123456789");
    PermString b("BBBB0123456789");
    PermString c("0123456789");
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    EXPECT_STREQ(a.c_str(), "AAAA0123456789");
    EXPECT_STREQ(b.c_str(), "BBBB0123456789");
    EXPECT_EQ(a, PermString("AAAA0123456789"));
    EXPECT_EQ(b, PermString("BBBB0123456789"));
}

TEST(PermString, NullAndCapsules)
{
    PermString n((const char *) nullptr);
    EXPECT_TRUE(n.null());
    EXPECT_EQ(n, PermString());
    EXPECT_EQ(n.length(), 0);
    EXPECT_EQ(n.capsule(), nullptr);
    EXPECT_TRUE(PermString::decapsule(nullptr).null());

    PermString p("capsule");
    void *capsule = p.capsule();
    EXPECT_NE(capsule, (void *) p.c_str());
    EXPECT_EQ(PermString::decapsule(capsule), p);
    PermString one('z');
    EXPECT_EQ(PermString::decapsule(one.capsule()), one);
}

}  // namespace
