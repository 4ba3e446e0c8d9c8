// Complete optimal-design searches as a host runs them: Cpp_OptiplanInit
// (sequential start) and Cpp_OptiplanIterate until it accepts nothing. Each
// iteration is a new start on one seed stream; the counters give the mean
// and best D = det(X'X/N)^(1/p) reached (effects coding).
#include "tests/optimal/optimal_host.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

const std::map<int, std::vector<int32_t>> kPatterns{
    {0, {2, 3, 2}},
    {1, {2, 2, 2, 2, 2, 2, 2}},
    {2, {3, 3, 3, 3}},
    {3, {4, 4, 3, 3, 2, 2}},
    {4, {6, 5, 4, 3, 2}},
    {5, {3, 3, 3, 3, 3, 3, 3, 3, 2, 2, 2, 2}},
};
const std::map<int, int32_t> kRuns{{0, 8}, {1, 8}, {2, 9}, {3, 16}, {4, 30}, {5, 36}};

void CompleteSearch(benchmark::State& state) {
    const int pattern = static_cast<int>(state.range(0));
    const int32_t nalgo = static_cast<int32_t>(state.range(1));
    int32_t seed = 1;
    double sumD = 0.0, bestD = 0.0;
    for (auto _ : state) {
        opttest::HostPlan h(kPatterns.at(pattern), kRuns.at(pattern));
        h.ioSeed = seed;
        if (h.init(2) != 0) state.SkipWithError("no initial plan");
        seed = h.ioSeed;
        if (!h.iterateToEnd(nalgo)) state.SkipWithError("still accepting exchanges");
        const double D = std::pow(10.0, Cpp_NormedDet(h.criterion(), h.N, h.p));
        sumD += D;
        bestD = std::max(bestD, D);
    }
    state.counters["D_mean"] = sumD / static_cast<double>(state.iterations());
    state.counters["D_best"] = bestD;
    state.counters["candidates"] = opttest::HostPlan(kPatterns.at(pattern), kRuns.at(pattern)).nfullplan;
}

BENCHMARK(CompleteSearch)
    ->ArgNames({"pattern", "nalgo"})
    ->Args({0, 12})
    ->Args({1, 12})
    ->Args({2, 12})
    ->Args({3, 12})
    ->Args({4, 12})
    ->Args({5, 12})
    ->Args({5, 11})
    ->Unit(benchmark::kMillisecond);

// The scans a call may make at its largest: one exchange pass over many
// candidates from a random plan (every candidate scored, MaxIter 1), and one
// sequential start, whose every added run scans every candidate. The
// counter gives the (run, candidate) pairs that the call's limit counts.
void LargestScans(benchmark::State& state) {
    const int levels = static_cast<int>(state.range(0)), factors = static_cast<int>(state.range(1));
    const int32_t runs = static_cast<int32_t>(state.range(2)), nalgo = static_cast<int32_t>(state.range(3));
    opttest::HostPlan start(std::vector<int32_t>(static_cast<std::size_t>(factors), levels), runs);
    if (nalgo != 2 && start.init(1) != 0) state.SkipWithError("no random plan");
    for (auto _ : state) {
        opttest::HostPlan h = start;
        if (nalgo == 2) {
            if (h.init(2) != 0) state.SkipWithError("sequential start refused");
        } else {
            h.iterate(nalgo, 1);
        }
    }
    state.counters["pairs"] = static_cast<double>(start.N) * start.nfullplan;
}

BENCHMARK(LargestScans)
    ->ArgNames({"levels", "factors", "runs", "nalgo"})
    ->Args({13, 7, 118, 12})
    ->Args({13, 7, 118, 11})
    ->Args({10, 6, 1000, 12})
    ->Args({10, 6, 1000, 11})
    ->Args({10, 6, 120, 2})
    ->Args({2, 20, 150, 2})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
