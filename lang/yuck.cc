// The expression parser: precedence climbing over the operator table, plus
// the `let' form.  Every operator's behaviour here comes from its row in
// the table (precedence, prefix, right-associative, closing bracket); the
// only operators named in this file are "(" and "?", whose operands are
// built differently.
#include "lang/yuck.hh"

#include <algorithm>

#include "lib/assert.hh"
#include "sim/expr.hh"

ExprParser::ExprParser(Tokenizer *tokenizer)
    : _tokenizer(tokenizer), _tpos(0), _tfull(0), _bound(-1), _next_variable(0),
      _nesting(0), _too_deep(false)
{
}

// A constant read ahead but never used belongs to no tree: free it.
ExprParser::~ExprParser()
{
    for (int i = _tpos; i != _tfull; i = (i + 1) % ring_size)
        if (_ring[i].cat() == catConstant)
            delete _ring[i].constant();
}

Token ExprParser::lex()
{
    if (_tfull == _tpos) {
        _ring[_tfull] = _tokenizer->get_token();
        _tfull = (_tfull + 1) % ring_size;
    }
    Token t = _ring[_tpos];
    _tpos = (_tpos + 1) % ring_size;
    return t;
}

void ExprParser::unlex(const Token &t)
{
    _ring[_tfull] = t;
    _tfull = (_tfull + 1) % ring_size;
    ASSERT(_tfull != _tpos);
}

bool ExprParser::expect(int code, bool report)
{
    if (_too_deep)
        return false;  // the one message about the nesting says it all
    Token t = lex();
    if (t.code() == code)
        return true;
    if (report)
        t.landmark().error("expected `%o', found `%o'", code, t.code());
    unlex(t);
    return false;
}

Landmark ExprParser::next_landmark()
{
    Token t = lex();
    unlex(t);
    return t.landmark();
}

// The pending token's position, or the tokenizer's when none is pending.
Landmark ExprParser::pending_landmark() const
{
    if (_tfull != _tpos)
        return _ring[_tpos].landmark();
    return _tokenizer->landmark();
}

// Reported once: the parse then unwinds, and the levels it passes through
// may hit the limit again.
void ExprParser::report_too_deep(const Landmark &where)
{
    if (!_too_deep)
        where.error("expression nested too deeply");
    _too_deep = true;
}

// Whether a node of that depth may be built; reports when not.
bool ExprParser::fits(int depth, const Landmark &where)
{
    if (depth <= max_tree_depth)
        return true;
    report_too_deep(where);
    return false;
}

static int max3(int a, int b, int c)
{
    return std::max(a, std::max(b, c));
}

// expr:    operand (binary-op expr | "?" expr ":" expr)*
// operand: constant | identifier | "(" expr ")" | prefix-op operand
//          | "let" expr "in" expr "end"
//
// Precedence climbing: stops before a token of code term, and before a
// binary operator that binds less tightly than lowest (or as tightly, for
// a left-associative one).
Logic *ExprParser::parse(int lowest, int term)
{
    if (_too_deep)
        return nullptr;
    if (_nesting >= max_nesting) {
        report_too_deep(next_landmark());
        return nullptr;
    }
    _nesting++;
    Logic *left = nullptr;
    while (!_too_deep) {
        Token tok = lex();
        if (tok.code() == term) {
            unlex(tok);
            break;
        }
        if (tok.cat() == catOperator) {
            bool done = false;
            left = parse_operator(tok, left, lowest, term, done);
            if (done)
                break;
            continue;
        }
        if (left) {
            // An operand cannot follow an operand: the expression ends.
            unlex(tok);
            break;
        }
        if (tok.code() == opLet)
            left = parse_let();
        else if (tok.code() == opConstant)
            left = tok.constant();
        else if (tok.code() == opIdentifier) {
            int n = _bound.find(tok.text());
            if (n >= 0)
                left = new BoundExpr(n);
            else
                left = new SensorExpr(tok.text());
        } else {
            unlex(tok);
            break;
        }
    }
    _nesting--;
    return left;
}

// tok is an operator token met with left as the operand so far.  Returns
// the new left operand; sets done when the expression at this level ends.
// Pieces that an error leaves without a parent are freed: nothing else
// refers to them.
Logic *ExprParser::parse_operator(const Token &tok, Logic *left, int lowest,
                                  int term, bool &done)
{
    int code = pick_operator(tok.vopgroup(), !left);
    if (!code) {
        tok.landmark().error("`%o' %s be used as a prefix operator", tok.code(),
                             left ? "can only" : "can't");
        unlex(tok);
        done = true;
        return left;
    }
    Operator op(code);
    int prec = op.precedence();
    if (!op.prefix() && (prec < lowest || (prec == lowest && !op.right_assoc()))) {
        unlex(tok);
        done = true;
        return left;
    }

    Logic *operand;  // the operand of a prefix operator, else the right side
    if (int close = op.terminator()) {
        operand = parse(-1, close);
        expect(close, true);
    } else
        operand = parse(prec, term);

    const Landmark &at = tok.landmark();
    if (code == '(')
        return operand;
    if (code == '?') {
        Logic *otherwise = parse(prec, term);
        if (operand && otherwise
            && fits(1 + max3(tree_depth(left), tree_depth(operand), tree_depth(otherwise)), at))
            return new ConditionalExpr(left, operand, otherwise);
        delete_tree(operand);
        delete_tree(otherwise);
        return left;
    }
    if (op.prefix()) {
        if (operand && fits(1 + tree_depth(operand), at))
            return new UnaryExpr(code, operand);
        delete_tree(operand);
        return nullptr;
    }
    if (operand && fits(1 + std::max(tree_depth(left), tree_depth(operand)), at))
        return new BinaryExpr(left, code, operand);
    delete_tree(operand);
    return left;
}

// After "let": definitions "in" body "end".  The definitions see only the
// names of enclosing lets; the body sees the new ones, which go out of
// scope at "end" (so sibling lets reuse the same variable numbers).
Logic *ExprParser::parse_let()
{
    int saved_shadowed = _shadowed.size();
    int saved_next = _next_variable;

    Logic *definitions = parse(-1, opIn);
    expect(opIn, true);
    Logic *assignments = nullptr;
    if (definitions && !_too_deep)
        assignments = bind_definitions(definitions, pending_landmark());
    else
        delete_tree(definitions);
    Logic *body = parse(-1, opEnd);
    Landmark end = pending_landmark();
    expect(opEnd, true);

    while (_shadowed.size() > saved_shadowed) {
        _bound.insert(_shadowed.back().name, _shadowed.back().old);
        _shadowed.pop_back();
    }
    _next_variable = saved_next;

    if (assignments && body
        && fits(1 + std::max(tree_depth(assignments), tree_depth(body)), end))
        return new BinaryExpr(assignments, ',', body);
    delete_tree(assignments);
    delete_tree(body);
    return nullptr;
}

// A fresh variable for name, assigned value.
Logic *ExprParser::bind_name(PermString name, Logic *value)
{
    int n = _next_variable++;
    _shadowed.push_back(Shadowed{name, _bound.find(name)});
    _bound.insert(name, n);
    return new BinaryExpr(new BoundExpr(n), opAssign, value);
}

// definitions: name | name "=" expr | definitions "," definitions
// Turns the parsed definitions into assignments to new variables, binding
// the names in order.  Takes d over: its nodes are reused or freed.  The
// result is never deeper than d or 3 levels.
Logic *ExprParser::bind_definitions(Logic *d, const Landmark &where)
{
    if (SensorExpr *s = d->as_sensor()) {
        PermString name = s->name();
        delete s;
        return bind_name(name, new ConstExpr(0));
    }
    if (BinaryExpr *b = d->as_binary()) {
        if (b->op() == opAssign && b->left()->as_sensor()) {
            PermString name = b->left()->as_sensor()->name();
            Logic *value = b->right();
            delete b->left();
            delete b;
            return bind_name(name, value);
        }
        if (b->op() == ',') {
            Logic *l = b->left(), *r = b->right();
            delete b;
            l = bind_definitions(l, where);
            r = bind_definitions(r, where);
            if (l && r && fits(1 + std::max(tree_depth(l), tree_depth(r)), where))
                return new BinaryExpr(l, ',', r);
            if (l && r) {
                delete_tree(l);
                delete_tree(r);
                return nullptr;
            }
            return l ? l : r;
        }
    }
    where.error("!!!!!!!!!!");
    delete_tree(d);
    return nullptr;
}
