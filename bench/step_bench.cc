// One world step as the world-move alarm runs it (every body's step, then
// the pair test), for N catalogue two-sensor vehicles and the catalogue's
// four lights.  The program runs 4 steps per 10 ms tick, so a step must
// take under 2.5 ms for the simulation to keep up in real time; the
// "steps/s" counter against 400 tells.
#include <benchmark/benchmark.h>

#include "display/view.hh"
#include "driver/catalogue.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

namespace {

World *scattered_world(int vehicles)
{
    if (!the_catalogue)
        build_catalogue();
    const char *kinds[] = {"v2a", "v2b", "v3a", "v3b", "v2ap", "v2bp", "v3ap", "v3bp"};
    World *w = new World;
    for (int i = 0; i < vehicles; i++)
        w->add_body(the_catalogue->find(kinds[i % 8])->as_vehicle()->clone());
    for (const char *light : {"l", "timel", "l2a", "l2b"})
        w->add_body(the_catalogue->find(light));
    View view(640, 520);
    w->scatter(true, false, &view);
    return w;
}

void BM_WorldStep(benchmark::State &state)
{
    int n = state.range(0);
    World *w = scattered_world(n);
    for (int i = 0; i < 10; i++) {  // warm up: the values vectors grow here
        w->step();
        w->collide_pairs();
    }
    for (auto _ : state) {
        w->step();
        w->collide_pairs();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["steps/s"] =
        benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_WorldStep)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
