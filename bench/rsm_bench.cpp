// Run-sheet generation of large response-surface designs: the layout, the
// random order (a sort of every row) and the replicate copies.
#include "classical/design_dimensions.h"
#include "classical/design_generation.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void ThreeLevelFactorialRunSheet(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const int nRep = 2, nRes = 2;
    int nplan = 0, pplan = 0, nblock = 0;
    PlanDimension(2, 1, k, nRes, 0, nRep, &nplan, &pplan, &nblock);
    matrix minF(k, 1, 10.0), maxF(k, 1, 20.0);
    for (auto _ : state) {
        auto plan = std::make_unique<matrix>(nplan, pplan, 0.0);
        int seed = 12345, oSeed = 0;
        PlanGenerate(2, 1, k, nRes, 0, nRep, -1, -1, -1, nplan, pplan, nblock, &minF, &maxF, plan.get(), &seed, -1,
                     &oSeed);
        benchmark::DoNotOptimize(plan->data());
    }
    state.SetItemsProcessed(state.iterations() * nplan);
}
BENCHMARK(ThreeLevelFactorialRunSheet)->Arg(6)->Arg(8)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
