// The host's table of orthogonal arrays as compiled in: every array of
// strength 2 by a check of its own, the shape each construction promises,
// the Hadamard orders reached, and the provenance (the generator's
// constructions rebuild it exactly, so the table cannot drift from them).
#include "host/optimal/array_table.h"
#include "host/optimal/orthogonal_lookup.h"
#include "tests/host/host_support.h"
#include "tools/oagen/extended_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

using vxhost::Sheet;

int count(const Sheet& s, int levels) { return static_cast<int>(std::count(s.levels.begin(), s.levels.end(), levels)); }

TEST(ArrayTable, EveryArrayHasStrengthTwo) {
    ASSERT_GT(vxhost::tableSheets().size(), 40u);
    for (const Sheet& s : vxhost::tableSheets()) {
        ASSERT_EQ(s.cells.size(), s.levels.size() * static_cast<std::size_t>(s.runs)) << s.name;
        EXPECT_LE(s.runs, 144) << s.name;
        EXPECT_TRUE(hosttest::strengthTwo(hosttest::oneBased(s), s.runs, s.levels)) << s.name << ", " << s.runs << " runs";
    }
}

TEST(ArrayTable, ShapesFollowTheConstructions) {
    std::set<int> hadamardOrders;
    int raoHamming = 0, contractedPlanes = 0;
    for (const Sheet& s : vxhost::tableSheets()) {
        const int columns = static_cast<int>(s.levels.size());
        if (s.name.rfind("Rao-Hamming GF(", 0) == 0) {
            ++raoHamming;
            // GF(q)^n: q^n runs, one q-level column per point of PG(n-1, q).
            const int q = std::stoi(s.name.substr(15));
            const int n = std::stoi(s.name.substr(s.name.find('^') + 1));
            const int runs = static_cast<int>(std::lround(std::pow(q, n)));
            EXPECT_EQ(s.runs, runs) << s.name;
            EXPECT_EQ(count(s, q), (runs - 1) / (q - 1)) << s.name;
            EXPECT_EQ(columns, (runs - 1) / (q - 1)) << s.name;
        } else if (s.name.rfind("linear array over GF(", 0) == 0) {
            ++contractedPlanes;
            // GF(p)^n with one plane's p + 1 forms as one p^2-level column.
            const int p = std::stoi(s.name.substr(21));
            const int n = std::stoi(s.name.substr(s.name.find('^') + 1));
            const int runs = static_cast<int>(std::lround(std::pow(p, n)));
            EXPECT_EQ(s.runs, runs) << s.name;
            EXPECT_EQ(count(s, p), (runs - 1) / (p - 1) - p - 1) << s.name;
            EXPECT_EQ(count(s, p * p), 1) << s.name;
            EXPECT_EQ(columns, (runs - 1) / (p - 1) - p) << s.name;
        } else if (s.name.rfind("Hadamard matrix of order ", 0) == 0) {
            hadamardOrders.insert(s.runs);
            EXPECT_EQ(count(s, 2), s.runs - 1) << s.name;
            EXPECT_EQ(columns, s.runs - 1) << s.name;
        }
    }
    // q^n <= 144 for q = 2, 3, 4, 5, 7, 8, 9, 11 and n >= 2.
    EXPECT_EQ(raoHamming, 6 + 3 + 2 + 2 + 1 + 1 + 1 + 1);
    EXPECT_EQ(contractedPlanes, 2 + 1);  // GF(3)^3, GF(3)^4 and GF(5)^3
    std::set<int> expected;
    for (int order = 12; order <= 144; order += 4) expected.insert(order);  // 92 and 116 by Williamson's construction
    EXPECT_EQ(hadamardOrders, expected);
}

// "OA(N, 2^a 3 ...)" read back: N and the level of each column.
std::pair<int, std::map<int, int>> readShape(const std::string& text) {
    std::istringstream in(text);
    int runs = 0;
    char comma = 0;
    in >> runs >> comma;
    std::map<int, int> levels;
    for (std::string term; in >> term;) {
        const std::size_t hat = term.find('^');
        levels[std::stoi(term.substr(0, hat))] += hat == std::string::npos ? 1 : std::stoi(term.substr(hat + 1));
    }
    return {runs, levels};
}

// A doubling named after the array it doubled holds what doubling with
// contraction makes of it: OA(2M, 2^(M - 2^t) 2^(t+1) B') for some 2^t-level
// column of B, B' the rest of B. The names are what `vxdoe` reports.
TEST(ArrayTable, DoublingsNameTheArrayTheyDoubled) {
    const std::string prefix = "doubling with contraction of OA(";
    int named = 0;
    for (const Sheet& s : vxhost::tableSheets()) {
        if (s.name.rfind(prefix, 0) != 0) continue;
        ++named;
        const std::size_t close = s.name.find(')');
        const auto [m, doubled] = readShape(s.name.substr(prefix.size(), close - prefix.size()));
        EXPECT_EQ(s.runs, 2 * m) << s.name;
        std::map<int, int> held;
        for (int l : s.levels) ++held[l];
        bool matches = false;
        for (int merged = 2; merged <= 16; merged *= 2) {
            if (doubled.count(merged) == 0) continue;
            std::map<int, int> expected = doubled;
            if (--expected[merged] == 0) expected.erase(merged);
            ++expected[2 * merged];
            expected[2] += m - merged;
            matches = matches || expected == held;
        }
        EXPECT_TRUE(matches) << s.name;
    }
    EXPECT_GE(named, 20);
}

TEST(ArrayTable, SearchedPackingsNameTheSpaceTheirRunsMake) {
    // "GF(2)^n packed by ...": the runs are the 2^n points of the space.
    int packings = 0;
    for (const Sheet& s : vxhost::tableSheets()) {
        if (s.name.find("packed by planes and lines") == std::string::npos) continue;
        ++packings;
        ASSERT_EQ(s.name.rfind("GF(2)^", 0), 0u) << s.name;
        EXPECT_EQ(1 << std::stoi(s.name.substr(6)), s.runs) << s.name;
    }
    EXPECT_GE(packings, 22);
}

TEST(ArrayTable, IsWhatTheGeneratorBuilds) {
    const std::vector<oagen::NamedArray> built = oagen::buildExtendedTable();
    ASSERT_EQ(static_cast<int>(built.size()), vxhost::kArrayTableSize);
    for (std::size_t i = 0; i < built.size(); ++i) {
        const Sheet& s = vxhost::tableSheets()[i];
        EXPECT_EQ(s.name, built[i].name);
        ASSERT_EQ(s.runs, built[i].array.runs) << s.name;
        std::vector<int> levels, cells;
        for (const oagen::Column& c : built[i].array.columns) {
            levels.push_back(c.levels);
            cells.insert(cells.end(), c.values.begin(), c.values.end());
        }
        EXPECT_EQ(s.levels, levels) << s.name;
        EXPECT_EQ(s.cells, cells) << s.name;
    }
}

}  // namespace
