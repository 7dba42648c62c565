// The World holds every body in world order and drives the simulation.
//
// How the pieces fit: the start-up code adds bodies (add_body calls each
// body's embody, through which a vehicle adds the lights it carries), then
// scatters them.  The world-move alarm calls step (every body's step(0.1):
// a vehicle senses, drives and moves -- start reading at Vehicle::step in
// sim/vehicle.cc), then collide_pairs, and now and then record_trails and
// draw.  Sensors read the world's body list directly, so the order of
// `bodies' is the order in which radiation is summed.
#include "sim/world.hh"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/view.hh"

World *the_world = nullptr;

World::World()
    : _static_friction(0.2), _dynamic_friction(0.2), _angular_friction(0.3),
      _angular_damping(1.0)
{
}

void World::add_body(Body *b)
{
    _bodies.push_back(b);
    b->embody(this);
    if (b->collision_group() > 0)
        _colliding.push_back(b);
}

void World::reset()
{
    for (Body *b : _bodies)
        b->reset();
    sort_bodies();
}

// rand() is never seeded, so the same command line on the same window size
// places the bodies identically.  The draws are taken x, y, heading.
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

void World::step()
{
    for (Body *b : _bodies)
        b->step(0.1);
}

// The sum of the coordinate differences filters pairs cheaply before a
// vehicle's collide checks the Euclidean distance.  Velocities changed by
// one pair are what later pairs see.
void World::collide_pairs()
{
    int n = _colliding.size();
    for (int i = 0; i < n; i++) {
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

void World::record_trails()
{
    for (Body *b : _bodies)
        b->record_trail();
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
    std::stable_sort(_bodies.begin(), _bodies.end(),
                     [](Body *a, Body *b) { return a->layer() < b->layer(); });
}
