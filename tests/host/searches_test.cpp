// The column-wise construction and the coordinate exchange, against facts
// computed apart: J2 and its bound by their definitions, strength 2 by
// counting, determinants by elimination, local optimality by trying every
// single change.
#include "host/optimal/column_wise.h"
#include "host/optimal/coordinate_exchange.h"
#include "tests/host/host_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using hosttest::randomPlan;
using hosttest::repeated;

// J2 from its definition: run pairs, coincidences weighted by level count.
long long plainJ2(const std::vector<int>& plan, int runs, const std::vector<int>& levels) {
    long long total = 0;
    for (int i = 0; i < runs; ++i)
        for (int k = i + 1; k < runs; ++k) {
            long long delta = 0;
            for (std::size_t c = 0; c < levels.size(); ++c) delta += plan[c * runs + i] == plan[c * runs + k] ? levels[c] : 0;
            total += delta * delta;
        }
    return total;
}

TEST(ColumnWise, J2AndItsBoundMeetExactlyOnOrthogonalArrays) {
    // OA(8, 2^7) as the parities of the runs' bits: J2 at its bound.
    std::vector<int> oa;
    for (int m = 1; m < 8; ++m)
        for (int r = 0; r < 8; ++r) oa.push_back(1 + __builtin_parity(static_cast<unsigned>(r & m)));
    const std::vector<int> twos = repeated(2, 7);
    EXPECT_EQ(vxhost::j2(oa, 8, twos), plainJ2(oa, 8, twos));
    EXPECT_EQ(2 * vxhost::j2(oa, 8, twos), vxhost::twiceJ2Bound(twos, 8));
    // By hand: any two runs of OA(8, 2^7) agree on 3 columns, delta = 3 * 2,
    // and 28 pairs give J2 = 28 * 36 = 1008.
    EXPECT_EQ(vxhost::twiceJ2Bound(twos, 8), 2 * 1008);
    std::mt19937 rng(3);
    for (int trial = 0; trial < 30; ++trial) {
        const std::vector<int> levels = {3, 2, 2, 4};
        const std::vector<int> plan = randomPlan(levels, 12, rng);
        const long long value = vxhost::j2(plan, 12, levels);
        EXPECT_EQ(value, plainJ2(plan, 12, levels));
        EXPECT_GE(2 * value, vxhost::twiceJ2Bound(levels, 12));
        EXPECT_EQ(2 * value == vxhost::twiceJ2Bound(levels, 12), hosttest::strengthTwo(plan, 12, levels));
    }
}

TEST(ColumnWise, BuildsOrthogonalArraysAndSaysSoTruthfully) {
    struct Case {
        std::vector<int> levels;
        int runs;
    };
    const std::vector<Case> cases = {{repeated(2, 7), 8},  {repeated(3, 4), 9},     {{4, 2, 2, 2}, 8},
                                     {{3, 2, 2, 2}, 12}, {repeated(2, 11), 12},  {{6, 3, 2}, 36},
                                     {{4, 4, 3, 3, 2, 2}, 16}, {{6, 5, 4, 3, 2}, 30}};
    int orthogonal = 0;
    for (const Case& c : cases)
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            std::mt19937 rng(seed);
            const vxhost::ColumnWiseResult r = vxhost::columnWise(c.levels, c.runs, rng, 20);
            ASSERT_EQ(r.plan.size(), c.levels.size() * static_cast<std::size_t>(c.runs));
            // Every column stays as balanced as the runs allow: swaps never change counts.
            for (std::size_t f = 0; f < c.levels.size(); ++f)
                for (int l = 1; l <= c.levels[f]; ++l) {
                    const auto n = std::count(r.plan.begin() + f * c.runs, r.plan.begin() + (f + 1) * c.runs, l);
                    EXPECT_LE(std::abs(n * c.levels[f] - c.runs), c.levels[f]);
                }
            EXPECT_EQ(r.orthogonal, hosttest::strengthTwo(r.plan, c.runs, c.levels)) << c.runs << " runs";
            orthogonal += r.orthogonal;
        }
    // The small arrays (2^7 in 8, 3^4 in 9, 4 2^3 in 8, 3 2^3 in 12, 6 3 2 in
    // 36) come out orthogonal on every seed; 2^11 in 12 and the cases with no
    // orthogonal plan may not.
    EXPECT_GE(orthogonal, 15);
}

TEST(ColumnWise, TheLastColumnEndsWhereNoSwapLowersJ2) {
    // The smallest level count is built last; no swap of two of its entries
    // may lower J2, each J2 computed from its definition.
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        const std::vector<int> levels = {6, 5, 4, 3, 2};
        std::mt19937 rng(seed);
        std::vector<int> plan = vxhost::columnWise(levels, 30, rng, 1).plan;
        const long long reached = plainJ2(plan, 30, levels);
        int* last = plan.data() + 4 * 30;
        for (int a = 0; a < 30; ++a)
            for (int b = a + 1; b < 30; ++b) {
                std::swap(last[a], last[b]);
                EXPECT_GE(plainJ2(plan, 30, levels), reached) << "seed " << seed << ", runs " << a << ", " << b;
                std::swap(last[a], last[b]);
            }
    }
}

TEST(ColumnWise, StopEndsTheRestartsButCompletesThePlan) {
    std::mt19937 rng(1);
    int asked = 0;
    const vxhost::ColumnWiseResult r =
        vxhost::columnWise(repeated(3, 20), 60, rng, 20, [&] { return ++asked > 0; });
    EXPECT_EQ(r.plan.size(), 20u * 60u);
    EXPECT_FALSE(r.orthogonal);
    // Asked after the first try of every column but the first, which meets
    // its bound (one balanced column) at once.
    EXPECT_EQ(asked, 19);
}

// Every single change of one factor in one run, scored by elimination.
bool noSingleChangeGains(const std::vector<int>& plan, int runs, const std::vector<int>& levels, int icode) {
    const double base = hosttest::logDetByElimination(plan, runs, levels, icode);
    for (std::size_t j = 0; j < levels.size(); ++j)
        for (int r = 0; r < runs; ++r)
            for (int l = 1; l <= levels[j]; ++l) {
                std::vector<int> changed = plan;
                changed[j * runs + r] = l;
                if (hosttest::logDetByElimination(changed, runs, levels, icode) > base + 1e-9) return false;
            }
    return true;
}

TEST(CoordinateExchange, EndsAtACoordinateOptimumWithTheRightDeterminant) {
    struct Case {
        std::vector<int> levels;
        int runs;
        int icode;
    };
    for (const Case& c : std::vector<Case>{{{4, 4, 3, 3, 2, 2}, 16, 1}, {{6, 5, 4, 3, 2}, 30, 2}, {{3, 3, 3, 2}, 9, 1},
                                           {repeated(3, 8), 20, 2}})
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            std::mt19937 rng(seed);
            const vxhost::CoordinateResult r = vxhost::coordinateExchange(c.levels, c.runs, c.icode, rng);
            ASSERT_TRUE(std::isfinite(r.logDet));
            EXPECT_NEAR(r.logDet, hosttest::logDetByElimination(r.plan, c.runs, c.levels, c.icode), 1e-8);
            EXPECT_TRUE(noSingleChangeGains(r.plan, c.runs, c.levels, c.icode)) << c.runs << " runs, seed " << seed;
        }
}

TEST(CoordinateExchange, ImprovesAGivenStartAndReachesKnownOptima) {
    std::mt19937 rng(2);
    const std::vector<int> levels = {4, 4, 3, 3, 2, 2};
    const std::vector<int> start = vxhost::balancedRandomPlan(levels, 16, rng);
    const double before = hosttest::logDetByElimination(start, 16, levels, 1);
    const vxhost::CoordinateResult r = vxhost::coordinateExchange(levels, 16, 1, rng, start);
    EXPECT_GE(r.logDet, before - 1e-12);
    // 0.53703 is the best an established exchange implementation finds in
    // 200 starts on this case; a few hundred coordinate exchanges reach it.
    double best = 0.0;
    for (int k = 0; k < 400 && best < 0.537026; ++k)
        best = std::max(best, vxhost::normedD(vxhost::coordinateExchange(levels, 16, 1, rng).logDet, 16, 13));
    EXPECT_NEAR(best, 0.53703, 5e-6);
    // 2^3 in 4 runs: the half fraction is orthogonal, D = 1.
    double twoLevel = 0.0;
    for (int k = 0; k < 20; ++k)
        twoLevel = std::max(twoLevel, vxhost::normedD(vxhost::coordinateExchange({2, 2, 2}, 4, 1, rng).logDet, 4, 4));
    EXPECT_NEAR(twoLevel, 1.0, 1e-12);
}

TEST(CoordinateExchange, FewerRunsThanColumnsGiveNoRegularPlan) {
    std::mt19937 rng(1);
    const vxhost::CoordinateResult r = vxhost::coordinateExchange({3, 3, 3}, 5, 1, rng);
    EXPECT_TRUE(std::isinf(r.logDet) && r.logDet < 0);
    EXPECT_EQ(r.plan.size(), 15u);
}

}  // namespace
