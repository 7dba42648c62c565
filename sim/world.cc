// The World holds every body in world order and drives the simulation.
//
// How the pieces fit: the start-up code adds bodies (add_body calls each
// body's embody, through which a vehicle adds the lights it carries), then
// scatters them.  The world-move alarm calls step (every body's step(0.1):
// a vehicle senses, drives and moves -- start reading at Vehicle::step in
// sim/vehicle.cc), then collide_pairs, and now and then record_trails and
// draw.  Sensors read the world's list of emitters of their kind, which
// keeps world order, so the order of `bodies' is the order in which
// radiation is summed.
//
// The collision pass tests only pairs that share or neighbour a cell of a
// uniform grid at least as wide as the largest sum of two radii, wrapped
// onto a table whose size follows the number of bodies.  The pair
// test depends on positions, radii and groups alone, which collide() does
// not change, so the near pairs can be found before any is collided: the
// cells are visited in order, each with the neighbours that follow it,
// and the pairs found are then sorted and collided in ascending order,
// exactly the pairs and the order of the quadratic pass.  Found with every
// radius widened, the lists of pairs serve the passes that follow until
// some body has moved too far for them to hold every pair that can touch;
// each pass tests the listed pairs again.  A crowd with more near pairs
// than the lists have room for gathers each body's partners in turn
// instead.
#include "sim/world.hh"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "display/view.hh"
#include "lib/program_name.hh"
#include "sim/light.hh"
#include "sim/sensor.hh"
#include "sim/step_pool.hh"
#include "sim/vehicle.hh"

World *the_world = nullptr;

namespace {

// Below this many colliding bodies the plain pass is as quick as the grid.
const int grid_threshold = 32;
// Radii are widened by this share of the largest one when the pairs are
// found for keeping: wider lists last more passes, narrower ones have
// fewer pairs to test in each.
const double reach_per_radius = 1.0;
// Kept pair lists must serve this many passes to be worth their wider
// search.  After lists that did not, or in a crowd too dense to keep its
// pairs, this many passes go without keeping before it is tried again.
const int min_kept_passes = 2;
const int keep_pause = 64;
// Widens the cells beyond the largest sum of radii, so that rounding in
// the cell arithmetic can never put a colliding pair two cells apart.
const double cell_margin = 1.001;
// Cell numbers stay below this.  A cell number carries rounding errors of
// a few times 2^-53 of the largest one; they must stay far below the cell
// margin, or a touching pair could land two cells apart.
const double max_cell_number = 68719476736.0;  // 2^36
// The table the grid wraps onto has at most this many cells a side: a
// megabyte of cell starts, which stays in the second-level cache.  Every
// pass counts bodies into it in no particular order: at 100,000 vehicles
// a table four times the size made 14 % more first-level and 22 % more
// last-level data misses.
const int max_table_side = 512;
// Colliding bodies between two looks at the work break: a few hundred
// microseconds of a crowded pass.
const int bodies_per_break = 256;
// The fewest vehicles in a run worth handing to the threads.
const int default_parallel_minimum = 1024;

}  // namespace

World::World()
    : _static_friction(0.2), _dynamic_friction(0.2), _angular_friction(0.3),
      _angular_damping(1.0), _held(nullptr), _reference(false), _recording_trails(true),
      _generation(0), _kept_valid(false), _kept_generation(0), _kept_reach(0),
      _kept_scale(0), _kept_passes(0), _kept_served(0),
      _keep_pause(0), _threads(1), _parallel_minimum(default_parallel_minimum),
      _parallel_steps(0), _pool(nullptr), _plan_valid(false), _plan_generation(0),
      _plan_threads(0), _plan_reference(false), _plan_minimum(0), _work_break(nullptr),
      _emitter_values_current(false)
{
}

World::~World()
{
    delete _pool;
    for (Emitters *e : _emitter_lists)
        delete e;
}

void World::add_body(Body *b)
{
    _bodies.push_back(b);
    _generation++;
    b->embody(this);
    if (b->collision_group() > 0)
        _colliding.push_back(b);
}

void World::reset()
{
    // The trails start again empty, in the room they already have.
    _recording_trails = true;
    for (Body *b : _bodies)
        b->reset();
    sort_bodies();
}

// Placement draws from rand(), which only the batch runner's -seed seeds:
// the same command line (and seed) on the same window size places the
// bodies identically.  The draws are taken x, y, heading.
void World::scatter(bool place_mobile, bool place_fixed, View *view)
{
    Point lo = view->origin();
    Point hi = view->top_right();
    for (Body *b : _bodies) {
        if (!(b->is_mobile() ? place_mobile : place_fixed))
            continue;
        double x = lo.x + std::rand() / 2147483647.0 * (hi.x - lo.x);
        double y = lo.y + std::rand() / 2147483647.0 * (hi.y - lo.y);
        double heading = std::rand() / 2147483647.0 * 2 * M_PI;
        b->place(Point(x, y), heading);
    }
    for (Body *b : _bodies)
        b->reset();
    sort_bodies();
}

void World::set_threads(int n)
{
    _threads = n > 1 ? n : 1;
    if (_pool && _pool->threads() != _threads) {
        delete _pool;
        _pool = nullptr;
    }
}

void World::step()
{
    plan_parallel_step();
    // While the pointer holds a vehicle, which is seldom and short, the
    // plain loop steps the world and leaves that vehicle out.
    if (_runs.empty() || _held) {
        for (Body *b : _bodies) {
            // Stopped at every step, a held vehicle soaks up what
            // collisions hand it instead of passing it back at the next one.
            if (b == _held)
                if (Vehicle *v = b->as_vehicle()) {
                    v->stop();
                    continue;
                }
            step_body(b);
        }
        forget_emitter_values();
        return;
    }
    Body *const *bodies = _bodies.begin();
    int i = 0;
    bool threaded = false;
    for (const Run &run : _runs) {
        for (; i < run.begin; i++)
            step_body(bodies[i]);
        if (!_emitter_values_current)
            refresh_emitter_values();
        if (run.threaded) {
            if (!_pool)
                _pool = new StepPool(_threads);
            _pool->step_all(bodies + run.begin, run.end - run.begin, 0.1);
            threaded = true;
        } else {
            Vehicle::step_independent(bodies + run.begin, run.end - run.begin, 0.1);
        }
        i = run.end;
    }
    for (; i < _bodies.size(); i++)
        step_body(bodies[i]);
    forget_emitter_values();
    if (threaded)
        _parallel_steps++;
}

// A vehicle's step changes no free-standing light, so the values taken
// before the first vehicle of a stretch serve every vehicle up to the
// next body that is not one.
void World::step_body(Body *b)
{
    bool vehicle = b->as_vehicle();
    if (vehicle && !_emitter_values_current)
        refresh_emitter_values();
    b->step(0.1);
    if (!vehicle)
        forget_emitter_values();
}

void World::refresh_emitter_values()
{
    for (Emitters *e : _emitter_lists) {
        if (e->generation != _generation)
            continue;  // rebuilt, with its values, when next asked for
        int n = e->bodies.size();
        e->x.clear();
        e->y.clear();
        e->strength.clear();
        e->values_current = true;
        for (int k = 0; k < n; k++) {
            const Light *light = e->lights[k];
            if (!light || light->carrier() || !(light->arc_width() >= 2 * M_PI)) {
                e->values_current = false;
                break;
            }
            e->x.push_back(light->x());
            e->y.push_back(light->y());
            e->strength.push_back(light->strength());
        }
    }
    _emitter_values_current = true;
}

void World::forget_emitter_values()
{
    for (Emitters *e : _emitter_lists)
        e->values_current = false;
    _emitter_values_current = false;
}

// The runs of consecutive vehicles, when the vehicles' steps are
// independent, threaded from _parallel_minimum vehicles on; none otherwise.
void World::plan_parallel_step()
{
    if (_plan_valid && _plan_generation == _generation && _plan_threads == _threads
        && _plan_reference == _reference && _plan_minimum == _parallel_minimum)
        return;
    _plan_valid = true;
    _plan_generation = _generation;
    _plan_threads = _threads;
    _plan_reference = _reference;
    _plan_minimum = _parallel_minimum;
    _runs.clear();
    // The reference world keeps the plain loop.
    if (_reference || !vehicles_independent())
        return;
    int n = _bodies.size();
    for (int i = 0; i < n;) {
        if (!_bodies[i]->as_vehicle()) {
            i++;
            continue;
        }
        int j = i;
        while (j < n && _bodies[j]->as_vehicle())
            j++;
        _runs.push_back(Run{i, j, _threads > 1 && j - i >= _parallel_minimum});
        i = j;
    }
}

// A vehicle's step writes only the vehicle itself (and the lights it
// carries); it reads the world's settings and the emitters of its
// sensors' kinds.  Without carried lights, and with only free-standing
// lights among those emitters, nothing a vehicle writes is read by
// another one in the same run, and a light changes only in its own step.
// Also brings the emitter lists of those kinds up to date, so that the
// threads only read them.
bool World::vehicles_independent()
{
    _sensed_kinds.clear();
    for (Body *b : _bodies) {
        Vehicle *v = b->as_vehicle();
        if (!v)
            continue;
        if (v->light_count() > 0)
            return false;
        for (int i = 0; i < v->sensor_count(); i++) {
            int kind = v->sensor(i)->kind();
            if (std::find(_sensed_kinds.begin(), _sensed_kinds.end(), kind) == _sensed_kinds.end())
                _sensed_kinds.push_back(kind);
        }
    }
    for (int kind : _sensed_kinds) {
        const Emitters &e = emitters(kind);
        for (int k = 0; k < e.bodies.size(); k++)
            if (!e.lights[k] || e.lights[k]->carrier())
                return false;
    }
    return true;
}

// The list of the kind, made or brought up to date.
const World::Emitters &World::rebuilt_emitters(int kind)
{
    Emitters *list = nullptr;
    for (Emitters *e : _emitter_lists)
        if (e->kind == kind) {
            list = e;
            break;
        }
    if (!list) {
        list = new Emitters;
        list->kind = kind;
        list->generation = _generation - 1;
        list->values_current = false;
        _emitter_lists.push_back(list);
    }
    if (list->generation != _generation) {
        list->bodies.clear();
        list->lights.clear();
        for (Body *b : _bodies)
            if (b->emits(kind)) {
                list->bodies.push_back(b);
                list->lights.push_back(dynamic_cast<const Light *>(b));
            }
        list->generation = _generation;
        list->values_current = false;
        // A list first asked for during a step of vehicles gets the values
        // of the others.
        if (_emitter_values_current)
            refresh_emitter_values();
    }
    return *list;
}

void World::collide_pairs()
{
    if (_colliding.size() < 2)
        return;
    if (_reference || _colliding.size() < grid_threshold || !collide_near_pairs())
        collide_all_pairs();
}

// The sum of the coordinate differences filters pairs cheaply before a
// vehicle's collide checks the Euclidean distance.  Velocities changed by
// one pair are what later pairs see.
void World::collide_all_pairs()
{
    int n = _colliding.size();
    for (int i = 0; i < n; i++) {
        if (i % bodies_per_break == bodies_per_break - 1 && take_break())
            return;
        Body *a = _colliding[i];
        for (int j = i + 1; j < n; j++) {
            Body *b = _colliding[j];
            if (a->collision_group() <= 0 || a->collision_group() != b->collision_group())
                continue;
            if (std::fabs(a->x() - b->x()) + std::fabs(a->y() - b->y())
                <= a->radius() + b->radius())
                a->collide(b);
        }
    }
}

// False, before anything collided, when the grid cannot be used.  The
// set-up reads as its steps: measure the bodies; unless the pairs kept
// from an earlier pass still hold, choose the cell width and the table it
// wraps onto, sort the bodies into cells and list the near pairs.
bool World::collide_near_pairs()
{
    Bounds bounds;
    if (!measure_colliders(bounds)) {
        _kept_valid = false;
        return false;
    }
    // Fewer than two candidates, or radii so negative that no sum of two
    // can reach a distance: nothing collides.
    if (bounds.count < 2 || bounds.rmax < 0) {
        _kept_valid = false;
        return true;
    }
    if (kept_pairs_hold(bounds)) {
        _kept_passes++;
        _kept_served++;
        collide_listed_pairs();
        return true;
    }
    // Bodies too fast for the lists to last: finding the wider pairs
    // costs more than it saves.
    if (_kept_valid && _kept_generation == _generation && _kept_served < min_kept_passes)
        _keep_pause = keep_pause;
    _kept_valid = false;
    double cell;
    if (!cell_width(bounds, cell))
        return false;
    if (keep_pairs(bounds)) {
        collide_listed_pairs();
        return true;
    }
    TableSize table;
    int found = find_pairs_in_grid(bounds, cell, 0, table);
    if (found >= 0) {
        list_pairs(found);
        collide_listed_pairs();
        return true;
    }
    // A crowd: each body's partners are gathered and collided in turn.
    for (int i = 0; i < _colliders.size(); i++) {
        if (i % bodies_per_break == bodies_per_break - 1 && take_break())
            break;
        if (_colliders.begin()[i].cell >= 0)
            collide_with_neighbours(i, table);
    }
    return true;
}

// Whether the kept pair lists still hold every pair that can pass the test
// now: the same bodies with the same radii and groups, none of them moved
// by more than the reach, less a margin for rounding.
//
// Why that suffices: a pair missing from the lists was further apart than
// the sum of its widened radii, and every body has since moved by at most
// d (differences of coordinates), so the pair is now further apart than
// its radii's sum by 2 (reach - d).  Rounding in the tests and in d makes
// errors of a few units in the last place of the largest coordinate,
// radius or reach; the margin is hundreds of them.  A body outside the
// grid then (a coordinate not finite) must still be outside it.
bool World::kept_pairs_hold(const Bounds &bounds) const
{
    if (!_kept_valid || _kept_generation != _generation || _kept.size() != _colliders.size())
        return false;
    double largest = std::max({_kept_scale, std::fabs(bounds.x0), std::fabs(bounds.x1),
                               std::fabs(bounds.y0), std::fabs(bounds.y1)});
    double limit = _kept_reach - 0x1p-44 * largest;
    const Collider *now = _colliders.begin(), *then = _kept.begin();
    for (int i = 0; i < _colliders.size(); i++) {
        const Collider &c = now[i], &k = then[i];
        if (c.group != k.group || c.r != k.r || (c.cell < 0) != (k.cell < 0))
            return false;
        if (k.cell >= 0 && !(std::fabs(c.x - k.x) + std::fabs(c.y - k.y) <= limit))
            return false;
    }
    return true;
}

// Lists the near pairs with every radius widened, and keeps them for the
// passes to come; false when there are too many to keep, or the widened
// cells cannot be measured.
bool World::keep_pairs(const Bounds &bounds)
{
    if (_keep_pause > 0) {
        _keep_pause--;
        return false;
    }
    double reach = reach_per_radius * bounds.rmax;
    Bounds wide = bounds;
    wide.rmax += reach;
    double cell;
    if (!(reach > 0) || !cell_width(wide, cell))
        return false;
    TableSize table;
    int found = find_pairs_in_grid(bounds, cell, reach, table);
    if (found < 0) {
        _keep_pause = keep_pause;
        return false;
    }
    list_pairs(found);
    _kept = _colliders;
    _kept_valid = true;
    _kept_served = 0;
    _kept_generation = _generation;
    _kept_reach = reach;
    // The largest magnitude the pair tests of the lists met, for the
    // margin: bodies outside the grid took no part in them.
    _kept_scale = reach;
    for (const Collider &c : _kept)
        if (c.cell >= 0)
            _kept_scale = std::max({_kept_scale, std::fabs(c.x), std::fabs(c.y), std::fabs(c.r)});
    return true;
}

// Sorts the bodies into cells of the given width, every radius widened
// by reach, and writes the near pairs to _near: how many, or -1 for a
// crowd (find_near_pairs).  The table the cells wrap onto goes to table.
int World::find_pairs_in_grid(const Bounds &bounds, double cell, double reach, TableSize &table)
{
    double scale = 1 / cell;
    table = table_size(bounds, scale);
    sort_into_cells(bounds, scale, table, reach);
    return find_near_pairs(table);
}

// Up to this many near partners are put in order by insertion.
const int small_sort = 16;

// Usually a handful, sorted by insertion; in a pile-up nearly every body
// is near, and std::sort stays O(k log k).
static void sort_ascending(int *js, int count)
{
    if (count > small_sort) {
        std::sort(js, js + count);
        return;
    }
    for (int k = 1; k < count; k++)
        for (int l = k; l > 0 && js[l - 1] > js[l]; l--)
            std::swap(js[l - 1], js[l]);
}

// The power of two at or above n, and at least 4.
static int wrap_size(double n)
{
    int size = 4;
    while (size < n && size < (1 << 30))
        size *= 2;
    return size;
}

// Fills _colliders, one for each colliding body, and measures the bodies
// the grid will hold (cell 0 until sorted).  A body with a non-finite
// coordinate passes no pair test as long as every sum of two radii is
// finite, so it stays out of the grid (cell -1); a non-finite radius leaves
// the pass to the plain algorithm (false).
bool World::measure_colliders(Bounds &bounds)
{
    const double inf = std::numeric_limits<double>::infinity();
    bounds = Bounds{inf, inf, -inf, -inf, -inf, 0};
    _colliders.clear();
    for (Body *b : _colliding) {
        Collider c{b->x(), b->y(), b->radius(), b->collision_group(), -1};
        if (c.group > 0) {
            if (!std::isfinite(c.r))
                return false;
            bounds.rmax = std::max(bounds.rmax, c.r);
            if (std::isfinite(c.x) && std::isfinite(c.y)) {
                c.cell = 0;
                bounds.count++;
                bounds.x0 = std::min(bounds.x0, c.x);
                bounds.x1 = std::max(bounds.x1, c.x);
                bounds.y0 = std::min(bounds.y0, c.y);
                bounds.y1 = std::max(bounds.y1, c.y);
            }
        }
        _colliders.push_back(c);
    }
    return true;
}

// Cells as narrow as the widest pair allows, wider only where there would
// be more than max_cell_number across the extent.  False when the widest
// pair or the extent is not finite: coordinates too far apart for their
// difference to be finite.
bool World::cell_width(const Bounds &bounds, double &cell)
{
    double needed = 2 * bounds.rmax * cell_margin;
    double extent = std::max(bounds.x1 - bounds.x0, bounds.y1 - bounds.y0);
    if (!std::isfinite(needed) || !std::isfinite(extent))
        return false;
    cell = std::max(std::max(needed, extent / max_cell_number), 1e-290);
    return true;
}

// The cells wrap onto a table of at most about 4 cells per body: a crowd
// keeps narrow cells however far a few bodies wander, and those few share
// cells with bodies far too distant to pass the pair test.  Every pass
// clears and sums the whole table, so it is kept small.
World::TableSize World::table_size(const Bounds &bounds, double scale)
{
    TableSize table;
    table.limit = std::min(max_table_side, wrap_size(2 * std::sqrt((double) bounds.count)));
    table.columns = std::min(table.limit, wrap_size((bounds.x1 - bounds.x0) * scale + 1));
    table.shift = 0;
    while ((1 << table.shift) < table.columns)
        table.shift++;
    table.rows = std::min(table.limit, wrap_size((bounds.y1 - bounds.y0) * scale + 1));
    return table;
}

// A counting sort of the bodies in the grid into _sorted by cell: count
// each cell's bodies, turn the counts into starts, place the bodies.
void World::sort_into_cells(const Bounds &bounds, double scale, const TableSize &table,
                            double reach)
{
    Collider *cs = _colliders.begin();
    int n = _colliders.size();
    int cells = table.columns * table.rows;
    _cell_start.reserve(table.limit * table.limit + 1);
    _cell_start.clear();
    _cell_start.resize(cells + 1, 0);
    _sorted.reserve(n);
    _sorted.resize(bounds.count, CellEntry());
    _candidates.reserve(n + 1);  // every other body, and one spare write
    _candidates.resize(n + 1, 0);

    int *start = _cell_start.begin();
    for (int i = 0; i < n; i++) {
        if (cs[i].cell < 0)
            continue;
        long long cx = (long long) ((cs[i].x - bounds.x0) * scale);
        long long cy = (long long) ((cs[i].y - bounds.y0) * scale);
        cs[i].cell = (int) (cy & (table.rows - 1)) << table.shift
                     | (int) (cx & (table.columns - 1));
        start[cs[i].cell]++;
    }
    for (int c = 1; c < cells; c++)
        start[c] += start[c - 1];
    start[cells] = bounds.count;
    // Placed from the back, so each cell lists its bodies in ascending
    // order and start[c] ends up at the cell's first entry.
    CellEntry *sorted = _sorted.begin();
    for (int i = n - 1; i >= 0; i--)
        if (cs[i].cell >= 0)
            sorted[--start[cs[i].cell]] =
                CellEntry{cs[i].x, cs[i].y, cs[i].r + reach, cs[i].group, i, cs[i].cell};
}

// Near pairs per body in the grid that the pass finds in cell order; a
// crowd with more goes body by body.  The room for them is kept from pass
// to pass: 12 bytes a pair.
const int near_pairs_per_body = 8;

namespace {

// Positions [from, to) of the grid's bodies in cell order.
struct Range {
    int from, to;
};

// Appends range [from, to) to ranges, joined to the last one when it
// follows on from it.
int add_range(Range *ranges, int count, int from, int to)
{
    if (from == to)
        return count;
    if (count > 0 && ranges[count - 1].to == from) {
        ranges[count - 1].to = to;
        return count;
    }
    ranges[count] = Range{from, to};
    return count + 1;
}

}  // namespace

// Writes to near, from found on, each body of b[0, n) that passes the pair
// test with a, as a pair of indexes in ascending order; returns the new
// count.  Branch-free, as near_in_cells.
int World::near_in_range(const CellEntry &a, const CellEntry *b, int n, NearPair *near,
                         int found)
{
    for (int k = 0; k < n; k++) {
        bool is_near = std::fabs(a.x - b[k].x) + std::fabs(a.y - b[k].y) <= a.r + b[k].r;
        int lo = a.body < b[k].body ? a.body : b[k].body;
        int hi = a.body < b[k].body ? b[k].body : a.body;
        near[found] = NearPair{lo, hi};
        found += (a.group == b[k].group) & is_near;
    }
    return found;
}

// Every near pair of the grid, found by visiting the cells in order, each
// with the four neighbours that follow it (east, and the three cells of
// the row above), so that each pair of neighbouring cells is looked at
// once and memory is read in order.  The table is at least 4 cells a
// side, so those five cells are distinct, and of two neighbouring cells
// exactly one lies among the other's followers.  Returns how many pairs
// were written to _near, or -1 when there are more than it has room for.
int World::find_near_pairs(const TableSize &table)
{
    int count = _sorted.size();
    long room = std::min((long) near_pairs_per_body * count + 64, (long) INT_MAX / 2);
    if (_near.size() < room)
        _near.resize((int) room, NearPair());
    const CellEntry *sorted = _sorted.begin();
    const int *start = _cell_start.begin();
    NearPair *near = _near.begin();
    int columns_mask = table.columns - 1, rows_mask = table.rows - 1;
    int found = 0;
    for (int p = 0; p < count;) {
        int c = sorted[p].cell;
        int cx = c & columns_mask, cy = c >> table.shift;
        int row = cy << table.shift, up = ((cy + 1) & rows_mask) << table.shift;
        int east = row | ((cx + 1) & columns_mask);
        int end = start[c + 1];
        Range ranges[4];
        int n = add_range(ranges, 0, start[east], start[east + 1]);
        for (int dx = -1; dx <= 1; dx++) {
            int cell = up | ((cx + dx) & columns_mask);
            n = add_range(ranges, n, start[cell], start[cell + 1]);
        }
        int outside = 0;
        for (int k = 0; k < n; k++)
            outside += ranges[k].to - ranges[k].from;
        for (int q = p; q < end; q++) {
            if (found + (end - q - 1) + outside > room)
                return -1;
            const CellEntry &a = sorted[q];
            found = near_in_range(a, sorted + q + 1, end - q - 1, near, found);
            for (int k = 0; k < n; k++)
                found = near_in_range(a, sorted + ranges[k].from, ranges[k].to - ranges[k].from,
                                      near, found);
        }
        p = end;
    }
    return found;
}

// Lists the found pairs by their first body, each body's partners in
// ascending order: the pairs and order of the quadratic pass.
void World::list_pairs(int found)
{
    int n = _colliders.size();
    _pair_start.clear();
    _pair_start.resize(n + 2, 0);
    _partners.reserve(_near.size());
    _partners.resize(found, 0);
    int *start = _pair_start.begin();
    int *partners = _partners.begin();
    const NearPair *near = _near.begin();
    // A counting sort: counted two places on, so that placing each pair
    // moves start[i + 1] from the start of body i's partners to their end.
    for (int k = 0; k < found; k++)
        start[near[k].i + 2]++;
    for (int i = 2; i <= n + 1; i++)
        start[i] += start[i - 1];
    for (int k = 0; k < found; k++)
        partners[start[near[k].i + 1]++] = near[k].j;
    for (int i = 0; i < n; i++)
        sort_ascending(partners + start[i], start[i + 1] - start[i]);
}

// Collides the listed pairs that pass the test now, in list order.
void World::collide_listed_pairs()
{
    const Collider *cs = _colliders.begin();
    const int *start = _pair_start.begin(), *partners = _partners.begin();
    Body *const *bodies = _colliding.begin();
    for (int i = 0; i < _colliders.size(); i++) {
        if (i % bodies_per_break == bodies_per_break - 1 && take_break())
            return;
        const Collider &a = cs[i];
        for (int k = start[i]; k < start[i + 1]; k++) {
            const Collider &b = cs[partners[k]];
            if (std::fabs(a.x - b.x) + std::fabs(a.y - b.y) <= a.r + b.r)
                bodies[i]->collide(bodies[partners[k]]);
        }
    }
}

// Appends to js, from cells first to last of one row, the index of every
// body after i that passes the pair test with a.  Branch-free: whether a
// neighbour qualifies is anybody's guess, so each one is written and kept
// or overwritten by the next.
int World::near_in_cells(const Collider &a, int i, int first, int last, int *js, int count) const
{
    const CellEntry *sorted = _sorted.begin();
    const int *start = _cell_start.begin();
    int end = start[last + 1];
    for (int k = start[first]; k < end; k++) {
        const CellEntry &b = sorted[k];
        bool near = std::fabs(a.x - b.x) + std::fabs(a.y - b.y) <= a.r + b.r;
        js[count] = b.body;
        count += (b.body > i) & (a.group == b.group) & near;
    }
    return count;
}

// Collides body i with every later body of its own and the eight
// neighbouring cells (nine distinct cells: the table is at least 4 wide)
// that passes the pair test, in ascending order of index.  Inside the
// table the three cells of a row are adjacent in _sorted; at its edges
// the row wraps.
void World::collide_with_neighbours(int i, const TableSize &table)
{
    const Collider &a = _colliders.begin()[i];
    int cx = a.cell & (table.columns - 1), cy = a.cell >> table.shift;
    int *js = _candidates.begin();
    int count = 0;
    for (int dy = -1; dy <= 1; dy++) {
        int row = ((cy + dy) & (table.rows - 1)) * table.columns;
        if (cx == 0) {
            count = near_in_cells(a, i, row, row + 1, js, count);
            count = near_in_cells(a, i, row + table.columns - 1, row + table.columns - 1, js, count);
        } else if (cx == table.columns - 1) {
            count = near_in_cells(a, i, row, row, js, count);
            count = near_in_cells(a, i, row + cx - 1, row + cx, js, count);
        } else {
            count = near_in_cells(a, i, row + cx - 1, row + cx + 1, js, count);
        }
    }
    collide_in_order(i, js, count);
}

// Collides body i with the bodies js[0, count), in ascending order.
void World::collide_in_order(int i, int *js, int count)
{
    sort_ascending(js, count);
    Body *body = _colliding[i];
    for (int k = 0; k < count; k++)
        body->collide(_colliding[js[k]]);
}

void World::record_trails()
{
    if (!_recording_trails)
        return;
    for (Body *b : _bodies)
        if (!b->record_trail()) {
            _recording_trails = false;
            std::fprintf(stderr, "%s: out of memory: trails are no longer recorded\n",
                         program_name);
            return;
        }
}

void World::draw(View *view)
{
    view->clear();
    for (Body *b : _bodies)
        b->draw(view);
    view->swap_buffers();
}

// Vehicles (layer 0) before lights (layer 1), so lights step after their
// carriers and draw on top.  A stable sort keeps the order of addition
// within a layer: which vehicle moves first and which dash pattern it gets
// in EPS output then depend on the command line alone, and runs reproduce.
void World::sort_bodies()
{
    if (_bodies.empty())
        return;
    _generation++;
    std::stable_sort(_bodies.begin(), _bodies.end(),
                     [](Body *a, Body *b) { return a->layer() < b->layer(); });
}
