// The counts behind the balance of presentation orders: the constant-time
// swap score must agree with a full recount, and the bounds with whole counts.
#include "sensory/order_balance.h"
#include "sensory/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

TEST(OrderBalance, SwapScoreEqualsTheRecountAfterTheSwap) {
    std::mt19937 gen(7);
    for (int trial = 0; trial < 60; ++trial) {
        const int P = 2 + static_cast<int>(gen() % 9), R = 1 + static_cast<int>(gen() % P);
        const int J = 1 + static_cast<int>(gen() % 12);
        const double lambda = std::uniform_real_distribution<double>(-0.5, 1.5)(gen);
        Scratch<matrixInt> order(new matrixInt(J, R, 0)), positions, carryOver;
        for (int j = 1; j <= J; ++j) {  // each judge R distinct products in random order
            std::vector<int> products(static_cast<std::size_t>(P));
            std::iota(products.begin(), products.end(), 1);
            std::shuffle(products.begin(), products.end(), gen);
            for (int r = 1; r <= R; ++r) order->vbset(j, r, products[static_cast<std::size_t>(r - 1)]);
        }
        int pos = 0, carry = 0;
        double crit = 0;
        BestOrderCompute(P, R, J, order, positions.p, carryOver.p, lambda, &pos, &carry, &crit);
        for (int j = 1; j <= J; ++j)
            for (int r1 = 1; r1 < R; ++r1)
                for (int r2 = r1 + 1; r2 <= R; ++r2) {
                    double predicted = 0, recounted = 0;
                    UpdateCrit(R, order, positions, carryOver, j, r1, r2, pos, carry, lambda, &predicted);
                    Scratch<matrixInt> swapped(new matrixInt(J, R, 0)), rm, sm;
                    order->copyMatTo(swapped.p);
                    const int a = swapped->vbget(j, r1);
                    swapped->vbset(j, r1, swapped->vbget(j, r2));
                    swapped->vbset(j, r2, a);
                    BestOrderCompute(P, R, J, swapped, rm.p, sm.p, lambda, nullptr, nullptr, &recounted);
                    ASSERT_EQ(predicted, recounted) << "P " << P << " R " << R << " j " << j << " " << r1 << "<->" << r2;
                }
    }
}

TEST(OrderBalance, BoundsOfWholeCounts) {
    double pos = -1, carry = -1;
    OptimalEAMCompute(4, 4, 12, &pos, &carry);  // 3 per cell either way
    EXPECT_EQ(pos, 0.0);
    EXPECT_EQ(carry, 0.0);
    OptimalEAMCompute(3, 2, 2, &pos, &carry);  // carry-over: 2 of 6 cells at 1, mean 1/3
    EXPECT_DOUBLE_EQ(carry, 4.0 / 9);
    // A single product has no ordered pair: no division by zero, carry-over 0.
    OptimalEAMCompute(1, 1, 5, &pos, &carry);
    EXPECT_EQ(pos, 0.0);
    EXPECT_EQ(carry, 0.0);
    Scratch<matrixInt> rm(new matrixInt(1, 1, 5)), sm(new matrixInt(1, 2, 5));
    ComputeEAM(1, 1, 5, rm, sm, &pos, &carry);
    EXPECT_EQ(pos, 0.0);
    EXPECT_EQ(carry, 0.0);
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
}
