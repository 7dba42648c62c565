// Evaluating a wiring tree, as every vehicle does once per motor per step:
// the catalogue's direct wiring (a LinearLogic node) against trees the
// parser builds from -left-logic texts, from the same reading to a longer
// expression with a `let'.
#include <benchmark/benchmark.h>

#include "driver/catalogue.hh"
#include "driver/wiring_options.hh"
#include "sim/logic.hh"
#include "sim/vehicle.hh"

namespace {

const char *const texts[] = {
    "left",
    "flip(left) * 0.3",
    "let d = left - right, s = left + right in s > 0.5 ? pin(d * 4 + 0.5) : 0.3 end",
};

void eval_bench(benchmark::State &state, Logic *tree)
{
    if (!the_catalogue)
        build_catalogue();
    const Vehicle *v = the_catalogue->find("v2a")->as_vehicle();
    Vector<double> values;
    double sum = 0;
    for (auto _ : state) {
        values.clear();
        values.push_back(0.4);
        values.push_back(0.7);
        sum += tree->eval(values, v);
    }
    benchmark::DoNotOptimize(sum);
}

void BM_WiringEvalCatalogue(benchmark::State &state)
{
    if (!the_catalogue)
        build_catalogue();
    eval_bench(state, the_catalogue->find("v2a")->as_vehicle()->logic(0));
    state.SetLabel("catalogue LinearLogic");
}
BENCHMARK(BM_WiringEvalCatalogue);

void BM_WiringEvalParsed(benchmark::State &state)
{
    const char *text = texts[state.range(0)];
    static Logic *trees[3] = {};
    if (!trees[state.range(0)])
        trees[state.range(0)] = parse_wiring(text);
    if (!trees[state.range(0)]) {
        state.SkipWithError("the expression did not parse");
        return;
    }
    eval_bench(state, trees[state.range(0)]);
    state.SetLabel(text);
}
BENCHMARK(BM_WiringEvalParsed)->DenseRange(0, 2);

}  // namespace
