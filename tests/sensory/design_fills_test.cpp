// The fixed rows and greedy fills of the design search, and the block and
// co-occurrence counts under them, against plain enumeration, brute-force
// counts and the fills' stated steps replayed on the library's own stream.
#include "design_support.h"
#include "sensory/block_criteria.h"
#include "sensory/block_enumeration.h"
#include "sensory/cooccurrence.h"
#include "sensory/seed_stream.h"
#include "sensory/table_fills.h"
#include "services/numeric.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

using stest::rowOf;
using stest::subsets;

matrix filled(int P, double v) { return matrix(P, 1, v); }

TEST(DesignFills, BlocksAreTheSubsetsInLexicographicOrder) {
    for (const auto& [n, k] : {std::pair{6, 3}, {5, 1}, {5, 2}, {7, 4}}) {
        const auto all = subsets(n, k);
        matrixInt comb(k, 1, 0), row(1, n, 0);
        for (std::size_t c = 1; c <= all.size(); ++c) {
            sensory::setBlock(n, k, static_cast<double>(c), &comb);
            std::vector<int> got;
            for (int i = 1; i <= k; ++i) got.push_back(comb.vbget(i) + 1);
            EXPECT_EQ(got, all[c - 1]) << n << " " << k << " block " << c;
            sensory::writeRow(&row, 1, n, all[c - 1]);
            EXPECT_EQ(sensory::blockRank(&row, 1, n, k, &comb), static_cast<double>(c));
        }
        sensory::writeRow(&row, 1, n, std::vector<int>(all[0].begin(), all[0].end() - 1));
        EXPECT_EQ(sensory::blockRank(&row, 1, n, k, &comb), 0.0);  // too few products
    }
    // Whole replicates: every block in order, once per replicate; cells are
    // only set, and rows past the matrix are left out.
    const auto pairs = subsets(5, 2);
    for (int rows : {23, 13}) {
        matrixInt M(rows, 5, 0);
        if (rows == 23) M.vbset(23, 5, 1);
        StoreAllCombinesJPMat(&M, 5, 2, 2);
        for (int j = 1; j <= std::min(rows, 20); ++j) EXPECT_EQ(rowOf(M, j, 5), pairs[(j - 1) % 10]) << j;
        if (rows == 23) {
            EXPECT_EQ(rowOf(M, 22, 5), std::vector<int>{});
            EXPECT_EQ(rowOf(M, 23, 5), std::vector<int>{5});
        }
    }
    // The last row takes what is still owed, beside what it held.
    matrixInt last(2, 4, 0);
    last.vbset(2, 2, 1);
    matrix owed(4, 1, 0.0);
    owed.vbset(1, 1.0), owed.vbset(3, -1.0), owed.vbset(4, 2.0);
    GetLastRowJPMat(&owed, 2, 4, &last);
    EXPECT_EQ(rowOf(last, 2, 4), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(rowOf(last, 1, 4), std::vector<int>{});
}

TEST(DesignFills, DistinctBlockFillUsesEveryBlockOnceAndBreaksTiesByDraws) {
    // As many rows as blocks: every 3-subset of 6 once, a balanced design.
    // The first row takes the first block, the second the only one apart from it.
    {
        int nRest = 20, P = 6, R = 3, firstFree = 1, seed = 4, oSeed = 0;
        double C = 20, crit = 0;
        short init = -1;
        matrixInt rest(20, 6, 0);
        matrix table(20, 1, 0.0);
        RercursiveTableFill22(1, 1, nRest, P, R, C, 1, 0, 0, 0, firstFree, &rest, &table, 0, &crit, &seed, &init, &oSeed);
        std::set<std::vector<int>> blocks;
        for (int j = 1; j <= 20; ++j) blocks.insert(rowOf(rest, j, 6));
        EXPECT_EQ(blocks.size(), 20u);
        EXPECT_EQ(rowOf(rest, 1, 6), (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(rowOf(rest, 2, 6), (std::vector<int>{4, 5, 6}));
        matrixInt comb(3, 1, 0);
        for (int j = 1; j < 20; ++j) EXPECT_EQ(table.vbget(static_cast<int>(sensory::blockRank(&rest, j, 6, 3, &comb))), j);
        EXPECT_EQ(firstFree, sensory::blockRank(&rest, 20, 6, 3, &comb));  // the one block left free
        EXPECT_NEAR(crit, 2.0 * 6 / (5.0 * 3), 1e-12);
    }
    // Rows {1,2} and {3,4} hold blocks 1 and 6; the third row's four free
    // blocks each meet both once: each costs a draw, the first is taken and a
    // later one replaces it when its draw is above one half.
    for (int s = 1; s <= 8; ++s) {
        int nRest = 3, P = 4, R = 2, firstFree = 2, seed = s, oSeed = 0;
        double C = 6, crit = 0;
        short init = -1;
        const auto rest = stest::fromBlocks(4, {{1, 2}, {3, 4}, {}});
        matrix table(6, 1, 0.0);
        table.vbset(1, 1.0), table.vbset(6, 2.0);
        RercursiveTableFill22(3, 3, nRest, P, R, C, 1, 0, 0, 0, firstFree, rest.get(), &table, 0, &crit, &seed, &init,
                              &oSeed);
        int replay = s, replayOut = 0;
        short replayInit = -1;
        sensory::SeedStream seeds(&replay, &replayInit, &replayOut);
        const auto pairs = subsets(4, 2);
        std::size_t chosen = 1;
        for (std::size_t c = 1; c <= 4; ++c)
            if (seeds.uniform() > 0.5 && c > 1) chosen = c;
        EXPECT_EQ(rowOf(*rest, 3, 4), pairs[chosen]) << "seed " << s;
        EXPECT_EQ(oSeed, replayOut);
    }
}

// The marginal fill with one draw per row, replayed: the products most owed
// are placed, the rest drawn as one block among the subsets of the list one
// below them (or of the most owed, when they are more than a row holds).
std::vector<std::vector<int>> replayOneDrawFill(int rows, int P, int R, double owed, int seed) {
    std::vector<double> left(static_cast<std::size_t>(P), owed);
    int s = seed, o = 0;
    short init = -1;
    sensory::SeedStream seeds(&s, &init, &o);
    std::vector<std::vector<int>> out;
    for (int j = 0; j < rows; ++j) {
        const double top = *std::max_element(left.begin(), left.end());
        std::vector<int> must, may;
        for (int p = 1; p <= P; ++p) {
            if (left[static_cast<std::size_t>(p - 1)] == top) must.push_back(p);
            if (left[static_cast<std::size_t>(p - 1)] == top - 1) may.push_back(p);
        }
        const bool fromMust = static_cast<int>(must.size()) > R;
        const std::vector<int>& pool = fromMust ? must : may;
        std::vector<int> row = fromMust ? std::vector<int>{} : must;
        const int needed = std::min(R - static_cast<int>(row.size()), static_cast<int>(pool.size()));
        const auto choices = subsets(static_cast<int>(pool.size()), needed);
        const auto& pick = choices[static_cast<std::size_t>(seeds.uniform() * static_cast<double>(choices.size()))];
        for (int i : pick) row.push_back(pool[static_cast<std::size_t>(i - 1)]);
        std::sort(row.begin(), row.end());
        for (int p : row) left[static_cast<std::size_t>(p - 1)] -= 1;
        out.push_back(row);
    }
    return out;
}

TEST(DesignFills, MarginalFillsServeTheMarginalsByTheirStatedChoices) {
    for (const auto& [rows, P, R, owed] : {std::tuple{5, 5, 3, 3.0}, {3, 6, 4, 2.0}, {6, 4, 2, 3.0}})
        for (int s = 1; s <= 4; ++s) {
            int nRows = rows, iP = P, iR = R, seed = s, oSeed = 0;
            short init = -1;
            double crit = 0;
            matrixInt rest(rows, P, 0);
            matrix remaining = filled(P, owed);
            RercursiveTableFill23(0, 1, nRows, iP, iR, 0, 2, 0, &rest, &remaining, &crit, &seed, &init, &oSeed);
            const auto expected = replayOneDrawFill(rows, P, R, owed, s);
            for (int j = 1; j <= rows; ++j) EXPECT_EQ(rowOf(rest, j, P), expected[static_cast<std::size_t>(j - 1)]);
            for (int p = 1; p <= P; ++p) EXPECT_EQ(remaining.vbget(p), 0.0);
            EXPECT_TRUE(stest::sameBits(crit, sensory::DesignScorer().score(2, &rest, rows, P, R)));
        }
    // The fill by random trials, 7 rows of 3 of 7 products: the second row
    // must take three of the four products still owed three times, the third
    // the one left and one product of each earlier row (the least overlap
    // variance and the most even concurrences).
    for (int s = 1; s <= 4; ++s) {
        int seed = s, oSeed = 0;
        short init = -1;
        double crit = 0;
        matrixInt rest(7, 7, 0);
        matrix remaining = filled(7, 3.0);
        RercursiveTableFill24(1, 7, 7, 3, 1, &rest, &remaining, &crit, &seed, &init, &oSeed);
        stest::expectBlocksOfSize(rest, 7, 7, 3);
        EXPECT_EQ(stest::columnSums(rest, 7, 7), std::vector<int>(7, 3));
        const auto overlap = [&](int a, int b) {
            int n = 0;
            for (int p = 1; p <= 7; ++p) n += rest.vbget(a, p) * rest.vbget(b, p);
            return n;
        };
        EXPECT_EQ(overlap(1, 2), 0);
        EXPECT_EQ(overlap(1, 3), 1);
        EXPECT_EQ(overlap(2, 3), 1);
        EXPECT_LE(crit, 2.0 * 7 / (6.0 * 3) + 1e-12);
    }
}

TEST(DesignFills, CooccurrenceCountsAddUpAndTheirVarianceIsThePopulationOne) {
    std::mt19937 gen(11);
    const int J = 10, P = 7;
    const auto M = stest::randomDesign(J, P, 3, gen);
    matrix all(P, P, 0.0), parts(P, P, 0.0);
    GetCooccurrenceMat(M.get(), P, 1, J + 5, &all);  // rows past the matrix hold nothing
    GetCooccurrenceMat(M.get(), P, 1, 4, &parts);
    GetCooccurrenceMat(M.get(), P, 5, J, &parts);
    GetCooccurrenceMat(M.get(), P, 6, 5, &parts);  // an empty range
    std::vector<double> below;
    for (int a = 1; a <= P; ++a)
        for (int b = 1; b <= P; ++b) {
            int n = 0;
            for (int j = 1; j <= J; ++j) n += M->vbget(j, a) * M->vbget(j, b);
            EXPECT_EQ(all.vbget(a, b), b <= a ? n : 0) << a << "," << b;
            EXPECT_EQ(parts.vbget(a, b), all.vbget(a, b));
            if (b < a) below.push_back(n);
        }
    double mean = 0, ss = 0;
    for (double x : below) mean += x / static_cast<double>(below.size());
    for (double x : below) ss += (x - mean) * (x - mean);
    double var = 0;
    GetVarCoMat(&all, P, &var);
    EXPECT_NEAR(var, ss / static_cast<double>(below.size()), 1e-12);
    // Taking the last row back out leaves the counts of the others.
    matrix first(P, P, 0.0);
    GetCooccurrenceMat(M.get(), P, 1, J - 1, &first);
    ResetCooccurrenceMat(M.get(), P, J, &all);
    for (int a = 1; a <= P; ++a)
        for (int b = 1; b <= P; ++b) EXPECT_EQ(all.vbget(a, b), first.vbget(a, b));
    GetVarCoMat(&all, 1, &var);
    EXPECT_TRUE(std::isnan(var));
}

}  // namespace
