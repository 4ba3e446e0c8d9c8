// The concurrence-targeting stage for shapes without a balanced design:
// the structure it promises (replications and pair concurrences within one
// of each other), the criteria it reaches, and the properties of the route
// it keeps.
#include "sensory/concurrence_targeting.h"
#include "services/numeric.h"
#include "tests/sensory/design_support.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <vector>

namespace {

using stest::pairConcurrences;
using stest::spread;

std::set<std::vector<int>> blocksOf(const matrixInt& M, int from, int to, int P) {
    std::set<std::vector<int>> blocks;
    for (int j = from; j <= to; ++j) blocks.insert(stest::rowOf(M, j, P));
    return blocks;
}

struct Targeted {
    std::unique_ptr<matrixInt> design;
    double given = 0, crit = 0;
    bool replaced = false;
};

// The stage from `start`, which scores `given` (its own score unless stated).
// A clock already spent ({-1, -1}) leaves the criterion walk no step at all.
Targeted target(std::unique_ptr<matrixInt> start, int J, int P, int R, int critType, int seed, double given = -1,
                sensory::TargetingBudget time = {0, 0}) {
    Targeted t{std::move(start)};
    t.given = t.crit = given >= 0 ? given : sensory::DesignScorer().score(critType, t.design.get(), J, P, R);
    stest::Stream seeds(seed);
    sensory::DesignScorer scorer;
    t.replaced = sensory::targetConcurrences(J, P, R, critType, time, t.design.get(), &t.crit, seeds.draws, scorer);
    return t;
}

}  // namespace

TEST(DesignTargeting, KeepsReplicationsAndDistinctBlocksOfAnEvenStart) {
    // Two disjoint copies of a 4-cycle's edges and a triangle's: 2 of 7
    // products per judge, each product in two judges, blocks distinct but
    // the design disconnected (no criterion at all).
    Targeted t = target(stest::fromBlocks(7, {{1, 2}, {2, 3}, {3, 4}, {4, 1}, {5, 6}, {6, 7}, {7, 5}}), 7, 7, 2, 1, 3);
    EXPECT_EQ(t.given, num::kNoValue);
    ASSERT_TRUE(t.replaced);
    EXPECT_EQ(stest::columnSums(*t.design, 7, 7), std::vector<int>(7, 2));
    EXPECT_EQ(blocksOf(*t.design, 1, 7, 7).size(), 7u);
    // The only connected such design is the 7-cycle: efficiency factors
    // 1/2 - cos(2 pi j / 7) / 2 for j = 1..6.
    double logSum = 0;
    for (int j = 1; j < 7; ++j) logSum += std::log(0.5 - 0.5 * std::cos(2 * 3.14159265358979323846 * j / 7));
    EXPECT_NEAR(t.crit, std::exp(logSum / 6), 1e-12);
    // Nothing scores above 1, the efficiency of complete blocks: no
    // replacement is reported and the design is left as it was.
    const Targeted kept = target(stest::copyOf(*t.design), 7, 7, 2, 1, 4, 1.0);
    EXPECT_FALSE(kept.replaced);
    EXPECT_EQ(kept.crit, 1.0);
    EXPECT_EQ(blocksOf(*kept.design, 1, 7, 7), blocksOf(*t.design, 1, 7, 7));
    // Two judges: pairs of 3 products can be connected, pairs of 4 never.
    EXPECT_TRUE(target(stest::fromBlocks(3, {{1, 2}, {1, 2}}), 2, 3, 2, 1, 1).replaced);
    EXPECT_FALSE(target(stest::fromBlocks(4, {{1, 2}, {3, 4}}), 2, 4, 2, 1, 1).replaced);
    // 15 of the 35 triples of 7 products, distinct: blocks repeated score
    // higher here, so only a check of every row keeps them out.
    std::mt19937 gen(11);
    auto start = stest::randomDesign(15, 7, 3, gen);
    while (blocksOf(*start, 1, 15, 7).size() < 15) start = stest::randomDesign(15, 7, 3, gen);
    EXPECT_EQ(blocksOf(*target(std::move(start), 15, 7, 3, 1, 22).design, 1, 15, 7).size(), 15u);
}

TEST(DesignTargeting, UntimedSearchReachesTheBestKnownCriteria) {
    // Shapes without a balanced design, against the best figures an
    // established blocked-exchange search reaches (30 runs).
    struct Shape {
        int P, J, R;
        double D, A;
    };
    for (const Shape& s : {Shape{14, 21, 4, 0.804310, 0.801101}, Shape{8, 12, 3, 0.757618, 0.753423},
                           Shape{20, 30, 6, 0.87629, 0.87542}, Shape{12, 18, 4, 0.815414, 0.812808}})
        for (int critType : {1, 2})
            EXPECT_GE(stest::Search(s.J, s.P, s.R, 0, 0, critType, 7).maxcrit, (critType == 1 ? s.D : s.A) - 5e-7) << s.P;
    // Pairs of 6 products for 7 judges: the best of every such design with
    // replications within one, scored one by one, is what the stage returns.
    const auto pairs = stest::subsets(6, 2);
    std::mt19937 gen(2);
    for (int critType : {1, 2}) {
        double best = num::kNoValue;
        for (const auto& pick : stest::subsets(15, 7)) {
            matrixInt M(7, 6, 0);
            for (int j = 0; j < 7; ++j) for (int p : pairs[static_cast<std::size_t>(pick[static_cast<std::size_t>(j)] - 1)]) M.vbset(j + 1, p, 1);
            if (spread(stest::columnSums(M, 7, 6)) <= 1) best = std::max(best, sensory::DesignScorer().score(critType, &M, 7, 6, 2));
        }
        EXPECT_NEAR(target(stest::randomDesign(7, 6, 2, gen), 7, 6, 2, critType, 7).crit, best, 1e-12) << critType;
    }
}

TEST(DesignTargeting, LeavesWholeReplicatesAndKeepsTheFillsDistinctBlocks) {
    // 5 products in pairs: the 10 pairs once in enumeration order, then 4 judges searched.
    const auto pairs = stest::subsets(5, 2);
    for (int seed = 1; seed <= 6; ++seed) {
        const stest::Search d(14, 5, 2, 0, 0, 1 + seed % 2, seed);
        for (int j = 1; j <= 10; ++j) EXPECT_EQ(stest::rowOf(*d.JPMat, j, 5), pairs[static_cast<std::size_t>(j - 1)]);
        EXPECT_EQ(blocksOf(*d.JPMat, 11, 14, 5).size(), 4u) << "seed " << seed;
        EXPECT_LE(spread(stest::columnSums(*d.JPMat, 14, 5)), 1);
    }
}
