// The catalogue of prototype bodies that command-line operands name: ten
// vehicles and four lights, built once before the options are read.
// Building it also creates the sensors, actuators and wiring trees that
// every vehicle of the run shares.
#ifndef XTINKERBOT_DRIVER_CATALOGUE_HH
#define XTINKERBOT_DRIVER_CATALOGUE_HH

#include "lib/hashmap.hh"
#include "lib/permstr.hh"
#include "lib/vector.hh"

class Body;
class Vehicle;

class BodyCatalogue {
  public:
    BodyCatalogue();

    // Registers body under name, replacing an earlier body of that name.
    void insert(PermString name, Body *body);
    // The prototype of that name (exact, case-sensitive), or null.
    Body *find(PermString name) const;
    // Number of registered prototypes.
    int size() const { return _bodies.size() - 1; }
    // Prototype i, 0 <= i < size(), in the order of registration.
    Body *at(int i) const { return _bodies[i + 1]; }

  private:
    HashMap<int> _index;     // name -> position in _bodies; 0 when unknown
    Vector<Body *> _bodies;  // entry 0 is null, so unknown names find null
};

extern BodyCatalogue *the_catalogue;

// Creates the catalogue, fills it and sets the_catalogue.
void build_catalogue();
// Registers the four wirings of one two-sensor family: "v2a", "v2b", "v3a"
// and "v3b", each followed by suffix, cloned from base.
void add_family(Vehicle *base, PermString suffix, BodyCatalogue *catalogue);

#endif
