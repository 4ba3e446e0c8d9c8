// The presentation-order search on complete and incomplete block designs:
// 20 passes at most, lambda 0.5, a fixed seed. Counters: the passes run
// before both balances reached their bounds (20 when they did not), whether
// they did, and the EAMs reached beside their bounds.
#include "sensory/optimal_design.h"
#include "sensory/order_balance.h"
#include "sensory/presentation_orders.h"
#include "services/scratch.h"
#include "services/numeric.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

constexpr int kPasses = 20;

struct Outcome : orders::Balance {
    bool reached() const { return reachesBounds(); }
};

// Judge j tastes products j, j+1, ..., j+R-1 (mod P): every judge all of
// them when R = P.
Outcome rank(int J, int P, int R, int passes) {
    Scratch<matrixInt> jp(new matrixInt(J, P, 0)), jr(new matrixInt(J, R, 0)), rm(new matrixInt(P, R, 0)),
        sm(new matrixInt(P, P + 1, 0));
    Scratch<matrix> md(new matrix(2, 2, 0.0)), conc(new matrix(P, P, 0.0));
    for (int j = 1; j <= J; ++j)
        for (int k = 0; k < R; ++k) jp->vbset(j, (j - 1 + k) % P + 1, 1);
    int seed = 20261206, oSeed = 0;
    short seedInit = -1;
    GetBestRanking(P, R, J, jp, 0.5, passes, 0, 0, 0.0, jr, rm, sm, md, conc, &seed, &seedInit, &oSeed);
    Outcome o;
    o.positionEAM = md->vbget(1, 1), o.carryOverEAM = md->vbget(2, 1);
    o.positionBound = md->vbget(1, 2), o.carryOverBound = md->vbget(2, 2);
    return o;
}

// Passes are drawn from one seed, so the run of k passes is the start of
// the run of 20: the passes used are the fewest that reach both bounds.
int passesUsed(int J, int P, int R, const Outcome& full) {
    if (!full.reached()) return kPasses;
    int lo = 1, hi = kPasses;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (rank(J, P, R, mid).reached()) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

void BestRanking(benchmark::State& state) {
    const int J = static_cast<int>(state.range(0)), P = static_cast<int>(state.range(1));
    const int R = static_cast<int>(state.range(2));
    Outcome last{};
    for (auto _ : state) last = rank(J, P, R, kPasses);
    state.counters["both_bounds"] = last.reached();
    state.counters["passes"] = passesUsed(J, P, R, last);
    state.counters["pos_eam"] = last.positionEAM;
    state.counters["pos_bound"] = last.positionBound;
    state.counters["carry_eam"] = last.carryOverEAM;
    state.counters["carry_bound"] = last.carryOverBound;
}
BENCHMARK(BestRanking)
    ->ArgNames({"J", "P", "R"})
    ->Args({12, 4, 4})
    ->Args({24, 6, 6})
    ->Args({30, 10, 4})
    ->Args({60, 12, 6})
    ->Args({120, 20, 8})
    ->Args({2000, 10, 10})
    ->Unit(benchmark::kMillisecond);

// One pass on a large panel. With lambda = 0.5 each judge's best swap is
// kept between descent steps and only the swaps reading a changed count are
// rescored; lambda = 0.5 + 2^-30 is no multiple of 2^-10, so every step
// scans every candidate swap (the two weights differ too little to change
// which swaps a step takes, but the criteria are not computed exactly).
void OnePassLargePanel(benchmark::State& state) {
    const int J = static_cast<int>(state.range(0)), P = static_cast<int>(state.range(1));
    const int R = static_cast<int>(state.range(2));
    const double lambda = state.range(3) != 0 ? 0.5 : 0.5 + 0x1p-30;
    Scratch<matrixInt> jp(new matrixInt(J, P, 0)), jr(new matrixInt(J, R, 0)), rm(new matrixInt(P, R, 0)),
        sm(new matrixInt(P, P + 1, 0));
    Scratch<matrix> md(new matrix(2, 2, 0.0)), conc(new matrix(P, P, 0.0));
    for (int j = 1; j <= J; ++j)
        for (int k = 0; k < R; ++k) jp->vbset(j, (j - 1 + k) % P + 1, 1);
    for (auto _ : state) {
        int seed = 5, oSeed = 0;
        short seedInit = -1;
        GetBestRanking(P, R, J, jp, lambda, 1, 0, 0, 0.0, jr, rm, sm, md, conc, &seed, &seedInit, &oSeed);
    }
    state.counters["pos_eam"] = md->vbget(1, 1);
    state.counters["carry_eam"] = md->vbget(2, 1);
}
BENCHMARK(OnePassLargePanel)
    ->ArgNames({"J", "P", "R", "cached"})
    ->Args({1000, 100, 20, 1})
    ->Args({1000, 100, 20, 0})
    ->Args({5000, 100, 20, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

namespace {

// Orders of designed shapes (products, judges, per judge): the D-optimal
// design of seed s, then its orders with 20 passes and the same seed,
// seeds 1 to 20. Counters: runs at the position bound and at the carry-over
// bound, by the passes alone and with the completion stage, and the
// largest distance from each bound left after the stage.
constexpr int kDesigned[][3] = {{7, 7, 3},   {9, 12, 3},  {13, 13, 4}, {10, 15, 4}, {16, 16, 6},
                                {15, 35, 3}, {20, 30, 6}, {25, 30, 5}, {7, 14, 3},  {13, 26, 4},
                                {21, 21, 5}, {11, 11, 5}, {8, 14, 4}};
constexpr int kSeeds = 20;

struct Reached {
    int position = 0, carryOver = 0;
    double positionGap = 0, carryOverGap = 0;
    // A bound the EAM lies below reads as the no-value constant.
    static double gap(const matrix& md, int row) {
        return md.vbget(row, 2) == num::kNoValue ? 0.0 : md.vbget(row, 1) - md.vbget(row, 2);
    }
    void add(const matrix& md) {
        const double pg = gap(md, 1), cg = gap(md, 2);
        position += pg <= orders::Balance::kAtBound;
        carryOver += cg <= orders::Balance::kAtBound;
        positionGap = std::max(positionGap, pg);
        carryOverGap = std::max(carryOverGap, cg);
    }
};

void DesignedOrders(benchmark::State& state) {
    const int P = kDesigned[state.range(0)][0], J = kDesigned[state.range(0)][1], R = kDesigned[state.range(0)][2];
    Reached passes, completed;
    for (auto _ : state) {
        passes = completed = Reached{};
        for (int seed = 1; seed <= kSeeds; ++seed) {
            matrixInt jp(J, P, 0), jr(J, R, 0), rm(P, R, 0), sm(P, P + 1, 0);
            matrix md(2, 2, 0.0), conc(P, P, 0.0);
            double maxcrit = 0, ocrit2 = 0;
            short found = 0, init = -1;
            int s = seed, oSeed = 0;
            RunGetOptimalDesign(J, P, R, 1, 0, 0, 0, &jp, &jr, &maxcrit, &ocrit2, &found, &s, &init, &oSeed);
            s = seed;
            orders::rankByPassesOnly(P, R, J, &jp, 0.5, kPasses, 0, 0, 0.0, &jr, &rm, &sm, &md, &conc, &s, &init, &oSeed);
            passes.add(md);
            s = seed;
            GetBestRanking(P, R, J, &jp, 0.5, kPasses, 0, 0, 0.0, &jr, &rm, &sm, &md, &conc, &s, &init, &oSeed);
            completed.add(md);
        }
    }
    state.counters["pos_passes"] = passes.position;
    state.counters["carry_passes"] = passes.carryOver;
    state.counters["pos_completed"] = completed.position;
    state.counters["carry_completed"] = completed.carryOver;
    state.counters["worst_pos_gap"] = completed.positionGap;
    state.counters["worst_carry_gap"] = completed.carryOverGap;
    state.SetLabel("P=" + std::to_string(P) + " J=" + std::to_string(J) + " R=" + std::to_string(R) +
                   " (20 designs and orders, both ways)");
}
BENCHMARK(DesignedOrders)->DenseRange(0, 12)->Iterations(1)->Unit(benchmark::kMillisecond);

// One call of the order search on a designed shape, the completion stage
// included when the passes leave a bound: the per-call time.
void DesignedOrderCall(benchmark::State& state) {
    const int P = kDesigned[state.range(0)][0], J = kDesigned[state.range(0)][1], R = kDesigned[state.range(0)][2];
    matrixInt jp(J, P, 0), jr(J, R, 0), rm(P, R, 0), sm(P, P + 1, 0);
    matrix md(2, 2, 0.0), conc(P, P, 0.0);
    double maxcrit = 0, ocrit2 = 0;
    short found = 0, init = -1;
    int s = 1, oSeed = 0;
    RunGetOptimalDesign(J, P, R, 1, 0, 0, 0, &jp, &jr, &maxcrit, &ocrit2, &found, &s, &init, &oSeed);
    for (auto _ : state) {
        s = 1;
        GetBestRanking(P, R, J, &jp, 0.5, kPasses, 0, 0, 0.0, &jr, &rm, &sm, &md, &conc, &s, &init, &oSeed);
    }
    state.SetLabel("P=" + std::to_string(P) + " J=" + std::to_string(J) + " R=" + std::to_string(R));
}
BENCHMARK(DesignedOrderCall)->DenseRange(0, 12)->Unit(benchmark::kMillisecond);

}  // namespace
