// The simulation's hot loops.  A world step as the world-move alarm runs
// it (every body's step, then the pair test) for N catalogue two-sensor
// vehicles and the catalogue's four lights, with its cost per sensor-light
// interaction; the same number of interactions computed as bare
// arithmetic, the floor any step must stand on; one alarm firing's
// simulation work (4 steps and pair tests), which must fit in 2.5 ms; the
// maths library calls of the collisions in such a world; and the pair
// test alone, indexed and plain.  The second argument, where there is one,
// is the width of the window the vehicles are scattered in (640: the
// default 640x520; 1920: 1920x1080).
//
// Larger worlds keep the density of 10,000 vehicles in a 6000x5000 window
// (the batch runner's -size 6000x5000) for N from 1,000 to 100,000, with
// the four two-sensor kinds of the catalogue: a step and a firing on 1
// and 2 threads, timed by the wall clock since the workers' time is not
// the caller's, and a firing against its parts run alone.  A world of
// 1000 vehicles that all carry a light (option -l) makes some two million
// interactions a step.
//
// bench/run.sh divides a step by the baseline of the same world.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "bench/bench_world.hh"
#include "display/view.hh"
#include "sim/light.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

namespace {

World *scattered_world(int vehicles, int width, int height, int kinds_used = 8,
                       Light *carried = nullptr)
{
    View view(width, height);
    World *w = catalogue_world(vehicles, &view, kinds_used, carried);
    // Let the vehicles gather round the lights as they do in a run, and the
    // scratch vectors grow.
    for (int i = 0; i < 50; i++) {
        w->step();
        w->collide_pairs();
    }
    return w;
}

// Every benchmark starts from the same world: the same scatter (rand is
// seeded) and the same 50 steps.  Worlds live as long as the process, as
// the program's one world does.  The default window, or with width 1920 a
// full-HD one: a thousand vehicles cover most of the default window, and
// about a sixth of a projector's picture.
World *world_of(int vehicles, int width = 640)
{
    std::srand(1);
    if (width == 1920)
        return scattered_world(vehicles, 1920, 1080);
    return scattered_world(vehicles, 640, 520);
}

// N two-sensor vehicles of the four wide kinds at the density of 10,000
// in 6000x5000, stepping on the given threads.
World *dense_world(int vehicles, int threads)
{
    std::srand(1);
    double side = std::sqrt(vehicles / 10000.0);
    World *w = scattered_world(vehicles, (int) (6000 * side), (int) (5000 * side), 4);
    w->set_threads(threads);
    return w;
}

// 1000 vehicles of the usual mix in the default window, each carrying a
// light of strength 6 as -l gives them.
World *carried_light_world()
{
    static Light *lamp = new Light(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 6);
    std::srand(1);
    return scattered_world(1000, 640, 520, 8, lamp);
}

int window_width(const benchmark::State &state)
{
    return state.range(1) == 0 ? 640 : state.range(1);
}

// Pairs that pass the coordinate-difference test now.
long near_pairs(World *w)
{
    const Vector<Body *> &c = w->colliding();
    long near = 0;
    for (int i = 0; i < c.size(); i++)
        for (int j = i + 1; j < c.size(); j++)
            near += std::fabs(c[i]->x() - c[j]->x()) + std::fabs(c[i]->y() - c[j]->y())
                    <= c[i]->radius() + c[j]->radius();
    return near;
}

// Sensor-emitter pairs a step computes.
long interactions_per_step(World *w)
{
    long n = 0;
    for (Body *b : w->bodies())
        if (Vehicle *v = b->as_vehicle())
            for (int i = 0; i < v->sensor_count(); i++)
                n += w->emitters(v->sensor(i)->kind()).bodies.size();
    return n;
}

void report_interactions(benchmark::State &state, long per_iteration)
{
    state.counters["interactions"] = per_iteration;
    state.counters["per_interaction"] = benchmark::Counter(
        per_iteration, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WorldStep(benchmark::State &state)
{
    World *w = world_of(state.range(0));
    for (auto _ : state) {
        w->step();
        w->collide_pairs();
    }
    report_interactions(state, interactions_per_step(w));
    state.counters["near_pairs"] = near_pairs(w);
}
BENCHMARK(BM_WorldStep)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// What one sensor reading of one light needs at the least: distance,
// intensity, direction, wrap, field test.  The inputs are a real world's
// sensors and lights; the loop is the interaction count of one step.
struct BareSensor {
    double x, y, h, min, max;
};
struct BareLight {
    double x, y, s;
};

// The bare sensor-light interactions of a world's step: each sensor's
// sum over every light, with none of the program's indexes or shortcuts.
void run_interaction_baseline(benchmark::State &state, World *w)
{
    Vector<BareSensor> sensors;
    Vector<BareLight> lights;
    for (Body *b : w->bodies()) {
        if (Vehicle *v = b->as_vehicle()) {
            for (int i = 0; i < v->sensor_count(); i++) {
                const Sensor *s = v->sensor(i);
                Point p = v->sensor_position(i);
                sensors.push_back({p.x, p.y, v->heading(), s->min_angle(), s->max_angle()});
            }
        } else if (Light *l = dynamic_cast<Light *>(b)) {
            lights.push_back({l->x(), l->y(), l->strength()});
        }
    }
    Vector<double> readings(sensors.size(), 0.0);
    for (auto _ : state) {
        for (int i = 0; i < sensors.size(); i++) {
            const BareSensor &s = sensors.begin()[i];
            double total = 0;
            for (const BareLight &l : lights) {
                double dx = s.x - l.x, dy = s.y - l.y;
                double d = std::sqrt(dx * dx + dy * dy);
                double alpha = l.s > d ? M_PI : M_PI * l.s / d;
                double intensity = l.s * alpha / M_PI;
                double a = std::atan2(l.y - s.y, l.x - s.x) - s.h;
                if (a > M_PI)
                    a -= 2 * M_PI;
                if (a < -M_PI)
                    a += 2 * M_PI;
                if (a >= s.min && a <= s.max)
                    total += intensity * 0.1;
            }
            readings.begin()[i] = total > 0 ? total : 0;
        }
        benchmark::DoNotOptimize(readings.begin());
        benchmark::ClobberMemory();
    }
    report_interactions(state, (long) sensors.size() * lights.size());
}

void BM_InteractionBaseline(benchmark::State &state)
{
    run_interaction_baseline(state, world_of(state.range(0), window_width(state)));
}
BENCHMARK(BM_InteractionBaseline)
    ->Args({10, 640})->Args({100, 640})->Args({1000, 640})->Args({1000, 1920})
    ->Unit(benchmark::kMicrosecond);

// The bare interactions of the carried-light world: the same loop over
// its sensors and all its lights.
void BM_InteractionBaselineCarried(benchmark::State &state)
{
    run_interaction_baseline(state, carried_light_world());
}
BENCHMARK(BM_InteractionBaselineCarried)->Unit(benchmark::kMillisecond);

// A step of the carried-light world (no pair test): the lights' own steps
// follow their carriers.
void BM_StepCarried(benchmark::State &state)
{
    World *w = carried_light_world();
    for (auto _ : state)
        w->step();
    report_interactions(state, interactions_per_step(w));
}
BENCHMARK(BM_StepCarried)->Unit(benchmark::kMillisecond);

// A step with its pair test, and a firing, in the dense worlds; arguments
// N and threads.  Counters: the cost per vehicle per step, in seconds.
void report_per_vehicle(benchmark::State &state, int vehicles, int steps)
{
    state.counters["per_vehicle_step"] = benchmark::Counter(
        (double) vehicles * steps,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Counter kept: the share of the pair tests since `before' that found
// their pairs in lists kept from an earlier one.
void report_kept(benchmark::State &state, const World *w, long before, int per_iteration)
{
    double passes = (double) state.iterations() * per_iteration;
    state.counters["kept"] = passes > 0 ? (w->kept_passes() - before) / passes : 0;
}

void BM_DenseStep(benchmark::State &state)
{
    int n = state.range(0);
    World *w = dense_world(n, state.range(1));
    long kept = w->kept_passes();
    for (auto _ : state) {
        w->step();
        w->collide_pairs();
    }
    report_per_vehicle(state, n, 1);
    report_kept(state, w, kept, 1);
    state.counters["parallel"] = w->parallel_steps() > 0;
}

void BM_DenseFiring(benchmark::State &state)
{
    int n = state.range(0);
    World *w = dense_world(n, state.range(1));
    long kept = w->kept_passes();
    for (auto _ : state)
        for (int i = 0; i < 4; i++) {
            w->step();
            w->collide_pairs();
        }
    report_per_vehicle(state, n, 4);
    report_kept(state, w, kept, 4);
    state.counters["parallel"] = w->parallel_steps() > 0;
}

// A firing, then its parts alone on the world it left: 4 steps in a row,
// then 4 pair tests in a row.  The iteration time is the firing's; the
// counters steps_alone and pairs_alone are the parts' times in seconds.
// Parts measured on worlds of their own would be measured on other
// states: steps without pair tests let the vehicles run through each
// other, and pair tests without steps see bodies that never move.
void run_firing_parts(benchmark::State &state, World *w)
{
    using clock = std::chrono::steady_clock;
    auto seconds = [](clock::time_point a, clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };
    double steps = 0, pairs = 0;
    for (auto _ : state) {
        auto start = clock::now();
        for (int i = 0; i < 4; i++) {
            w->step();
            w->collide_pairs();
        }
        auto fired = clock::now();
        for (int i = 0; i < 4; i++)
            w->step();
        auto stepped = clock::now();
        for (int i = 0; i < 4; i++)
            w->collide_pairs();
        auto paired = clock::now();
        state.SetIterationTime(seconds(start, fired));
        steps += seconds(fired, stepped);
        pairs += seconds(stepped, paired);
    }
    state.counters["steps_alone"] = benchmark::Counter(steps, benchmark::Counter::kAvgIterations);
    state.counters["pairs_alone"] = benchmark::Counter(pairs, benchmark::Counter::kAvgIterations);
}

void BM_DenseFiringParts(benchmark::State &state)
{
    run_firing_parts(state, dense_world(state.range(0), 1));
}

// The same for N vehicles in a window of the given width.
void BM_FiringParts(benchmark::State &state)
{
    run_firing_parts(state, world_of(state.range(0), window_width(state)));
}

void dense_sizes(benchmark::internal::Benchmark *b)
{
    for (int n : {1000, 10000, 30000, 100000})
        for (int threads : {1, 2})
            b->Args({n, threads});
}
BENCHMARK(BM_DenseStep)->Apply(dense_sizes)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseFiring)->Apply(dense_sizes)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseFiringParts)->Arg(10000)->Arg(1000)->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiringParts)->Args({1000, 640})->UseManualTime()->Unit(benchmark::kMillisecond);

// The bodies' steps without the pair test: sensing, wiring, dynamics.
void BM_StepOnly(benchmark::State &state)
{
    World *w = world_of(state.range(0), window_width(state));
    for (auto _ : state)
        w->step();
    report_interactions(state, interactions_per_step(w));
}
BENCHMARK(BM_StepOnly)->Args({1000, 640})->Args({1000, 1920})->Unit(benchmark::kMicrosecond);

// The simulation work of one firing of the world-move alarm at its default
// interval: 4 steps, each followed by the pair test.
void BM_FiringSimulation(benchmark::State &state)
{
    World *w = world_of(state.range(0), window_width(state));
    for (auto _ : state)
        for (int i = 0; i < 4; i++) {
            w->step();
            w->collide_pairs();
        }
    report_interactions(state, 4 * interactions_per_step(w));
    state.counters["near_pairs"] = near_pairs(w);
}
BENCHMARK(BM_FiringSimulation)->Args({1000, 640})->Args({1000, 1920})->Unit(benchmark::kMicrosecond);

// The calls to the maths library that one pass of collisions cannot do
// without while its results stay those of the formula: for every pair that
// collides now, the distance, the relative speed, two atan2 and three
// cosine-sine pairs with the length of each turned vector.  With this many
// vehicles in a small window the floor rivals the light interactions.
struct BarePair {
    Point d, u, r;
};

void BM_CollisionMath(benchmark::State &state)
{
    World *w = world_of(state.range(0), window_width(state));
    Vector<BarePair> pairs;
    const Vector<Body *> &c = w->colliding();
    for (int i = 0; i < c.size(); i++)
        for (int j = i + 1; j < c.size(); j++) {
            Vehicle *a = c[i]->as_vehicle(), *b = c[j]->as_vehicle();
            Point d = b->position() - a->position();
            double reach = a->radius() + b->radius();
            if (std::fabs(d.x) + std::fabs(d.y) <= reach && length(d) <= reach)
                pairs.push_back({d, a->velocity(), b->velocity() - a->velocity()});
        }
    Vector<Point> out(2 * pairs.size(), Point(0, 0));
    for (auto _ : state) {
        for (int k = 0; k < pairs.size(); k++) {
            const BarePair &p = pairs.begin()[k];
            double apart = std::sqrt(p.d.x * p.d.x + p.d.y * p.d.y);
            benchmark::DoNotOptimize(apart);
            double s = std::sqrt(p.r.x * p.r.x + p.r.y * p.r.y);
            double beta = std::atan2(p.r.y, p.r.x);
            double theta = std::atan2(p.d.y, p.d.x) - beta;
            double along = std::cos(theta) * s, across = std::sin(theta) * s;
            double a1 = theta + beta, a2 = a1 - M_PI / 2;
            along = std::sqrt(along * along);
            across = std::sqrt(across * across);
            out.begin()[2 * k] = p.u + Point(std::cos(a1) * along, along * std::sin(a1));
            out.begin()[2 * k + 1] = p.u + Point(std::cos(a2) * across, across * std::sin(a2));
        }
        benchmark::DoNotOptimize(out.begin());
        benchmark::ClobberMemory();
    }
    state.counters["collisions"] = pairs.size();
}
BENCHMARK(BM_CollisionMath)->Args({1000, 640})->Args({1000, 1920})->Unit(benchmark::kMicrosecond);

// The pair test alone on N vehicles crowded in the default window, after
// a few steps have gathered them.  Positions do not change between
// iterations; velocities do, as they would.
void collide_bench(benchmark::State &state, bool indexed)
{
    World *w = world_of(state.range(0), window_width(state));
    w->set_reference(!indexed);
    for (auto _ : state)
        w->collide_pairs();
    state.counters["near_pairs"] = near_pairs(w);
}

void BM_CollidePairs(benchmark::State &state)
{
    collide_bench(state, true);
}
BENCHMARK(BM_CollidePairs)
    ->Args({100, 640})->Args({1000, 640})->Args({5000, 640})->Args({1000, 1920})
    ->Unit(benchmark::kMicrosecond);

// The full-HD crowd with twenty vehicles wandered off twenty thousand
// units: the grid must keep its cells narrow for the crowd.
void BM_CollidePairsWanderers(benchmark::State &state)
{
    World *w = world_of(1000, 1920);
    const Vector<Body *> &c = w->colliding();
    for (int i = 0; i < 20; i++) {
        Body *b = c[i * c.size() / 20];
        b->place(b->position() + polar_point(20000, i * M_PI / 10), b->heading());
    }
    for (auto _ : state)
        w->collide_pairs();
    state.counters["near_pairs"] = near_pairs(w);
}
BENCHMARK(BM_CollidePairsWanderers)->Unit(benchmark::kMicrosecond);

void BM_CollidePairsPlain(benchmark::State &state)
{
    collide_bench(state, false);
}
BENCHMARK(BM_CollidePairsPlain)
    ->Args({100, 640})->Args({1000, 640})->Args({5000, 640})->Args({1000, 1920})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
