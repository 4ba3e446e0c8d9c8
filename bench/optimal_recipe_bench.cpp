// The host's recipe for vxdoe optimal and its stages: the look-up in the
// catalogue and the host's table, the column-wise construction, one
// coordinate exchange, and the whole recipe with its fixed work (a seeded
// run without a deadline). Counters: D and D / bound.
#include "host/optimal/column_wise.h"
#include "host/optimal/coordinate_exchange.h"
#include "host/optimal/recipe.h"
#include "tests/host/host_support.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

struct Case {
    std::vector<int> levels;
    int runs;
};

std::vector<int> pattern(std::initializer_list<std::pair<int, int>> parts) {
    std::vector<int> levels;
    for (const auto& [s, k] : parts) levels.insert(levels.end(), static_cast<std::size_t>(k), s);
    return levels;
}

const std::map<int, Case> kCases{
    {0, {{4, 4, 3, 3, 2, 2}, 16}},
    {1, {{6, 5, 4, 3, 2}, 30}},
    {2, {pattern({{3, 8}, {2, 4}}), 36}},
    {3, {pattern({{2, 1}, {3, 12}}), 54}},
    {4, {pattern({{3, 20}}), 81}},
    {5, {pattern({{3, 20}}), 60}},
};

void report(benchmark::State& state, const Case& c, double d) {
    state.counters["D"] = d;
    state.counters["D/bound"] = d / vxhost::orthogonalBound(c.levels);
}

void WholeRecipe(benchmark::State& state) {
    const Case& c = kCases.at(static_cast<int>(state.range(0)));
    const vxhost::LibraryEntries lib = hosttest::libraryEntries();
    vxhost::RecipeSettings s;
    s.model.levels = c.levels;
    s.model.runs = c.runs;
    s.fixedWork = true;
    double d = 0.0;
    for (auto _ : state) {
        s.seed += 1;
        d = vxhost::runRecipe(lib, s).D;
    }
    report(state, c, d);
}
BENCHMARK(WholeRecipe)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(3);

void ColumnWise(benchmark::State& state) {
    const Case& c = kCases.at(static_cast<int>(state.range(0)));
    std::mt19937 rng(1);
    double d = 0.0;
    for (auto _ : state) {
        const vxhost::ColumnWiseResult r = vxhost::columnWise(c.levels, c.runs, rng, 20);
        d = vxhost::normedD(vxhost::logDetInformation(r.plan, c.runs, c.levels, 1), c.runs,
                            vxhost::modelColumns(c.levels));
    }
    report(state, c, d);
}
BENCHMARK(ColumnWise)->DenseRange(0, 2)->Arg(5)->Unit(benchmark::kMillisecond);

void CoordinateExchangeStart(benchmark::State& state) {
    const Case& c = kCases.at(static_cast<int>(state.range(0)));
    std::mt19937 rng(1);
    double best = 0.0;
    for (auto _ : state) {
        const vxhost::CoordinateResult r = vxhost::coordinateExchange(c.levels, c.runs, 1, rng);
        best = std::max(best, vxhost::normedD(r.logDet, c.runs, vxhost::modelColumns(c.levels)));
    }
    report(state, c, best);
}
BENCHMARK(CoordinateExchangeStart)->DenseRange(0, 1)->Arg(5)->Unit(benchmark::kMicrosecond);

void LookUp(benchmark::State& state) {
    const Case& c = kCases.at(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(vxhost::findOrthogonal(vxhost::tableSheets(), c.levels, c.runs));
}
BENCHMARK(LookUp)->DenseRange(2, 4)->Unit(benchmark::kMicrosecond);

}  // namespace
