// The expression parser: precedence climbing over the operator table, plus
// the `let' form.  Every operator's behaviour here comes from its row in
// the table (precedence, prefix, right-associative, closing bracket); the
// only operators named in this file are "(" and "?", whose operands are
// built differently.
#include "lang/yuck.hh"

#include "lib/assert.hh"
#include "sim/expr.hh"

ExprParser::ExprParser(Tokenizer *tokenizer)
    : _tokenizer(tokenizer), _tpos(0), _tfull(0), _bound(-1), _next_variable(0),
      _nesting(0), _too_deep(false)
{
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

Logic *ExprParser::admit(Logic *node, const Landmark &where)
{
    if (tree_depth(node) <= max_tree_depth)
        return node;
    report_too_deep(where);
    delete node;  // not shared yet; its children stay where they are
    return nullptr;
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

    if (code == '(')
        return operand;
    if (code == '?') {
        Logic *otherwise = parse(prec, term);
        if (!operand || !otherwise)
            return left;
        Logic *node = admit(new ConditionalExpr(left, operand, otherwise), tok.landmark());
        return node ? node : left;
    }
    if (op.prefix())
        return operand ? admit(new UnaryExpr(code, operand), tok.landmark()) : nullptr;
    if (!operand)
        return left;
    Logic *node = admit(new BinaryExpr(left, code, operand), tok.landmark());
    return node ? node : left;
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
    Logic *body = parse(-1, opEnd);
    Landmark end = pending_landmark();
    expect(opEnd, true);

    while (_shadowed.size() > saved_shadowed) {
        _bound.insert(_shadowed.back().name, _shadowed.back().old);
        _shadowed.pop_back();
    }
    _next_variable = saved_next;

    if (!assignments || !body)
        return nullptr;
    return admit(new BinaryExpr(assignments, ',', body), end);
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
// the names in order.
Logic *ExprParser::bind_definitions(Logic *d, const Landmark &where)
{
    if (SensorExpr *s = d->as_sensor())
        return bind_name(s->name(), new ConstExpr(0));
    if (BinaryExpr *b = d->as_binary()) {
        if (b->op() == opAssign && b->left()->as_sensor())
            return bind_name(b->left()->as_sensor()->name(), b->right());
        if (b->op() == ',') {
            Logic *l = bind_definitions(b->left(), where);
            Logic *r = bind_definitions(b->right(), where);
            if (l && r)
                return admit(new BinaryExpr(l, ',', r), where);
            return l ? l : r;
        }
    }
    where.error("!!!!!!!!!!");
    return nullptr;
}
