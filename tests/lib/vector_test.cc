#include <gtest/gtest.h>

#include "lib/point.hh"
#include "lib/vector.hh"

namespace {

TEST(Vector, PushBackGrowsFromFourByDoubling)
{
    Vector<int> v;
    EXPECT_EQ(v.capacity(), 0);
    EXPECT_EQ(v.begin(), nullptr);
    v.push_back(1);
    const int *storage = v.begin();
    EXPECT_EQ(v.capacity(), 4);
    v.push_back(2);
    v.push_back(3);  // no reallocation yet
    EXPECT_EQ(v.begin(), storage);
    v.push_back(4);
    v.push_back(5);
    EXPECT_EQ(v.capacity(), 8);
    EXPECT_EQ(v.size(), 5);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(v[i], i + 1);
    for (int i = 5; i < 17; i++)
        v.push_back(i + 1);
    EXPECT_EQ(v.capacity(), 32);
    EXPECT_EQ(v.back(), 17);
}

TEST(Vector, ReserveIsExactAndNegativeDoubles)
{
    Vector<double> v;
    for (int i = 0; i < 5; i++)
        v.push_back(i);
    EXPECT_EQ(v.capacity(), 8);
    EXPECT_TRUE(v.reserve(10));
    EXPECT_EQ(v.capacity(), 10);
    EXPECT_TRUE(v.reserve(-1));
    EXPECT_EQ(v.capacity(), 20);
    EXPECT_TRUE(v.reserve(3));  // never shrinks
    EXPECT_EQ(v.capacity(), 20);
    EXPECT_EQ(v.size(), 5);
    EXPECT_EQ(v[4], 4.0);

    Vector<double> empty;
    empty.reserve(-1);
    EXPECT_EQ(empty.capacity(), 4);
    EXPECT_EQ(Vector<int>(-3).capacity(), 4);
    EXPECT_EQ(Vector<int>(0).capacity(), 0);
    EXPECT_EQ(Vector<int>(6).capacity(), 6);
}

TEST(Vector, ResizeShrinkClearKeepStorage)
{
    Vector<Point> v;
    v.resize(3, Point(1, 2));
    EXPECT_EQ(v.capacity(), 3);
    ASSERT_EQ(v.size(), 3);
    for (const Point &p : v) {
        EXPECT_EQ(p.x, 1);
        EXPECT_EQ(p.y, 2);
    }
    v.resize(1, Point(9, 9));
    EXPECT_EQ(v.capacity(), 3);
    EXPECT_EQ(v.size(), 1);
    EXPECT_EQ(v[0].x, 1);
    v.resize(2, Point(5, 6));
    EXPECT_EQ(v[1].x, 5);

    Vector<int> w(4, 7);
    w.shrink(6);
    EXPECT_EQ(w.size(), 4);
    w.shrink(2);
    EXPECT_EQ(w.size(), 2);
    w.pop_back();
    EXPECT_EQ(w.size(), 1);
    w.clear();
    EXPECT_TRUE(w.empty());
    EXPECT_EQ(w.capacity(), 4);
    w.assign(6, 3);
    EXPECT_EQ(w.size(), 6);
    EXPECT_EQ(w.capacity(), 6);
    EXPECT_EQ(w[5], 3);
}

TEST(Vector, CopiesAreExactAndIndependent)
{
    Vector<int> v;
    for (int i = 0; i < 5; i++)
        v.push_back(i);
    Vector<int> copy(v);
    EXPECT_EQ(copy.capacity(), 5);
    EXPECT_EQ(copy.size(), 5);
    copy[0] = 100;
    copy.push_back(5);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v.size(), 5);

    Vector<int> assigned;
    assigned = v;
    EXPECT_EQ(assigned.size(), 5);
    EXPECT_EQ(assigned[4], 4);
    const int *storage = v.begin();
    const auto &same = v;  // self-assignment, without the warning
    v = same;
    EXPECT_EQ(v.begin(), storage);
    EXPECT_EQ(v.size(), 5);
    EXPECT_EQ(Vector<int>(Vector<int>()).capacity(), 0);

    Vector<int> other(2, 9);
    other.swap(v);
    EXPECT_EQ(other.size(), 5);
    EXPECT_EQ(v.size(), 2);
    EXPECT_EQ(v[1], 9);
}

TEST(Vector, PushBackOfOwnElementWhenFull)
{
    Vector<Point> v;
    for (int i = 0; i < 4; i++)
        v.push_back(Point(i, i));
    v.push_back(v[1]);  // the storage moves while the argument points into it
    EXPECT_EQ(v[4].x, 1);
}

TEST(Vector, PointerVectorsShareTheUntypedForm)
{
    int a = 1, b = 2, c = 3;
    Vector<int *> v;
    v.push_back(&a);
    v.push_back(&b);
    v.push_back(&c);
    EXPECT_EQ(v.capacity(), 4);
    EXPECT_EQ(v[1], &b);
    v[1] = &c;
    EXPECT_EQ(*v.back(), 3);
    int sum = 0;
    for (int *p : v)
        sum += *p;
    EXPECT_EQ(sum, 7);

    Vector<int *> copy(v);
    copy[0] = &c;
    EXPECT_EQ(v[0], &a);

    // Pointers to const are writable slots too.
    Vector<const char *> names;
    names.reserve(3);
    names.push_back("x");
    names[0] = "y";
    EXPECT_STREQ(names[0], "y");
    EXPECT_EQ(names.capacity(), 3);
}

TEST(VectorDeathTest, BoundsAreChecked)
{
    Vector<int> v(2, 0);
    EXPECT_DEATH(v.at(-1), "at: Assertion `i>=0 && i<_n' failed");
    EXPECT_DEATH(v[2], "at: Assertion `i>=0 && i<_n' failed");
    Vector<int> empty;
    EXPECT_DEATH(empty.back(), "at: Assertion `i>=0 && i<_n' failed");
    EXPECT_DEATH(empty.pop_back(), "pop_back: Assertion `_n > 0' failed");

    Vector<int *> pointers;
    EXPECT_DEATH(pointers.back(), "at: Assertion `i>=0 && i<_n' failed");
    EXPECT_DEATH(pointers[0], "at: Assertion `i>=0 && i<_n' failed");
    EXPECT_DEATH(pointers.pop_back(), "pop_back: Assertion `_n > 0' failed");
}

}  // namespace
