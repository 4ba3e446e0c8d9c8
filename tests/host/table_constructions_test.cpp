// The constructions behind the host's table beyond the catalogue's, each
// against facts of its own: H H' = n I for Hadamard matrices, strength 2 by
// a plain count, the level pattern each published parent (Kuhfeld's
// catalogue of parent arrays) names, and the generator's own check
// rejecting arrays that are not orthogonal.
#include "host/optimal/orthogonal_lookup.h"
#include "tests/host/host_support.h"
#include "tools/oagen/chinese_remainder_scheme.h"
#include "tools/oagen/copy_joined_scheme.h"
#include "tools/oagen/crossed_rows.h"
#include "tools/oagen/doubled_joined_pair.h"
#include "tools/oagen/doubling_with_contraction.h"
#include "tools/oagen/four_level_triple.h"
#include "tools/oagen/hadamard_fold_over.h"
#include "tools/oagen/joined_copies.h"
#include "tools/oagen/kronecker_sum.h"
#include "tools/oagen/one_flat.h"
#include "tools/oagen/projected_multiplication.h"
#include "tools/oagen/quadratic_form_blocks.h"
#include "tools/oagen/rao_hamming_plane.h"
#include "tools/oagen/row_orbit_columns.h"
#include "tools/oagen/searched_six_level_arrays.h"
#include "tools/oagen/searched_subspace_packings.h"
#include "tools/oagen/signed_word_blocks.h"
#include "tools/oagen/six_level_splits.h"
#include "tools/oagen/stored_difference_matrices.h"
#include "tools/oagen/subspace_packing.h"
#include "tools/oagen/twelve_level_scheme.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>
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

// The array with its runs in reverse order, so that its first row is no
// longer all zero and a construction must place every cell.
Array runsReversed(Array a) {
    for (oagen::Column& c : a.columns) std::reverse(c.values.begin(), c.values.end());
    return a;
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
        {oagen::oneFlat(2, 12), "L48.2.40.8.1"},
        {oagen::oneFlat(3, 12), "L96.2.80.16.1"},
        {oagen::fourLevelTriple(20), "L80.2.51.4.3.20.1"},
        {oagen::fourLevelTriple(12), "L48.2.27.4.3.12.1"},  // closed form 3r - 9; not a published parent
        {oagen::fourLevelTriple(4), "L16.2.3.4.4"},          // 4^3 beside 2^3 and the 4-level row
        {oagen::projectedMultiplication(16, 2), "L64.4.16.16.1"},
        {oagen::projectedMultiplication(27, 1), "L81.3.27.27.1"},
        {oagen::projectedMultiplication(16, 3), "L128.8.16.16.1"},
        {oagen::subspacePacking32(), "L32.4.8.8.1"},
        {oagen::raoHammingWithPlane(3, 3), "L27.3.9.9.1"},
        {oagen::raoHammingWithPlane(3, 4), "L81.3.36.9.1"},  // closed form: 40 forms less the plane's 4
        {oagen::raoHammingWithPlane(5, 3), "L125.5.25.25.1"},
        {oagen::raoHammingWithPlane(2, 4), "L16.2.12.4.1"},  // closed form: 15 points less a line's 3
    };
    for (const auto& [array, parent] : cases) expectParent(array, parent);
    EXPECT_EQ(oagen::oneFlat(0, 12).runs, 0);
    EXPECT_EQ(oagen::oneFlat(1, 10).runs, 0);
    EXPECT_EQ(oagen::fourLevelTriple(10).runs, 0);
    EXPECT_EQ(oagen::fourLevelTriple(2).runs, 0);  // H_2 has no column 2 to build d from
    EXPECT_EQ(oagen::projectedMultiplication(9, 3).runs, 0);
    EXPECT_EQ(oagen::raoHammingWithPlane(3, 2).runs, 0);
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

// Two-level columns of the published parents OA(n m, 2^k m), by (n, m).
const std::map<std::pair<int, int>, int> kSignedWordParents = {
    {{4, 7}, 12},  {{4, 9}, 16},  {{4, 11}, 15}, {{4, 13}, 16}, {{4, 15}, 17}, {{4, 17}, 18}, {{4, 19}, 19},
    {{4, 21}, 20}, {{4, 23}, 21}, {{4, 25}, 22}, {{4, 27}, 22}, {{4, 29}, 23}, {{4, 31}, 22}, {{4, 33}, 22},
    {{4, 35}, 22}, {{12, 3}, 27}, {{12, 11}, 27}, {{20, 7}, 38}, {{12, 5}, 23}, {{12, 7}, 28}, {{20, 3}, 30},
    {{28, 3}, 33}};

TEST(TableConstructions, SignedWordBlocksAndTheirDoublingsAreThePublishedParents) {
    ASSERT_FALSE(oagen::signedWordShapes().empty());  // the doublings by the closed form of the theorem
    for (const auto& [n, m] : oagen::signedWordShapes()) {
        ASSERT_EQ(kSignedWordParents.count({n, m}), 1u) << n << " " << m;
        const Array words = oagen::signedWordBlocks(n, m);
        // As many words as the published parent, or more (2^40 3 in 84 runs against 2^33 3).
        const int k = static_cast<int>(words.columns.size()) - 1;
        EXPECT_GE(k, kSignedWordParents.at({n, m})) << n << " " << m;
        expectParent(words, parentName(n * m, {{2, k}, {m, 1}}));
        // Doubled on its first word: nm - 2 Hadamard columns, the other k - 1 words, that word with g as 4 levels.
        const Array once = oagen::doubleWithContraction(words, 0, 1);
        expectParent(once, parentName(2 * n * m, {{2, n * m - 2 + k - 1}, {4, 1}, {m, 1}}));
        // Doubled again on that 4-level column: 2nm - 4 Hadamard columns and an 8-level one.
        const std::vector<int> levels = levelsOf(once);
        const int four = static_cast<int>(std::find(levels.begin(), levels.end(), 4) - levels.begin());
        if (4 * n * m <= 144)
            expectParent(oagen::doubleWithContraction(once, four, 2),
                         parentName(4 * n * m, {{2, 3 * n * m - 7 + k}, {m, 1}, {8, 1}}));
    }
    EXPECT_EQ(oagen::signedWordBlocks(4, 8).runs, 0);
    EXPECT_EQ(oagen::signedWordBlocks(8, 7).runs, 0);
}

TEST(TableConstructions, SixLevelColumnsOnHalvesOfD12AreThePublishedParents) {
    const std::vector<Array> arrays = oagen::sixLevelSplitArrays36();
    ASSERT_EQ(arrays.size(), 4u);
    const char* parents[] = {"L36.2.10.3.8.6.1", "L36.2.3.3.9.6.1", "L36.2.9.3.4.6.2", "L36.2.2.3.5.6.2"};
    for (std::size_t i = 0; i < arrays.size(); ++i) {
        expectParent(arrays[i], parents[i]);
        const auto [runs, pattern] = parseParent(parents[i]);
        auto doubled = pattern;  // 36 - 2 Hadamard columns, the base's other two-level ones, one 4-level
        doubled[2] += 36 - 2 - 1;
        doubled[4] = 1;
        std::vector<std::pair<int, int>> named(doubled.begin(), doubled.end());
        expectParent(oagen::doubleWithContraction(arrays[i], 0, 1), parentName(72, named));
    }
}

TEST(TableConstructions, SearchedSixLevelArraysAndTheirDoublingsAreThePublishedParents) {
    const std::vector<Array> arrays = oagen::searchedSixLevelArrays36();
    ASSERT_EQ(arrays.size(), 6u);
    // Doubled on the first two-level column: 34 Hadamard columns, the other
    // two-level ones, that column with g as 4 levels (the published 72-run parents).
    const char* parents[][2] = {{"L36.2.1.3.3.6.3", "L72.2.34.3.3.4.1.6.3"}, {"L36.2.4.3.1.6.3", "L72.2.37.3.1.4.1.6.3"},
                                {"L36.2.3.3.2.6.3", "L72.2.36.3.2.4.1.6.3"},
                                {"L36.2.13.3.2.6.1", "L72.2.46.3.2.4.1.6.1"},
                                {"L36.2.13.6.2", "L72.2.46.4.1.6.2"}, {"L36.2.10.3.1.6.2", "L72.2.43.3.1.4.1.6.2"}};
    for (std::size_t i = 0; i < arrays.size(); ++i) {
        expectParent(arrays[i], parents[i][0]);
        expectParent(oagen::doubleWithContraction(arrays[i], 0, 1), parents[i][1]);
    }
}

TEST(TableConstructions, SearchedPackingsAreThePublishedParentsOfPlanesAndLines) {
    // Kuhfeld's 64- and 128-run parents of 2-, 4-, 8- (and 16-) level columns
    // beyond one spread: each stored packing gives one, and all of them.
    std::multiset<std::string> published = {
        "L64.4.14.8.3", "L64.4.7.8.6", "L64.2.5.4.10.8.4", "L64.2.5.4.17.8.1",
        "L128.2.3.4.11.8.13", "L128.2.3.4.18.8.10", "L128.2.3.4.25.8.7", "L128.2.5.4.8.8.14",
        "L128.2.4.4.8.8.12.16.1", "L128.2.4.4.15.8.9.16.1", "L128.2.4.4.22.8.6.16.1", "L128.2.4.4.29.8.3.16.1",
        "L128.2.4.4.36.16.1", "L128.2.5.4.10.8.11.16.1", "L128.2.5.4.17.8.8.16.1", "L128.2.5.4.24.8.5.16.1",
        "L128.2.5.4.31.8.2.16.1", "L128.2.6.4.12.8.10.16.1", "L128.2.6.4.19.8.7.16.1", "L128.2.6.4.26.8.4.16.1",
        "L128.2.6.4.33.8.1.16.1", "L128.2.6.4.5.8.13.16.1"};
    std::multiset<std::string> built;
    for (const Array& a : oagen::searchedSubspacePackings()) {
        const std::map<int, int> p = patternOf(levelsOf(a));
        const std::string name = parentName(a.runs, {p.begin(), p.end()});
        EXPECT_TRUE(hosttest::strengthTwo(planOf(a), a.runs, levelsOf(a))) << name;
        built.insert(name);
    }
    EXPECT_EQ(built, published);
}

TEST(TableConstructions, PackedSubspacesReadEachSubspaceAsOneColumn) {
    // GF(2)^4 = GF(4)^2, GF(4) element 2 being x: its five GF(4)-lines, each
    // spanned by v and x v, split the 15 points, OA(16, 4^5).
    expectParent(oagen::packedSubspaces(4, {{1, 2}, {4, 8}, {5, 10}, {6, 11}, {7, 9}}), "L16.4.5");
    // One line and the four points outside it: 2^4 4 in 8, the line's
    // column last, its digits the parities under 1 and 2.
    const Array a = oagen::packedSubspaces(3, {{1, 2}});
    expectParent(a, "L8.2.4.4.1");
    for (int r = 0; r < 8; ++r) EXPECT_EQ(a.columns.back().values[r], 2 * (r & 1) + ((r >> 1) & 1)) << r;
    EXPECT_EQ(a.columns.front().values, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));  // the point 4
    // Subspaces that meet, a dependent basis, masks outside GF(2)^n.
    EXPECT_THROW(oagen::packedSubspaces(3, {{1, 2}, {3, 4}}), std::invalid_argument);
    EXPECT_THROW(oagen::packedSubspaces(3, {{1, 2, 3}}), std::invalid_argument);
    EXPECT_THROW(oagen::packedSubspaces(3, {{1, 8}}), std::invalid_argument);
    EXPECT_THROW(oagen::packedSubspaces(3, {{8}}), std::invalid_argument);
    EXPECT_THROW(oagen::packedSubspaces(3, {{0}}), std::invalid_argument);
    // The whole space as one subspace: its column is the run itself.
    const Array whole = oagen::packedSubspaces(2, {{2, 1}});
    ASSERT_EQ(whole.columns.size(), 1u);
    EXPECT_EQ(whole.columns[0].values, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_THROW(oagen::packedSubspaces(3, {{-1}}), std::invalid_argument);
    EXPECT_THROW(oagen::packedSubspaces(3, {{0, 1}}), std::invalid_argument);
}

TEST(TableConstructions, SchemesWithTheirCopyJoinedAreThePublishedParents) {
    // D(r,r,3) (x) D(3,3,3) joined on its column (0, 1): the 3 (r - 1)
    // columns (j1 != 0) stay, 15 of D(18,18,3) and 33 of D(36,36,3), beside
    // the base's other columns and one 9-level column.
    const auto d36 = oagen::kroneckerSum(oagen::differenceMatrix12(), oagen::primeMultiplication(3), 3);
    const auto joined = [](const std::vector<std::vector<int>>& d, const Array& b) {
        std::vector<int> phi;
        for (const std::vector<int>& row : d) phi.push_back(row[1]);
        for (std::size_t t = 0; t < b.columns.size(); ++t)
            if (b.columns[t].levels == 3) return oagen::copyJoinedScheme(d, 3, phi, b, static_cast<int>(t));
        return Array{};
    };
    expectParent(joined(oagen::differenceMatrix18(), oagen::differenceScheme18()), "L54.3.20.6.1.9.1");
    expectParent(joined(d36, oagen::differenceScheme36()), "L108.3.44.9.1.12.1");
    expectParent(joined(d36, oagen::sixLevelTriple37()), "L108.3.39.6.3.9.1");
    // 2^10 3^8 6, 2^3 3^9 6, 2^9 3^4 6^2, 2^2 3^5 6^2
    const std::vector<Array> splits = oagen::sixLevelSplitArrays36();
    const char* fromSplits[] = {"L108.2.10.3.40.6.1.9.1", "L108.2.3.3.41.6.1.9.1", "L108.2.9.3.36.6.2.9.1",
                                "L108.2.2.3.37.6.2.9.1"};
    for (std::size_t i = 0; i < splits.size(); ++i) expectParent(joined(d36, splits[i]), fromSplits[i]);
    expectParent(joined(d36, oagen::searchedSixLevelArrays36()[0]), "L108.2.1.3.35.6.3.9.1");  // 2 3^3 6^3
    // Joined to a halving of D(12,12,3)'s rows: the 24 columns with j2 != 0
    // pair evenly with it whatever the halving, and eight with j2 = 0 on this
    // one, which leaves more than the published 2^34 3^29 6.
    std::vector<int> halving;
    for (int i = 0; i < 36; ++i) halving.push_back(std::string("100110011100")[static_cast<std::size_t>(i / 3)] - '0');
    const Array h = oagen::copyJoinedScheme(d36, 3, halving, oagen::hadamard(36), 0);
    expectParent(h, "L108.2.34.3.32.6.1");
    // D(6,6,3) (x) D(6,6,3) joined to the first factor's row: on each of its
    // six classes a column (j1, j2) runs through d6's column j2, balanced
    // for the 30 with j2 != 0, beside an 18-level column.
    const auto d66 = oagen::kroneckerSum(oagen::differenceMatrix6(), oagen::differenceMatrix6(), 3);
    std::vector<int> firstRow;
    for (int i = 0; i < 36; ++i) firstRow.push_back(i / 6);
    const auto onSix = [&](const Array& b) {
        for (std::size_t t = 0; t < b.columns.size(); ++t)
            if (b.columns[t].levels == 6) return oagen::copyJoinedScheme(d66, 3, firstRow, b, static_cast<int>(t));
        return Array{};
    };
    expectParent(onSix(oagen::expanded36Mixed()), "L108.2.2.3.42.18.1");
    expectParent(onSix(oagen::sixLevelTriple37()), "L108.3.37.6.2.18.1");
    expectParent(onSix(oagen::sixLevelTriple28()), "L108.2.8.3.30.6.2.18.1");
    const char* fromSplitsOnSix[] = {"L108.2.10.3.38.18.1", "L108.2.3.3.39.18.1", "L108.2.9.3.34.6.1.18.1",
                                     "L108.2.2.3.35.6.1.18.1"};
    for (std::size_t i = 0; i < splits.size(); ++i) expectParent(onSix(splits[i]), fromSplitsOnSix[i]);
}

TEST(TableConstructions, ACopyJoinedSchemeReadsItsRowsThroughTheBase) {
    // D(3,3,3) over OA(3, 3): the joined column 3 d_1(i) + g = 3 i + g is the
    // run itself, and no other column can pair uniformly over three rows.
    const Array a = oagen::copyJoinedScheme(oagen::primeMultiplication(3), 3, {0, 1, 2}, oagen::fullFactorial({3}), 0);
    ASSERT_EQ(a.columns.size(), 1u);
    EXPECT_EQ(a.columns[0].levels, 9);
    for (int r = 0; r < 9; ++r) EXPECT_EQ(a.columns[0].values[r], r);
    // The base's rows follow d_m: OA(9, 3^4) reversed, t its last column.
    const Array reversed = runsReversed(oagen::raoHamming(3, 2));
    const auto d9 = oagen::kroneckerSum(oagen::primeMultiplication(3), oagen::primeMultiplication(3), 3);
    std::vector<int> phi, zero(9, 0);
    for (const std::vector<int>& row : d9) phi.push_back(row[1]);
    const Array b = oagen::copyJoinedScheme(d9, 3, phi, reversed, 3);
    expectParent(b, "L27.3.9.9.1");
    for (int run = 0; run < 27; ++run) {
        EXPECT_EQ(b.columns.back().values[run] / 3, d9[run / 3][1]) << run;
        // The base's row read for run (i, g) is one whose last column is d_1(i).
        const std::vector<int> row = {b.columns[0].values[run], b.columns[1].values[run], b.columns[2].values[run]};
        int matched = -1;
        for (int x = 0; x < 9; ++x)
            if (reversed.columns[0].values[x] == row[0] && reversed.columns[1].values[x] == row[1] &&
                reversed.columns[2].values[x] == row[2])
                matched = x;
        ASSERT_GE(matched, 0) << run;
        EXPECT_EQ(reversed.columns[3].values[matched], d9[run / 3][1]) << run;
    }
    // Refused: a joined function whose counts differ from the base column's,
    // one outside its levels or of another length, a base of other runs.
    EXPECT_EQ(oagen::copyJoinedScheme(d9, 3, zero, reversed, 3).runs, 0);
    EXPECT_EQ(oagen::copyJoinedScheme(d9, 3, {0, 1, 2, 0, 1, 2, 0, 1, 3}, reversed, 3).runs, 0);
    EXPECT_EQ(oagen::copyJoinedScheme(d9, 3, {0, 1, 2}, reversed, 3).runs, 0);
    EXPECT_EQ(oagen::copyJoinedScheme(d9, 3, phi, oagen::fullFactorial({3}), 0).runs, 0);
    EXPECT_EQ(oagen::copyJoinedScheme(d9, 3, phi, reversed, 4).runs, 0);
    // D's columns reversed, so that its first column is not the zero one:
    // every column still pairs evenly with the joined one but that one.
    std::vector<std::vector<int>> backwards = d9;
    for (std::vector<int>& row : backwards) std::reverse(row.begin(), row.end());
    std::vector<int> lastButOne;
    for (const std::vector<int>& row : backwards) lastButOne.push_back(row[7]);
    expectParent(oagen::copyJoinedScheme(backwards, 3, lastButOne, reversed, 3), "L27.3.9.9.1");
    Array twice = reversed;  // 18 runs whose column t has the counts d_1 would need twice over
    twice.runs = 18;
    for (oagen::Column& c : twice.columns) {
        const std::vector<int> once = c.values;
        c.values.insert(c.values.end(), once.begin(), once.end());
    }
    EXPECT_EQ(oagen::copyJoinedScheme(d9, 3, phi, twice, 3).runs, 0);
}

TEST(TableConstructions, CrossedRowsJoinColumnsAcrossTheCrossing) {
    // 11 x 4 two-level sums, the 11 columns of D(12,12,3) that are not zero, and the two rows.
    const Array a = oagen::crossedRows(oagen::paleyTypeOne(11), oagen::differenceMatrix12(), oagen::signedWords12());
    expectParent(a, "L144.2.44.3.11.12.2");
    // OA(4, 2^2) crossed with OA(6, 2 3) beside a constant column, which gives no 3-level sum: 2^2 and both rows.
    expectParent(oagen::crossedRows(oagen::fullFactorial({2, 2}), {{0}, {0}, {0}, {0}}, oagen::fullFactorial({2, 3})),
                 "L24.2.2.4.1.6.1");
    // A scheme column is skipped only when constant, wherever it stands: D(3,3,3) as 2a, a, 0 keeps two.
    expectParent(oagen::crossedRows(oagen::fullFactorial({3}), {{0, 0, 0}, {2, 1, 0}, {1, 2, 0}},
                                    oagen::fullFactorial({2, 3})),
                 "L18.3.3.6.1");
    EXPECT_EQ(oagen::crossedRows(oagen::paleyTypeOne(11), oagen::differenceMatrix12(), oagen::paleyTypeOne(11)).runs, 0);
    EXPECT_EQ(oagen::crossedRows(oagen::paleyTypeOne(11), oagen::differenceMatrix6(), oagen::signedWords12()).runs, 0);
    // No left runs is refused; a right side of one run still crosses.
    EXPECT_EQ(oagen::crossedRows(Array{}, {}, oagen::fullFactorial({2, 3})).runs, 0);
    EXPECT_EQ(oagen::crossedRows(oagen::fullFactorial({2}), {{0}, {0}}, Array{1, {oagen::Column{3, {0}}}}).runs, 2);
}

TEST(TableConstructions, RowsReadingOrdersABaseToGivenCells) {
    // OA(4, 2^2)'s rows 00, 01, 10, 11 moved whole to read the cells asked for.
    const Array b = oagen::fullFactorial({2, 2});
    const std::vector<std::vector<int>> cells = {{1, 1}, {0, 0}, {1, 0}, {0, 1}};
    const Array r = oagen::rowsReading(b, cells);
    ASSERT_EQ(r.runs, 4);
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(r.columns[c].values[i], cells[i][c]) << i;
    // By the first column alone, the second travels with its row: each cell keeps both of its values.
    const Array byFirst = oagen::rowsReading(b, {{1}, {1}, {0}, {0}});
    ASSERT_EQ(byFirst.runs, 4);
    EXPECT_EQ(byFirst.columns[0].values, (std::vector<int>{1, 1, 0, 0}));
    EXPECT_NE(byFirst.columns[1].values[0], byFirst.columns[1].values[1]);
    EXPECT_NE(byFirst.columns[1].values[2], byFirst.columns[1].values[3]);
    EXPECT_EQ(oagen::rowsReading(b, {{1, 1}, {1, 1}, {0, 0}, {0, 1}}).runs, 0);  // a cell asked for twice
    EXPECT_EQ(oagen::rowsReading(b, {{0}, {0}, {1}}).runs, 0);                  // a row short
    EXPECT_EQ(oagen::rowsReading(b, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}}).runs, 0);  // more than its columns
}

TEST(TableConstructions, SchemesOverZ2AndZ3JoinedOverZ6) {
    const Array a = oagen::chineseRemainderScheme72();
    expectParent(a, "L72.2.6.3.6.6.6.12.1");  // more than the published 2^6 3^3 6^6 12
    expectParent(oagen::doubleWithContraction(a, 0, 1), "L144.2.75.3.6.4.1.6.6.12.1");
    // Nothing joined: D(6,2,2) (the zero column, then 0 0 0 1 1 1) beside
    // D(6,6,3) gives every one of their columns, 2^2 3^6 and the row.
    const Array small = oagen::chineseRemainderScheme({{0, 0}, {0, 0}, {0, 0}, {0, 1}, {0, 1}, {0, 1}},
                                                      oagen::differenceMatrix6(), {});
    expectParent(small, "L36.2.2.3.6.6.1");
    for (int run = 0; run < 36; ++run) EXPECT_EQ(small.columns[0].values[run], run % 2) << run;
    // Two columns over Z_2 as one of 4 levels, over each array of 12 runs:
    // both leave the 2-level columns, the rows' first column goes, the rest
    // of the rows stay.
    const std::vector<const char*> withFour = {"L72.2.14.3.6.4.1.6.6", "L72.2.7.3.7.4.1.6.6", "L72.2.5.3.6.4.1.6.7",
                                               "L72.2.15.3.7.4.1.6.5", "L72.2.8.3.8.4.1.6.5"};
    const std::vector<Array> four = oagen::chineseRemainderSchemes72WithFourLevel();
    ASSERT_EQ(four.size(), withFour.size());
    for (std::size_t k = 0; k < four.size(); ++k) expectParent(four[k], withFour[k]);
    const auto fourLevel = std::find_if(four[1].columns.begin(), four[1].columns.end(),
                                        [](const oagen::Column& c) { return c.levels == 4; });
    expectParent(oagen::doubleWithContraction(four[1], static_cast<int>(fourLevel - four[1].columns.begin()), 2),
                 "L144.2.75.3.7.6.6.8.1");
    // OA(4, 2^3)'s bits beside one Z_3 column; the rows OA(4, 2^2), whose
    // first column is matched to the sum of columns 1 and 2.
    const std::vector<std::vector<int>> h4 = {{0, 0, 0, 0}, {0, 1, 1, 0}, {0, 0, 1, 1}, {0, 1, 0, 1}};
    expectParent(oagen::chineseRemainderScheme(h4, {{0}, {1}, {2}, {0}}, {}, {1, 2}, oagen::fullFactorial({2, 2})),
                 "L24.2.3.3.1.4.1");
    for (const oagen::FourLevelPair bad : {oagen::FourLevelPair{1, 1}, {1, -1}, {1, 4}, {0, 2}})
        EXPECT_EQ(oagen::chineseRemainderScheme(h4, {{0}, {1}, {2}, {0}}, {{0, 0}}, bad, oagen::fullFactorial({2, 2})).runs,
                  0);
    EXPECT_EQ(oagen::chineseRemainderScheme(h4, {{0}, {1}, {2}, {0}}, {}, {1, 2}, oagen::fullFactorial({3, 2})).runs, 0);
    // A 4-level pair may not take a two-level column already joined over Z_6.
    EXPECT_EQ(oagen::chineseRemainderScheme(h4, {{0}, {1}, {2}, {0}}, {{1, 0}}, {1, 2}, oagen::fullFactorial({2, 2})).runs, 0);
    EXPECT_EQ(oagen::chineseRemainderScheme({{0, 0}, {0, 1}}, {{0}}, {}).runs, 0);
    EXPECT_EQ(oagen::chineseRemainderScheme({}, {}, {}).runs, 0);
}

TEST(TableConstructions, FiveOrthogonalLatinSquaresOfOrderTwelve) {
    // The addition is an abelian group of order 12 with no element of
    // order 12, as Z_2 x Z_6 is and Z_12 is not.
    for (int x = 0; x < 12; ++x) {
        EXPECT_EQ(oagen::addInZ2xZ6(x, 0), x);
        int multiple = x, order = 1, inverses = 0;
        for (; multiple != 0; ++order) multiple = oagen::addInZ2xZ6(multiple, x);
        EXPECT_LE(order, 6) << x;
        for (int y = 0; y < 12; ++y) {
            EXPECT_EQ(oagen::addInZ2xZ6(x, y), oagen::addInZ2xZ6(y, x));
            inverses += oagen::addInZ2xZ6(x, y) == 0;
            for (int z = 0; z < 12; ++z)
                EXPECT_EQ(oagen::addInZ2xZ6(oagen::addInZ2xZ6(x, y), z), oagen::addInZ2xZ6(x, oagen::addInZ2xZ6(y, z)));
        }
        EXPECT_EQ(inverses, 1) << x;
    }
    // Strength 2 against the row column g is each column a Latin square.
    expectParent(oagen::differenceScheme144(), "L144.12.7");
}

TEST(TableConstructions, JoinedCopiesAreThePublishedParents) {
    const Array d10 = oagen::differenceScheme50();  // 5^10 10, the 10-level column last
    expectParent(oagen::joinedCopies(d10, 10, 0, oagen::hadamard(20), 0), "L100.2.18.5.9.10.1");
    expectParent(oagen::joinedCopies(d10, 10, 3, oagen::signedWords20(), 0), "L100.2.7.5.10.10.1");
    // The copy column may be any of b's, here the 3-level one of OA(6, 2 3).
    expectParent(oagen::joinedCopies(oagen::hadamard(44), 42, 0, oagen::fullFactorial({2, 3}), 1), "L132.2.42.6.1");
}

TEST(TableConstructions, JoinedCopiesKeepEveryRunOfBothArrays) {
    // The runs of both inputs reversed: every cell is placed by the
    // construction rather than left as it starts.
    expectParent(oagen::joinedCopies(runsReversed(oagen::differenceScheme50()), 10, 3,
                                     runsReversed(oagen::signedWords20()), 0),
                 "L100.2.7.5.10.10.1");
}

TEST(TableConstructions, ADoublingJoinedToTwoColumnsGivesTheirLevelsTwice) {
    const Array d10 = oagen::differenceScheme50();  // 5^10 10, the 10-level column last
    expectParent(oagen::doubledJoinedPair(d10, 0, 1), "L100.5.8.10.3");
    // Any two 5-level columns, the runs reversed so that no cell starts placed.
    expectParent(oagen::doubledJoinedPair(runsReversed(d10), 7, 0), "L100.5.8.10.3");
    // Columns missing or one, and (5, 10), whose cells are each met once.
    for (const auto& [first, second] :
         std::vector<std::pair<int, int>>{{2, 2}, {-1, 2}, {2, -1}, {0, 11}, {11, 0}, {0, 10}})
        EXPECT_EQ(oagen::doubledJoinedPair(d10, first, second).runs, 0) << first << " " << second;
    EXPECT_EQ(oagen::doubledJoinedPair(oagen::hadamard(12), 0, 1).runs, 0);  // 3 runs per cell of two columns
    expectParent(oagen::doubledJoinedPair(oagen::hadamard(16), 4, 9), "L32.2.13.4.2");
}

// Letter c of a word: 'a' + c for column c, 'A' + c for its complement.
int letterOf(char ch) { return ch >= 'a' ? ch - 'a' : ch - 'A'; }

// Two signed words are orthogonal when the blocks where their letters agree
// split evenly into same-case and opposite-case agreements.
bool wordsOrthogonal(const std::string& x, const std::string& y) {
    int balance = 0;
    for (std::size_t b = 0; b < x.size(); ++b)
        if (letterOf(x[b]) == letterOf(y[b])) balance += x[b] == y[b] ? 1 : -1;
    return balance == 0;
}

// The runs of the table's array that serves a shape ("L36.2.16.3.1") by its
// level pattern, 0 if none does; the plan it gives must have strength 2.
int runsOfTheArrayServing(const std::string& shape) {
    const auto [runs, pattern] = parseParent(shape);
    std::vector<int> levels;
    for (const auto& [s, k] : pattern) levels.insert(levels.end(), static_cast<std::size_t>(k), s);
    const auto found = vxhost::findOrthogonal(vxhost::tableSheets(), levels, runs);
    if (!found) return 0;
    EXPECT_TRUE(hosttest::strengthTwo(found->plan, runs, levels)) << shape;
    return found->array->runs;
}

TEST(TableConstructions, SignedWordsWithASpareColumnPerBlockAreThePublishedParents) {
    // The spare letters are those the fewest stored words hold: 21 of 23
    // words and 35 of 38 stay; the paired words never use the last letter.
    const Array ten = oagen::signedWordsWithSpares(oagen::hadamard(12), oagen::signedWordList(12, 5), "cfgkk");
    expectParent(ten, "L60.2.21.10.1");
    const Array six = oagen::signedWordsWithSpares(oagen::hadamard(20), oagen::pairedWordsInThreeBlocks(18), "sss");
    expectParent(six, "L60.2.26.6.1");
    // Doubled on a two-level column: 58 Hadamard columns, the other words and a 4-level column.
    expectParent(oagen::doubleWithContraction(ten, 0, 1), "L120.2.78.4.1.10.1");
    expectParent(oagen::doubleWithContraction(six, 0, 1), "L120.2.83.4.1.6.1");
    const Array h12 = oagen::hadamard(12);
    // Refused: spares of another length, a letter past the base's columns,
    // every word dropped.
    EXPECT_EQ(oagen::signedWordsWithSpares(h12, oagen::signedWordList(12, 5), "cfgk").runs, 0);
    EXPECT_EQ(oagen::signedWordsWithSpares(h12, oagen::signedWordList(12, 5), "cfgkl").runs, 0);
    EXPECT_EQ(oagen::signedWordsWithSpares(h12, {"aaaaa"}, "abcde").runs, 0);
    EXPECT_EQ(oagen::signedWordsWithSpares(h12, {"aaaaa"}, "bbbbb").columns.size(), 2u);
    EXPECT_EQ(oagen::signedWordsWithSpares(h12, {"bbbbb"}, "aaaaa").columns.size(), 2u);
    // The joined column is 2 b + the spare column at the run's row, over a
    // base whose first row is not all zero (run 0 too reads the spare column).
    const Array upsideDown = runsReversed(h12);
    std::size_t k = 1;
    while (upsideDown.columns[k].values[0] != 1) ++k;
    const Array turned =
        oagen::signedWordsWithSpares(upsideDown, {"aaaaa"}, std::string(5, static_cast<char>('a' + k)));
    for (int r = 0; r < 60; ++r)
        EXPECT_EQ(turned.columns.back().values[r], 2 * (r / 12) + upsideDown.columns[k].values[r % 12]) << r;
}

TEST(TableConstructions, SignedWordsOverAMixedBaseKeepItsOtherColumnsInEveryBlock) {
    // The letters are the base's two-level columns only: over OA(12, 2^4 3)
    // 'd' is its last, and 'e' (its 3-level column by position) is refused.
    const Array base = runsReversed(oagen::signedWords12());
    const Array over = oagen::signedWordsOver(base, {"aaa", "dDd"});
    expectParent(over, "L36.2.2.3.2");
    for (int r = 0; r < 36; ++r) EXPECT_EQ(over.columns[2].values[r], base.columns[4].values[r % 12]) << r;
    EXPECT_EQ(over.columns[1].values[0], base.columns[3].values[0]);
    EXPECT_EQ(over.columns[1].values[12], 1 - base.columns[3].values[0]);
    for (const char* word : {"aae", "Eaa", "a`a"}) EXPECT_EQ(oagen::signedWordsOver(base, {word}).runs, 0) << word;
    EXPECT_EQ(oagen::signedWordsWithSpares(base, {"aaa"}, "eee").runs, 0);
    EXPECT_EQ(oagen::signedWordsWithSpares(base, {"eaa"}, "ddd").runs, 0);  // the spare fits, a word does not
    // The block column joined to the 3-level column instead, whose copy goes.
    const Array nine = oagen::signedWordsJoinedToColumn(base, {"aaa", "dDd"}, 4);
    expectParent(nine, "L36.2.2.9.1");
    for (int r = 0; r < 36; ++r) EXPECT_EQ(nine.columns[2].values[r], 3 * (r / 12) + base.columns[4].values[r % 12]) << r;
    for (int column : {-1, 0, 5}) EXPECT_EQ(oagen::signedWordsJoinedToColumn(base, {"aaa"}, column).runs, 0) << column;
    EXPECT_EQ(oagen::signedWordsJoinedToColumn(base, {"eaa"}, 4).runs, 0);
    EXPECT_EQ(oagen::signedWordsJoinedToColumn(base, {}, 4).runs, 0);
    // Past columns of other level counts: OA(36, 2^13 3^2 6) joined on its
    // 6-level column keeps both 3-level ones.
    std::vector<int> mixed(13, 2);
    mixed.insert(mixed.end(), {3, 3, 6});
    int bases = 0;
    for (const Array& a : oagen::searchedSixLevelArrays36())
        if (levelsOf(a) == mixed) {
            ++bases;
            expectParent(oagen::signedWordsJoinedToColumn(a, oagen::pairedWordsInThreeBlocks(13), 15),
                         parentName(108, {{2, 18}, {3, 2}, {18, 1}}));
        }
    EXPECT_EQ(bases, 1);
    // Over signed-word bases, a spare letter no stored word holds: the block
    // column of the base rides along beside the joined one.
    expectParent(oagen::signedWordsWithSpares(oagen::signedWordBlocks(4, 7), oagen::signedWordList(12, 5), "lllll"),
                 parentName(140, {{2, 23}, {7, 1}, {10, 1}}));
    expectParent(oagen::signedWordsWithSpares(oagen::signedWordBlocks(4, 11), oagen::pairedWordsInThreeBlocks(14), "ooo"),
                 parentName(132, {{2, 20}, {6, 1}, {11, 1}}));
    for (const char* shape : {"L140.2.21.7.1.10.1", "L132.2.18.6.1.11.1", "L140.2.22.35.1", "L132.2.22.33.1",
                              "L108.2.15.6.1.18.1"})
        EXPECT_EQ(runsOfTheArrayServing(shape), parseParent(shape).first) << shape;
}

bool pairwiseOrthogonal(const std::vector<std::string>& words) {
    for (std::size_t i = 0; i < words.size(); ++i)
        for (std::size_t j = i + 1; j < words.size(); ++j)
            if (!wordsOrthogonal(words[i], words[j])) return false;
    return true;
}

TEST(TableConstructions, WordListsOnDisjointLettersAddUpAndServeTheirParents) {
    const std::vector<std::string> four = oagen::fourLetterWordsInFiveBlocks();
    ASSERT_EQ(four.size(), 12u);
    for (const std::string& w : four) {
        ASSERT_EQ(w.size(), 5u);
        for (char c : w) EXPECT_LT(letterOf(c), 4) << w;
    }
    EXPECT_TRUE(pairwiseOrthogonal(four));
    // Copy c of a list moves every letter by from + c span and keeps its case.
    const std::vector<std::string> list20 = oagen::signedWordList20();
    const std::vector<std::string> moved = oagen::onDisjointLetters(list20, 3, 2, 1);
    ASSERT_EQ(moved.size(), 2 * list20.size());
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < list20.size(); ++i)
            for (std::size_t b = 0; b < 5; ++b) {
                const char from = list20[i][b], to = moved[c * list20.size() + i][b];
                EXPECT_EQ(letterOf(to), letterOf(from) + 1 + 3 * static_cast<int>(c)) << to;
                EXPECT_EQ(to >= 'a', from >= 'a') << to;
            }
    EXPECT_TRUE(pairwiseOrthogonal(moved));
    EXPECT_EQ(oagen::onDisjointLetters(four, 4, 7, 3).size(), 7 * four.size());  // letters 3 to 30, the last allowed
    EXPECT_EQ(oagen::onDisjointLetters({"aA"}, 1, 3), (std::vector<std::string>{"aA", "bB", "cC"}));
    // Refused: a letter past the span (copies would overlap), letters past the
    // encoding, no copies.
    EXPECT_TRUE(oagen::onDisjointLetters(four, 3, 1).empty());
    EXPECT_TRUE(oagen::onDisjointLetters(four, 4, 7, 4).empty());
    EXPECT_TRUE(oagen::onDisjointLetters(four, 4, 0).empty());
    EXPECT_TRUE(oagen::onDisjointLetters(four, 4, 1, -1).empty());
    // Over OA(28, 2^12 7), OA(28, 2^27), OA(20, 2^8 5), the fold-over
    // OA(24, 2^12 12), OA(36, 2^13 6^2) and OA(24, 2^11 4 6), with and without
    // spares or a joined column.
    for (const char* shape : {"L140.2.27.5.1.7.1", "L140.2.36.10.1", "L140.2.25.5.1.14.1", "L120.2.28.10.1.12.1",
                              "L108.2.13.6.3", "L120.2.30.6.1.20.1"})
        EXPECT_EQ(runsOfTheArrayServing(shape), parseParent(shape).first) << shape;
}

TEST(TableConstructions, ColumnsClosedUnderAPermutationOfTheRuns) {
    // The cyclic shift of four runs: 0011 has four images, 0101 two; the
    // fixed columns come last.
    const std::vector<int> shift = {1, 2, 3, 0};
    const Array a = oagen::columnsClosedUnder(shift, {"0011", "0101"}, {oagen::columnOf(4, 4, [](int r) { return r; })});
    ASSERT_EQ(a.runs, 4);
    std::vector<std::vector<int>> values;
    for (const oagen::Column& c : a.columns) values.push_back(c.values);
    EXPECT_EQ(values, (std::vector<std::vector<int>>{
                          {0, 0, 1, 1}, {1, 0, 0, 1}, {1, 1, 0, 0}, {0, 1, 1, 0}, {0, 1, 0, 1}, {1, 0, 1, 0}, {0, 1, 2, 3}}));
    EXPECT_EQ(levelsOf(a).back(), 4);
    for (const auto& [p, g] : std::vector<std::pair<std::vector<int>, std::string>>{
             {shift, "001"}, {shift, "0021"}, {{1, 1, 2, 3}, "0011"}, {{1, 2, 3, 4}, "0011"}, {{1, 2, 3, -1}, "0011"}})
        EXPECT_EQ(oagen::columnsClosedUnder(p, {g}, {}).runs, 0) << g;
    // OA(36, 2^27 3): the permutation moves each column to another of the
    // array, and the published parents follow by doubling (2^60 3 4 in 72)
    // and by the copy-joined D(36,36,3) over it (2^27 3^33 9 in 108).
    const Array b = oagen::blockRotatedArray36();
    expectParent(b, "L36.2.27.3.1");
    EXPECT_EQ(b.columns.back().levels, 3);
    for (int r = 0; r < 36; ++r) EXPECT_EQ(b.columns.back().values[r], r / 12);
    std::set<std::vector<int>> columns;
    for (const oagen::Column& c : b.columns) columns.insert(c.values);
    ASSERT_EQ(columns.size(), 28u);
    for (const oagen::Column& c : b.columns) {
        if (c.levels != 2) continue;
        std::vector<int> moved(36);
        for (int r = 0; r < 36; ++r) moved[12 * ((r / 12 + 1) % 3) + (r % 12 < 9 ? (r % 12 + 1) % 9 : r % 12)] = c.values[r];
        EXPECT_EQ(columns.count(moved), 1u);
    }
    expectParent(oagen::doubleWithContraction(b, 0, 1), "L72.2.60.3.1.4.1");
    // Beside a second column, the columns orthogonal to it stay: 20 beside
    // one of 3 levels, 18 beside one of 6, each a column of the array above.
    for (const auto& [levels, parent, doubled] :
         std::vector<std::tuple<int, const char*, const char*>>{{3, "L36.2.20.3.2", "L72.2.53.3.2.4.1"},
                                                                {6, "L36.2.18.3.1.6.1", "L72.2.51.3.1.4.1.6.1"}}) {
        const Array c = oagen::blockRotatedArray36With(levels);
        expectParent(c, parent);
        for (const oagen::Column& col : c.columns)
            EXPECT_TRUE(col.levels != 2 || columns.count(col.values) == 1);
        expectParent(oagen::doubleWithContraction(c, 0, 1), doubled);
    }
    EXPECT_EQ(oagen::blockRotatedArray36With(4).runs, 0);
    // A column is not orthogonal to itself: beside its copy it goes, and the
    // other 26 and the block column stay.
    const Array two = oagen::besideColumn(b, b.columns[0]);
    ASSERT_EQ(two.columns.size(), 28u);
    EXPECT_EQ(two.columns.front().values, b.columns[1].values);
    EXPECT_EQ(two.columns.back().values, b.columns[0].values);
    // The table serves them all, the doublings and the copy-joined schemes too.
    for (const char* shape : {"L36.2.27.3.1", "L36.2.20.3.2", "L36.2.18.3.1.6.1", "L72.2.60.3.1.4.1", "L72.2.53.3.2.4.1",
                              "L72.2.51.3.1.4.1.6.1", "L108.2.27.3.33.9.1", "L108.2.20.3.34.9.1",
                              "L108.2.18.3.33.6.1.9.1", "L108.2.18.3.31.18.1"})
        EXPECT_EQ(runsOfTheArrayServing(shape), parseParent(shape).first) << shape;
}

TEST(TableConstructions, PairedWordsInThreeBlocksReachTheirCountingBound) {
    for (int letters : {11, 12, 13, 19, 27, 31}) {
        const std::vector<std::string> words = oagen::pairedWordsInThreeBlocks(letters);
        EXPECT_EQ(words.size(), static_cast<std::size_t>(2 * (3 * letters / 4))) << letters;
        for (std::size_t i = 0; i < words.size(); ++i) {
            ASSERT_EQ(words[i].size(), 3u);
            for (char c : words[i]) EXPECT_LT(letterOf(c), letters) << words[i];
            for (std::size_t j = i + 1; j < words.size(); ++j)
                EXPECT_TRUE(wordsOrthogonal(words[i], words[j])) << words[i] << " " << words[j];
        }
        if (oagen::hadamard(letters + 1).runs > 0)
            expectParent(oagen::signedWordsOver(oagen::hadamard(letters + 1), words),
                         parentName(3 * (letters + 1), {{2, static_cast<int>(words.size())}, {3, 1}}));
    }
    EXPECT_TRUE(oagen::pairedWordsInThreeBlocks(32).empty());  // 'A' + 32 would read as 'a'
    // The table serves the lists over OA(12), OA(20) and OA(36) (31 letters), and
    // their doublings: M - 2 Hadamard columns beside the k - 1 other words, then
    // 2M - 4 beside those again.
    for (const char* shape : {"L36.2.16.3.1", "L60.2.28.3.1", "L108.2.46.3.1", "L72.2.49.3.1.4.1",
                              "L120.2.85.3.1.4.1", "L144.2.117.3.1.8.1"})
        EXPECT_EQ(runsOfTheArrayServing(shape), parseParent(shape).first) << shape;
}

TEST(TableConstructions, JoinedCopiesRefuseArraysThatDoNotFit) {
    const Array d10 = oagen::differenceScheme50();
    EXPECT_EQ(oagen::joinedCopies(d10, 10, 10, oagen::hadamard(20), 0).runs, 0);  // the row column joined to itself
    EXPECT_EQ(oagen::joinedCopies(d10, 10, 0, oagen::hadamard(24), 0).runs, 0);  // 24 runs are not 2 x 10
    Array uneven = oagen::hadamard(20);                                            // level 1 met 11 times
    uneven.columns[0].values[0] = 1 - uneven.columns[0].values[0];
    EXPECT_EQ(oagen::joinedCopies(d10, 10, 0, uneven, 0).runs, 0);
}

TEST(TableConstructions, SixLevelSplitsRefuseHalvesTheBaseCannotMatch) {
    const oagen::DifferenceMatrix d = oagen::differenceMatrix12();
    const Array base = oagen::paleyTypeOne(11);
    EXPECT_EQ(oagen::sixLevelFromSplits(d, base, {{"111111100000", 6}}).runs, 0);  // seven rows against six
    EXPECT_EQ(oagen::sixLevelFromSplits(d, base, {{"10001110010", 6}}).runs, 0);   // a row short
    EXPECT_EQ(oagen::sixLevelFromSplits(d, base, {{"100011100101", 12}}).runs, 0);
    EXPECT_EQ(oagen::sixLevelFromSplits(d, base, {{"100011100101", -1}}).runs, 0);
    EXPECT_EQ(oagen::sixLevelFromSplits(d, oagen::signedWords20(), {{"100011100101", 6}}).runs, 0);
    EXPECT_EQ(oagen::sixLevelFromSplits({}, base, {}).runs, 0);
    EXPECT_EQ(oagen::sixLevelFromSplits(d, oagen::fullFactorial({3, 4}), {{"100011100101", 6}}).runs, 0);  // 3 levels
    // Two halves that cross unevenly: their cells hold 4, 2, 2 and 4 rows.
    EXPECT_EQ(oagen::sixLevelFromSplits(d, base, {{"111111000000", 0}, {"111100110000", 7}}).runs, 0);
    // A scheme column whose differences with the paired one read 0, 0, 0 on
    // one half and 0, 1, 2 on the other is dropped: only the base's
    // three-level column and the six-level one remain.
    const Array dropped = oagen::sixLevelFromSplits({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 1}, {0, 2}},
                                                    oagen::fullFactorial({2, 3}), {{"111000", 0}});
    EXPECT_EQ(levelsOf(dropped), (std::vector<int>{3, 6}));
    EXPECT_TRUE(hosttest::strengthTwo(planOf(dropped), dropped.runs, levelsOf(dropped)));
    // No split at all: the base beside the whole scheme, OA(36, 2^11 3^12).
    expectParent(oagen::sixLevelFromSplits(d, base, {}), "L36.2.11.3.12");
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
    EXPECT_TRUE(isDifferenceMatrix(oagen::differenceMatrix20(), 5));
    expectParent(oagen::expandOverGroup(oagen::differenceMatrix20(), 5, 1), "L100.5.20.20.1");
    EXPECT_TRUE(oagen::quadraticFormBlocks(5, {{0, 1, 0}, {1, 1, 1}}).empty());  // not a square of blocks
    EXPECT_TRUE(oagen::quadraticFormBlocks(0, {{0, 1, 0}}).empty());
    EXPECT_TRUE(isDifferenceMatrix(oagen::quadraticFormBlocks(3, {{0, 1, 0}}), 3));  // one block: GF(3)'s products
    // Block (e, f) = (1, 0) of two by two over GF(7) holds 2 a^2 + 3 a b + 5 b^2 at row 7 + a, column b.
    const oagen::DifferenceMatrix forms = oagen::quadraticFormBlocks(7, {{0, 0, 0}, {0, 0, 0}, {2, 3, 5}, {0, 0, 0}});
    for (int a = 0; a < 7; ++a)
        for (int b = 0; b < 7; ++b) {
            EXPECT_EQ(forms[7 + a][b], (2 * a * a + 3 * a * b + 5 * b * b) % 7) << a << " " << b;
            EXPECT_EQ(forms[a][7 + b], 0);
        }
    const oagen::DifferenceMatrix d36 = oagen::kroneckerSum(oagen::differenceMatrix12(), oagen::primeMultiplication(3), 3);
    EXPECT_TRUE(isDifferenceMatrix(d36, 3));
    expectParent(oagen::expandOverGroup(d36, 3, 1), "L108.3.36.36.1");
}

// Every two columns of d show each difference in (Z_p)^t equally often, the
// entries read as t base-p digits and subtracted digit by digit.
bool isDifferenceMatrixOver(const oagen::DifferenceMatrix& d, int p, int t) {
    int s = 1;
    for (int i = 0; i < t; ++i) s *= p;
    for (std::size_t j = 0; j < d.front().size(); ++j)
        for (std::size_t l = j + 1; l < d.front().size(); ++l) {
            std::vector<std::size_t> seen(static_cast<std::size_t>(s), 0);
            for (const auto& row : d) {
                int diff = 0;
                for (int i = 0, place = 1, a = row[j], b = row[l]; i < t; ++i, place *= p, a /= p, b /= p)
                    diff += ((a % p - b % p + p) % p) * place;
                ++seen[static_cast<std::size_t>(diff)];
            }
            for (std::size_t n : seen)
                if (n * static_cast<std::size_t>(s) != d.size()) return false;
        }
    return true;
}

// The parents OA(r s, s^c r) of the stored matrices, by (r, c, s), named as the
// published list would name them; 3^21 21 in 63 and 4^24 24 in 96 are not in it.
const std::map<std::tuple<int, int, int>, std::string> kStoredSchemeParents = {
    {{12, 12, 4}, "L48.4.12.12.1"}, {{15, 9, 3}, "L45.3.9.15.1"},   {{20, 10, 4}, "L80.4.10.20.1"},
    {{21, 21, 3}, "L63.3.21.21.1"}, {{39, 13, 3}, "L117.3.13.39.1"}, {{24, 24, 4}, "L96.4.24.24.1"}};

TEST(TableConstructions, StoredDifferenceMatricesGiveThePublishedParents) {
    ASSERT_FALSE(oagen::storedDifferenceMatrices().empty());
    for (const oagen::StoredDifferenceMatrix& stored : oagen::storedDifferenceMatrices()) {
        const oagen::DifferenceMatrix d = oagen::entriesOf(stored);
        int s = 1;
        for (int i = 0; i < stored.t; ++i) s *= stored.p;
        const auto key = std::make_tuple(static_cast<int>(d.size()), static_cast<int>(d.front().size()), s);
        ASSERT_EQ(kStoredSchemeParents.count(key), 1u) << d.size() << " x " << d.front().size();
        EXPECT_TRUE(isDifferenceMatrixOver(d, stored.p, stored.t)) << kStoredSchemeParents.at(key);
        expectParent(oagen::expandOverGroup(d, stored.p, stored.t), kStoredSchemeParents.at(key));
    }
    EXPECT_EQ(oagen::entriesOf({3, 1, {"09a"}}), (oagen::DifferenceMatrix{{0, 9, 10}}));
}

TEST(TableConstructions, DoublingAStoredSchemeOnAFourLevelColumn) {
    const oagen::StoredDifferenceMatrix* stored = oagen::storedDifferenceMatrix(2, 2, 12);
    ASSERT_NE(stored, nullptr);
    expectParent(oagen::doubleWithContraction(oagen::expandOverGroup(oagen::entriesOf(*stored), 2, 2), 0, 2),
                 "L96.2.44.4.11.8.1.12.1");
    // Each of the group and the rows picks: none stored differs from a stored one in one of them alone.
    EXPECT_EQ(oagen::storedDifferenceMatrix(2, 2, 13), nullptr);
    EXPECT_EQ(oagen::storedDifferenceMatrix(3, 2, 12), nullptr);
    EXPECT_EQ(oagen::storedDifferenceMatrix(3, 2, 21), nullptr);
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
    // The published parents, one or two of each construction, looked up by their
    // level pattern: the plan returned has strength 2.
    for (const char* parent : {"L16.2.8.8.1", "L80.2.55.8.1.10.1", "L92.2.91", "L116.2.115", "L121.11.12",
                               "L72.2.34.3.8.4.1.6.2", "L48.2.33.3.1.8.1", "L56.2.37.4.1.7.1", "L96.2.44.4.11.8.1.12.1",
                               "L45.3.9.15.1", "L96.2.80.16.1", "L98.7.14.14.1", "L36.2.3.3.9.6.1", "L76.2.19.19.1",
                               "L108.2.22.27.1", "L36.2.1.3.3.6.3", "L100.2.18.5.9.10.1", "L132.2.42.6.1",
                               "L144.4.11.12.2", "L116.2.23.29.1", "L64.4.7.8.6", "L128.2.6.4.5.8.13.16.1",
                               "L54.3.20.6.1.9.1", "L108.2.34.3.29.6.1", "L108.3.37.6.2.18.1", "L60.2.21.10.1",
                               "L84.2.27.6.1", "L120.2.75.4.1.6.1", "L144.2.75.3.3.4.1.6.6.12.1", "L144.12.7",
                               "L108.2.10.3.33.6.2.9.1", "L80.2.61.5.1.8.1", "L100.5.8.10.3",
                               "L63.3.12.21.1", "L126.3.21.42.1", "L126.3.20.6.1.21.1", "L117.3.13.39.1",
                               "L80.4.10.20.1", "L72.2.37.3.13.4.1", "L72.2.41.4.1.6.3", "L100.2.2.50.1", "L140.2.2.70.1",
                               // the difference schemes' expansions, whole
                               "L36.2.11.3.12", "L50.2.1.5.11", "L54.2.1.3.25", "L50.5.10.10.1", "L54.3.18.18.1",
                               "L64.4.21", "L81.3.40"})
        EXPECT_GT(runsOfTheArrayServing(parent), 0) << parent;
}

}  // namespace
