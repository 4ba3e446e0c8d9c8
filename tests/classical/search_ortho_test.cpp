// The catalogue's fetch and searches through their entry points, as the
// host calls them: flat column-major arrays, BSTRs from SysAllocString.
#include "boundary/VORNEXDO1M.h"
#include "classical/orthogonal_catalogue.h"
#include "services/bstr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using ortho::CatalogueEntry;
using ortho::kCatalogue;

constexpr double kUntouched = 99.5;

// Host strings, freed when the test ends (whatever the library stored in
// their slots).
struct HostStrings {
    HostStrings(int n, const char16_t* s) : b(static_cast<std::size_t>(std::max(1, n))) {
        for (BSTR& x : b) x = stringToBstr(s);
    }
    ~HostStrings() {
        for (BSTR x : b) SysFreeString(x);
    }
    HostStrings(const HostStrings&) = delete;
    HostStrings& operator=(const HostStrings&) = delete;
    std::u16string text(std::size_t i = 0) const { return bstrToString(b[i]); }
    std::vector<BSTR> b;
};

// The search vector: counts of 2..7-level columns and the run count.
std::vector<int32_t> cats(std::vector<int> counts, int runs) {
    std::vector<int32_t> c(9, 0);
    std::copy(counts.begin(), counts.end(), c.begin() + 1);
    c[7] = runs;
    return c;
}

// Whether the host plan (lines rows, column-major) holds exactly the entry
// in its top-left corner and nothing else was written.
bool holdsEntry(const std::vector<double>& plan, int lines, int cols, const CatalogueEntry& e) {
    for (int c = 1; c <= cols; ++c)
        for (int r = 1; r <= lines; ++r) {
            const bool inside = r <= e.runs && c <= e.columns;
            const double expected = inside ? e.cell(r, c) : kUntouched;
            if (plan[(c - 1) * lines + (r - 1)] != expected) return false;
        }
    return true;
}

// ----- fetch ------------------------------------------------------------------------

TEST(PlanGetOrtho, RefusesWithoutWriting) {
    struct Case {
        int lines, cols, number, result;
    };
    // Unknown numbers; too few runs; too few columns, which would otherwise
    // come back silently cut.
    for (Case k : {Case{4, 2, 0, -1}, Case{4, 2, 393, -1}, Case{4, 2, -7, -1}, Case{3, 2, 1, -2}, Case{36, 3, 40, -2},
                   Case{0, 0, 1, -2}}) {
        std::vector<double> plan(std::max(1, k.lines * k.cols), kUntouched);
        HostStrings name(1, u"kept");
        int32_t id = 77;
        EXPECT_EQ(Cpp_PlanGetOrtho(k.lines, k.cols, k.number, plan.data(), name.b.data(), &id), k.result) << k.number;
        EXPECT_TRUE(std::all_of(plan.begin(), plan.end(), [](double v) { return v == kUntouched; }));
        EXPECT_EQ(id, 77);
        EXPECT_EQ(name.text(), u"kept");
    }
}

// Entries have no name, so the host's string stays.
TEST(PlanGetOrtho, EveryEntryComesOutWholeInTheHostLayout) {
    std::vector<double> first(8, kUntouched);
    HostStrings kept(1, u"kept");
    int32_t id = 0;
    EXPECT_EQ(Cpp_PlanGetOrtho(4, 2, 1, first.data(), kept.b.data(), &id), 0);
    EXPECT_EQ(first, (std::vector<double>{1, 1, 2, 2, 1, 2, 1, 2}));
    EXPECT_EQ(id, 3966);
    const int lines = 40, cols = 36;
    for (int n = 1; n <= ortho::kCatalogueSize; ++n) {
        std::vector<double> plan(lines * cols, kUntouched);
        ASSERT_EQ(Cpp_PlanGetOrtho(lines, cols, n, plan.data(), kept.b.data(), &id), 0) << n;
        EXPECT_TRUE(holdsEntry(plan, lines, cols, kCatalogue[n - 1])) << "entry " << n;
        EXPECT_EQ(id, kCatalogue[n - 1].tableId);
        EXPECT_EQ(kept.text(), u"kept");
    }
}

// ----- single search ------------------------------------------------------------------

struct SearchResult {
    int32_t result;
    int32_t maxLines;
    std::vector<double> plan;
    std::u16string name;
};

SearchResult search(std::vector<int32_t> c, int nFac, int maxLines) {
    SearchResult s{0, maxLines, std::vector<double>(std::max(1, maxLines * nFac), kUntouched), u""};
    HostStrings name(1, u"old");
    int32_t tabNbr = 0;
    s.result = Cpp_PlanSearchOrtho(c.data(), nFac, 0, &s.maxLines, &tabNbr, s.plan.data(), name.b.data());
    s.name = name.text();
    return s;
}

TEST(PlanSearchOrtho, TooSmallAPlanIsLeftExactlyAsPassed) {
    const SearchResult s = search(cats({3}, 5), 3, 6);
    EXPECT_EQ(s.result, -2);
    EXPECT_EQ(s.maxLines, 6);
    EXPECT_TRUE(std::all_of(s.plan.begin(), s.plan.end(), [](double v) { return v == kUntouched; }));
    EXPECT_EQ(s.name, u"old");
    EXPECT_EQ(search(cats({3}, 5), 3, 8).result, 0) << "8 rows hold the 8-run array";
}

// Against every group and run bound: the answer is the first all-2-level
// entry of the group with enough runs, or nothing. Past the group's last
// all-2-level entry the scan would reach mixed-level arrays; those do not
// serve a request for 2-level factors.
TEST(PlanSearchOrtho, AllTwoLevelRequestsOverTheWholeCatalogue) {
    for (int nFac = 2; nFac <= ortho::kMaxColumns; ++nFac) {
        const ortho::Group g = ortho::catalogueGroup(nFac);
        for (int minRuns = 0; minRuns <= 40; minRuns += 3) {
            int expected = 0;
            for (int n = g.first; n < g.end && expected == 0; ++n)
                if (kCatalogue[n - 1].levelCount(2) == nFac && kCatalogue[n - 1].runs >= minRuns) expected = n;
            if (nFac == 3 && minRuns == 6) {
                EXPECT_EQ(expected, 17) << "the 8-run 2^3 array";
            }
            SCOPED_TRACE(::testing::Message() << nFac << " factors, " << minRuns << " runs");
            const SearchResult s = search(cats({nFac}, minRuns), nFac, 36);
            EXPECT_EQ(s.result, expected == 0 ? -1 : 0);
            if (expected == 0) continue;
            EXPECT_TRUE(holdsEntry(s.plan, 36, nFac, kCatalogue[expected - 1]));
            EXPECT_EQ(s.maxLines, kCatalogue[expected - 1].runs) << "the runs found come back";
            EXPECT_EQ(s.name, u"") << "the search writes the entry's empty name";
        }
    }
}

TEST(PlanSearchOrtho, FindsNothingForOtherRequests) {
    // Below the group's largest 2-level count; counts that do not add up to
    // nFac; the 6-run 2.3 array is not a 2^2 array; groups that do not exist.
    for (const auto& [c, nFac] : {std::pair{cats({1, 1}, 0), 2}, {cats({3, 1}, 0), 3}, {cats({2}, 5), 2},
                                  {cats({1}, 0), 1}, {cats({36}, 0), 36}, {cats({INT_MAX}, INT_MIN), 35}})
        EXPECT_EQ(search(c, nFac, 36).result, -1) << nFac << " factors";
}

// ----- list search -------------------------------------------------------------------

struct ListResult {
    int32_t result;
    int32_t count;
    std::vector<double> rows;  // maxList x 11, column-major
    int maxList;
    double at(int r, int c) const { return rows[(c - 1) * maxList + (r - 1)]; }
};

ListResult list(std::vector<int32_t> c, int nFac, int maxList, int maxScore, double fill = kUntouched) {
    ListResult l{0, -5, std::vector<double>(std::max(1, maxList * 11), fill), maxList};
    HostStrings names(maxList, u"kept");
    int32_t maxLines = 7;
    l.result = Cpp_PlanSearchOrthoList(c.data(), nFac, 0, &maxLines, maxList, maxScore, l.rows.data(), names.b.data(),
                                       &l.count);
    for (std::size_t i = 0; i < names.b.size(); ++i) EXPECT_EQ(names.text(i), u"kept");
    EXPECT_EQ(maxLines, 7);
    return l;
}

// The expected list: every entry of the group scoring below maxScore, in
// catalogue order as far as maxList reaches, then by score (ties in
// catalogue order).
std::vector<std::pair<long long, int>> expectedList(std::vector<int32_t> c, int nFac, int maxList, int maxScore) {
    std::vector<std::pair<long long, int>> rows;
    const ortho::Group g = ortho::catalogueGroup(nFac);
    for (int n = g.first; n < g.end && static_cast<int>(rows.size()) < maxList; ++n) {
        const CatalogueEntry& e = kCatalogue[n - 1];
        long long score = std::max(0LL, static_cast<long long>(e.runs) - c[7]);
        for (int s = 2; s <= 7; ++s) score += std::llabs(static_cast<long long>(e.levelCount(s)) - c[s - 1]);
        if (score < maxScore) rows.emplace_back(score, n);
    }
    std::stable_sort(rows.begin(), rows.end(), [](auto a, auto b) { return a.first < b.first; });
    return rows;
}

void expectList(std::vector<int32_t> c, int nFac, int maxList, int maxScore) {
    SCOPED_TRACE(::testing::Message() << nFac << " factors, maxList " << maxList << ", maxScore " << maxScore);
    const auto expected = expectedList(c, nFac, maxList, maxScore);
    const ListResult l = list(c, nFac, maxList, maxScore);
    const bool exact = !expected.empty() && expected.front().first == 0;
    EXPECT_EQ(l.result, expected.empty() ? -1 : 0);
    EXPECT_EQ(l.count, exact ? 1 : static_cast<int>(expected.size()));
    for (int r = 1; r <= maxList; ++r) {
        if (r > static_cast<int>(expected.size())) {
            for (int col = 1; col <= 11; ++col) EXPECT_EQ(l.at(r, col), kUntouched) << "row " << r;
            continue;
        }
        const CatalogueEntry& e = kCatalogue[expected[r - 1].second - 1];
        std::vector<double> row{static_cast<double>(expected[r - 1].first)};
        for (int level = 2; level <= 7; ++level) row.push_back(e.levelCount(level));
        row.insert(row.end(), {double(e.runs), double(e.variant), double(e.number), double(e.tableId)});
        for (int col = 1; col <= 11; ++col) EXPECT_EQ(l.at(r, col), row[col - 1]) << "row " << r << " col " << col;
    }
}

TEST(PlanSearchOrthoList, ExactMatchStandsAloneInRowOne) {
    expectList(cats({2, 1}, 12), 3, 24, 4);
    EXPECT_EQ(list(cats({2, 1}, 12), 3, 24, 4).at(1, 10), 18);
}

TEST(PlanSearchOrthoList, ScoresOrderAndCapacity) {
    expectList(cats({0, 0}, 100), 2, 20, 1000);  // every score 2: catalogue order kept
    expectList(cats({2, 2}, 16), 4, 30, 5);
    expectList(cats({2, 2}, 16), 4, 3, 5);  // full after three rows
    expectList(cats({1, 1, 0, 0, 1}, 20), 3, 40, 4);
    expectList(cats({10, 0, 2}, 0), 12, 16, 30);
}

TEST(PlanSearchOrthoList, NothingListed) {
    for (int nFac : {0, 1, 36, -3}) {
        const ListResult l = list(cats({2}, 8), nFac, 5, 100);
        EXPECT_EQ(l.result, -1) << nFac;
        EXPECT_EQ(l.count, 0) << nFac;
    }
    expectList(cats({2}, 4), 2, 5, 0);  // nothing scores below 0
    // Nor does a list the host zeroed read as an exact match.
    const ListResult zeroed = list(cats({2}, 4), 2, 5, 0, 0.0);
    EXPECT_EQ(zeroed.result, -1);
    EXPECT_EQ(zeroed.count, 0);
    expectList(cats({INT_MIN}, INT_MIN), 2, 5, INT_MAX);
    expectList(cats({2}, 4), 2, 0, 100);
}

}  // namespace
