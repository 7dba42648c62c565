// Helpers shared by the tests that build worlds and vehicles: keeping what
// a test creates alive for the whole run, a wiring of constant drive, and
// a work break that asks to stop.
#ifndef XTINKERBOT_TESTS_SIM_HELPERS_HH
#define XTINKERBOT_TESTS_SIM_HELPERS_HH

#include "lib/vector.hh"
#include "sim/logic.hh"
#include "sim/world.hh"

// Bodies live until the process ends, as they do in the program; keeping
// what a test creates reachable tells the leak checker the same.
template <typename T>
inline T *keep(T *p)
{
    static Vector<T *> *kept = new Vector<T *>;
    kept->push_back(p);
    return p;
}

inline World &lasting_world()
{
    return *keep(new World);
}

// A wiring that always drives with the same value.
class FixedDrive : public Logic {
  public:
    explicit FixedDrive(double d) : _d(d) {}
    double eval(Vector<double> &, const Vehicle *) const override { return _d; }

  private:
    double _d;
};

// Asks to stop at its n-th break.
class StopAt : public WorkBreak {
  public:
    explicit StopAt(int n) : _n(n) {}
    bool take_break() override { return ++breaks >= _n; }
    int breaks = 0;

  private:
    int _n;
};

#endif
