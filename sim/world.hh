// World: the container and engine of the simulation.  It holds the bodies
// in world order (vehicles before lights once sorted), the friction
// settings every vehicle's dynamics reads, and the operations the program
// drives: add, scatter, reset, step, collide, record trails, draw.  It owns
// none of its bodies.
//
// Two indexes keep large worlds fast without changing a single bit of the
// results: per radiation kind, the list of emitting bodies in world order
// (sensors visit only those), and a uniform grid that finds the pairs that
// may collide; vehicles and sensors take arithmetic shortcuts that give the
// same bits.  set_reference(true) switches all of it off and runs the
// straightforward reference algorithms, which tests (and the batch
// runner's -reference) run beside the fast ones.
//
// When nothing one vehicle changes can reach another within the step (no
// vehicle carries a light and every emitter that a sensor of the world
// responds to is a free-standing light), runs of consecutive vehicles step
// without a virtual call each, and with more than one thread long runs of
// them step side by side.  Lights step at their own place in the body
// list, between the runs of vehicles, as in the sequential order.
#ifndef XTINKERBOT_SIM_WORLD_HH
#define XTINKERBOT_SIM_WORLD_HH

#include "lib/vector.hh"
#include "sim/body.hh"

class Light;
class StepPool;
class View;

// A program that must answer its user during long work: the world asks it
// every few hundred bodies of a collision pass, the world-move alarm
// between the steps of a firing.  It may read the world and draw it there,
// never change it.
class WorkBreak {
  public:
    virtual ~WorkBreak() {}
    // True when the work in progress is no longer wanted: the program is
    // quitting.
    virtual bool take_break() = 0;
};

class World {
  public:
    World();

    double static_friction() const { return _static_friction; }
    double dynamic_friction() const { return _dynamic_friction; }
    double angular_friction() const { return _angular_friction; }
    double angular_damping() const { return _angular_damping; }
    void set_static_friction(double k) { _static_friction = k; }
    void set_dynamic_friction(double k) { _dynamic_friction = k; }
    void set_angular_friction(double k) { _angular_friction = k >= 0 ? k : 0; }

    void add_body(Body *b);
    void reset();
    void scatter(bool place_mobile, bool place_fixed, View *view);
    void step();
    // Stops early, leaving the rest of the pairs untouched, when the work
    // break asks to: the program is quitting.
    void collide_pairs();
    // Every body records a trail point.  When memory runs out the world
    // stops recording (it says so once) until the next reset, and the run
    // goes on with the trails it has.
    void record_trails();
    bool recording_trails() const { return _recording_trails; }
    void draw(View *view);

    // The body the pointer holds, or null.  A held vehicle is not stepped
    // and is kept at rest, while the others still collide with it; a held
    // light steps as before (it never moves by itself).
    Body *held() const { return _held; }
    void hold(Body *b) { _held = b; }

    // The bodies for which emits(kind) is true, in world order, duplicates
    // included, and beside each the same body as a Light, or null if it is
    // none: a sensor calls a light's intensity_at and carried_by directly,
    // leaving only its strength and arc width to virtual calls.
    struct Emitters {
        int kind;
        unsigned generation;  // of the body list it was built from
        Vector<Body *> bodies;
        Vector<const Light *> lights;
        // While the world steps its vehicles, when every emitter is a
        // free-standing light that shines all round: the position and
        // strength of each, which nothing changes until the next light
        // steps.  Sensors then read these arrays, not the lights.
        bool values_current;
        Vector<double> x, y, strength;
    };

    const Vector<Body *> &bodies() const { return _bodies; }
    const Vector<Body *> &colliding() const { return _colliding; }
    // Rebuilt after the body list changes.
    const Emitters &emitters(int kind)
    {
        for (Emitters *e : _emitter_lists)
            if (e->kind == kind && e->generation == _generation)
                return *e;
        return rebuilt_emitters(kind);
    }

    // The straightforward algorithms everywhere: no indexes, no shortcuts.
    // Hot paths read it through Vehicle::reference().
    bool reference() const { return _reference; }
    void set_reference(bool on) { _reference = on; }

    // Threads that step vehicles, the caller's included; 1 is the
    // sequential program.  Values below 1 count as 1.
    int threads() const { return _threads; }
    void set_threads(int n);
    // The fewest consecutive vehicles stepped side by side: below it,
    // handing the run over costs more than the threads save.
    int parallel_minimum() const { return _parallel_minimum; }
    void set_parallel_minimum(int n) { _parallel_minimum = n > 1 ? n : 1; }
    // Steps so far whose vehicles were stepped side by side.
    long parallel_steps() const { return _parallel_steps; }
    // Pair passes so far that found their pairs in the lists an earlier
    // pass kept.
    long kept_passes() const { return _kept_passes; }

    void set_work_break(WorkBreak *b) { _work_break = b; }
    // Asks the work break, if there is one; true: stop the work.
    bool take_break() { return _work_break && _work_break->take_break(); }

    World(const World &) = delete;
    World &operator=(const World &) = delete;
    ~World();

  private:
    // Position, radius and group of one colliding body, in the order of
    // _colliding, and the cell of the grid it falls in.
    struct Collider {
        double x, y, r;
        int group;
        int cell;  // -1: can collide with nothing
    };
    // One body in the grid's cell order: what the pair test needs of it,
    // and which body it is.
    struct CellEntry {
        double x, y, r;
        int group;
        int body;  // index in _colliding and _colliders
        int cell;
    };
    // A pair that passed the pair test: bodies i < j of _colliding.
    struct NearPair {
        int i, j;
    };
    // The bodies the grid holds: the box around them, how many there are
    // and the largest radius of a colliding body.
    struct Bounds {
        double x0, y0, x1, y1;
        double rmax;
        int count;
    };
    // The table the grid's cells are wrapped onto: powers of two a side.
    struct TableSize {
        int columns, rows;
        int shift;  // columns is 1 << shift
        int limit;  // the largest side for this many bodies
    };

    double _static_friction;
    double _dynamic_friction;
    double _angular_friction;  // never negative
    double _angular_damping;
    Vector<Body *> _bodies;
    Vector<Body *> _colliding;  // collision_group > 0, in order of addition

    Body *_held;
    bool _reference;
    bool _recording_trails;
    unsigned _generation;  // changes whenever _bodies does
    Vector<Emitters *> _emitter_lists;
    // Scratch of the collision grid, kept so that a pass allocates nothing.
    Vector<Collider> _colliders;
    Vector<int> _cell_start;   // cell c holds _sorted[start[c], start[c+1])
    Vector<CellEntry> _sorted;  // by cell, ascending body within a cell
    Vector<int> _candidates;
    Vector<NearPair> _near;    // found in cell order; room for the most allowed
    Vector<int> _pair_start;   // body i's partners are _partners[start[i], start[i+1])
    Vector<int> _partners;     // ascending for each body
    // The pair lists kept from pass to pass: found with every radius
    // widened by _kept_reach, they hold every pair that can pass the test
    // as long as no body has moved much less than that reach away from
    // where _kept has it.
    bool _kept_valid;
    unsigned _kept_generation;  // of the body list they were found for
    double _kept_reach;
    double _kept_scale;         // the largest coordinate, radius or reach they met
    Vector<Collider> _kept;     // the colliders when they were found
    long _kept_passes;
    int _kept_served;           // passes the lists kept now have served
    int _keep_pause;            // passes left before keeping is tried again

    // The runs of the body list whose vehicles step independently, worked
    // out again when the body list or a setting it depends on changes.
    // Long runs step side by side on the threads.
    struct Run {
        int begin, end;  // bodies[begin, end), all vehicles
        bool threaded;
    };
    int _threads;
    int _parallel_minimum;
    long _parallel_steps;
    StepPool *_pool;            // null until a step needs it
    bool _plan_valid;
    unsigned _plan_generation;  // of the body list the plan was made for
    int _plan_threads;
    bool _plan_reference;
    int _plan_minimum;
    Vector<Run> _runs;          // empty: step body by body
    Vector<int> _sensed_kinds;  // scratch of plan_parallel_step
    WorkBreak *_work_break;     // null: no breaks

    // Whether the emitter lists' values hold the lights' state now.
    bool _emitter_values_current;

    const Emitters &rebuilt_emitters(int kind);
    void plan_parallel_step();
    void step_body(Body *b);
    void refresh_emitter_values();
    void forget_emitter_values();
    bool vehicles_independent();

    void sort_bodies();
    void collide_all_pairs();
    bool collide_near_pairs();
    bool measure_colliders(Bounds &bounds);
    static bool cell_width(const Bounds &bounds, double &cell);
    static TableSize table_size(const Bounds &bounds, double scale);
    void sort_into_cells(const Bounds &bounds, double scale, const TableSize &table,
                         double reach);
    int find_pairs_in_grid(const Bounds &bounds, double cell, double reach, TableSize &table);
    bool kept_pairs_hold(const Bounds &bounds) const;
    bool keep_pairs(const Bounds &bounds);
    int near_in_cells(const Collider &a, int i, int first, int last, int *js, int count) const;
    void collide_with_neighbours(int i, const TableSize &table);
    void collide_in_order(int i, int *js, int count);
    int find_near_pairs(const TableSize &table);
    static int near_in_range(const CellEntry &a, const CellEntry *b, int n, NearPair *near,
                             int found);
    void list_pairs(int found);
    void collide_listed_pairs();
};

extern World *the_world;

#endif
