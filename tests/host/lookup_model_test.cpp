// Looking up orthogonal plans for a list of factors, and the host's model
// and D, each against facts computed apart: strength 2 by counting, the
// closed-form D of an orthogonal plan, determinants by elimination.
#include "host/optimal/model.h"
#include "host/optimal/orthogonal_lookup.h"
#include "tests/host/host_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using hosttest::concat;
using hosttest::repeated;

TEST(Lookup, GoalCasesComeOutOrthogonalAtTheBound) {
    const std::vector<std::pair<std::vector<int>, int>> cases = {
        {concat(repeated(3, 8), repeated(2, 4)), 36}, {concat(repeated(2, 6), repeated(3, 10)), 36},
        {concat({2}, repeated(5, 6)), 50},           {concat({2}, repeated(3, 12)), 54},
        {repeated(4, 10), 64},                       {repeated(3, 20), 81},
        {repeated(2, 99), 100},                      {concat({2}, repeated(5, 11)), 100},
    };
    for (const auto& [levels, runs] : cases) {
        const auto found = vxhost::findOrthogonal(vxhost::tableSheets(), levels, runs);
        ASSERT_TRUE(found) << runs << " runs, " << levels.size() << " factors";
        EXPECT_EQ(found->copies * found->array->runs, runs);
        EXPECT_TRUE(hosttest::strengthTwo(found->plan, runs, levels)) << found->array->name;
        const double logDet = hosttest::logDetByElimination(found->plan, runs, levels, 1);
        EXPECT_NEAR(vxhost::normedD(logDet, runs, vxhost::modelColumns(levels)), hosttest::closedFormBound(levels), 1e-12);
    }
}

TEST(Lookup, NothingWhereNoOrthogonalPlanExists) {
    // 60 is not a multiple of 9; 16 runs cannot balance a 3-level column;
    // OA(36, 6^4) does not exist; a 1-level factor is not a factor.
    EXPECT_FALSE(vxhost::findOrthogonal(vxhost::tableSheets(), repeated(3, 20), 60));
    EXPECT_FALSE(vxhost::findOrthogonal(vxhost::tableSheets(), {4, 4, 3, 3, 2, 2}, 16));
    EXPECT_FALSE(vxhost::findOrthogonal(vxhost::tableSheets(), repeated(6, 4), 36));
    EXPECT_FALSE(vxhost::findOrthogonal(vxhost::tableSheets(), {1, 2}, 4));
    EXPECT_FALSE(vxhost::findOrthogonal(vxhost::tableSheets(), repeated(2, 100), 100));
}

TEST(Lookup, RunsRepeatWhenTheArrayIsSmaller) {
    // 3^4 in 18 runs: OA(9, 3^4) twice.
    const auto found = vxhost::findOrthogonal(vxhost::tableSheets(), repeated(3, 4), 18);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->array->runs, 9);
    EXPECT_EQ(found->copies, 2);
    for (int f = 0; f < 4; ++f)
        for (int r = 0; r < 9; ++r) EXPECT_EQ(found->plan[f * 18 + r], found->plan[f * 18 + r + 9]);
}

TEST(Lookup, ColumnsExactFirstThenMergedMultiples) {
    // Columns of 2, 4, 6 and 3 levels.
    const std::vector<int> columns = {2, 4, 6, 3};
    EXPECT_EQ(vxhost::columnsForFactors(columns, {3, 2}, false), (std::vector<int>{3, 0}));
    EXPECT_FALSE(vxhost::columnsForFactors(columns, {2, 2}, false));
    // The second 2-level factor merges the 4-level column: multiples are
    // taken in column order, and 3 then has the 6 and 3 to choose from.
    EXPECT_EQ(vxhost::columnsForFactors(columns, {2, 2, 3}, true), (std::vector<int>{0, 1, 3}));
    // Factors of more levels choose first: the 3 takes the 6 only when its own is used.
    EXPECT_EQ(vxhost::columnsForFactors(columns, {2, 3, 3, 2}, true), (std::vector<int>{0, 3, 2, 1}));
    EXPECT_FALSE(vxhost::columnsForFactors(columns, {5}, true));
    EXPECT_FALSE(vxhost::columnsForFactors(columns, {2, 2, 2, 2, 2}, true));

    // A merged column reads levels modulo the factor's count, as 1..s.
    const vxhost::Sheet sheet{"", 4, {4}, {0, 1, 2, 3}};
    EXPECT_EQ(vxhost::planFromColumns(sheet, {0}, {2}, 8), (std::vector<int>{1, 2, 1, 2, 1, 2, 1, 2}));
}

TEST(Model, RowsFollowTheCodingRules) {
    const std::vector<int> levels = {2, 3, 4, 1};
    for (int icode : {1, 2})
        for (int a = 1; a <= 2; ++a)
            for (int b = 1; b <= 3; ++b)
                for (int c = 1; c <= 4; ++c) {
                    const std::vector<int> run = {a, b, c, 1};
                    std::vector<double> row(static_cast<std::size_t>(vxhost::modelColumns(levels)));
                    vxhost::modelRow(levels, icode, run.data(), row.data());
                    EXPECT_EQ(row, hosttest::codedRow(levels, icode, run)) << icode << ": " << a << b << c;
                }
    EXPECT_EQ(vxhost::modelColumns(levels), 1 + 1 + 2 + 3);
}

TEST(Model, LogDetMatchesEliminationSeesSingularityAndBoundIsTheClosedForm) {
    const std::vector<int> levels = {3, 2, 4};
    std::mt19937 rng(5);
    for (int trial = 0; trial < 20; ++trial) {
        const int runs = 7 + trial % 6;
        const std::vector<int> plan = hosttest::randomPlan(levels, runs, rng);
        for (int icode : {1, 2}) {
            const double expected = hosttest::logDetByElimination(plan, runs, levels, icode);
            const double got = vxhost::logDetInformation(plan, runs, levels, icode);
            if (std::isinf(expected))
                EXPECT_TRUE(std::isinf(got) && got < 0);
            else
                EXPECT_NEAR(got, expected, 1e-9);
        }
    }
    // A factor stuck at one level leaves X'X singular, and D is 0.
    const std::vector<int> stuck = {1, 1, 1, 1, 1, 2, 1, 2};
    EXPECT_TRUE(std::isinf(vxhost::logDetInformation(stuck, 4, {2, 2}, 1)));
    EXPECT_EQ(vxhost::normedD(vxhost::logDetInformation(stuck, 4, {2, 2}, 1), 4, 3), 0.0);
    // The bound is the closed form (D of the orthogonal plans above and in the recipe tests).
    for (const std::vector<int>& l : std::vector<std::vector<int>>{{2, 2, 2}, {2, 3}, {3, 4, 2}, {5, 2}})
        EXPECT_NEAR(vxhost::orthogonalBound(l), hosttest::closedFormBound(l), 1e-14);
    EXPECT_DOUBLE_EQ(vxhost::orthogonalBound({2, 2, 2}), 1.0);
}

}  // namespace
