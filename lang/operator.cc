#include "lang/operator.hh"

#include "lib/assert.hh"

// Indexed by operator code (the enum of operator.hh); all zero until the
// first Tokenizer registers the operator set.
static PermString names[opLast - 256];  // named codes only
static int all_precedence[opLast];      // nonzero once registered
static int all_flags[opLast];
static int all_terminator[opLast];

Operator::Operator(int op)
    : _op(op)
{
    ASSERT(_op >= 0 && _op < opLast);
}

PermString Operator::name() const
{
    ASSERT(_op < opLast);
    if (_op < 256)
        return _op ? PermString((char) _op) : PermString();
    return names[_op - 256];
}

int Operator::precedence() const
{
    return all_precedence[_op];
}

int Operator::flags() const
{
    return all_flags[_op];
}

int Operator::terminator() const
{
    return all_terminator[_op];
}

void Operator::set_data(PermString name, int precedence, int flags, int terminator)
{
    ASSERT(_op >= 0 && _op < opLast && !all_precedence[_op]);
    if (_op >= 256)
        names[_op - 256] = name;
    all_precedence[_op] = precedence;
    all_flags[_op] = flags;
    all_terminator[_op] = terminator;
    // A bracketing operator with one operand opens its bracket.
    if (terminator)
        ASSERT(prefix() || !unary());
}

void Operator::set_keyword(PermString name)
{
    if (_op >= 256)
        names[_op - 256] = name;
    all_precedence[_op] = -1;
    all_flags[_op] = 0;
    all_terminator[_op] = 0;
}

int OperatorGroup::operator[](int i) const
{
    ASSERT(i >= 0 && i < _n);
    return _ops[i];
}

void OperatorGroup::append(int op)
{
    if (_n == _cap) {
        int *ops = new int[_cap + 4];
        for (int i = 0; i < _n; i++)
            ops[i] = _ops[i];
        delete[] _ops;
        _ops = ops;
        _cap += 4;
    }
    _ops[_n++] = op;
}

int pick_operator(const OperatorGroup *group, bool want_prefix)
{
    for (int i = 0; i < group->size(); i++)
        if (Operator((*group)[i]).prefix() == want_prefix)
            return (*group)[i];
    return 0;
}
