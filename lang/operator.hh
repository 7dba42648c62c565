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

// Named codes.  The tables of operator.cc are indexed by these values.
enum {
    opNone = 0,                 // no operator; also end of input
    opPunct = 256,              // lexer-internal reader answers
    opNumber = 257,
    opBlockComment = 258,
    opLineComment = 259,
    opString = 260,             // token codes
    opIdentifier = 261,
    opConstant = 262,
    opEnd = 263,
    opIn = 264,
    opLet = 265,
    opUnaryPlus = 266,          // 267 and 268 are never assigned
    opUnaryMinus = 269,
    opPower = 270,
    opLess = 271,
    opLessEqual = 272,
    opGreater = 273,
    opGreaterEqual = 274,
    opEqual = 275,
    opNotEqual = 276,
    opAnd = 277,
    opOr = 278,
    opFlip = 279,
    opPin = 280,
    opAssign = 281,
    opAddAssign = 282,
    opSubAssign = 283,
    opMulAssign = 284,
    opDivAssign = 285,
    opPowAssign = 286,
    opLast = 287
};

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
