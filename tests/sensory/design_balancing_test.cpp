// The balancing stage: balanced incomplete block designs the exchange
// stalls below are found and proved, and a balanced design is left as it is.
#include "design_support.h"
#include "sensory/balancing_search.h"
#include "services/numeric.h"

#include <algorithm>

namespace {

// Every pair of products meets at the same number of judges, every product
// at the same number, and (with `distinct`) no two judges share a block.
void expectBalanced(const matrixInt& M, int J, int P, int R, bool distinct) {
    stest::expectBlocksOfSize(M, J, P, R);
    EXPECT_EQ(stest::spread(stest::pairConcurrences(M, J, P)), 0);
    EXPECT_EQ(stest::spread(stest::columnSums(M, J, P)), 0);
    EXPECT_TRUE(!distinct || stest::blocksOf(M, 1, J, P).size() == static_cast<std::size_t>(J)) << "a block repeats";
}

std::vector<int> cellsOf(const matrixInt& M) {
    std::vector<int> v;
    for (int j = 1; j <= M.rows(); ++j)
        for (int p = 1; p <= M.cols(); ++p) v.push_back(M.vbget(j, p));
    return v;
}

TEST(DesignBalancing, UntimedPassesProveBalancedDesignsWithDistinctBlocks) {
    // Where the fill over distinct blocks runs (fewer than 1000 blocks), the
    // balanced design keeps its blocks distinct; (7, 14, 3) and (7, 21, 3)
    // also have balanced designs made of repeated planes, which must not come back.
    const int shapes[][3] = {{7, 14, 3}, {7, 21, 3}, {9, 24, 3}, {13, 26, 4}, {7, 7, 3},  {9, 12, 3},
                             {13, 13, 4}, {10, 15, 4}, {16, 16, 6}, {15, 35, 3}, {21, 21, 5}, {11, 11, 5}, {25, 30, 5}};
    for (const auto& [P, J, R] : shapes)
        for (int seed = 1; seed <= 10; ++seed) {
            const stest::Search s(J, P, R, 0, 0, 1, seed);
            EXPECT_EQ(s.found, -1) << P << " " << J << " " << R << " seed " << seed;
            EXPECT_NEAR(s.maxcrit, (R - 1.0) * P / ((P - 1.0) * R), 1e-12);
            expectBalanced(*s.JPMat, J, P, R, num::Cnk(P, R) < 1000);
        }
}

TEST(DesignBalancing, OnlyArithmeticallyBalanceableShapesAreSearched) {
    EXPECT_TRUE(sensory::balancedDesignPossible(30, 25, 5));
    EXPECT_FALSE(sensory::balancedDesignPossible(30, 20, 6));  // λ = 45/19
    EXPECT_FALSE(sensory::balancedDesignPossible(5, 10, 2));   // fewer blocks than products
    EXPECT_FALSE(sensory::balancedDesignPossible(7, 7, 7));    // complete blocks
    EXPECT_FALSE(sensory::balancedDesignPossible(INT32_MAX, 7, 3));
    EXPECT_TRUE(sensory::balancedDesignPossible(7, 7, 3));   // Fisher's bound met
    EXPECT_TRUE(sensory::balancedDesignPossible(6, 4, 2));   // every pair once
    EXPECT_FALSE(sensory::balancedDesignPossible(7, 4, 2));  // r = 7/2
    EXPECT_FALSE(sensory::balancedDesignPossible(4, 4, 1));  // no pairs to balance
    // A balanced start is left as it is, without a draw.
    const auto fano = stest::fromBlocks(7, {{1, 2, 3}, {1, 4, 5}, {1, 6, 7}, {2, 4, 6}, {2, 5, 7}, {3, 4, 7}, {3, 5, 6}});
    const std::vector<int> plane = cellsOf(*fano);
    stest::Stream kept(5);
    EXPECT_TRUE(sensory::balanceDesign(7, 7, 3, {0, 0.0}, fano.get(), kept.draws));
    EXPECT_EQ(kept.out, 5);
    EXPECT_EQ(cellsOf(*fano), plane);
    // A start of one block repeated is replaced by the cyclic one and
    // balanced from there; an impossible shape leaves the design alone.
    const auto same = stest::fromBlocks(7, {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
    stest::Stream seeds(2);
    ASSERT_TRUE(sensory::balanceDesign(7, 7, 3, {0, 0.0}, same.get(), seeds.draws));
    expectBalanced(*same, 7, 7, 3, true);
    const std::vector<int> balanced = cellsOf(*same);
    EXPECT_FALSE(sensory::balanceDesign(7, 7, 2, {0, 0.0}, same.get(), seeds.draws));
    EXPECT_EQ(cellsOf(*same), balanced);
    // Any other unusable start is replaced by the same cyclic one: the same draws give the same design.
    const auto other = stest::fromBlocks(7, {{4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {4, 5, 6}});
    stest::Stream seeds2(2);
    ASSERT_TRUE(sensory::balanceDesign(7, 7, 3, {0, 0.0}, other.get(), seeds2.draws));
    EXPECT_EQ(cellsOf(*other), balanced);
}

}  // namespace
