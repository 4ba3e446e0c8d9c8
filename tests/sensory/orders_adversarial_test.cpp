// Scalars a host may get wrong: the order and arrangement entry points must
// neither crash nor hang, and leave every judge with their own products.
#include "boundary/VORNEXDO1M.h"
#include "tests/sensory/orders_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <tuple>
#include <limits>

TEST(OrdersAdversarial, OddWeightsTimesFlagsAndSeeds) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    for (double lambda : {nan, inf, -inf, 1e300, -2.0})
        for (int32_t seed : {INT_MIN, INT_MAX, 0})
            for (VARIANT_BOOL flag : {0, 1, -1, 77}) {
                orders_test::Ranking x(6, 4, 3, orders_test::cyclicIncidence(6, 4, 3));
                x.seed = seed;
                x.seedInit = flag;
                x.rank(lambda, 3, 0, flag, nan);
                for (int j = 0; j < 6; ++j)
                    ASSERT_EQ(orders_test::sortedRow(x.jr, 6, 3, j), orders_test::productsOf(x.jp, 6, 4, j))
                        << lambda << " " << seed << " " << flag;
            }
}

TEST(OrdersAdversarial, CountsThatLeaveNothingToDo) {
    std::vector<int32_t> ints(64, 1), seed{INT_MIN, 0}, group{-1};
    std::vector<double> doubles(64, 0.0);
    VARIANT_BOOL init = 0, resolv = 3;
    for (int32_t n : {INT_MIN, -1, 0, 1, INT_MAX})
        for (int32_t m : {-1, 0, 2}) {
            Cpp_GetBestRanking(m, n, m, ints.data(), 0.5, n, 0, -1, -1, ints.data(), ints.data(), ints.data(),
                               doubles.data(), doubles.data(), &seed[0], &init, &seed[1]);
            Cpp_TransResolve(n, m, 0, n, ints.data(), ints.data(), &group[0], &resolv, &seed[0], &init, &seed[1]);
            Cpp_FindClosestResolve(m, n, m, n, ints.data(), ints.data(), &group[0], &seed[0], &init, &seed[1]);
            Cpp_FindResolvableMulti(n, 0, 0, n, ints.data(), ints.data(), n);
            Cpp_RandomPerMuteRow(ints.data(), n, 0, ints.data(), n, 0, &seed[0], &init, &seed[1]);
            Cpp_ComputeQuality(n, m, 0, ints.data(), ints.data(), ints.data(), ints.data(), doubles.data(),
                               doubles.data());
            Cpp_PrepareANOVAtable(n, 0, n, n, ints.data(), doubles.data());
        }
    EXPECT_EQ(resolv, 0);
}

// A huge count beside a zero describes no cell: every call returns at once
// and leaves the arrays as passed. Before, the loops ran to the huge count
// over nothing, and their counters overflowed at INT32_MAX (a failure of
// the sanitizer build), or sized a count vector by it (16 GB for iP).
TEST(OrdersAdversarial, AHugeCountBesideAZeroDescribesNoCellAndReturnsAtOnce) {
    const std::vector<int32_t> ints0(8, 3);
    const std::vector<double> doubles0(8, 0.25);
    std::vector<int32_t> ints = ints0, seed{7, 0}, group{-1};
    std::vector<double> doubles = doubles0;
    VARIANT_BOOL init = -1, resolv = 3;
    for (int32_t huge : {INT_MAX, 46341}) {
        for (int32_t NBS : {1, 2, huge}) {
            Cpp_PrepareANOVAtable(huge, 5, 0, NBS, ints.data(), doubles.data());  // judges of no position
            Cpp_PrepareANOVAtable(0, 5, huge, NBS, ints.data(), doubles.data());  // positions of no judge
        }
        Cpp_PrepareANOVAtable(huge, 5, huge, 1, ints.data(), doubles.data());  // J R past 32 bits: no table
        std::vector<double> md(4, 0.25);  // EAMs and bounds of no cell: 0, written whatever the shape
        Cpp_ComputeQuality(huge, 0, 0, ints.data(), ints.data(), ints.data(), ints.data(), md.data(),
                           doubles.data());
        EXPECT_EQ(md, std::vector<double>(4, 0.0));
        Cpp_TransResolve(huge, 0, 0, huge, ints.data(), ints.data(), &group[0], &resolv, &seed[0], &init, &seed[1]);
        Cpp_FindResolvableMulti(huge, 0, 0, huge, ints.data(), ints.data(), huge);
        Cpp_RandomPerMuteRow(ints.data(), huge, 0, ints.data(), huge, 0, &seed[0], &init, &seed[1]);
        Cpp_GetBestRanking(huge, 0, huge, ints.data(), 0.5, huge, 0, 0, 0, ints.data(), ints.data(), ints.data(),
                           doubles.data(), doubles.data(), &seed[0], &init, &seed[1]);
        EXPECT_EQ(std::tie(ints, doubles), std::tie(ints0, doubles0)) << huge;
        EXPECT_EQ(resolv, 0);  // no product: not resolvable, as the header says
        resolv = 3;
    }
    // No judge to place: the group size G = floor(iP / iR) is still told.
    Cpp_FindClosestResolve(0, INT_MAX, 1, 5, ints.data(), ints.data(), &group[0], &seed[0], &init, &seed[1]);
    EXPECT_EQ(group[0], INT_MAX);
    EXPECT_EQ(std::tie(ints, doubles), std::tie(ints0, doubles0));
}

TEST(OrdersAdversarial, StartOrdersHoldingNoProductNumbersOnlyMoveWithinRows) {
    orders_test::Ranking x(4, 3, 3, orders_test::cyclicIncidence(4, 3, 3));
    x.jr = {0, 99, -5, 1, 2, 3, 3, 2, 1, 0, 0, 0};
    const std::vector<int32_t> start = x.jr;
    x.rank(0.5, 4, -1);
    for (int j = 0; j < 4; ++j) EXPECT_EQ(orders_test::sortedRow(x.jr, 4, 3, j), orders_test::sortedRow(start, 4, 3, j));
}

TEST(OrdersAdversarial, MorePositionsThanProductsReturnAtOnceUntouched) {
    for (const auto& [P, R, J] : {std::tuple{9, 65536, 3}, {11, 46341, 11}, {3, 4, 2}}) {
        orders_test::Ranking x(J, P, R, std::vector<int32_t>(static_cast<std::size_t>(J) * P, 1));
        std::fill(x.jr.begin(), x.jr.end(), 5);
        x.md.assign(4, 2.0);
        x.seedInit = 0;
        x.rank(0.5, 1000000);
        EXPECT_TRUE(std::all_of(x.jr.begin(), x.jr.end(), [](int32_t v) { return v == 5; }) &&
                    std::all_of(x.conc.begin(), x.conc.end(), [](double v) { return v == 0; }));
        EXPECT_EQ(std::tie(x.md, x.oSeed, x.seedInit), std::tuple(std::vector<double>(4, 2.0), 0, int16_t{0}));
    }
}
