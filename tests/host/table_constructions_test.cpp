// The constructions behind the host's table beyond the catalogue's, each
// against facts of its own: H H' = n I for Hadamard matrices, strength 2 by
// a plain count, the level pattern each published parent (Kuhfeld's
// catalogue of parent arrays) names, and the generator's own check
// rejecting arrays that are not orthogonal.
#include "host/optimal/orthogonal_lookup.h"
#include "tests/host/host_support.h"
#include "tools/oagen/doubling_with_contraction.h"
#include "tools/oagen/hadamard_fold_over.h"
#include "tools/oagen/kronecker_sum.h"
#include "tools/oagen/one_flat.h"
#include "tools/oagen/projected_multiplication.h"
#include "tools/oagen/signed_word_blocks.h"
#include "tools/oagen/subspace_packing.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using oagen::Array;

std::vector<int> levelsOf(const Array& a) {
    std::vector<int> levels;
    for (const oagen::Column& c : a.columns) levels.push_back(c.levels);
    return levels;
}

// Column-major, 1-based, as the host's checker reads plans.
std::vector<int> planOf(const Array& a) {
    std::vector<int> plan;
    for (const oagen::Column& c : a.columns)
        for (int v : c.values) plan.push_back(v + 1);
    return plan;
}

std::map<int, int> patternOf(const std::vector<int>& levels) {
    std::map<int, int> p;
    for (int s : levels) ++p[s];
    return p;
}

// "L72.2.35.4.1.18.1" -> 72 runs, {2: 35, 4: 1, 18: 1}.
std::pair<int, std::map<int, int>> parseParent(const std::string& name) {
    std::stringstream in(name.substr(1));
    std::string part;
    std::vector<int> numbers;
    while (std::getline(in, part, '.')) numbers.push_back(std::stoi(part));
    std::map<int, int> pattern;
    for (std::size_t i = 1; i + 1 < numbers.size(); i += 2) pattern[numbers[i]] += numbers[i + 1];
    return {numbers[0], pattern};
}

// The catalogue's name of the pattern: L<runs>.<levels>.<count>...
std::string parentName(int runs, const std::vector<std::pair<int, int>>& pattern) {
    std::ostringstream name;
    name << 'L' << runs;
    for (const auto& [s, k] : pattern) name << '.' << s << '.' << k;
    return name.str();
}

void expectParent(const Array& a, const std::string& parent) {
    const auto [runs, pattern] = parseParent(parent);
    EXPECT_EQ(a.runs, runs) << parent;
    EXPECT_EQ(patternOf(levelsOf(a)), pattern) << parent;
    EXPECT_TRUE(hosttest::strengthTwo(planOf(a), a.runs, levelsOf(a))) << parent;
}

TEST(TableConstructions, HadamardMatricesUpTo144IncludingWilliamsons) {
    for (int n = 4; n <= 144; n += 4) {
        const oagen::SignMatrix h = oagen::normalisedHadamard(n);
        ASSERT_EQ(static_cast<int>(h.size()), n) << n;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(h[0][i], 1) << n;
            EXPECT_EQ(h[i][0], 1) << n;
            for (int j = i; j < n; ++j) {
                long dot = 0;
                for (int k = 0; k < n; ++k) dot += h[i][k] * h[j][k];
                ASSERT_EQ(dot, i == j ? n : 0) << "order " << n << ", rows " << i << " and " << j;
            }
        }
    }
    EXPECT_TRUE(oagen::normalisedHadamard(6).empty());
}

TEST(TableConstructions, FoldOversAreThePublishedParents) {
    for (int n : {8, 12, 20, 28, 44, 52, 68}) expectParent(oagen::hadamardFoldOver(n), parentName(2 * n, {{2, n}, {n, 1}}));
    EXPECT_EQ(oagen::hadamardFoldOver(10).runs, 0);
}

TEST(TableConstructions, EachConstructionGivesItsPublishedParents) {
    const std::vector<std::pair<Array, const char*>> cases = {
        {oagen::oneFlat(1, 20), "L40.2.36.4.1"},
        {oagen::oneFlat(1, 28), "L56.2.52.4.1"},
        {oagen::oneFlat(2, 12), "L48.2.40.8.1"},
        {oagen::oneFlat(2, 20), "L80.2.72.8.1"},
        {oagen::oneFlat(3, 12), "L96.2.80.16.1"},
        {oagen::oneFlat(1, 68), "L136.2.132.4.1"},
        {oagen::projectedMultiplication(16, 2), "L64.4.16.16.1"},
        {oagen::projectedMultiplication(27, 1), "L81.3.27.27.1"},
        {oagen::projectedMultiplication(25, 1), "L125.5.25.25.1"},
        {oagen::projectedMultiplication(32, 2), "L128.4.32.32.1"},
        {oagen::projectedMultiplication(16, 3), "L128.8.16.16.1"},
        {oagen::subspacePacking32(), "L32.4.8.8.1"},
    };
    for (const auto& [array, parent] : cases) expectParent(array, parent);
    EXPECT_EQ(oagen::oneFlat(0, 12).runs, 0);
    EXPECT_EQ(oagen::oneFlat(1, 10).runs, 0);
    EXPECT_EQ(oagen::projectedMultiplication(9, 3).runs, 0);
}

TEST(TableConstructions, DoublingWithContractionGivesThePublishedParents) {
    const Array w12 = oagen::doubleWithContraction(oagen::signedWords12(), 0, 1);
    expectParent(w12, "L24.2.13.3.1.4.1");
    const Array w48 = oagen::doubleWithContraction(w12, 14, 2);  // its 4-level column, the last
    expectParent(w48, "L48.2.33.3.1.8.1");
    expectParent(oagen::doubleWithContraction(w48, 34, 3), "L96.2.73.3.1.16.1");
    expectParent(oagen::doubleWithContraction(oagen::signedWords24(), 11, 2), "L48.2.31.6.1.8.1");
    expectParent(oagen::doubleWithContraction(oagen::differenceSchemeTwoColumns(18), 0, 1), "L72.2.35.4.1.18.1");
    expectParent(oagen::doubleWithContraction(oagen::sixLevelTriple28(), 3, 1), "L72.2.41.4.1.6.3");
    expectParent(oagen::doubleWithContraction(oagen::expanded36Binary(), 12, 1), "L72.2.44.3.12.4.1");
    // The column must have 2^t levels, and M / 2^(t-1) must be a Hadamard order.
    EXPECT_EQ(oagen::doubleWithContraction(oagen::signedWords12(), 4, 1).runs, 0);
    EXPECT_EQ(oagen::doubleWithContraction(oagen::signedWords12(), 0, 2).runs, 0);
    EXPECT_EQ(oagen::doubleWithContraction(oagen::expanded18(), 6, 1).runs, 0);
}

// Two-level columns of the published parents OA(4m, 2^k m), by m.
const std::map<int, int> kSignedWordParents = {{7, 12}, {9, 16}, {11, 15}, {13, 16}, {15, 17}, {17, 18},
                                               {19, 19}, {21, 20}, {23, 21}, {25, 22}};

TEST(TableConstructions, SignedWordBlocksAndTheirDoublingsAreThePublishedParents) {
    ASSERT_FALSE(oagen::signedWordBlockCounts().empty());
    for (int m : oagen::signedWordBlockCounts()) {
        ASSERT_EQ(kSignedWordParents.count(m), 1u) << m;
        const int k = kSignedWordParents.at(m);
        const Array words = oagen::signedWordBlocks(m);
        expectParent(words, parentName(4 * m, {{2, k}, {m, 1}}));
        // Doubled on its first word: 4m - 2 Hadamard columns, the other k - 1 words, that word with g as 4 levels.
        expectParent(oagen::doubleWithContraction(words, 0, 1), parentName(8 * m, {{2, 4 * m - 2 + k - 1}, {4, 1}, {m, 1}}));
    }
    EXPECT_EQ(oagen::signedWordBlocks(8).runs, 0);
}

TEST(TableConstructions, TwoColumnSchemesGiveTheTwoLevelPairParents) {
    for (int k : {10, 14, 22, 46, 58, 70})
        expectParent(oagen::differenceSchemeTwoColumns(k), parentName(2 * k, {{2, 2}, {k, 1}}));
}

// Every two columns of d show each difference (mod p) equally often.
bool isDifferenceMatrix(const oagen::DifferenceMatrix& d, int p) {
    for (std::size_t j = 0; j < d.front().size(); ++j)
        for (std::size_t l = j + 1; l < d.front().size(); ++l) {
            std::vector<std::size_t> seen(static_cast<std::size_t>(p), 0);
            for (const auto& row : d) ++seen[static_cast<std::size_t>(((row[j] - row[l]) % p + p) % p)];
            for (std::size_t n : seen)
                if (n * static_cast<std::size_t>(p) != d.size()) return false;
        }
    return true;
}

TEST(TableConstructions, DifferenceMatricesOverPrimeFieldsAndTheirSums) {
    // D(14, 14, 7) with kappa = 4; for q = 5 no kappa gives one.
    EXPECT_TRUE(isDifferenceMatrix(oagen::doubledField(7, 4), 7));
    EXPECT_TRUE(isDifferenceMatrix(oagen::doubledField(3, 2), 3));
    for (int kappa = 0; kappa < 5; ++kappa) EXPECT_FALSE(isDifferenceMatrix(oagen::doubledField(5, kappa), 5)) << kappa;
    expectParent(oagen::expandOverGroup(oagen::doubledField(7, 4), 7, 1), "L98.7.14.14.1");
    const oagen::DifferenceMatrix d36 = oagen::kroneckerSum(oagen::differenceMatrix12(), oagen::primeMultiplication(3), 3);
    EXPECT_TRUE(isDifferenceMatrix(d36, 3));
    expectParent(oagen::expandOverGroup(d36, 3, 1), "L108.3.36.36.1");
}

TEST(TableConstructions, TheGeneratorsCheckRejectsWhatIsNotOrthogonal) {
    Array a = oagen::hadamardFoldOver(8);
    ASSERT_TRUE(oagen::hasStrengthTwo(a));
    Array pair = a;
    std::swap(pair.columns[1].values[0], pair.columns[1].values[2]);  // each column still balanced
    EXPECT_FALSE(oagen::hasStrengthTwo(pair));
    Array unbalanced = a;
    unbalanced.columns[0].values[0] = 1 - unbalanced.columns[0].values[0];
    EXPECT_FALSE(oagen::hasStrengthTwo(unbalanced));
    Array outOfRange = a;
    outOfRange.columns.back().values[0] = 8;
    EXPECT_FALSE(oagen::hasStrengthTwo(outOfRange));
    Array shortColumn = a;
    shortColumn.columns[2].values.pop_back();
    EXPECT_FALSE(oagen::hasStrengthTwo(shortColumn));
}

TEST(TableConstructions, PublishedParentsServedByTheTableAsTheyStand) {
    // A sample of Kuhfeld's parents the new constructions add, looked up by
    // their level pattern: the plan returned has strength 2.
    for (const char* parent : {"L16.2.8.8.1", "L24.2.12.12.1", "L48.2.24.24.1", "L80.2.55.8.1.10.1",
                               "L88.2.43.4.1.22.1", "L92.2.91", "L112.2.79.8.1.14.1", "L116.2.115", "L121.11.12",
                               "L125.5.25.25.1", "L144.2.103.8.1.18.1", "L72.2.34.3.8.4.1.6.2"}) {
        const auto [runs, pattern] = parseParent(parent);
        std::vector<int> levels;
        for (const auto& [s, k] : pattern) levels.insert(levels.end(), static_cast<std::size_t>(k), s);
        const auto found = vxhost::findOrthogonal(vxhost::tableSheets(), levels, runs);
        ASSERT_TRUE(found) << parent;
        EXPECT_TRUE(hosttest::strengthTwo(found->plan, runs, levels)) << parent;
    }
}

}  // namespace
