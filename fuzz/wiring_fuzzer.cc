// Fuzzes the wiring language end to end, as the command line would feed
// it: arbitrary bytes through the lexer alone, then through the parser, and
// the resulting tree evaluated several times on a two-sensor vehicle and
// drawn on a recording view.  Messages are silenced.
//
// The program keeps its wiring trees and line tables for good; here each
// input's are freed after use, so the leak checker also verifies that the
// parser frees every piece an error abandons.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "display/view.hh"
#include "lang/landmark.hh"
#include "lang/operator.hh"
#include "lang/token.hh"
#include "lang/yuck.hh"
#include "sim/actuator.hh"
#include "sim/expr.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"

namespace {

class RecordingView : public View {
  public:
    RecordingView() : View(640, 520) {}
    long calls = 0;
    void draw_line(int, Point, Point) override { calls++; }
    void draw_lines(int, int, const Point *, bool) override { calls++; }
    void draw_circle(int, Point, double, double, double) override { calls++; }
    void fill_polygon(int, int, const Point *) override { calls++; }
    void fill_circle(int, Point, double, double, double) override { calls++; }
};

Vehicle *two_sensor_vehicle()
{
    static Vehicle *v = [] {
        Vehicle *v = new Vehicle(20, 10);
        v->add_sensor(new Sensor(Point(10, 4), 1, PermString("left"), 0, 1));
        v->add_sensor(new Sensor(Point(10, -4), 1, PermString("right"), -1, 0));
        v->add_actuator(new Actuator(Point(-10, 4), 1), nullptr);
        v->add_actuator(new Actuator(Point(-10, -4), 1), nullptr);
        return v;
    }();
    return v;
}

// Every input must end in an end-of-input token: each token consumes at
// least one character, plus the final one.
void lex_all(const std::string &text)
{
    StringTokenBufferFiller filler("<argument>", text.data(), (int) text.size());
    {
        Tokenizer tokenizer(&filler);
        size_t i = 0;
        for (;; i++) {
            Token t = tokenizer.get_token();
            if (t.cat() == catConstant)
                delete t.constant();
            if (t.code() == opNone)
                break;
            if (i > text.size())
                __builtin_trap();
        }
        if (tokenizer.get_token().code() != opNone)
            __builtin_trap();
    }
    delete filler.line_table();
}

Logic *parse(const std::string &text)
{
    StringTokenBufferFiller filler("<argument>", text.data(), (int) text.size());
    Logic *tree;
    {
        Tokenizer tokenizer(&filler);
        ExprParser parser(&tokenizer);
        tree = parser.parse(-1, opNone);
    }
    delete filler.line_table();
    return tree;
}

void run_tree(Logic *tree)
{
    Vehicle *v = two_sensor_vehicle();
    static const double readings[][2] = {{0, 0}, {0.3, 0.9}, {1e300, -2}, {NAN, INFINITY}};
    Vector<double> values;
    for (const auto &r : readings) {
        values.clear();
        values.push_back(r[0]);
        values.push_back(r[1]);
        tree->eval(values, v);
        // Evaluating again on the grown vector, as the next actuator would.
        tree->eval(values, v);
    }
    RecordingView view;
    tree->draw(v, 0, &view);
    tree->draw(v, 1, &view);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FILE *null_stream = [] {
        FILE *f = fopen("/dev/null", "w");
        set_message_file(f);
        return f;
    }();
    (void) null_stream;
    if (size > 128 * 1024)  // the largest single command-line argument
        return 0;
    std::string text(reinterpret_cast<const char *>(data), size);

    lex_all(text);
    Logic *tree = parse(text);
    if (tree_depth(tree) > max_tree_depth)
        __builtin_trap();
    if (tree)
        run_tree(tree);
    delete_tree(tree);
    return 0;
}
