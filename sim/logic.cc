#include "sim/logic.hh"

int Logic::variable_slot(const Vehicle *) const
{
    return -1;
}

double Logic::eval(Vector<double> &, const Vehicle *) const
{
    return 0;
}

void Logic::draw(const Vehicle *, int, View *) const
{
}

Logic *null_logic()
{
    static Logic *the_null_logic = new Logic;
    return the_null_logic;
}
