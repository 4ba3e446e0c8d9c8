// The orthogonal-array catalogue as compiled into the library: every entry
// checked as an orthogonal array of strength 2 by a checker of its own, the
// fixed entries, the order and group index, the identifiers, and the
// provenance of the data (the generator's constructions rebuild it exactly).
#include "classical/orthogonal_catalogue.h"
#include "tools/oagen/catalogue_build.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using ortho::CatalogueEntry;
using ortho::kCatalogue;

// Level count of every column, as the pattern says they are ordered.
std::vector<int> columnLevels(const CatalogueEntry& e) {
    std::vector<int> levels;
    for (int s = 2; s <= ortho::kMaxLevels; ++s) levels.insert(levels.end(), e.levelCount(s), s);
    return levels;
}

// Everything that keeps the entry from being an orthogonal array of
// strength 2 with its runs and level pattern; empty when nothing does.
std::string strengthTwoProblems(const CatalogueEntry& e) {
    std::ostringstream problems;
    const std::vector<int> levels = columnLevels(e);
    if (static_cast<int>(levels.size()) != e.columns) problems << "pattern does not add up to the columns; ";
    if (static_cast<int>(std::strlen(e.cells)) != e.runs * e.columns) return problems.str() + "wrong cell count";
    std::vector<std::vector<int>> value(e.columns, std::vector<int>(e.runs));
    for (int r = 0; r < e.runs; ++r)
        for (int c = 0; c < e.columns; ++c) {
            value[c][r] = e.cells[r * e.columns + c] - '1';
            if (value[c][r] < 0 || value[c][r] >= levels[c])
                problems << "level out of range in column " << c + 1 << "; ";
        }
    if (!problems.str().empty()) return problems.str();
    for (int a = 0; a < e.columns; ++a) {
        std::map<int, int> seen;
        for (int r = 0; r < e.runs; ++r) ++seen[value[a][r]];
        for (int v = 0; v < levels[a]; ++v)
            if (seen[v] * levels[a] != e.runs) problems << "column " << a + 1 << " unbalanced; ";
        for (int b = a + 1; b < e.columns; ++b) {
            std::map<std::pair<int, int>, int> pairs;
            for (int r = 0; r < e.runs; ++r) ++pairs[{value[a][r], value[b][r]}];
            for (int u = 0; u < levels[a]; ++u)
                for (int v = 0; v < levels[b]; ++v)
                    if (pairs[{u, v}] * levels[a] * levels[b] != e.runs)
                        problems << "columns " << a + 1 << "," << b + 1 << " not orthogonal; ";
        }
    }
    return problems.str();
}

std::vector<int> patternKey(const CatalogueEntry& e) {
    return std::vector<int>(std::begin(e.levelCounts), std::end(e.levelCounts));
}

TEST(OrthogonalCatalogue, EveryEntryIsAStrengthTwoArrayOfItsPattern) {
    const std::set<int> runSizes{4, 6, 8, 9, 10, 12, 15, 16, 18, 20, 24, 25, 27, 28, 30, 32, 36};
    for (int n = 1; n <= ortho::kCatalogueSize; ++n) {
        const CatalogueEntry& e = kCatalogue[n - 1];
        EXPECT_EQ(std::tuple(e.number, runSizes.count(e.runs), e.levelCount(7), e.name[0]), std::tuple(n, 1u, 0, u'\0'))
            << "entry " << n << ": number, listed run size, 7-level columns, empty name";
        EXPECT_EQ(strengthTwoProblems(e), "") << "entry " << n;
    }
}

TEST(OrthogonalCatalogue, FixedEntriesHoldTheirRunsAsListed) {
    // Run by run, one digit per column.
    const std::map<int, std::string> fixed{
        {1, "11 12 21 22"},
        {16, "111 122 212 221"},
        {40, "2112 2211 2221 1222 2122 1212 1121 1111"},
        {56, "1111 1222 1333 2123 2231 2312 3132 3213 3321"},
        {152, "21211122 22121112 12212111 21221211 22122121 22212212 12221221 11222122 11122212 21112221 "
              "12111222 11111111"}};
    for (auto [number, runs] : fixed) {
        std::erase(runs, ' ');
        EXPECT_EQ(kCatalogue[number - 1].cells, runs) << "entry " << number;
    }
}

TEST(OrthogonalCatalogue, OrderAndGroupIndex) {
    // Each group holds only its own column count and together they hold
    // every entry: with the entries ordered by columns, that fixes the index.
    int grouped = 0;
    for (int columns = 1; columns <= ortho::kMaxColumns; ++columns) {
        const ortho::Group g = ortho::catalogueGroup(columns);
        for (int n = g.first; n < g.end; ++n) EXPECT_EQ(kCatalogue[n - 1].columns, columns) << "entry " << n;
        grouped += g.end - g.first;
    }
    EXPECT_EQ(grouped, ortho::kCatalogueSize);
    for (int n = 2; n <= ortho::kCatalogueSize; ++n) {
        const CatalogueEntry &before = kCatalogue[n - 2], &e = kCatalogue[n - 1];
        if (before.columns != e.columns) continue;
        const bool samePattern = patternKey(before) == patternKey(e);
        EXPECT_TRUE(patternKey(before) > patternKey(e) || (samePattern && before.runs < e.runs)) << "entry " << n;
    }
    EXPECT_EQ(ortho::catalogueGroup(0).first, ortho::catalogueGroup(0).end);
    EXPECT_EQ(ortho::catalogueGroup(36).first, ortho::catalogueGroup(36).end);
    EXPECT_EQ(ortho::catalogueEntry(0), nullptr);
    EXPECT_EQ(ortho::catalogueEntry(393), nullptr);
}

TEST(OrthogonalCatalogue, TableIdentifiersAndVariants) {
    std::map<int, int> id;
    auto assign = [&](int value, std::vector<std::pair<int, int>> ranges) {
        for (auto [first, last] : ranges)
            for (int n = first; n <= last; ++n) id[n] = value;
    };
    assign(3966, {{1, 15}, {17, 18}, {20, 21}, {23, 27}, {29, 29}, {33, 34}, {45, 45}, {63, 63}});
    assign(3967, {{19, 19}, {22, 22}, {28, 28}, {30, 32}, {35, 44}, {46, 47}, {51, 53}, {57, 57}, {69, 69}, {74, 74}});
    assign(3968, {{48, 50}, {54, 55}, {58, 62}, {64, 68}, {70, 70}, {72, 72}, {75, 77}, {79, 82}, {84, 85}});
    assign(3991,
           {{16, 16}, {121, 121}, {248, 248}, {311, 311}, {342, 342}, {366, 366}, {382, 382}, {388, 388}, {392, 392}});
    assign(3994, {{56, 56}, {89, 89}, {120, 120}});
    const std::set<int> secondVariants{17, 20, 23, 29, 33};
    for (int n = 1; n <= ortho::kCatalogueSize; ++n) {
        const CatalogueEntry& e = kCatalogue[n - 1];
        EXPECT_EQ(e.tableId, id.count(n) ? id[n] : 3969) << "entry " << n;
        EXPECT_EQ(e.variant, secondVariants.count(n) ? 2 : 1) << "entry " << n;
    }
    for (int n : secondVariants) {
        const CatalogueEntry &first = kCatalogue[n - 2], &second = kCatalogue[n - 1];
        EXPECT_EQ(patternKey(first), patternKey(second));
        EXPECT_NE(std::string(first.cells), std::string(second.cells)) << "entry " << n;
    }
}

// The committed data is exactly what the constructions build: it cannot
// drift from its provenance.
TEST(OrthogonalCatalogue, ConstructionsRebuildTheCommittedData) {
    const std::vector<oagen::BuiltEntry> built = oagen::buildCatalogue();
    ASSERT_EQ(static_cast<int>(built.size()), ortho::kCatalogueSize);
    for (const oagen::BuiltEntry& b : built) {
        const CatalogueEntry& e = kCatalogue[b.number - 1];
        std::string cells;
        for (int level : b.cells) cells += static_cast<char>('0' + level);
        EXPECT_EQ(std::tuple(b.columns, std::vector<int>(b.levelCounts.begin(), b.levelCounts.end()), b.runs, b.variant,
                             b.tableId, cells),
                  std::tuple(e.columns, patternKey(e), e.runs, e.variant, e.tableId, std::string(e.cells)))
            << "entry " << b.number << ": columns, pattern, runs, variant, table, cells";
    }
    EXPECT_EQ(oagen::buildGroupIndex(built),
              std::vector<int>(ortho::kGroupIndex, ortho::kGroupIndex + ortho::kMaxColumns + 1));
}

}  // namespace
