// Operator codes: the one code space that tokens and wiring nodes share.
// A one-character operator or punctuation has its character as code; named
// codes start at 256.  The wiring nodes switch on these codes and the
// language maps spellings onto them, so they sit below both, with nothing
// included.
#ifndef XTINKERBOT_SIM_OPERATOR_CODES_HH
#define XTINKERBOT_SIM_OPERATOR_CODES_HH

// Named codes.  The tables of lang/operator.cc are indexed by these values.
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

// BinaryExpr treats every code from opAssign to opPowAssign as an
// assignment (sim/expr.cc, assigns()): the six must stay consecutive, with
// no other operator among them.
static_assert(opAddAssign == opAssign + 1 && opSubAssign == opAssign + 2
                  && opMulAssign == opAssign + 3 && opDivAssign == opAssign + 4
                  && opPowAssign == opAssign + 5,
              "the assignment operators' codes must be consecutive");

#endif
