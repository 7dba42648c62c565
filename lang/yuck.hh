// ExprParser: turns the tokens of a wiring expression into a tree of Logic
// nodes.  An operator-precedence parser driven by the operator table: it
// knows operands, bracketing operators, the conditional operator and the
// `let' form, and nothing else.
//
// Errors never stop it: it reports, pushes back the token it cannot use and
// returns what it has built, so the caller gets a partial tree or null.
// The trees returned belong to the caller; pieces an error abandoned are
// freed here.
// Input nested too deeply (by parser recursion or by the depth of the tree
// built) is reported once and ends the parse with what was built.
#ifndef XTINKERBOT_LANG_YUCK_HH
#define XTINKERBOT_LANG_YUCK_HH

#include "lang/token.hh"
#include "lib/hashmap.hh"
#include "lib/vector.hh"

class Logic;

class ExprParser {
  public:
    explicit ExprParser(Tokenizer *tokenizer);
    ~ExprParser();
    ExprParser(const ExprParser &) = delete;
    ExprParser &operator=(const ExprParser &) = delete;

    // One expression of operators binding tighter than lowest (or as
    // tightly, for right-associative ones), ending before a token of code
    // term.  Null when no operand was found.
    Logic *parse(int lowest, int term);

    Token lex();
    void unlex(const Token &t);
    bool expect(int code, bool report);

    // Whether the input was nested too deeply and the parse was cut short.
    bool too_deep() const { return _too_deep; }

    // Deepest recursion of parse; each level costs one parse frame (two
    // for `let').
    enum { max_nesting = 1000 };

  private:
    enum { ring_size = 8 };

    Tokenizer *_tokenizer;
    Token _ring[ring_size];
    int _tpos;   // read index
    int _tfull;  // fill index; the ring is empty when equal to _tpos
    HashMap<int> _bound;  // variable number of each name bound by enclosing lets
    // Earlier bindings that the names of open lets replaced, so a let can
    // restore its scope in constant time, however many names are bound.
    struct Shadowed {
        PermString name;
        int old;  // -1: unbound
    };
    Vector<Shadowed> _shadowed;
    int _next_variable;
    int _nesting;         // active parse calls
    bool _too_deep;       // set once; unwinds every parse level

    Logic *parse_operator(const Token &tok, Logic *left, int lowest, int term,
                          bool &done);
    Logic *parse_let();
    Logic *bind_definitions(Logic *d, const Landmark &where);
    Logic *bind_name(PermString name, Logic *value);
    Landmark next_landmark();
    Landmark pending_landmark() const;
    void report_too_deep(const Landmark &where);
    bool fits(int depth, const Landmark &where);
};

#endif
