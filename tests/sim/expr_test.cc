// Wiring nodes: evaluation on a vehicle's values vector (operators, NaN
// rules, bound variables and assignment growth) and drawing as wires.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display/view.hh"
#include "sim/actuator.hh"
#include "sim/expr.hh"
#include "sim/operator_codes.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"

namespace {

const double nan_value = std::nan("");

// Nodes made by a test, freed when it ends.
std::vector<Logic *> made;

template <typename T>
Logic *keep(T *node)
{
    made.push_back(node);
    return node;
}
Logic *C(double v) { return keep(new ConstExpr(v)); }
Logic *S(const char *name) { return keep(new SensorExpr(PermString(name))); }
Logic *B(int k) { return keep(new BoundExpr(k)); }
Logic *U(int op, Logic *x) { return keep(new UnaryExpr(op, x)); }
Logic *Bin(Logic *l, int op, Logic *r) { return keep(new BinaryExpr(l, op, r)); }
Logic *Cond(Logic *c, Logic *t, Logic *e) { return keep(new ConditionalExpr(c, t, e)); }
Logic *Linear(int sensor, double offset, double gain)
{
    return keep(new LinearLogic(sensor, offset, gain));
}

// A vehicle with the sensors "left" (0) and "right" (1) and two motors.
class ExprTest : public ::testing::Test {
  protected:
    Sensor left{Point(10, 4), 1, PermString("left"), 0, 1};
    Sensor right{Point(10, -4), 1, PermString("right"), -1, 0};
    Actuator motor0{Point(-10, 4), 1};
    Actuator motor1{Point(-10, -4), 1};
    Vehicle v{20, 10};

    void SetUp() override
    {
        v.add_sensor(&left);
        v.add_sensor(&right);
        v.add_actuator(&motor0, nullptr);
        v.add_actuator(&motor1, nullptr);
    }
    void TearDown() override
    {
        for (Logic *node : made)
            delete node;
        made.clear();
    }

    static Vector<double> readings(double left, double right)
    {
        Vector<double> values;
        values.push_back(left);
        values.push_back(right);
        return values;
    }
};

struct EvalCase {
    const char *what;
    Logic *tree;
    double expected;  // NaN: a NaN result is expected
};

TEST_F(ExprTest, EvaluationTable)
{
    const double inf = INFINITY;
    const EvalCase cases[] = {
        {"constant", C(2.5), 2.5},
        {"sensor left", S("left"), 0.3},
        {"sensor right", S("right"), 0.9},
        {"missing sensor", S("middle"), 0},
        {"linear", Linear(0, 0, 1), 0.3},
        {"linear with offset", Linear(1, 0.5, -2), -1.3},
        {"unset variable", B(0), 0},
        {"prefix plus", U(opUnaryPlus, C(-2)), -2},
        {"prefix minus", U(opUnaryMinus, C(2)), -2},
        {"not 0", U('!', C(0)), 1},
        {"not 2", U('!', C(2)), 0},
        {"not NaN", U('!', C(nan_value)), 0},
        {"flip 1.7", U(opFlip, C(1.7)), 0},
        {"flip 0.25", U(opFlip, C(0.25)), 0.75},
        {"flip -3", U(opFlip, C(-3)), 1},
        {"pin -0.2", U(opPin, C(-0.2)), 0},
        {"pin 0.5", U(opPin, C(0.5)), 0.5},
        {"pin 3", U(opPin, C(3)), 1},
        {"unknown unary", U('*', C(3)), 0},
        {"product", Bin(C(3), '*', S("left")), 0.9},
        {"quotient", Bin(C(3), '/', C(4)), 0.75},
        {"1 / 0", Bin(C(1), '/', C(0)), inf},
        {"-1 / 0", Bin(C(-1), '/', C(0)), -inf},
        {"0 / 0", Bin(C(0), '/', C(0)), nan_value},
        {"sum", Bin(C(3), '+', C(4)), 7},
        {"difference", Bin(C(3), '-', C(4)), -1},
        {"power", Bin(C(2), opPower, C(10)), 1024},
        {"fractional power of a negative", Bin(C(-8), opPower, C(1.0 / 3)), nan_value},
        {"1 < 2", Bin(C(1), opLess, C(2)), 1},
        {"2 < 2", Bin(C(2), opLess, C(2)), 0},
        {"2 <= 2", Bin(C(2), opLessEqual, C(2)), 1},
        {"3 > 2", Bin(C(3), opGreater, C(2)), 1},
        {"2 >= 3", Bin(C(2), opGreaterEqual, C(3)), 0},
        {"NaN < 1", Bin(C(nan_value), opLess, C(1)), 0},
        {"1 >= NaN", Bin(C(1), opGreaterEqual, C(nan_value)), 0},
        {"2 == 2", Bin(C(2), opEqual, C(2)), 1},
        {"NaN == NaN", Bin(C(nan_value), opEqual, C(nan_value)), 0},
        {"2 != 2", Bin(C(2), opNotEqual, C(2)), 0},
        {"NaN != NaN", Bin(C(nan_value), opNotEqual, C(nan_value)), 1},
        {"1 && 2", Bin(C(1), opAnd, C(2)), 1},
        {"1 && 0", Bin(C(1), opAnd, C(0)), 0},
        {"NaN && 1", Bin(C(nan_value), opAnd, C(1)), 1},
        {"0 || 0", Bin(C(0), opOr, C(0)), 0},
        {"0 || 3", Bin(C(0), opOr, C(3)), 1},
        {"comma", Bin(C(1), ',', C(2)), 2},
        {"unknown binary", Bin(C(1), '%', C(2)), 0},
        {"inhibitory, some light", Bin(U(opFlip, Linear(0, 0, 1)), '*', C(0.3)),
         0.3 * 0.7},
    };
    for (const EvalCase &c : cases) {
        SCOPED_TRACE(c.what);
        Vector<double> values = readings(0.3, 0.9);
        double r = c.tree->eval(values, &v);
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(r)) << r;
        else
            EXPECT_DOUBLE_EQ(c.expected, r);
        EXPECT_EQ(2, values.size());  // nothing here assigns
    }
}

TEST_F(ExprTest, InhibitoryWiringInDarknessAndBrightness)
{
    Logic *inhibit = Bin(U(opFlip, Linear(0, 0, 1)), '*', C(0.3));
    for (double reading : {0.0, 1.0, 2.5}) {
        Vector<double> values = readings(reading, 0);
        EXPECT_DOUBLE_EQ(reading == 0 ? 0.3 : 0, inhibit->eval(values, &v)) << reading;
    }
}

TEST_F(ExprTest, AssignmentsGrowTheValuesAndReadBack)
{
    // (v0 = left * 2), (v0 += 1)
    Logic *tree = Bin(Bin(B(0), opAssign, Bin(S("left"), '*', C(2))), ',',
                      Bin(B(0), opAddAssign, C(1)));
    Vector<double> values = readings(0.3, 0.9);
    EXPECT_DOUBLE_EQ(1.6, tree->eval(values, &v));
    ASSERT_EQ(3, values.size());
    EXPECT_DOUBLE_EQ(1.6, values[2]);

    // A far variable grows the vector with zeros in between.
    values = readings(0.3, 0.9);
    EXPECT_DOUBLE_EQ(4, Bin(B(3), opAssign, C(4))->eval(values, &v));
    ASSERT_EQ(6, values.size());
    EXPECT_EQ(0, values[2]);
    EXPECT_EQ(0, values[4]);
    EXPECT_EQ(4, values[5]);
    EXPECT_EQ(4, B(3)->eval(values, &v));
}

TEST_F(ExprTest, CompoundAssignments)
{
    struct {
        int op;
        double expected;
    } cases[] = {
        {opAssign, 2}, {opAddAssign, 8}, {opSubAssign, 4}, {opMulAssign, 12},
        {opDivAssign, 3}, {opPowAssign, 36},
    };
    for (auto c : cases) {
        Vector<double> values = readings(0.3, 0.9);
        values.push_back(6);  // variable 0
        EXPECT_DOUBLE_EQ(c.expected, Bin(B(0), c.op, C(2))->eval(values, &v)) << c.op;
        EXPECT_DOUBLE_EQ(c.expected, values[2]) << c.op;
    }
}

TEST_F(ExprTest, AssigningToWhatIsNotAVariableStoresNothing)
{
    Vector<double> values = readings(0.3, 0.9);
    EXPECT_EQ(5, Bin(S("left"), opAssign, C(5))->eval(values, &v));
    EXPECT_EQ(7, Bin(C(1), opAddAssign, C(6))->eval(values, &v));
    ASSERT_EQ(2, values.size());
    EXPECT_DOUBLE_EQ(0.3, values[0]);
    EXPECT_EQ(-1, S("left")->variable_slot(&v));
    EXPECT_EQ(-1, C(1)->variable_slot(&v));
    EXPECT_EQ(5, B(3)->variable_slot(&v));
}

TEST_F(ExprTest, AndAndOrEvaluateBothOperands)
{
    Vector<double> values = readings(0.3, 0.9);
    EXPECT_EQ(0, Bin(C(0), opAnd, Bin(B(0), opAssign, C(7)))->eval(values, &v));
    EXPECT_EQ(1, Bin(C(1), opOr, Bin(B(1), opAssign, C(8)))->eval(values, &v));
    ASSERT_EQ(4, values.size());
    EXPECT_EQ(7, values[2]);
    EXPECT_EQ(8, values[3]);
}

TEST_F(ExprTest, ConditionalEvaluatesOnlyTheChosenBranch)
{
    auto cond = [](double c) {
        return Cond(C(c), Bin(B(0), opAssign, C(1)), Bin(B(1), opAssign, C(2)));
    };
    Vector<double> values = readings(0.3, 0.9);
    EXPECT_EQ(1, cond(nan_value)->eval(values, &v));  // NaN counts as true
    EXPECT_EQ(3, values.size());
    values = readings(0.3, 0.9);
    EXPECT_EQ(2, cond(0)->eval(values, &v));
    ASSERT_EQ(4, values.size());
    EXPECT_EQ(0, values[2]);  // the then-branch never ran
}

TEST_F(ExprTest, SharingAndDepth)
{
    Logic *leaf = S("left");
    Logic *tree = Bin(U(opUnaryMinus, leaf), '+', Cond(C(1), leaf, B(0)));
    EXPECT_EQ(tree, tree->share());
    EXPECT_EQ(0, tree_depth(nullptr));
    EXPECT_EQ(1, tree_depth(leaf));
    EXPECT_EQ(1, tree_depth(Linear(0, 0, 1)));
    EXPECT_EQ(3, tree_depth(tree));
}

struct Line {
    int colour;
    Point a, b;
};

class RecordingView : public View {
  public:
    RecordingView() : View(640, 520) {}
    std::vector<Line> lines;
    int other = 0;
    void draw_line(int c, Point a, Point b) override { lines.push_back({c, a, b}); }
    void draw_lines(int, int, const Point *, bool) override { other++; }
    void draw_circle(int, Point, double, double, double) override { other++; }
    void fill_polygon(int, int, const Point *) override { other++; }
    void fill_circle(int, Point, double, double, double) override { other++; }
};

void expect_line(const Line &l, int colour, Point a, Point b)
{
    EXPECT_EQ(colour, l.colour);
    EXPECT_NEAR(a.x, l.a.x, 1e-9);
    EXPECT_NEAR(a.y, l.a.y, 1e-9);
    EXPECT_NEAR(b.x, l.b.x, 1e-9);
    EXPECT_NEAR(b.y, l.b.y, 1e-9);
}

TEST_F(ExprTest, DrawsOneWirePerSensorMention)
{
    v.place(Point(100, 50), M_PI / 2);
    Point left = v.sensor_position(0), right = v.sensor_position(1);
    Point motor = v.actuator_position(1);
    ASSERT_NE(left.x, right.x);
    // left + (right ? middle : flip left) * linear(1) - v0 - 3
    Logic *tree = Bin(Bin(Bin(S("left"), '+',
                              Bin(Cond(S("right"), S("middle"),
                                                      U(opFlip, S("left"))),
                                  '*', Linear(1, 0, 1))),
                          '-', B(0)),
                      '-', C(3));
    RecordingView view;
    tree->draw(&v, 1, &view);
    ASSERT_EQ(4u, view.lines.size());
    expect_line(view.lines[0], v.colour(), left, motor);
    expect_line(view.lines[1], v.colour(), right, motor);
    expect_line(view.lines[2], v.colour(), left, motor);
    expect_line(view.lines[3], v.colour(), right, motor);
    EXPECT_EQ(0, view.other);
}

TEST_F(ExprTest, LeavesWithoutWires)
{
    RecordingView view;
    for (Logic *l : {C(1), S("middle"), B(0), B(7), null_logic()})
        l->draw(&v, 0, &view);
    EXPECT_EQ(0u, view.lines.size());
    EXPECT_EQ(0, view.other);
}

using ExprDeathTest = ExprTest;

TEST_F(ExprDeathTest, IndicesOutsideTheValues)
{
    std::string re = "Assertion `i>=0 && i<_n' failed";
    EXPECT_DEATH(
        {
            Vector<double> values = readings(0.3, 0.9);
            Linear(2, 0, 1)->eval(values, &v);
        },
        re);
    EXPECT_DEATH(
        {
            Vector<double> values = readings(0.3, 0.9);
            BoundExpr(-3).eval(values, &v);
        },
        re);
}

}  // namespace
