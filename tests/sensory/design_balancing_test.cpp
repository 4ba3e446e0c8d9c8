// The balancing stage: balanced incomplete block designs the exchange
// stalls below are found and proved, and a balanced design is left as it is.
#include "boundary/VORNEXDO1M.h"
#include "design_support.h"
#include "sensory/balancing_search.h"

#include <tuple>

namespace {

TEST(DesignBalancing, StalledBalancedDesignsAreProvedInOneUntimedPass) {
    for (const auto& [P, J, R] : {std::tuple{13, 13, 4}, std::tuple{25, 30, 5}, std::tuple{10, 15, 4}}) {
        std::vector<int32_t> jp(static_cast<std::size_t>(J * P)), jr(static_cast<std::size_t>(J * R));
        double maxcrit = 0, ocrit2 = 0;
        VARIANT_BOOL found = 0, init = -1;
        int32_t seed = 2024, oSeed = 0;
        Cpp_RunGetOptimalDesign(J, P, R, 1, 0, 0, 0, jp.data(), jr.data(), &maxcrit, &ocrit2, &found, &seed, &init,
                                &oSeed);
        const double bound = (R - 1.0) * P / ((P - 1.0) * R);
        EXPECT_EQ(found, -1) << P;
        EXPECT_NEAR(maxcrit, bound, 1e-12);
        EXPECT_NEAR(ocrit2, bound, 1e-12);
        const matrixInt design(J, P, jp.data(), true);
        stest::expectBlocksOfSize(design, J, P, R);
        EXPECT_EQ(stest::columnSums(design, J, P), std::vector<int>(static_cast<std::size_t>(P), J * R / P));
    }
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
}

}  // namespace
