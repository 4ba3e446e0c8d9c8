// Expansive replacement at look-up time: every array it makes is checked
// for strength 2 by counting, whatever the request, and the children a
// parent gives (4 -> 2^3, 8 -> 2^7, 9 -> 3^4, s t -> s and t, nested) are
// found with the D of an orthogonal plan in closed form.
#include "host/optimal/expansive_replacement.h"
#include "host/optimal/model.h"
#include "tests/host/host_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using hosttest::concat;
using hosttest::oneBased;
using hosttest::repeated;
using vxhost::Sheet;

// One column of `levels` levels, run r at value r: the trivial array.
Sheet single(int levels) {
    Sheet s{"one column", levels, {levels}, {}};
    for (int r = 0; r < levels; ++r) s.cells.push_back(r);
    return s;
}

// OA(4, 2^3): x, y and x + y mod 2.
Sheet fourRuns() { return Sheet{"OA(4, 2^3)", 4, {2, 2, 2}, {0, 0, 1, 1, 0, 1, 0, 1, 0, 1, 1, 0}}; }

int count(const std::vector<int>& levels, int s) { return static_cast<int>(std::count(levels.begin(), levels.end(), s)); }

TEST(ExpansiveReplacement, PublishedChildrenComeOutOrthogonalAtTheBound) {
    // 9^10 in 81 gives 3^8 9^8; 8^9 in 64 gives 2^7 8^8; 4^21 in 64 gives
    // 2^3 4^20; 3^12 12 in 36 gives 2^3 3^13 (12 -> 3 4 -> 3 2^3, or 12 ->
    // 2^2 6 -> 2^2 2 3); 2^21 4^2 8 in 64 from 8^9, 4 merging 8.
    const std::vector<std::pair<std::vector<int>, int>> cases = {
        {concat(repeated(3, 8), repeated(9, 8)), 81}, {concat(repeated(2, 7), repeated(8, 8)), 64},
        {concat(repeated(2, 3), repeated(4, 20)), 64}, {concat(repeated(2, 3), repeated(3, 13)), 36},
        {concat(repeated(2, 21), concat(repeated(4, 2), {8})), 64},
        {concat(repeated(2, 4), concat(repeated(4, 20), repeated(8, 9))), 128}, {concat({2}, repeated(8, 17)), 128},
    };
    for (const auto& [levels, runs] : cases) {
        const auto found = vxhost::findOrthogonalByReplacement(vxhost::tableSheets(), levels, runs);
        ASSERT_TRUE(found) << runs << " runs, " << levels.size() << " factors";
        EXPECT_EQ(found->copies * found->array.runs, runs);
        EXPECT_TRUE(hosttest::strengthTwo(oneBased(found->array), found->array.runs, found->array.levels))
            << found->array.name;
        EXPECT_TRUE(hosttest::strengthTwo(found->plan, runs, levels)) << found->array.name;
        const double logDet = hosttest::logDetByElimination(found->plan, runs, levels, 1);
        EXPECT_NEAR(vxhost::normedD(logDet, runs, vxhost::modelColumns(levels)), hosttest::closedFormBound(levels), 1e-12);
    }
}

TEST(ExpansiveReplacement, ReplacesOnlyTheColumnsTheFactorsNeed) {
    // 2^7 8^8 from 8^9: one 8-level column becomes seven 2-level ones, the
    // other eight stay.
    const Sheet* gf8 = nullptr;
    for (const Sheet& s : vxhost::tableSheets())
        if (s.runs == 64 && count(s.levels, 8) == 9) gf8 = &s;
    ASSERT_NE(gf8, nullptr);
    const auto expanded = vxhost::expandedFor(*gf8, concat(repeated(2, 7), repeated(8, 8)), vxhost::tableSheets());
    ASSERT_TRUE(expanded);
    EXPECT_EQ(expanded->levels, concat(repeated(2, 7), repeated(8, 8)));
    EXPECT_TRUE(hosttest::strengthTwo(oneBased(*expanded), 64, expanded->levels));
    EXPECT_NE(expanded->name.find("1 column of 8 levels replaced by OA(8, 2^7)"), std::string::npos) << expanded->name;
}

TEST(ExpansiveReplacement, ProductLevelsSplitIntoTheirFactors) {
    // A 6-level column is the full factorial of 2 and 3; a 12-level one of
    // 3 and 4, whose 4 then becomes 2^3 (nested); a 4-level one of 2 and 2;
    // and the two 4-level columns of 4 x 4 both replaced: 2^6 in 16 runs.
    Sheet square{"4x4", 16, {4, 4}, {}};
    for (int r = 0; r < 16; ++r) square.cells.push_back(r / 4);
    for (int r = 0; r < 16; ++r) square.cells.push_back(r % 4);
    for (const auto& [parent, levels, arrays] :
         {std::tuple{single(6), std::vector<int>{2, 3}, std::vector<Sheet>{}}, {single(12), {2, 2, 2, 3}, {fourRuns()}},
          {single(4), {2, 2}, {}}, {square, repeated(2, 6), {fourRuns()}}}) {
        const auto expanded = vxhost::expandedFor(parent, levels, arrays);
        ASSERT_TRUE(expanded) << parent.runs << " runs";
        EXPECT_EQ(expanded->levels, levels);
        EXPECT_TRUE(hosttest::strengthTwo(oneBased(*expanded), parent.runs, expanded->levels)) << expanded->name;
    }
    const auto six = vxhost::expandedFor(single(6), {2, 3}, {});
    EXPECT_NE(six->name.find("1 column of 6 levels replaced by OA(6, 2 3)"), std::string::npos) << six->name;
}

TEST(ExpansiveReplacement, NothingWhereNoReplacementServes) {
    // Too many degrees of freedom for the runs; a prime level count has no
    // split; OA(36, 6^4) does not exist; a 1-level factor is no factor.
    EXPECT_FALSE(vxhost::expandedFor(single(4), repeated(2, 4), {fourRuns()}));
    EXPECT_FALSE(vxhost::expandedFor(single(7), {2, 3}, {}));
    EXPECT_FALSE(vxhost::findOrthogonalByReplacement(vxhost::tableSheets(), repeated(6, 4), 36));
    EXPECT_FALSE(vxhost::findOrthogonalByReplacement(vxhost::tableSheets(), {1, 2}, 4));
    EXPECT_FALSE(vxhost::findOrthogonalByReplacement(vxhost::tableSheets(), repeated(3, 5), 9));
}

}  // namespace
