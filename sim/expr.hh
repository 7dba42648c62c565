// The node kinds that wiring trees are made of.  The catalogue builds small
// trees directly; the expression parser builds arbitrary ones from the text
// of -left-logic and -right-logic.  Operator codes are those of
// sim/operator_codes.hh.
//
// Evaluation and drawing are plain recursive walks.  Every compound node
// knows its depth, so the parser can refuse to build a tree deeper than
// those walks may safely recurse (max_tree_depth).
#ifndef XTINKERBOT_SIM_EXPR_HH
#define XTINKERBOT_SIM_EXPR_HH

#include "lib/permstr.hh"
#include "sim/logic.hh"

class ConstExpr : public Logic {
  public:
    explicit ConstExpr(double value) : _value(value) {}
    double value() const { return _value; }
    double eval(Vector<double> &values, const Vehicle *vehicle) const override;

  private:
    double _value;
};

// Reads the vehicle's sensor of that name (0 if it has none), resolved at
// every evaluation so one tree works on any vehicle.
class SensorExpr : public Logic {
  public:
    explicit SensorExpr(PermString name) : _name(name) {}
    PermString name() const { return _name; }
    double eval(Vector<double> &values, const Vehicle *vehicle) const override;
    void draw(const Vehicle *vehicle, int actuator, View *view) const override;
    SensorExpr *as_sensor() override { return this; }

  private:
    PermString _name;
};

// Bound variable k of a `let': lives at values[sensor count + k].
class BoundExpr : public Logic {
  public:
    explicit BoundExpr(int k) : _k(k) {}
    int k() const { return _k; }
    int variable_slot(const Vehicle *vehicle) const override;
    double eval(Vector<double> &values, const Vehicle *vehicle) const override;
    void draw(const Vehicle *vehicle, int actuator, View *view) const override;

  private:
    int _k;
};

class UnaryExpr : public Logic {
  public:
    UnaryExpr(int op, Logic *operand);
    int op() const { return _op; }
    Logic *operand() const { return _operand; }
    int depth() const { return _depth; }
    double eval(Vector<double> &values, const Vehicle *vehicle) const override;
    void draw(const Vehicle *vehicle, int actuator, View *view) const override;

  private:
    int _op;
    Logic *_operand;
    int _depth;
};

class BinaryExpr : public Logic {
  public:
    BinaryExpr(Logic *left, int op, Logic *right);
    Logic *left() const { return _left; }
    int op() const { return _op; }
    Logic *right() const { return _right; }
    int depth() const { return _depth; }
    double eval(Vector<double> &values, const Vehicle *vehicle) const override;
    void draw(const Vehicle *vehicle, int actuator, View *view) const override;
    BinaryExpr *as_binary() override { return this; }

  private:
    Logic *_left;
    int _op;
    Logic *_right;
    int _depth;
};

class ConditionalExpr : public Logic {
  public:
    ConditionalExpr(Logic *condition, Logic *then_branch, Logic *else_branch);
    Logic *condition() const { return _condition; }
    Logic *then_branch() const { return _then; }
    Logic *else_branch() const { return _else; }
    int depth() const { return _depth; }
    double eval(Vector<double> &values, const Vehicle *vehicle) const override;
    void draw(const Vehicle *vehicle, int actuator, View *view) const override;

  private:
    Logic *_condition;
    Logic *_then;
    Logic *_else;
    int _depth;
};

// values[sensor] * gain + offset: the catalogue's direct wiring.
class LinearLogic : public Logic {
  public:
    LinearLogic(int sensor, double offset, double gain)
        : _sensor(sensor), _offset(offset), _gain(gain) {}
    int sensor() const { return _sensor; }
    double offset() const { return _offset; }
    double gain() const { return _gain; }
    double eval(Vector<double> &values, const Vehicle *vehicle) const override;
    void draw(const Vehicle *vehicle, int actuator, View *view) const override;

  private:
    int _sensor;
    double _offset;
    double _gain;
};

// Nodes on the longest path from node to a leaf: 0 for null, 1 for a leaf
// or any node kind not declared here.  Constant time.
int tree_depth(const Logic *node);

// Deletes a tree built by the parser, every node once.  The program never
// frees wiring; this is for code that builds throwaway trees (the parser's
// abandoned pieces, tests, the fuzzer).  Not for shared trees.
void delete_tree(Logic *node);

// The deepest tree the parser builds.  Evaluation and drawing recurse once
// per level, so this bounds their stack use (frames are far larger in
// sanitizer builds); real wirings are a few levels deep.
enum { max_tree_depth = 1000 };

#endif
