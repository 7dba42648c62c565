// Evaluation and drawing of the wiring node kinds.  A node holds no state:
// everything a step needs lives in the values vector (sensor readings, then
// the bound variables of `let' expressions), which assignments may grow.
#include "sim/expr.hh"

#include <algorithm>
#include <cmath>

#include "display/view.hh"
#include "sim/operator_codes.hh"
#include "sim/vehicle.hh"

int tree_depth(const Logic *node)
{
    if (!node)
        return 0;
    if (auto u = dynamic_cast<const UnaryExpr *>(node))
        return u->depth();
    if (auto b = dynamic_cast<const BinaryExpr *>(node))
        return b->depth();
    if (auto c = dynamic_cast<const ConditionalExpr *>(node))
        return c->depth();
    return 1;
}

void delete_tree(Logic *node)
{
    if (auto u = dynamic_cast<UnaryExpr *>(node))
        delete_tree(u->operand());
    else if (auto b = dynamic_cast<BinaryExpr *>(node)) {
        delete_tree(b->left());
        delete_tree(b->right());
    } else if (auto c = dynamic_cast<ConditionalExpr *>(node)) {
        delete_tree(c->condition());
        delete_tree(c->then_branch());
        delete_tree(c->else_branch());
    }
    delete node;
}

UnaryExpr::UnaryExpr(int op, Logic *operand)
    : _op(op), _operand(operand), _depth(1 + tree_depth(operand))
{
}

BinaryExpr::BinaryExpr(Logic *left, int op, Logic *right)
    : _left(left), _op(op), _right(right),
      _depth(1 + std::max(tree_depth(left), tree_depth(right)))
{
}

ConditionalExpr::ConditionalExpr(Logic *condition, Logic *then_branch,
                                 Logic *else_branch)
    : _condition(condition), _then(then_branch), _else(else_branch),
      _depth(1 + std::max(tree_depth(condition),
                          std::max(tree_depth(then_branch), tree_depth(else_branch))))
{
}

// Leaves

double ConstExpr::eval(Vector<double> &, const Vehicle *) const
{
    return _value;
}

double SensorExpr::eval(Vector<double> &values, const Vehicle *vehicle) const
{
    int i = vehicle->sensor_index(_name);
    return i < 0 ? 0 : values[i];
}

void SensorExpr::draw(const Vehicle *vehicle, int actuator, View *view) const
{
    int j = vehicle->sensor_index(_name);
    if (j >= 0)
        view->draw_line(vehicle->colour(), vehicle->sensor_position(j),
                        vehicle->actuator_position(actuator));
}

int BoundExpr::variable_slot(const Vehicle *vehicle) const
{
    return vehicle->sensor_count() + _k;
}

double BoundExpr::eval(Vector<double> &values, const Vehicle *vehicle) const
{
    int j = variable_slot(vehicle);
    return j < values.size() ? values[j] : 0;
}

// A variable's value comes from its definition, whose nodes already draw
// the wires of the sensors they read; a wire from "sensor k" would be
// false.
void BoundExpr::draw(const Vehicle *, int, View *) const
{
}

double LinearLogic::eval(Vector<double> &values, const Vehicle *) const
{
    return values[_sensor] * _gain + _offset;
}

void LinearLogic::draw(const Vehicle *vehicle, int actuator, View *view) const
{
    view->draw_line(vehicle->colour(), vehicle->sensor_position(_sensor),
                    vehicle->actuator_position(actuator));
}

// Operators

static double clamp01(double e)
{
    return std::min(1.0, std::max(0.0, e));
}

double UnaryExpr::eval(Vector<double> &values, const Vehicle *vehicle) const
{
    double e = _operand->eval(values, vehicle);
    switch (_op) {
    case opUnaryPlus:
        return e;
    case opUnaryMinus:
        return -e;
    case '!':
        return e == 0 ? 1 : 0;
    case opPin:
        return clamp01(e);
    case opFlip:
        return 1 - clamp01(e);
    default:
        return 0;
    }
}

void UnaryExpr::draw(const Vehicle *vehicle, int actuator, View *view) const
{
    _operand->draw(vehicle, actuator, view);
}

static double apply_binary(int op, double l, double r)
{
    switch (op) {
    case '*': case opMulAssign:
        return l * r;
    case '/': case opDivAssign:
        return l / r;
    case '+': case opAddAssign:
        return l + r;
    case '-': case opSubAssign:
        return l - r;
    case opPower: case opPowAssign:
        return pow(l, r);
    case opLess:
        return l < r;
    case opLessEqual:
        return l <= r;
    case opGreater:
        return l > r;
    case opGreaterEqual:
        return l >= r;
    case opEqual:
        return l == r;
    case opNotEqual:
        return l != r;
    case opAnd:
        return l != 0 && r != 0;
    case opOr:
        return l != 0 || r != 0;
    case ',': case opAssign:
        return r;
    default:
        return 0;
    }
}

// The codes from opAssign to opPowAssign are consecutive; operator_codes.hh
// asserts it.
static bool assigns(int op)
{
    return op >= opAssign && op <= opPowAssign;
}

// Both operands are always evaluated, left first: assignments on either
// side take effect whatever the operator.
double BinaryExpr::eval(Vector<double> &values, const Vehicle *vehicle) const
{
    double l = _left->eval(values, vehicle);
    double r = _right->eval(values, vehicle);
    double result = apply_binary(_op, l, r);
    if (assigns(_op)) {
        int j = _left->variable_slot(vehicle);
        if (j >= 0) {
            if (j >= values.size())
                values.resize(j + 1, 0);
            values[j] = result;
        }
    }
    return result;
}

void BinaryExpr::draw(const Vehicle *vehicle, int actuator, View *view) const
{
    _left->draw(vehicle, actuator, view);
    _right->draw(vehicle, actuator, view);
}

// Only the chosen branch is evaluated; NaN counts as true.
double ConditionalExpr::eval(Vector<double> &values, const Vehicle *vehicle) const
{
    if (_condition->eval(values, vehicle) == 0)
        return _else->eval(values, vehicle);
    return _then->eval(values, vehicle);
}

void ConditionalExpr::draw(const Vehicle *vehicle, int actuator, View *view) const
{
    _condition->draw(vehicle, actuator, view);
    _then->draw(vehicle, actuator, view);
    _else->draw(vehicle, actuator, view);
}
