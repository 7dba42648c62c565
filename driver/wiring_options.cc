// -left-logic / -right-logic: each text is parsed at once, with its own
// filler, tokenizer and parser, into a tree that the vehicles named
// afterwards share.  Errors are reported and never stop the start-up.
#include "driver/wiring_options.hh"

#include "driver/body_options.hh"
#include "driver/options.hh"
#include "lang/operator.hh"
#include "lang/token.hh"
#include "lang/yuck.hh"
#include "lib/vector.hh"
#include "sim/wiring_source.hh"

// Every tree a wiring option made, including those a later option replaced
// before any vehicle took them: trees are never freed, and holding them
// here keeps them reachable for leak checkers (the list itself is never
// destroyed, or it would let go of them before the check at exit).
static Vector<Logic *> &option_trees = *new Vector<Logic *>;

Logic *parse_wiring(const char *text)
{
    StringTokenBufferFiller filler("<argument>", text);
    Tokenizer tokenizer(&filler);
    ExprParser parser(&tokenizer);
    return parser.parse(-1, opNone);
}

void handle_logic_option(int id, const char *text)
{
    // Stored even when null: a text that yields nothing cancels an
    // earlier one.
    Logic *logic = parse_wiring(text);
    if (logic) {
        option_trees.push_back(logic);
        note_wiring_source(logic, id == optLeftLogic ? "-left-logic" : "-right-logic", text);
    }
    if (id == optLeftLogic)
        set_left_logic(logic);
    else if (id == optRightLogic)
        set_right_logic(logic);
}
