// The expression parser: grouping, let scoping, error messages with their
// positions, and input nested deeply enough to threaten the stack.
#include <string>

#include <gtest/gtest.h>

#include "lang/token.hh"
#include "lang/yuck.hh"
#include "sim/actuator.hh"
#include "sim/expr.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "display/view.hh"
#include "tests/lang/lang_helpers.hh"

namespace {

// The tree belongs to the caller, who frees it with delete_tree.
struct Parsed {
    Logic *tree;
    std::string text;
    std::string messages;
};

Parsed parse_text(const std::string &input)
{
    MessageCapture capture;
    StringTokenBufferFiller filler("<argument>", input.c_str());
    Tokenizer tokenizer(&filler);
    ExprParser parser(&tokenizer);
    Logic *tree = parser.parse(-1, opNone);
    return Parsed{tree, tree_text(tree), capture.text()};
}

struct ParseCase {
    const char *input;
    const char *tree;
    const char *messages;
};

void check(const ParseCase *cases, int n)
{
    for (int i = 0; i < n; i++) {
        SCOPED_TRACE(cases[i].input);
        Parsed p = parse_text(cases[i].input);
        EXPECT_EQ(cases[i].tree, p.text);
        EXPECT_EQ(cases[i].messages, p.messages);
        delete_tree(p.tree);
    }
}

TEST(ExprParserTest, Grouping)
{
    const ParseCase cases[] = {
        {"left * 2", "(left * 2)", ""},
        {"a - b - d", "((a - b) - d)", ""},
        {"a = b = d", "(a = (b = d))", ""},
        {"a += b -= c *= d /= e", "(a += (b -= (c *= (d /= e))))", ""},
        {"-a * b", "((- a) * b)", ""},
        {"-a ** b", "(- (a ** b))", ""},
        {"a ** b ** c", "((a ** b) ** c)", ""},
        {"- - a", "(- (- a))", ""},
        {"+a - -b", "((+ a) - (- b))", ""},
        {"!a == b", "((! a) == b)", ""},
        {"flip left + 1", "((flip left) + 1)", ""},
        {"flip(left + 1)", "(flip (left + 1))", ""},
        {"pin -a", "(pin (- a))", ""},
        {"x ? a : b ? d : e", "(x ? a : (b ? d : e))", ""},
        {"x ? a, b : d", "(x ? (a , b) : d)", ""},
        {"a = b ? c : d", "(a = (b ? c : d))", ""},
        {"a ? b : c = d", "((a ? b : c) = d)", ""},
        {"a || b && c", "(a || (b && c))", ""},
        {"a == b < c + d * e ** f", "(a == (b < (c + (d * (e ** f)))))", ""},
        {"a <= b >= c != d", "(((a <= b) >= c) != d)", ""},
        {"a > b < c", "((a > b) < c)", ""},
        {"a, b, c", "((a , b) , c)", ""},
        {"a = b, c", "((a = b) , c)", ""},
        {"(a + b) * c", "((a + b) * c)", ""},
        {"((a))", "a", ""},
        {"1.5 * left / 0x10", "((1.5 * left) / 16)", ""},
        {"a /* c */ + // x\n b", "(a + b)", ""},
        {"", "null", ""},
    };
    check(cases, sizeof cases / sizeof cases[0]);
}

TEST(ExprParserTest, MissingAndTrailingPiecesAreSilent)
{
    const ParseCase cases[] = {
        {"a +", "a", ""},
        {"-", "null", ""},
        {"flip", "null", ""},
        {"a b", "a", ""},
        {"1 2", "1", ""},
        {"(a))", "a", ""},
        {"a ; b", "a", ""},
        {"\"text\"", "null", ""},
        {"a ? b :", "a", ""},
        {"let in a end", "null", ""},
        // Spellings without meaning end the expression like any other
        // token that cannot continue it.
        {"a ++ b", "a", ""},
        {"a -> b", "a", ""},
        {"--a", "null", ""},
    };
    check(cases, sizeof cases / sizeof cases[0]);
}

TEST(ExprParserTest, ErrorMessages)
{
    const ParseCase cases[] = {
        {"(a", "a", "<argument>:1:expected `)', found `(null)'\n"},
        {"(a\n", "a", "<argument>:2:expected `)', found `(null)'\n"},
        {"* a", "null", "<argument>:1:`*' can't be used as a prefix operator\n"},
        {"a (b)", "a", "<argument>:1:`(' can only be used as a prefix operator\n"},
        {"a\n\n(b)", "a", "<argument>:3:`(' can only be used as a prefix operator\n"},
        {"(* a)", "null",
         "<argument>:1:`*' can't be used as a prefix operator\n"
         "<argument>:1:expected `)', found `*'\n"
         "<argument>:1:`*' can't be used as a prefix operator\n"},
        {"(a b)", "a", "<argument>:1:expected `)', found `(null)'\n"},
        {"(a ; b)", "a", "<argument>:1:expected `)', found `;'\n"},
        {"(a ++ b)", "a", "<argument>:1:expected `)', found `+'\n"},
        {"a ? b", "a", "<argument>:1:expected `:', found `(null)'\n"},
        {"((a", "a",
         "<argument>:1:expected `)', found `(null)'\n"
         "<argument>:1:expected `)', found `(null)'\n"},
        {"let 1 in left end", "null", "<argument>:1:!!!!!!!!!!\n"},
        {"let x + 1 in x end", "null", "<argument>:1:!!!!!!!!!!\n"},
        {"let x + 1\n in\n x end", "null", "<argument>:2:!!!!!!!!!!\n"},
        {"let x y in x end", "(($0 = 0) , y)",
         "<argument>:1:expected `in', found `(null)'\n"
         "<argument>:1:expected `end', found `in'\n"},
        // Inside the definitions an enclosing let's name is its variable,
        // which cannot be defined again.
        {"let x = 1 in let x = 2 in x end end", "null", "<argument>:1:!!!!!!!!!!\n"},
        {"let x in x", "(($0 = 0) , $0)", "<argument>:1:expected `end', found `(null)'\n"},
        {"let x in\n x )", "(($0 = 0) , $0)", "<argument>:2:expected `end', found `)'\n"},
        {"a @ b", "a", "<argument>:1:illegal character `@'\n"},
    };
    check(cases, sizeof cases / sizeof cases[0]);
}

TEST(ExprParserTest, LetScopingAndNumbering)
{
    const ParseCase cases[] = {
        {"let x = 1, y in x + y + left end",
         "((($0 = 1) , ($1 = 0)) , (($0 + $1) + left))", ""},
        {"let x = 1 in let y = x in y end end", "(($0 = 1) , (($1 = $0) , $1))", ""},
        {"let a in a end + let b in b end", "((($0 = 0) , $0) + (($0 = 0) , $0))", ""},
        {"let x, x in x end", "((($0 = 0) , ($1 = 0)) , $1)", ""},
        {"let x = 1 in x end + x", "((($0 = 1) , $0) + x)", ""},
        {"let x = 1 in let y = x + 1 in y end + x end",
         "(($0 = 1) , ((($1 = ($0 + 1)) , $1) + $0))", ""},
        {"let x = left in x += 1, x * 2 end", "(($0 = left) , (($0 += 1) , ($0 * 2)))", ""},
        {"a + let x in x end", "(a + (($0 = 0) , $0))", ""},
        {"let x in x end let", "(($0 = 0) , $0)", ""},
        {"let y = let x = 2 in x end in y end",
         "(($0 = (($0 = 2) , $0)) , $0)", ""},
    };
    check(cases, sizeof cases / sizeof cases[0]);
}

TEST(ExprParserTest, ConstantTokensAreUsedUnchanged)
{
    StringTokenBufferFiller filler("<argument>", "2.5");
    Tokenizer tokenizer(&filler);
    ExprParser parser(&tokenizer);
    Token t = parser.lex();
    parser.unlex(t);
    Logic *tree = parser.parse(-1, opNone);
    EXPECT_EQ(t.constant(), tree);
    delete_tree(tree);
}

TEST(ExprParserDeathTest, RingOverflow)
{
    EXPECT_DEATH(
        {
            StringTokenBufferFiller filler("<argument>", "a");
            Tokenizer tokenizer(&filler);
            ExprParser parser(&tokenizer);
            Token t = parser.lex();
            for (int i = 0; i < 8; i++)
                parser.unlex(t);
        },
        literal_regex("Assertion `_tfull != _tpos' failed"));
}

// Deep input: the largest single command-line argument is 128 KiB.

const int max_argument = 128 * 1024;

std::string repeat(const std::string &s, int total)
{
    std::string r;
    while ((int) (r.size() + s.size()) <= total)
        r += s;
    return r;
}

class RecordingView : public View {
  public:
    RecordingView() : View(640, 520) {}
    int lines = 0;
    void draw_line(int, Point, Point) override { lines++; }
};

// Evaluates and draws tree on a two-sensor vehicle; both walks recurse
// once per level.
int lines_drawn(Logic *tree)
{
    Sensor left(Point(10, 5), 1, PermString("left"), 0, 1);
    Sensor right(Point(10, -5), 1, PermString("right"), -1, 0);
    Actuator motor(Point(-10, 5), 1);
    Vehicle v(20, 10);
    v.add_sensor(&left);
    v.add_sensor(&right);
    v.add_actuator(&motor, tree);
    Vector<double> values;
    values.push_back(0.5);
    values.push_back(0.25);
    tree->eval(values, &v);
    RecordingView view;
    tree->draw(&v, 0, &view);
    return view.lines;
}

TEST(ExprParserTest, DeepNestingIsReportedOnceAndKeepsWhatWasBuilt)
{
    const std::string too_deep = "<argument>:1:expression nested too deeply\n";
    // min_depth 0: nothing usable was built before the limit was hit.
    struct Shape {
        const char *name;
        std::string text;
        int min_depth;
    } shapes[] = {
        {"parentheses", repeat("(", max_argument - 4) + "left", 0},
        {"closed parentheses",
         repeat("(", max_argument / 2 - 4) + "left" + repeat(")", max_argument / 2 - 4), 0},
        {"prefix minus", repeat("- ", max_argument - 4) + "left", 0},
        {"prefix not", repeat("!", max_argument - 4) + "left", 0},
        {"minus and parenthesis", repeat("-(", max_argument - 4) + "left", 0},
        {"lets", repeat("let ", max_argument - 4) + "left", 0},
        {"let definitions", "let " + repeat("a,", max_argument - 20) + "a in a end", 0},
        {"let body", "let a in " + repeat("a+", max_argument - 20) + "a end", 0},
        // Only the first condition was complete when the limit was hit.
        {"conditionals", repeat("left?", max_argument - 4) + "left", 1},
        {"assignments", repeat("left=", max_argument - 4) + "left", 900},
        {"conditional else", repeat("left?left:", max_argument - 4) + "left", 900},
        {"left chain", "left" + repeat("+left", max_argument - 4), 900},
        {"power chain", "left" + repeat("**left", max_argument - 4), 900},
        {"commas", "left" + repeat(",left", max_argument - 4), 900},
    };
    for (const Shape &s : shapes) {
        SCOPED_TRACE(s.name);
        ASSERT_LE((int) s.text.size(), max_argument);
        Parsed p = parse_text(s.text);
        EXPECT_EQ(too_deep, p.messages);
        if (!s.min_depth) {
            EXPECT_EQ(nullptr, p.tree);
            continue;
        }
        ASSERT_NE(nullptr, p.tree);
        EXPECT_LE(tree_depth(p.tree), (int) max_tree_depth);
        EXPECT_GE(tree_depth(p.tree), s.min_depth);
        EXPECT_GE(lines_drawn(p.tree), s.min_depth);
        delete_tree(p.tree);
    }
}

TEST(ExprParserTest, NestingJustBelowTheLimitsIsAccepted)
{
    int n = ExprParser::max_nesting - 1;
    Parsed p = parse_text(repeat("(", n) + "left" + repeat(")", n));
    EXPECT_EQ("", p.messages);
    EXPECT_EQ("left", p.text);
    delete_tree(p.tree);

    std::string chain = "left";
    for (int i = 1; i < max_tree_depth; i++)
        chain += "+left";
    p = parse_text(chain);
    EXPECT_EQ("", p.messages);
    EXPECT_EQ((int) max_tree_depth, tree_depth(p.tree));
    EXPECT_EQ((int) max_tree_depth, lines_drawn(p.tree));
    delete_tree(p.tree);

    p = parse_text(chain + "+left");
    EXPECT_EQ("<argument>:1:expression nested too deeply\n", p.messages);
    EXPECT_EQ((int) max_tree_depth, tree_depth(p.tree));
    delete_tree(p.tree);
}

TEST(ExprParserTest, DeepNestingMessageSitsAtTheOffendingLine)
{
    // "left" on line 1, then "+left" on each following line: the operator
    // that would make the tree one level too deep is on line 1001.
    std::string text = "left";
    for (int i = 0; i < 2000; i++)
        text += "\n+left";
    Parsed p = parse_text(text);
    EXPECT_EQ("<argument>:1001:expression nested too deeply\n", p.messages);
    delete_tree(p.tree);
}

}  // namespace
