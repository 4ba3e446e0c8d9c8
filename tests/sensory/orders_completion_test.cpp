// The completion of presentation orders: the equitable arrangement of
// positions and the carry-over search, checked against plain counts of the
// orders they return.
#include "sensory/order_completion.h"
#include "tests/sensory/orders_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>
#include <random>
#include <vector>

namespace {

using Blocks = std::vector<std::vector<int>>;

// The cyclic design developed from a difference set mod P (products 1..P).
Blocks developed(int P, std::vector<int> base) {
    Blocks b(static_cast<std::size_t>(P));
    for (int i = 0; i < P; ++i)
        for (int d : base) b[static_cast<std::size_t>(i)].push_back((d + i) % P + 1);
    return b;
}

// J random blocks of R products, products served as evenly as can be.
Blocks evenRandomBlocks(int P, int J, int R, std::mt19937& gen) {
    Blocks b(static_cast<std::size_t>(J));
    int served = 0;
    for (auto& row : b) {
        while (static_cast<int>(row.size()) < R) {
            const int p = served++ % P + 1;
            if (std::find(row.begin(), row.end(), p) == row.end()) row.push_back(p);
        }
        std::shuffle(row.begin(), row.end(), gen);
    }
    return b;
}

std::unique_ptr<matrixInt> orderOf(const Blocks& b) {
    const int J = static_cast<int>(b.size()), R = static_cast<int>(b[0].size());
    auto M = std::make_unique<matrixInt>(J, R, 0);
    for (int j = 0; j < J; ++j)
        for (int r = 0; r < R; ++r) M->vbset(j + 1, r + 1, b[static_cast<std::size_t>(j)][static_cast<std::size_t>(r)]);
    return M;
}

// The rows of an order as blocks, in their order.
Blocks rowsOf(const matrixInt& M) {
    Blocks b(static_cast<std::size_t>(M.rows()));
    for (int j = 1; j <= M.rows(); ++j)
        for (int r = 1; r <= M.cols(); ++r) b[static_cast<std::size_t>(j - 1)].push_back(M.vbget(j, r));
    return b;
}

orders_test::OrderCounts counts(const matrixInt& M, int P, int R, int J) {
    return {P, R, J, [&M](int j, int r) { return M.vbget(j, r); }};
}

void expectSameProducts(Blocks before, const matrixInt& after) {
    Blocks now = rowsOf(after);
    for (Blocks* b : {&before, &now})
        for (auto& row : *b) std::sort(row.begin(), row.end());
    EXPECT_EQ(before, now);
}

struct Stream {
    std::mt19937 gen;
    explicit Stream(unsigned seed) : gen(seed) {}
    orders::CompletionLimits limits(bool expired = false) {
        return {[this] { return std::uniform_real_distribution<double>(0.0, 1.0)(gen); },
                [expired] { return expired; }};
    }
};

}  // namespace

TEST(OrdersCompletion, ArrangementPutsEveryProductEvenlyAtEveryPosition) {
    // Symmetric designs (a Youden square exists: every product once per position), arranged with the caller's
    // draws, and uneven replications without them.
    Stream s(3);
    std::vector<std::tuple<int, Blocks>> cases{{7, developed(7, {0, 1, 3})}, {13, developed(13, {0, 1, 3, 9})},
                                               {21, developed(21, {0, 1, 4, 14, 16})}};
    for (auto [P, J, R] : {std::tuple{9, 15, 4}, {8, 12, 3}, {10, 7, 6}})
        cases.emplace_back(P, evenRandomBlocks(P, J, R, s.gen));
    for (const auto& [P, b] : cases) {
        const int J = static_cast<int>(b.size()), R = static_cast<int>(b[0].size());
        const auto M = orderOf(b);
        ASSERT_TRUE(orders::arrangePositions(P, R, J, M.get(), P == J ? s.limits().uniform : nullptr));
        expectSameProducts(b, *M);
        const auto c = counts(*M, P, R, J);
        // Replications r_p within one: every product floor(r/R) or ceil(r/R) times per position.
        for (int p = 1; p <= P; ++p) {
            int r = 0;
            for (const auto& row : b) r += static_cast<int>(std::count(row.begin(), row.end(), p));
            for (int pos = 1; pos <= R; ++pos) {
                const long long n = c.position[p][pos];
                EXPECT_TRUE(n == r / R || n == (r + R - 1) / R) << P << "," << J << "," << R << " product " << p;
            }
        }
    }
}

TEST(OrdersCompletion, ReachesBothBoundsOnBalancedDesigns) {
    const Blocks designs[] = {developed(7, {0, 1, 3}), developed(13, {0, 1, 3, 9}), developed(21, {0, 1, 4, 14, 16}),
                              developed(11, {1, 3, 4, 5, 9})};
    for (unsigned seed = 1; seed <= 4; ++seed)
        for (const Blocks& b : designs) {
            const int J = static_cast<int>(b.size()), R = static_cast<int>(b[0].size());
            const auto M = orderOf(b);
            Stream s(seed);
            orders::completeOrder(J, R, J, 0.5, M.get(), s.limits());
            expectSameProducts(b, *M);
            EXPECT_TRUE(counts(*M, J, R, J).atBounds()) << "P = " << J << ", seed " << seed;
        }
}

TEST(OrdersCompletion, NeverReturnsAWorseOrderAndLeavesUnreadableOnesAlone) {
    std::mt19937 gen(8);
    for (int trial = 0; trial < 30; ++trial) {
        const int P = 4 + trial % 9, R = 2 + trial % (P - 2), J = 3 + trial % 17;
        const double lambda = (trial % 5) / 4.0;
        const Blocks given = evenRandomBlocks(P, J, R, gen);
        const auto M = orderOf(given);
        Stream s(static_cast<unsigned>(trial));
        // An expired budget stops the search after its first moves.
        const bool replaced = orders::completeOrder(P, R, J, lambda, M.get(), s.limits(trial % 3 == 0));
        expectSameProducts(given, *M);
        EXPECT_LE(counts(*M, P, R, J).criterion(lambda), counts(*orderOf(given), P, R, J).criterion(lambda)) << trial;
        EXPECT_TRUE(replaced || rowsOf(*M) == given) << trial;
    }
    // Three judges given the same two of four products: the position bound
    // is out of reach and every one of the three swaps soon turns tabu.
    const Blocks same{{1, 2}, {1, 2}, {2, 1}};
    const auto o = orderOf(same);
    Stream t(2);
    orders::completeOrder(4, 2, 3, 0.5, o.get(), t.limits());
    expectSameProducts(same, *o);
    const auto one = orderOf({{1}, {1}}), judge = orderOf({{3, 1, 2}}), two = orderOf({{1, 2}, {1, 2}});
    EXPECT_TRUE(orders::arrangePositions(1, 1, 2, one.get(), nullptr));
    EXPECT_EQ(rowsOf(*one), (Blocks{{1}, {1}}));
    EXPECT_TRUE(orders::arrangePositions(3, 3, 1, judge.get(), nullptr));
    EXPECT_FALSE(orders::arrangePositions(3, 3, 1, nullptr, nullptr));
    EXPECT_FALSE(orders::completeOrder(3, 3, 1, 0.5, nullptr, t.limits()));
    // Tables of P x P counts up to a million cells: 1000 products, not 1001.
    EXPECT_EQ(std::pair(orders::arrangePositions(1000, 1, 2, one.get(), nullptr), orders::arrangePositions(1001, 1, 2, one.get(), nullptr)),
              std::pair(true, false));
    // Two products, two judges: the second judge reversed meets both bounds.
    EXPECT_TRUE(orders::completeOrder(2, 2, 2, 0.5, two.get(), t.limits()));
    EXPECT_EQ(counts(*two, 2, 2, 2).positionSS, 4);
    const Blocks repeated{{1, 2, 3}, {2, 2, 1}, {3, 1, 2}}, foreign{{1, 2, 3}, {4, 1, 2}};
    const auto r = orderOf(repeated), f = orderOf(foreign);
    Stream s(1);
    EXPECT_FALSE(orders::completeOrder(3, 3, 3, 0.5, r.get(), s.limits()));
    EXPECT_FALSE(orders::completeOrder(3, 3, 2, 0.5, f.get(), s.limits()));
    EXPECT_FALSE(orders::arrangePositions(3, 3, 3, r.get(), nullptr));
    EXPECT_EQ(std::pair(rowsOf(*r), rowsOf(*f)), std::pair(repeated, foreign));
}

TEST(OrdersCompletion, StopsAtBothBoundsAndLeavesAnOrderAlreadyThereAlone) {
    // Every unordered pair of 7 products once, R = 2: each ordered pair comes
    // at most once, so the carry-over is at its bound in any order, and the
    // arrangement puts every product 3 times at each position. Given with the
    // lower product first, the positions are off; after completion both are
    // at their bounds, and the search has stopped there without consulting
    // its budget.
    Blocks pairs;
    for (int a = 1; a <= 7; ++a)
        for (int b = a + 1; b <= 7; ++b) pairs.push_back({a, b});
    const auto M = orderOf(pairs);
    Stream s(4);
    int consulted = 0, drawn = 0;
    const orders::CompletionLimits limits{[&] { return ++drawn, s.limits().uniform(); },
                                          [&consulted] { return ++consulted < 0; }};
    EXPECT_TRUE(orders::completeOrder(7, 2, 21, 0.5, M.get(), limits));
    expectSameProducts(pairs, *M);
    EXPECT_TRUE(counts(*M, 7, 2, 21).atBounds());
    EXPECT_EQ(std::pair(consulted, drawn), std::pair(0, 20));  // the judges' shuffle alone: 21 judges, 20 draws
    // Now at both bounds, nothing can beat it: it stays as it is.
    const Blocks done = rowsOf(*M);
    EXPECT_FALSE(orders::completeOrder(7, 2, 21, 0.5, M.get(), limits));
    EXPECT_EQ(rowsOf(*M), done);
    // Six judges tasting all of 3 products: more ordered pairs than cells,
    // each followed twice at the bound, and reached without the budget.
    const auto all = orderOf(Blocks(6, std::vector<int>{1, 2, 3}));
    orders::completeOrder(3, 3, 6, 0.5, all.get(), limits);
    EXPECT_TRUE(counts(*all, 3, 3, 6).atBounds());
    EXPECT_EQ(consulted, 0);
}

TEST(OrdersCompletion, ArrangementTakesOrdersUpToOneHundredThousandCells) {
    for (int J : {25000, 25001}) {  // complete blocks of 4: 100000 cells, then 100004
        const auto M = orderOf(Blocks(static_cast<std::size_t>(J), std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(orders::arrangePositions(4, 4, J, M.get(), nullptr), J == 25000);
        EXPECT_TRUE(J > 25000 || counts(*M, 4, 4, J).positionsEven());  // 16 cells, 100000 counts: all 6250
    }
}
