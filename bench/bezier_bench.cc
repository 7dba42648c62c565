// Fitting a long vehicle trail, as the EPS writer does once per vehicle.
#include "display/bezier.hh"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

// A trail as a vehicle leaves it: a point every few world units, a heading
// that swings as the vehicle circles lights, some jitter, and now and then
// a sharp turn after a collision.
Vector<Point> vehicle_trail(int n)
{
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> unit(0, 1);
    Vector<Point> v(n);
    Point p(0, 0);
    double heading = 0;
    for (int i = 0; i < n; i++) {
        v.push_back(p);
        heading += 0.15 * std::sin(i * 0.01) + (unit(rng) - 0.5) * 0.1;
        if (unit(rng) < 0.01)
            heading += (unit(rng) - 0.5) * 4;
        double step = 2 + std::sin(i * 0.003) + unit(rng) * 0.5;
        p += Point(std::cos(heading), std::sin(heading)) * step;
    }
    return v;
}

void BM_FitVehicleTrail(benchmark::State &state)
{
    Vector<Point> trail = vehicle_trail(state.range(0));
    int segments = 0;
    for (auto _ : state) {
        Vector<Bezier> out;
        fit_beziers(trail, out, 1.0);
        segments = out.size();
        benchmark::DoNotOptimize(out.begin());
    }
    state.counters["segments"] = segments;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_FitVehicleTrail)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
