#include "driver/moment.hh"

#include <gtest/gtest.h>

namespace {

void expect_moment(Moment m, int64_t sec, int64_t usec)
{
    EXPECT_EQ(m.sec, sec);
    EXPECT_EQ(m.usec, usec);
}

TEST(Moment, AddCarriesAndSubtractBorrows)
{
    expect_moment(Moment(1, 600000) + Moment(2, 500000), 4, 100000);
    expect_moment(Moment(1, 400000) + Moment(0, 600000), 2, 0);
    expect_moment(Moment(1, 1) + Moment(0, 2), 1, 3);
    expect_moment(Moment(5, 100) - Moment(2, 900), 2, 999200);
    expect_moment(Moment(3, 0) - Moment(3, 0), 0, 0);
    expect_moment(Moment(3, 500) - Moment(1, 200), 2, 300);
}

TEST(Moment, CompareSecondsThenMicroseconds)
{
    EXPECT_TRUE(Moment(1, 999999) <= Moment(2, 0));
    EXPECT_FALSE(Moment(2, 0) <= Moment(1, 999999));
    EXPECT_TRUE(Moment(2, 5) <= Moment(2, 5));
    EXPECT_FALSE(Moment(2, 5) < Moment(2, 5));
    EXPECT_TRUE(Moment(2, 4) < Moment(2, 5));
}

TEST(Moment, Ratio)
{
    EXPECT_DOUBLE_EQ(ratio(Moment(0, 30000), Moment(0, 10000)), 3.0);
    EXPECT_DOUBLE_EQ(ratio(Moment(1, 500000), Moment(0, 500000)), 3.0);
}

TEST(Moment, ScaledTruncatesTheFractionAfterMultiplying)
{
    expect_moment(scaled(Moment(0, 999999), 1.25), 1, 249998);
    expect_moment(scaled(Moment(0, 10000), 0.8), 0, 8000);
    expect_moment(scaled(Moment(0, 10000), 1.25), 0, 12500);
    expect_moment(scaled(Moment(2, 500000), 2), 5, 0);
}

TEST(Moment, RepeatedSpeedChangesTruncateAtEachStep)
{
    struct Case {
        double factor;
        int64_t expected[5];
    } cases[] = {
        {0.8, {8000, 6400, 5120, 4096, 3276}},
        {1.25, {12500, 15625, 19531, 24413, 30516}},
    };
    for (const Case &c : cases) {
        Moment m(0, 10000);
        for (int64_t expected : c.expected) {
            m = scaled(m, c.factor);
            EXPECT_EQ(m.sec, 0);
            EXPECT_EQ(m.usec, expected) << "factor " << c.factor;
        }
    }
}

TEST(Moment, NowCountsFromProgramStartAndIsNormalised)
{
    Moment a = now();
    Moment b = now();
    EXPECT_TRUE(Moment() <= a);
    EXPECT_TRUE(a <= b);
    EXPECT_GE(b.usec, 0);
    EXPECT_LT(b.usec, 1000000);
    // Program start lies in the past, and within the life of this process.
    Moment since = time_of_day() - program_start;
    EXPECT_TRUE(b <= since);
    EXPECT_LT(since.sec, 3600);
}

}  // namespace
