// The balancing stage: balanced incomplete block designs the exchange
// stalls below are found and proved, and a balanced design is left as it is.
#include "boundary/VORNEXDO1M.h"
#include "design_support.h"
#include "sensory/balancing_search.h"

#include "services/numeric.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace {

// Every pair of products meets at the same number of judges, every product
// at the same number, and (with `distinct`) no two judges share a block.
void expectBalanced(const std::vector<int32_t>& jp, int J, int P, int R, bool distinct) {
    std::set<std::vector<int32_t>> blocks;
    std::vector<std::vector<int>> conc(static_cast<std::size_t>(P), std::vector<int>(static_cast<std::size_t>(P), 0));
    for (int j = 0; j < J; ++j) {
        std::vector<int32_t> row;
        for (int p = 0; p < P; ++p) row.push_back(jp[static_cast<std::size_t>(p) * J + j]);
        ASSERT_EQ(std::count(row.begin(), row.end(), 1), R) << "judge " << j + 1;
        if (distinct) {
            EXPECT_TRUE(blocks.insert(row).second) << "judge " << j + 1 << " repeats a block";
        }
        for (int p = 0; p < P; ++p)
            for (int q = 0; q < P; ++q) conc[p][q] += row[p] * row[q];
    }
    for (int p = 0; p < P; ++p)
        for (int q = 0; q < P; ++q) EXPECT_EQ(conc[p][q], p == q ? conc[0][0] : conc[0][1]) << p << "," << q;
}

TEST(DesignBalancing, UntimedPassesProveBalancedDesignsWithDistinctBlocks) {
    // Where the fill over distinct blocks runs (fewer than 1000 blocks), the
    // balanced design keeps its blocks distinct; (7, 14, 3) and (7, 21, 3)
    // also have balanced designs made of repeated planes, which must not come back.
    const int shapes[][3] = {{7, 14, 3}, {7, 21, 3}, {9, 24, 3}, {13, 26, 4}, {7, 7, 3},  {9, 12, 3},
                             {13, 13, 4}, {10, 15, 4}, {16, 16, 6}, {15, 35, 3}, {21, 21, 5}, {11, 11, 5}, {25, 30, 5}};
    for (const auto& [P, J, R] : shapes)
        for (int32_t seed = 1; seed <= 10; ++seed) {
            std::vector<int32_t> jp(static_cast<std::size_t>(J * P)), jr(static_cast<std::size_t>(J * R));
            double maxcrit = 0, ocrit2 = 0;
            VARIANT_BOOL found = 0, init = -1;
            int32_t oSeed = 0, s = seed;
            Cpp_RunGetOptimalDesign(J, P, R, 1, 0, 0, 0, jp.data(), jr.data(), &maxcrit, &ocrit2, &found, &s, &init,
                                    &oSeed);
            const double bound = (R - 1.0) * P / ((P - 1.0) * R);
            EXPECT_EQ(found, -1) << P << " " << J << " " << R << " seed " << seed;
            EXPECT_NEAR(maxcrit, bound, 1e-12);
            expectBalanced(jp, J, P, R, num::Cnk(P, R) < 1000);
        }
}

TEST(DesignBalancing, WholeReplicateRowsStayInEnumerationOrder) {
    // 7 products in pairs: 21 blocks, so 25 judges are one whole replicate
    // (rows 1..21, every pair in order) and 4 searched judges.
    std::vector<int32_t> jp(25 * 7), jr(25 * 2);
    double maxcrit = 0, ocrit2 = 0;
    VARIANT_BOOL found = 0, init = -1;
    int32_t seed = 3, oSeed = 0;
    Cpp_RunGetOptimalDesign(25, 7, 2, 1, 0, 0, 0, jp.data(), jr.data(), &maxcrit, &ocrit2, &found, &seed, &init, &oSeed);
    int j = 0;
    for (int a = 0; a < 7; ++a)
        for (int b = a + 1; b < 7; ++b, ++j)
            for (int p = 0; p < 7; ++p) EXPECT_EQ(jp[static_cast<std::size_t>(p) * 25 + j], p == a || p == b) << j + 1;
}

TEST(DesignBalancing, BalancedDesignIsLeftAsItIsWithoutADraw) {
    const auto plane = [] {
        return stest::fromBlocks(7, {{1, 2, 3}, {1, 4, 5}, {1, 6, 7}, {2, 4, 6}, {2, 5, 7}, {3, 4, 7}, {3, 5, 6}});
    };
    const auto fano = plane(), before = plane();
    int seed = 5, oSeed = 0;
    short init = -1;
    sensory::SeedStream seeds(&seed, &init, &oSeed);
    EXPECT_TRUE(sensory::balanceDesign(7, 7, 3, {0, 0.0}, fano.get(), seeds));
    EXPECT_EQ(oSeed, 5);
    for (int j = 1; j <= 7; ++j)
        for (int p = 1; p <= 7; ++p) EXPECT_EQ(fano->vbget(j, p), before->vbget(j, p));
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
    // A start of one block repeated is replaced by the cyclic one and
    // balanced from there; an impossible shape leaves the design alone.
    const auto same = stest::fromBlocks(7, {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
    int seed = 2, oSeed = 0;
    short init = -1;
    sensory::SeedStream seeds(&seed, &init, &oSeed);
    const auto flat = [](const matrixInt& M) {
        std::vector<int32_t> v;
        for (int p = 1; p <= 7; ++p)
            for (int j = 1; j <= 7; ++j) v.push_back(M.vbget(j, p));
        return v;
    };
    ASSERT_TRUE(sensory::balanceDesign(7, 7, 3, {0, 0.0}, same.get(), seeds));
    const std::vector<int32_t> balanced = flat(*same);
    expectBalanced(balanced, 7, 7, 3, true);
    EXPECT_FALSE(sensory::balanceDesign(7, 7, 2, {0, 0.0}, same.get(), seeds));
    EXPECT_EQ(flat(*same), balanced);
    // Any other unusable start is replaced by the same cyclic one: the same draws give the same design.
    const auto other = stest::fromBlocks(7, {{4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {4, 5, 6}});
    int seed2 = 2, oSeed2 = 0;
    short init2 = -1;
    sensory::SeedStream seeds2(&seed2, &init2, &oSeed2);
    ASSERT_TRUE(sensory::balanceDesign(7, 7, 3, {0, 0.0}, other.get(), seeds2));
    EXPECT_EQ(flat(*other), balanced);
}

}  // namespace
