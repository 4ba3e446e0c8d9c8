// The counts behind the balance of presentation orders: the constant-time
// swap score must agree with a full recount, and the bounds with whole counts.
#include "sensory/order_balance.h"
#include "services/scratch.h"
#include "sensory/swap_cache.h"
#include "tests/sensory/orders_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace {

double recounted(const matrixInt& M, int P, int R, int J, double lambda) {
    return orders_test::OrderCounts(P, R, J, [&M](int j, int r) { return M.vbget(j, r); }).criterion(lambda);
}

void swapIn(matrixInt& M, int j, int r1, int r2) {
    const int a = M.vbget(j, r1);
    M.vbset(j, r1, M.vbget(j, r2));
    M.vbset(j, r2, a);
}

// Judge j's order: distinct products of 1..P at random.
void shuffleJudge(matrixInt& M, int j, int P, std::mt19937& gen) {
    std::vector<int> products(static_cast<std::size_t>(P));
    std::iota(products.begin(), products.end(), 1);
    std::shuffle(products.begin(), products.end(), gen);
    for (int r = 1; r <= M.cols(); ++r) M.vbset(j, r, products[static_cast<std::size_t>(r - 1)]);
}

}  // namespace

TEST(OrderBalance, BoundsOfWholeCounts) {
    double pos = -1, carry = -1;
    const auto zero = std::pair(0.0, 0.0);
    OptimalEAMCompute(4, 4, 12, &pos, &carry);  // 3 per cell either way
    EXPECT_EQ(std::pair(pos, carry), zero);
    OptimalEAMCompute(3, 2, 2, &pos, &carry);  // carry-over: 2 of 6 cells at 1, mean 1/3
    EXPECT_DOUBLE_EQ(carry, 4.0 / 9);
    OptimalEAMCompute(2, 2, 3, &pos, &carry);  // 3 per position, 3 ordered pairs over 2 cells: 2 and 1
    EXPECT_EQ(std::pair(pos, carry), std::pair(0.5, 0.5));
    // A single product has no ordered pair: no division by zero, carry-over 0.
    OptimalEAMCompute(1, 1, 5, &pos, &carry);
    EXPECT_EQ(std::pair(pos, carry), zero);
    Scratch<matrixInt> rm(new matrixInt(1, 1, 5)), sm(new matrixInt(1, 2, 5));
    ComputeEAM(1, 1, 5, rm, sm, &pos, &carry);
    EXPECT_EQ(std::pair(pos, carry), zero);
    pos = -1;
    OptimalEAMCompute(0, 3, 5, &pos, nullptr);  // no cells at all: nothing deviates
    EXPECT_EQ(pos, 0.0);
    // A carry-over table one column short (P x P) holding the ideal 1 in
    // every cell it has: the missing column counts nothing.
    Scratch<matrixInt> narrow(new matrixInt(3, 3, 1)), positions(new matrixInt(3, 2, 2));
    carry = -1;
    ComputeEAM(3, 2, 6, positions, narrow, &pos, &carry);
    EXPECT_EQ(carry, 0.0);
    ComputeEAM(0, 2, 6, positions, narrow, &pos, &carry);  // no product: no cells to deviate
    EXPECT_EQ(std::pair(pos, carry), zero);
    pos = carry = -1;
    ComputeEAM(3, 2, 6, positions, nullptr, &pos, &carry);  // no counts, nothing written
    ComputeEAM(3, 2, 6, nullptr, narrow, &pos, &carry);
    EXPECT_EQ(std::pair(pos, carry), std::pair(-1.0, -1.0));
}

TEST(OrderBalance, AnOrderAtItsBoundCountsAsReachingItDespiteRounding) {
    // 14 judges, 7 products, 3 positions: every count at its bound, yet the
    // carry-over EAM comes out an ulp above the bound's formula.
    const int rows[14][3] = {{2, 3, 1}, {2, 4, 3}, {4, 5, 3}, {4, 6, 5}, {6, 7, 5}, {6, 1, 7}, {7, 2, 1},
                             {1, 3, 2}, {3, 4, 2}, {3, 5, 4}, {5, 6, 4}, {5, 7, 6}, {7, 1, 6}, {1, 2, 7}};
    Scratch<matrixInt> order(new matrixInt(14, 3, 0)), positions, carryOver;
    for (int j = 0; j < 14; ++j)
        for (int r = 0; r < 3; ++r) order->vbset(j + 1, r + 1, rows[j][r]);
    orders::countOrder(7, 3, 14, order, positions.p, carryOver.p);
    const orders::Balance b = orders::balanceOf(7, 3, 14, positions, carryOver);
    EXPECT_NEAR(b.carryOverEAM, b.carryOverBound, 1e-15);
    EXPECT_TRUE(b.reachesBounds());
}

TEST(OrderBalance, SwapScoreOfProductNumbersAtTheTopOfTheIntRangeStaysDefined) {
    // Counts from a clean 2 x 2 order, scored against a row holding INT_MAX:
    // the carry-over column past it reads as outside instead of wrapping.
    Scratch<matrixInt> order(new matrixInt(1, 2, 1)), positions, carryOver;
    order->vbset(1, 2, 2);
    int pos = 0, carry = 0;
    double crit = 0;
    BestOrderCompute(2, 2, 1, order, positions.p, carryOver.p, 0.5, &pos, &carry, &crit);
    order->vbset(1, 1, 2147483647);
    double predicted = 0;
    UpdateCrit(2, order, positions, carryOver, 1, 1, 2, pos, carry, 0.5, &predicted);
    EXPECT_TRUE(std::isfinite(predicted));
    double untouched = -1;  // counts missing: nothing scored
    UpdateCrit(2, order, positions, nullptr, 1, 1, 2, pos, carry, 0.5, &untouched);
    UpdateCrit(2, order, nullptr, carryOver, 1, 1, 2, pos, carry, 0.5, &untouched);
    EXPECT_EQ(untouched, -1);
}

TEST(OrderBalance, SwapScoresAndTheCachesFirstLeastSwapMatchAFullRecountStepByStep) {
    std::mt19937 gen(5);
    for (int trial = 0; trial < 40; ++trial) {
        const int P = 3 + static_cast<int>(gen() % 7), R = 2 + static_cast<int>(gen() % (P - 1));
        const int J = 2 + static_cast<int>(gen() % 19);
        const double lambda = std::vector<double>{0.5, 0.25, 1.0, 0.0, 0.75}[trial % 5];
        matrixInt order(J, R, 0);
        for (int j = 1; j <= J; ++j) shuffleJudge(order, j, P, gen);
        ASSERT_TRUE(orders::SwapCache::serves(P, R, J, lambda, &order));
        orders::SwapCache cache(P, R, J, lambda);
        for (int step = 0; step < 30; ++step) {
            // The full counts, and the constant-time score of every swap from them, against a recount.
            Scratch<matrixInt> positions, carryOver;
            int pos = 0, carry = 0;
            double want = std::numeric_limits<double>::infinity(), got = want, crit = 0, predicted = 0;
            BestOrderCompute(P, R, J, &order, positions.p, carryOver.p, lambda, &pos, &carry, &crit);
            ASSERT_EQ(crit, recounted(order, P, R, J, lambda));
            orders::Swap first;
            for (int j = 1; j <= J; ++j)
                for (int r1 = 1; r1 < R; ++r1)
                    for (int r2 = r1 + 1; r2 <= R; ++r2) {
                        UpdateCrit(R, &order, positions, carryOver, j, r1, r2, pos, carry, lambda, &predicted);
                        swapIn(order, j, r1, r2);
                        const double c = recounted(order, P, R, J, lambda);
                        swapIn(order, j, r1, r2);
                        ASSERT_EQ(predicted, c) << "trial " << trial << " judge " << j << " " << r1 << "<->" << r2;
                        if (c < want) want = c, first = {j, r1, r2};
                    }
            const orders::Swap s = cache.steepest(&order, &got);
            ASSERT_EQ(std::tuple(s.judge, s.r1, s.r2), std::tuple(first.judge, first.r1, first.r2))
                << "trial " << trial << " step " << step;
            ASSERT_EQ(got, want);
            // Alternately the steepest swap, any swap, and a reshuffled judge.
            orders::Swap next = s;
            if (step % 3 == 1) {
                next.judge = 1 + static_cast<int>(gen() % J);
                next.r1 = 1 + static_cast<int>(gen() % (R - 1));
                next.r2 = next.r1 + 1 + static_cast<int>(gen() % (R - next.r1));
            }
            if (step % 7 == 6) {
                shuffleJudge(order, next.judge, P, gen);
                cache.invalidate();
            } else {
                swapIn(order, next.judge, next.r1, next.r2);
                cache.swapped(next.judge, next.r1, next.r2);
            }
        }
    }
}

TEST(OrderBalance, SwapCacheServesOnlyExactWeightsDistinctProductsAndBoundedTables) {
    matrixInt order(2, 3, 0);
    const int rows[2][3] = {{1, 2, 3}, {3, 1, 2}};
    for (int j = 0; j < 2; ++j)
        for (int r = 0; r < 3; ++r) order.vbset(j + 1, r + 1, rows[j][r]);
    EXPECT_TRUE(orders::SwapCache::serves(3, 3, 2, 0.5, &order));
    EXPECT_FALSE(orders::SwapCache::serves(3, 3, 2, 0.3, &order));  // 0.3 is no multiple of 2^-10
    for (int bad : {0, 4, 1}) {  // outside 1..P, or product 1 twice in judge 2's order
        order.vbset(2, 3, bad);
        EXPECT_FALSE(orders::SwapCache::serves(3, 3, 2, 0.5, &order)) << bad;
    }
    // One judge tasting all P products: P (P - 1) / 2 swap scores, at most 2^25.
    for (int P : {7100, 8193}) {
        matrixInt all(1, P, 0);
        for (int r = 1; r <= P; ++r) all.vbset(1, r, r);
        EXPECT_EQ(orders::SwapCache::serves(P, P, 1, 0.5, &all), P * (P - 1LL) / 2 <= (1LL << 25)) << P;
    }
    matrixInt single(2, 1, 1);  // one position: no swap to offer
    double best = -1;
    EXPECT_FALSE(orders::SwapCache(2, 1, 2, 0.5).steepest(&single, &best).found());
}
