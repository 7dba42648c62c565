// The operator table: registration, names, groups and the checks that
// guard it.
#include <gtest/gtest.h>

#include "lang/operator.hh"
#include "lang/token.hh"
#include "tests/lang/lang_helpers.hh"

namespace {

class OperatorTest : public ::testing::Test {
  protected:
    void SetUp() override { Tokenizer::static_initialize(); }

    static OperatorGroup *group(const char *spelling)
    {
        return Tokenizer::token_table().find(PermString(spelling)).vopgroup();
    }
};

TEST_F(OperatorTest, RegisteredFacts)
{
    struct Row {
        int code;
        const char *name;
        int precedence;
        bool prefix, unary, right;
        int terminator;
    } rows[] = {
        {'(', "(", 32, true, true, false, ')'},
        {opFlip, "flip", 32, true, true, false, 0},
        {opPower, "**", 29, false, false, false, 0},
        {opUnaryMinus, "-", 28, true, true, false, 0},
        {'!', "!", 28, true, true, false, 0},
        {'*', "*", 25, false, false, false, 0},
        {'-', "-", 24, false, false, false, 0},
        {opGreaterEqual, ">=", 22, false, false, false, 0},
        {opNotEqual, "!=", 20, false, false, false, 0},
        {opOr, "||", 15, false, false, false, 0},
        {'?', "?", 11, false, false, true, ':'},
        {opPowAssign, "**=", 10, false, false, true, 0},
        {',', ",", 3, false, false, false, 0},
        {opIn, "in", -1, false, false, false, 0},
        {opLineComment, "//", -1, false, false, false, 0},
    };
    for (const Row &r : rows) {
        Operator op(r.code);
        SCOPED_TRACE(r.code);
        EXPECT_STREQ(r.name, op.name().c_str());
        EXPECT_EQ(r.precedence, op.precedence());
        EXPECT_EQ(r.prefix, op.prefix());
        EXPECT_EQ(r.unary, op.unary());
        EXPECT_EQ(r.right, op.right_assoc());
        EXPECT_EQ(r.terminator, op.terminator());
    }
}

TEST_F(OperatorTest, NamesOfUnregisteredAndCharacterCodes)
{
    EXPECT_STREQ(")", Operator(41).name().c_str());
    EXPECT_STREQ("in", Operator(264).name().c_str());
    for (int code : {256, 257, 260, 261, 262, 267, 268})
        EXPECT_TRUE(Operator(code).name().null()) << code;
    EXPECT_TRUE(Operator(opNone).name().null());
}

TEST_F(OperatorTest, GroupsAndPicking)
{
    OperatorGroup *plus = group("+");
    ASSERT_EQ(2, plus->size());
    EXPECT_EQ(opUnaryPlus, (*plus)[0]);
    EXPECT_EQ('+', (*plus)[1]);
    EXPECT_EQ(opUnaryPlus, pick_operator(plus, true));
    EXPECT_EQ('+', pick_operator(plus, false));
    EXPECT_EQ(0, pick_operator(group("*"), true));
    EXPECT_EQ('*', pick_operator(group("*"), false));
    EXPECT_EQ(0, pick_operator(group("("), false));
    EXPECT_EQ(1, group("**=")->size());
}

TEST_F(OperatorTest, GroupGrowsPastItsFirstFourSlots)
{
    OperatorGroup g;
    for (int i = 1; i <= 9; i++)
        g.append(i);
    ASSERT_EQ(9, g.size());
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(i + 1, g[i]);
}

TEST_F(OperatorTest, SecondInitializationChangesNothing)
{
    int count = Tokenizer::token_table().count();
    OperatorGroup *plus = group("+");
    StringTokenBufferFiller filler("<t>", "a");
    Tokenizer second(&filler);
    EXPECT_EQ(count, Tokenizer::token_table().count());
    EXPECT_EQ(plus, group("+"));
    EXPECT_EQ(2, plus->size());
    EXPECT_EQ(28, Operator(opUnaryPlus).precedence());
}

using OperatorDeathTest = OperatorTest;

TEST_F(OperatorDeathTest, OutOfRangeCodes)
{
    std::string re = literal_regex("Assertion `_op >= 0 && _op < opLast' failed");
    EXPECT_DEATH(Operator op(opLast), re);
    EXPECT_DEATH(Operator op(-1), re);
}

TEST_F(OperatorDeathTest, SecondRegistration)
{
    EXPECT_DEATH(Operator('(').set_data(PermString("("), 32, opfPrefix | opfUnary, ')'),
                 literal_regex("`_op >= 0 && _op < opLast && !all_precedence[_op]'"));
}

TEST_F(OperatorDeathTest, UnaryBracketThatIsNotPrefix)
{
    EXPECT_DEATH(Operator(267).set_data(PermString("<["), 5, opfUnary, ']'),
                 literal_regex("`prefix() || !unary()'"));
}

}  // namespace
