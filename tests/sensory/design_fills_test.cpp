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

namespace {

using stest::rowOf;
using stest::subsets;

// The fill over distinct blocks from row `row` on; returns the first block left free.
int distinctFill(int row, int nRest, int P, int R, double C, matrixInt* rest, matrix* table, double* crit,
                 stest::Stream& s, int firstFree = 1) {
    RercursiveTableFill22(row, row, nRest, P, R, C, 1, 0, 0, 0, firstFree, rest, table, 0, crit, &s.seed, &s.init, &s.out);
    return firstFree;
}

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
        sensory::writeRow(&row, 1, n, subsets(n, n)[0]);             // more than a block: its first k, block 1
        EXPECT_EQ(sensory::blockRank(&row, 1, n, k, &comb), 1.0);
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
    // The last row takes what is still owed, beside what it held; nothing owed is nothing taken.
    matrixInt last(2, 5, 0);
    last.vbset(2, 2, 1);
    matrix owed(5, 1, 0.0);
    owed.vbset(1, 1.0), owed.vbset(3, -1.0), owed.vbset(4, 2.0);
    GetLastRowJPMat(&owed, 2, 5, &last);
    EXPECT_EQ(rowOf(last, 2, 5), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(rowOf(last, 1, 4), std::vector<int>{});
}

TEST(DesignFills, DistinctBlockFillUsesEveryBlockOnceAndBreaksTiesByDraws) {
    // As many rows as blocks: every 3-subset of 6 once, a balanced design.
    // The first row takes the first block, the second the only one apart from it.
    matrixInt all(20, 6, 0), comb(3, 1, 0);
    matrix table(20, 1, 0.0);
    double crit = 0;
    stest::Stream seeds(4);
    const int firstFree = distinctFill(1, 20, 6, 3, 20, &all, &table, &crit, seeds);
    EXPECT_EQ(rowOf(all, 1, 6), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rowOf(all, 2, 6), (std::vector<int>{4, 5, 6}));
    // Each row's block is marked with that row, so no two rows share one; the last row marks none.
    for (int j = 1; j <= 20; ++j) EXPECT_EQ(table.vbget(static_cast<int>(sensory::blockRank(&all, j, 6, 3, &comb))), j % 20);
    EXPECT_EQ(firstFree, sensory::blockRank(&all, 20, 6, 3, &comb));  // the one block left free
    EXPECT_NEAR(crit, 2.0 * 6 / (5.0 * 3), 1e-12);
    // Rows {1,2} and {3,4} hold blocks 1 and 6; the third row's four free
    // blocks each meet both once: each costs a draw, the first is taken and a
    // later one replaces it when its draw is above one half.
    for (int s = 1; s <= 8; ++s) {
        const auto rest = stest::fromBlocks(4, {{1, 2}, {3, 4}, {}});
        matrix table(6, 1, 0.0);
        table.vbset(1, 1.0), table.vbset(6, 2.0);
        stest::Stream fill(s), replay(s);
        distinctFill(3, 3, 4, 2, 6, rest.get(), &table, &crit, fill, 2);
        const auto pairs = subsets(4, 2);
        std::size_t chosen = 1;
        for (std::size_t c = 1; c <= 4; ++c)
            if (replay.draws.uniform() > 0.5 && c > 1) chosen = c;
        EXPECT_EQ(rowOf(*rest, 3, 4), pairs[chosen]) << "seed " << s;
        EXPECT_EQ(fill.out, replay.out);
    }
}

// A row of the marginal fills: the products most owed are placed and the
// rest chosen from the list one below them, or all from the most owed when
// they are more than a row holds.
struct Lists {
    std::vector<int> fixed, pool;
    int needed = 0;
    explicit Lists(const std::vector<double>& left, int R) {
        const double top = *std::max_element(left.begin(), left.end());
        std::vector<int> must, may;
        for (int p = 1; p <= static_cast<int>(left.size()); ++p) {
            if (left[static_cast<std::size_t>(p - 1)] == top) must.push_back(p);
            if (left[static_cast<std::size_t>(p - 1)] == top - 1) may.push_back(p);
        }
        const bool fromMust = static_cast<int>(must.size()) > R;
        pool = fromMust ? must : may;
        if (!fromMust) fixed = must;
        needed = std::min(R - static_cast<int>(fixed.size()), static_cast<int>(pool.size()));
    }
};

double meanOf(const std::vector<double>& x) {
    double mean = 0;
    for (double v : x) mean += v / static_cast<double>(x.size());
    return mean;
}

double populationVariance(const std::vector<double>& x) {
    const double mean = meanOf(x);
    double ss = 0;
    for (double v : x) ss += (v - mean) * (v - mean);
    return ss / static_cast<double>(x.size());  // 0/0 for no values
}

struct Replay {
    std::vector<std::vector<int>> rows;
    std::vector<double> left;
};

// The marginal fills, row by row. With one draw per row (patience 0): one
// block among the pool's subsets. By random trials: a trial takes the first
// entries of a drawn permutation of the pool; it becomes the best when it is
// no worse in mean overlap with the earlier rows and in the variance of the
// pair concurrences, and strictly better in one of them or in the overlap
// variance; a row ends after `patience` trials in a row that are not (100,
// or 1 once the fill is out of time).
Replay replayFill(int patience, int rows, int P, int R, std::vector<double> left, int seed) {
    stest::Stream seeds(seed);
    matrixInt permutation(P, 1, 0);
    Replay out;
    constexpr double tie = 1e-12;
    const auto in = [](const std::vector<int>& row, int p) { return std::count(row.begin(), row.end(), p); };
    for (int j = 0; j < rows; ++j) {
        const Lists l(left, R);
        std::vector<int> best = patience > 0 ? std::vector<int>{} : l.fixed;
        if (patience == 0) {
            const auto choices = subsets(static_cast<int>(l.pool.size()), l.needed);
            for (int i : choices[static_cast<std::size_t>(seeds.draws.uniform() * static_cast<double>(choices.size()))])
                best.push_back(l.pool[static_cast<std::size_t>(i - 1)]);
        }
        double bestMean = P, bestVar = static_cast<double>(P) * P, bestCo = rows;
        for (int failures = 0; failures < patience;) {
            seeds.draws.permutation(static_cast<int>(l.pool.size()), &permutation);
            std::vector<int> trial = l.fixed;
            for (int k = 1; k <= l.needed; ++k) trial.push_back(l.pool[static_cast<std::size_t>(permutation.vbget(k) - 1)]);
            std::vector<double> overlaps, pairs;
            for (const auto& row : out.rows) {
                double n = 0;
                for (int p : trial) n += static_cast<double>(in(row, p));
                overlaps.push_back(n);
            }
            for (int a = 1; a <= P; ++a)
                for (int b = 1; b < a; ++b) {
                    double n = static_cast<double>(in(trial, a) * in(trial, b));
                    for (const auto& row : out.rows) n += static_cast<double>(in(row, a) * in(row, b));
                    pairs.push_back(n);
                }
            const double mean = meanOf(overlaps), var = populationVariance(overlaps), co = populationVariance(pairs);
            if (best.empty()) best = trial;
            if (mean < bestMean + tie && co < bestCo + tie && (var < bestVar - tie || mean < bestMean - tie || co < bestCo - tie)) {
                best = trial, bestMean = mean, bestVar = var, bestCo = co, failures = 0;
            } else {
                ++failures;
            }
        }
        std::sort(best.begin(), best.end());
        for (int p : best) left[static_cast<std::size_t>(p - 1)] -= 1;
        out.rows.push_back(best);
    }
    out.left = left;
    return out;
}

TEST(DesignFills, MarginalFillsServeTheMarginalsByTheirStatedChoices) {
    // Equal, unequal and spent marginals (the last: rows past what is owed).
    const std::vector<std::tuple<int, int, std::vector<double>>> cases = {
        {5, 3, std::vector<double>(5, 3.0)}, {3, 4, std::vector<double>(6, 2.0)}, {6, 2, std::vector<double>(4, 3.0)},
        {5, 3, {4, 4, 4, 3}}, {2, 3, {0, 0, -1, -1, -1}}, {8, 3, {4, 4, 4, 3, 3, 3, 3}}};
    for (const auto& [rows, R, owed] : cases)
        for (int s = 1; s <= 3; ++s)
            for (int patience : {0, 100, 1}) {
                int nRows = rows, P = static_cast<int>(owed.size()), iR = R;
                stest::Stream seeds(s);
                double crit = 0;
                matrixInt rest(rows, P, 0);
                matrix remaining(P, 1, 0.0);
                sensory::DesignScorer scorer;
                for (int p = 1; p <= P; ++p) remaining.vbset(p, owed[static_cast<std::size_t>(p - 1)]);
                if (patience == 1)  // out of time from the start
                    crit = sensory::fillByMarginalTrials(1, rows, P, R, 2, &rest, &remaining, seeds.draws, scorer, [] { return true; });
                else if (patience == 100)
                    RercursiveTableFill24(1, rows, P, R, 2, &rest, &remaining, &crit, &seeds.seed, &seeds.init, &seeds.out);
                else
                    RercursiveTableFill23(0, 1, nRows, P, iR, 0, 2, 0, &rest, &remaining, &crit, &seeds.seed, &seeds.init,
                                          &seeds.out);
                const Replay expected = replayFill(patience, rows, P, R, owed, s);
                for (int j = 1; j <= rows; ++j)
                    EXPECT_EQ(rowOf(rest, j, P), expected.rows[static_cast<std::size_t>(j - 1)]) << patience << " seed " << s;
                for (int p = 1; p <= P; ++p) EXPECT_EQ(remaining.vbget(p), expected.left[static_cast<std::size_t>(p - 1)]);
                EXPECT_TRUE(stest::sameBits(crit, sensory::DesignScorer().score(2, &rest, rows, P, R)));
            }
    // Shapes no block fits and a missing criterion or block table leave everything untouched.
    matrixInt rest(2, 3, 0);
    matrix remaining(3, 1, 1.0), table(1, 1, 0.0);
    StoreAllCombinesJPMat(&rest, 3, 4, 1);
    double crit = 5;
    stest::Stream seeds(1);
    distinctFill(1, 2, 3, 4, 0, &rest, &table, &crit, seeds);
    distinctFill(1, 2, 3, 2, 3, &rest, nullptr, &crit, seeds);
    int nRest = 2, P = 3, R = 2;
    RercursiveTableFill23(0, 1, nRest, P, R, 0, 1, 0, &rest, &remaining, nullptr, &seeds.seed, &seeds.init, &seeds.out);
    EXPECT_EQ(crit, 5);
    EXPECT_EQ(stest::columnSums(rest, 2, 3), std::vector<int>(3, 0));
    EXPECT_EQ(remaining.vbget(1), 1.0);
}

TEST(DesignFills, CooccurrenceCountsAddUpAndTheirVarianceIsThePopulationOne) {
    std::mt19937 gen(11);
    const int J = 10, P = 7;
    const auto M = stest::randomDesign(J, P, 3, gen);
    matrix all(P, P, 0.0), parts(P, P, 0.0);
    GetCooccurrenceMat(M.get(), P, 1, J + 5, &all);  // rows past the matrix hold nothing
    GetCooccurrenceMat(M.get(), P, 1, 4, &parts);
    GetCooccurrenceMat(M.get(), P, 5, J, &parts);
    GetCooccurrenceMat(nullptr, P, 1, J, &parts);  // no design: nothing added, nothing read
    std::vector<double> below;  // the counts below the diagonal
    for (int a = 1; a <= P; ++a)
        for (int b = 1; b <= P; ++b) {
            int n = 0;
            for (int j = 1; j <= J; ++j) n += M->vbget(j, a) * M->vbget(j, b);
            EXPECT_EQ(all.vbget(a, b), b <= a ? n : 0) << a << "," << b;
            EXPECT_EQ(parts.vbget(a, b), all.vbget(a, b));
            if (b < a) below.push_back(n);
        }
    double var = 0;
    GetVarCoMat(&all, P, &var);
    EXPECT_NEAR(var, populationVariance(below), 1e-12);
    // Taking the last row back out leaves the counts of the others.
    matrix first(P, P, 0.0);
    GetCooccurrenceMat(M.get(), P, 1, J - 1, &first);
    ResetCooccurrenceMat(M.get(), P, J, &all);
    ResetCooccurrenceMat(nullptr, P, J - 1, &all);  // no design, or no counts: nothing taken
    ResetCooccurrenceMat(M.get(), P, J - 1, nullptr);
    for (int a = 1; a <= P; ++a)
        for (int b = 1; b <= P; ++b) EXPECT_EQ(all.vbget(a, b), first.vbget(a, b));
    GetVarCoMat(&all, 1, &var);
    EXPECT_TRUE(std::isnan(var));
}

}  // namespace
