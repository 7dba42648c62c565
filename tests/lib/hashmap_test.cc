#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/hashmap.hh"
#include "lib/permstr.hh"

namespace {

std::vector<PermString> keys(int n, const char *stem = "key")
{
    std::vector<PermString> k;
    for (int i = 0; i < n; i++)
        k.push_back(PermString((stem + std::to_string(i)).c_str()));
    return k;
}

TEST(HashMap, NewMapIsEmptyWithEightBuckets)
{
    HashMap<int> m;
    EXPECT_EQ(m.capacity(), 8);
    EXPECT_EQ(m.threshold(), 5);
    EXPECT_EQ(m.count(), 0);
    EXPECT_EQ(m.find(PermString("anything")), 0);
    HashMap<int> bound(-1);
    EXPECT_EQ(bound.find(PermString("x")), -1);
    int i = bound.find_index(PermString("x"));
    EXPECT_TRUE(bound.bucket(i).key.null());
}

TEST(HashMap, GrowsBeforeTheInsertionThatMeetsTheThreshold)
{
    HashMap<int> m;
    std::vector<PermString> k = keys(6);
    for (int i = 0; i < 5; i++)
        m.insert(k[i], i + 10);
    EXPECT_EQ(m.capacity(), 8);
    EXPECT_EQ(m.count(), 5);
    m.insert(k[5], 15);
    EXPECT_EQ(m.capacity(), 16);
    EXPECT_EQ(m.threshold(), 11);
    EXPECT_EQ(m.count(), 6);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(m.find(k[i]), i + 10);
}

TEST(HashMap, ThresholdsByCapacity)
{
    HashMap<int> m;
    std::vector<PermString> k = keys(100, "t");
    std::vector<std::pair<int, int>> seen = {{m.capacity(), m.threshold()}};
    for (int i = 0; i < 100; i++) {
        m.insert(k[i], i);
        if (m.capacity() != seen.back().first)
            seen.push_back({m.capacity(), m.threshold()});
    }
    std::vector<std::pair<int, int>> expected = {{8, 5}, {16, 11}, {32, 24}, {64, 50}, {128, 101}};
    EXPECT_EQ(seen, expected);
    for (int i = 0; i < 100; i++)
        EXPECT_EQ(m.find(k[i]), i);
    EXPECT_EQ(m.count(), 100);
}

TEST(HashMap, ReplacingKeepsTheCountButMayStillGrow)
{
    HashMap<int> m;
    std::vector<PermString> k = keys(5, "r");
    for (int i = 0; i < 5; i++)
        m.insert(k[i], i);
    m.insert(k[2], 42);  // count has reached the threshold: grow first
    EXPECT_EQ(m.count(), 5);
    EXPECT_EQ(m.capacity(), 16);
    EXPECT_EQ(m.find(k[2]), 42);
    m.insert(k[2], 43);
    EXPECT_EQ(m.count(), 5);
    EXPECT_EQ(m.find(k[2]), 43);

    int i = m.find_index(k[3]);
    EXPECT_EQ(m.bucket(i).key, k[3]);
    EXPECT_EQ(m.bucket(i).value, 3);
    // Text-equal keys are the same interned key.
    EXPECT_EQ(m.find(PermString(std::string("r4").c_str())), 4);
}

TEST(HashMap, CopiesAreIndependentAndAssignmentRestores)
{
    HashMap<int> scope(-1);
    PermString x("x"), y("y"), z("z");
    scope.insert(x, 0);
    HashMap<int> saved(scope);
    EXPECT_EQ(saved.capacity(), scope.capacity());
    EXPECT_EQ(saved.default_value(), -1);

    scope.insert(y, 1);
    scope.insert(x, 2);
    EXPECT_EQ(saved.find(y), -1);
    EXPECT_EQ(saved.find(x), 0);

    std::vector<PermString> many = keys(20, "m");
    for (PermString k : many)
        scope.insert(k, 7);  // grows the live map, not the saved one
    EXPECT_EQ(saved.capacity(), 8);

    scope = saved;
    EXPECT_EQ(scope.find(x), 0);
    EXPECT_EQ(scope.find(y), -1);
    EXPECT_EQ(scope.find(many[0]), -1);
    EXPECT_EQ(scope.count(), 1);
    EXPECT_EQ(scope.capacity(), 8);
    const auto &same = scope;  // self-assignment, without the warning
    scope = same;
    EXPECT_EQ(scope.find(x), 0);
    scope.insert(z, 3);
    EXPECT_EQ(saved.find(z), -1);
}

struct Record {
    int code;
    int flags;
};

TEST(HashMap, StructValuesDefaultToZero)
{
    HashMap<Record> table;
    EXPECT_EQ(table.find(PermString("+")).code, 0);
    EXPECT_EQ(table.find(PermString("+")).flags, 0);
    table.insert(PermString("+"), Record{43, 1});
    EXPECT_EQ(table.find(PermString("+")).code, 43);
}

TEST(HashMapDeathTest, NullKeysAreRefused)
{
    HashMap<int> m;
    EXPECT_DEATH(m.insert(PermString(), 1), "Assertion `!key.null\\(\\)' failed");
}

}  // namespace
