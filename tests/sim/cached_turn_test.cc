#include "sim/cached_turn.hh"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A sequence of angles, repeats and near-repeats among them: every answer
// must be the maths library's, bit for bit.  Signed zeros compare equal
// but have sines of opposite signs; NaN is unequal to itself.
TEST(CachedTurnTest, GivesTheBitsOfCosAndSinForEverySequenceOfAngles)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double angles[] = {0.5, 0.5, std::nextafter(0.5, 1.0), 0.5, 0.0, -0.0, -0.0, 0.0,
                             nan, nan, 3.0, M_PI, -M_PI, 1e300, 1e300, -2.0};
    CachedTurn turn;
    for (double a : angles) {
        double c, s;
        turn.at(a, c, s);
        EXPECT_TRUE(same_bits(std::cos(a), c)) << "cos " << a;
        EXPECT_TRUE(same_bits(std::sin(a), s)) << "sin " << a;
    }
}

}  // namespace
