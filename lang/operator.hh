// Operators: the one code space shared by tokens and wiring trees, and the
// fixed facts about every operator (spelling, precedence, flags, closing
// bracket).  A one-character operator or punctuation has its character as
// code; named codes start at 256.  The lexer registers the operator set in
// its first Tokenizer; the parser climbs precedences over these facts; the
// message reporter turns codes back into spellings; wiring nodes switch on
// the same codes.
#ifndef XTINKERBOT_LANG_OPERATOR_HH
#define XTINKERBOT_LANG_OPERATOR_HH

#include "lib/permstr.hh"
#include "sim/operator_codes.hh"

// Flag bits of an operator.
enum {
    opfPrefix = 1,      // usable as a prefix operator
    opfUnary = 2,       // takes one operand
    opfRightAssoc = 4   // groups to the right
};

class Operator {
  public:
    Operator(int op);

    int code() const { return _op; }

    // The spelling: one character for codes below 256, the registered
    // name (null while unregistered) for named codes.
    PermString name() const;
    int precedence() const;
    int flags() const;
    bool prefix() const { return flags() & opfPrefix; }
    bool unary() const { return flags() & opfUnary; }
    bool right_assoc() const { return flags() & opfRightAssoc; }
    int terminator() const;

    // Registers the code once, as an operator.
    void set_data(PermString name, int precedence, int flags, int terminator);
    // Registers the code as a keyword: precedence -1, no flags.
    void set_keyword(PermString name);

  private:
    int _op;
};

// The codes that share one spelling, in registration order ("+" holds the
// prefix and the binary plus).  Never freed.
class OperatorGroup {
  public:
    OperatorGroup() : _ops(nullptr), _n(0), _cap(0) {}
    ~OperatorGroup() { delete[] _ops; }
    OperatorGroup(const OperatorGroup &) = delete;
    OperatorGroup &operator=(const OperatorGroup &) = delete;

    int size() const { return _n; }
    int operator[](int i) const;
    void append(int op);

  private:
    int *_ops;
    int _n;
    int _cap;  // grows in steps of 4
};

// The first code of the group whose prefix flag equals want_prefix, or 0.
int pick_operator(const OperatorGroup *group, bool want_prefix);

#endif
