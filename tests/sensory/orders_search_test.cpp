// The presentation-order search through the host's entry point.
#include "boundary/VORNEXDO1M.h"
#include "sensory/presentation_orders.h"
#include "services/random.h"
#include "tests/sensory/orders_support.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

using orders_test::Ranking;

namespace {

// Every judge's order holds exactly the products the incidence gives them.
void expectRowsArePermutations(const Ranking& x) {
    for (int j = 0; j < x.J; ++j)
        EXPECT_EQ(orders_test::sortedRow(x.jr, x.J, x.R, j), orders_test::productsOf(x.jp, x.J, x.P, j)) << j + 1;
}

}  // namespace

TEST(OrdersSearch, CompleteBlocksOverWholeCarryOverBalancedSquaresReachBothBounds) {
    for (auto [J, P] : {std::pair{24, 6}, {14, 7}, {2000, 10}, {30, 5}, {4, 4}}) {
        Ranking x(J, P, P, orders_test::cyclicIncidence(J, P, P));
        x.rank(0.5, 20);
        expectRowsArePermutations(x);
        EXPECT_EQ(x.md, (std::vector<double>{0, 0, 0, 0})) << J << " judges, " << P << " products";
        EXPECT_EQ(x.oSeed, x.seed);  // built, not drawn
        EXPECT_EQ(x.conc[1], J);     // products 1 and 2 together for every judge
        EXPECT_TRUE(orders_test::isNoValue(x.conc[static_cast<std::size_t>(P)]));  // above the diagonal
    }
    // One square of odd P balances no carry-over, and the squares leave no room for a last judge who misses a
    // product: both are searched.
    Ranking odd(5, 5, 5, orders_test::cyclicIncidence(5, 5, 5)), gap(4, 4, 4, orders_test::cyclicIncidence(4, 4, 4));
    gap.jp[15] = 0;  // judge 4 without product 4
    for (Ranking* x : {&odd, &gap}) {
        x->rank(0.5, 1);
        EXPECT_NE(x->oSeed, x->seed);
    }
}

TEST(OrdersSearch, SearchedDesignsKeepEachJudgesProductsAndReproduceFromTheSeed) {
    // An odd panel of 5001 is no whole number of squares, so the passes run on a criterion above ten million.
    // One pass (zero and fewer run one) leaves the seed flag: the second would have started the host's stream.
    for (auto [J, P, R, iter] :
         {std::tuple{14, 7, 3, 5}, {5001, 2, 2, 5}, {1, 5, 3, 5}, {6, 4, 3, 1}, {6, 4, 3, 0}, {6, 4, 3, -3}}) {
        Ranking x(J, P, R, orders_test::cyclicIncidence(J, P, R));
        x.seedInit = iter > 1 ? -1 : 0;  // 0 asks the host's stream, which two runs do not share
        Ranking again = x;
        x.rank(0.3, iter);
        again.rank(0.3, iter, 0, -1, 1e9);  // timed, with a limit never reached
        expectRowsArePermutations(x);
        EXPECT_EQ(again.jr, x.jr);
        EXPECT_TRUE(iter > 1 || x.seedInit == 0) << iter;
    }
    Ranking one(3, 3, 1, orders_test::cyclicIncidence(3, 3, 1));  // a single position: no swap to make
    one.rank(0.5, 3);
    EXPECT_EQ(std::pair(one.jr, one.rmat), std::pair(std::vector<int32_t>{1, 2, 3}, std::vector<int32_t>{1, 1, 1}));
}

TEST(OrdersSearch, EamBelowItsBoundIsMarkedHereAndKeptByTheQualityReport) {
    // Rows repeating one product have no carry-over: EAM 1/3 under the bound 4/9.
    Ranking x(2, 3, 2, {1, 0, 0, 1, 0, 0}), q = x;
    x.jr = {1, 2, 1, 2};
    x.rank(0.5, 1, -1);
    EXPECT_DOUBLE_EQ(x.md[1], 1.0 / 3);
    EXPECT_TRUE(orders_test::isNoValue(x.md[3]));
    // Counts 1, 1, 0 at each position against 2/3: position EAM 4/9, at its bound.
    EXPECT_DOUBLE_EQ(x.md[0], 4.0 / 9);
    EXPECT_DOUBLE_EQ(x.md[2], 4.0 / 9);
    EXPECT_EQ(x.smat, (std::vector<int32_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));  // last places; nothing follows itself
    Cpp_ComputeQuality(2, 3, 2, x.jr.data(), q.jp.data(), q.rmat.data(), q.smat.data(), q.md.data(), q.conc.data());
    EXPECT_DOUBLE_EQ(q.md[3], 4.0 / 9);
}

namespace {

// The start order under the one random permutation of positions the first
// pass draws: new position r holds old position perm(r).
std::vector<int32_t> firstRestart(const std::vector<int32_t>& start, int J, int R, int32_t seed) {
    matrix perm(R, 1, 0.0);
    int32_t oSeed = 0;
    Random1toN(R, &perm, &seed, -1, &oSeed);
    std::vector<int32_t> moved(start.size());
    for (int r = 0; r < R; ++r)
        for (int j = 0; j < J; ++j)
            moved[static_cast<std::size_t>(r) * J + j] =
                start[static_cast<std::size_t>(static_cast<int>(perm.vbget(r + 1)) - 1) * J + j];
    return moved;
}

// Each judge's products in increasing order: the start built from the incidence.
std::vector<int32_t> sortedStart(const Ranking& x) {
    std::vector<int32_t> sorted(x.jr.size());
    for (int j = 0; j < x.J; ++j)
        for (int r = 0; r < x.R; ++r)
            sorted[static_cast<std::size_t>(r) * x.J + j] = orders_test::productsOf(x.jp, x.J, x.P, j)[static_cast<std::size_t>(r)];
    return sorted;
}

}  // namespace

TEST(OrdersSearch, PastTheTimeLimitOrUnderANaNWeightOnlyTheFirstRestartRuns) {
    // A limit already passed: the first pass restarts and makes no step, and
    // no further pass starts, whatever iter asks.
    for (VARIANT_BOOL check : {-1, 1}) {
        Ranking x(6, 5, 4, orders_test::cyclicIncidence(6, 5, 4));
        x.jr = {2, 3, 4, 5, 1, 2, 1, 4, 5, 1, 2, 3, 4, 2, 3, 4, 5, 1, 3, 1, 2, 3, 4, 5};  // every judge reversed
        const std::vector<int32_t> start = x.jr;
        x.seedInit = 0;
        x.conc.assign(x.conc.size(), 1.0);  // counts are added to what is passed
        orders_test::rankByPassesOnly(x, 0.5, 50, check, -1, -1.0);  // limit passed, 50 passes asked
        EXPECT_EQ(x.jr, firstRestart(start, 6, 4, x.seed)) << check;
        EXPECT_EQ(x.seedInit, 0);  // the second pass would have started the host's stream
        for (int p = 0; p < 5; ++p)
            for (int q = 0; q < 5; ++q) {
                // Judges j..j+3 (mod 5) of 6: product p by (4 or 5), a pair by 2 to 4; none above the diagonal.
                int both = 0;
                for (int j = 0; j < 6; ++j)
                    both += x.jp[static_cast<std::size_t>(p) * 6 + j] * x.jp[static_cast<std::size_t>(q) * 6 + j];
                const double c = x.conc[static_cast<std::size_t>(q) * 5 + p];
                EXPECT_TRUE(q > p ? orders_test::isNoValue(c) : c == 1.0 + both) << p << "," << q;
            }
    }
    // Zero starts from each judge's products in increasing order. So does a NaN weight, which scores every swap
    // NaN: no step is taken, no later pass compares better, so the first restart of that start is the result.
    Ranking y(6, 5, 4, orders_test::cyclicIncidence(6, 5, 4)), nan = y;
    orders_test::rankByPassesOnly(y, 0.5, 50, 0, -1, -1.0);
    nan.rank(std::numeric_limits<double>::quiet_NaN(), 3);
    for (const Ranking* r : {&y, &nan}) EXPECT_EQ(r->jr, firstRestart(sortedStart(*r), 6, 4, r->seed));
}

TEST(OrdersSearch, UntimedSearchWithCountlessPassesEndsOnItsWork) {
    // 4000 judges, 4 each of products 1..399, product 400 untasted: the
    // position bound asks every count to be 10, out of reach, so only the
    // bound on the work can end the passes.
    const int J = 4000, P = 400, R = 4;
    std::vector<int32_t> jp(static_cast<std::size_t>(J) * P, 0);
    for (int j = 0; j < J; ++j)
        for (int k = 0; k < R; ++k) jp[static_cast<std::size_t>((j + k) % (P - 1)) * J + j] = 1;
    Ranking x(J, P, R, jp);
    x.rank(0.5, std::numeric_limits<int>::max());
    expectRowsArePermutations(x);
}

TEST(OrdersSearch, ASmallPanelsWorkIsBoundByItsCandidateSwaps) {
    // Four judges tasting products 1 and 2 of 3: product 3 is never placed,
    // so the position counts cannot reach their bound and only the work ends
    // the passes. The work allowed is 1000 J R P = 24,000 and every pass
    // costs at least 1000, so at most 25 passes run: a countless `iter` ends
    // in the seed stream's state after 25 passes at most (under a fixed
    // bound it ran some 200,000 passes). Each pass draws its restart.
    auto after = [](int iter) {
        Ranking x(4, 3, 2, {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0});
        orders_test::rankByPassesOnly(x, 0.5, iter);
        return x.oSeed;
    };
    EXPECT_EQ(after(std::numeric_limits<int>::max()), after(25));
    EXPECT_NE(after(25), after(1));
}

TEST(OrdersSearch, OrderArraysTooSmallForTheJudgesOrPositionsLeaveEverythingAlone) {
    for (auto [rows, cols] : {std::pair{6, 3}, {5, 4}}) {
        Ranking x(6, 5, 4, orders_test::cyclicIncidence(6, 5, 4)), before = x;
        orders_test::rankByPassesOnly(x, 0.5, 3, 0, 0, 0.0, rows, cols);
        InitializeRankMat(3, 2, 2, 0.5, nullptr, &x.seed, &x.seedInit, &x.oSeed);  // no order: nothing to do
        EXPECT_EQ(std::tie(x.jr, x.rmat, x.smat, x.md, x.conc, x.oSeed),
                  std::tie(before.jr, before.rmat, before.smat, before.md, before.conc, before.oSeed))
            << rows << " x " << cols;
    }
}
