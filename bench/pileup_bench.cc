// A pile-up: a thousand vehicles crowded onto one light, as when every
// vehicle of a large run has found the same light.  Nearly every pair
// collides, so the pass is quadratic however it finds its pairs; what this
// measures is what the collision grid adds on top of the collisions, above
// all the ordering of each body's many partners.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "driver/catalogue.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

namespace {

// The vehicles at random within a disc around the light at the origin, a
// few vehicle lengths across, so that each body's partners come from
// several grid cells.
World *pile_on_one_light(int vehicles, double radius)
{
    if (!the_catalogue)
        build_catalogue();
    World *w = new World;
    std::mt19937 random(1);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int i = 0; i < vehicles; i++) {
        Vehicle *v = the_catalogue->find("v2a")->as_vehicle()->clone();
        double r = radius * std::sqrt(unit(random)), a = 2 * M_PI * unit(random);
        v->place(Point(r * std::cos(a), r * std::sin(a)), 2 * M_PI * unit(random));
        w->add_body(v);
    }
    w->add_body(the_catalogue->find("l")->clone());
    return w;
}

// Collisions change velocities only, so every pass sees the same pile.
void BM_PileUpCollisions(benchmark::State &state)
{
    World *w = pile_on_one_light(state.range(0), 40);
    for (auto _ : state)
        w->collide_pairs();
}
BENCHMARK(BM_PileUpCollisions)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
