// The quality report and the ANOVA layout through the host's entry points.
#include "boundary/VORNEXDO1M.h"
#include "sensory/cooccurrence.h"
#include "sensory/quality.h"
#include "tests/sensory/orders_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

using orders_test::Ranking;

TEST(Quality, ReportOnTheSearchsOrderRepeatsItsCounts) {
    Ranking x(10, 5, 3, orders_test::cyclicIncidence(10, 5, 3));
    x.rank(0.5, 4);
    Ranking q(10, 5, 3, x.jp);
    Cpp_ComputeQuality(10, 5, 3, x.jr.data(), q.jp.data(), q.rmat.data(), q.smat.data(), q.md.data(), q.conc.data());
    EXPECT_EQ(std::tie(q.rmat, q.smat, q.md[0], q.md[1]), std::tie(x.rmat, x.smat, x.md[0], x.md[1]));
    EXPECT_EQ(std::memcmp(q.conc.data(), x.conc.data(), q.conc.size() * sizeof(double)), 0);  // no-value marks too
}

TEST(Quality, CountsPassedAtTheIntegerEdgeWrapAndCellsWithoutAProductFollowNothing) {
    Ranking q(1, 2, 2, {1, 1});
    std::vector<int32_t> jr{1, INT32_MAX};
    q.rmat.assign(4, INT32_MAX);
    Cpp_ComputeQuality(1, 2, 2, jr.data(), q.jp.data(), q.rmat.data(), q.smat.data(), q.md.data(), q.conc.data());
    EXPECT_EQ(q.rmat[0], INT32_MIN);  // product 1 at position 1, counted on INT32_MAX
    EXPECT_EQ(q.smat, (std::vector<int32_t>{INT32_MAX, INT32_MAX, 0, 0, 0, 0}));  // nothing follows product 1
}

TEST(Quality, AnovaTableRowsRunOccasionJudgePosition) {
    std::vector<int32_t> values(12);  // J = 2, R = 3, NBS = 2
    for (int i = 0; i < 12; ++i) values[static_cast<std::size_t>(i)] = 100 + i;
    std::vector<double> table(12 * 4, -7);
    Cpp_PrepareANOVAtable(2, 99, 3, 2, values.data(), table.data());
    // Every row against the layout the header states: row ((s-1)J + j-1)R + r
    // holds s, j, r and the value in column (s-1)R + r of judge j.
    std::vector<double> expected(12 * 4);
    for (int s = 1; s <= 2; ++s)
        for (int j = 1; j <= 2; ++j)
            for (int r = 1; r <= 3; ++r) {
                const int row = ((s - 1) * 2 + j - 1) * 3 + r;
                const double cells[] = {double(s), double(j), double(r), double(100 + ((s - 1) * 3 + r - 1) * 2 + j - 1)};
                for (int c = 0; c < 4; ++c) expected[static_cast<std::size_t>(c) * 12 + row - 1] = cells[c];
            }
    EXPECT_EQ(table, expected);
    // A table of fewer rows than observations takes the first ones, in order.
    matrixInt held(2, 6, values.data(), true);
    matrix five(5, 4, -7.0);
    PrepareANOVAtable(2, 3, 2, &held, &five);
    for (int row = 1; row <= 5; ++row)
        for (int c = 1; c <= 4; ++c) EXPECT_EQ(five.vbget(row, c), expected[static_cast<std::size_t>(c - 1) * 12 + row - 1]);
    std::vector<double> three(6 * 3, -7);
    Cpp_PrepareANOVAtable(2, 0, 3, 1, values.data(), three.data());
    EXPECT_EQ(three[6 * 2 + 5], 105);  // judge 2, position 3
    std::vector<double> untouched(3, -7);
    Cpp_PrepareANOVAtable(2, 0, 3, 0, values.data(), untouched.data());
    EXPECT_EQ(untouched, std::vector<double>(3, -7));
    Cpp_PrepareANOVAtable(1, 0, 1, 1, values.data(), untouched.data());  // one judge, one position: one row
    EXPECT_EQ(untouched, (std::vector<double>{1, 1, 100}));
}

TEST(Quality, AMissingArrayLeavesEveryOtherOneUntouched) {
    Ranking q(2, 3, 2, {1, 0, 1, 1, 0, 1});
    std::vector<int32_t> jr{1, 3, 2, 1};
    matrixInt JR(2, 2, jr.data(), true), JP(2, 3, q.jp.data(), true), rm(3, 2, q.rmat.data(), true),
        sm(3, 4, q.smat.data(), true);
    matrix md(2, 2, q.md.data(), true), conc(3, 3, q.conc.data(), true);
    const Ranking blank(2, 3, 2, {});
    for (int missing = 0; missing < 6; ++missing) {
        auto given = [&](auto* m, int i) { return i == missing ? nullptr : m; };
        ComputeQuality(2, 3, 2, given(&JR, 0), given(&JP, 1), given(&rm, 2), given(&sm, 3), given(&md, 4),
                       given(&conc, 5));
        EXPECT_EQ(std::tie(q.rmat, q.smat, q.md, q.conc), std::tie(blank.rmat, blank.smat, blank.md, blank.conc))
            << missing;
    }
    PrepareANOVAtable(2, 2, 1, &JR, nullptr);
    PrepareANOVAtable(2, 2, 1, nullptr, &md);
    GetCooccurrenceMat(nullptr, 3, 1, 2, &conc);  // concurrences of no design: nothing added
    EXPECT_EQ(std::tie(q.md, q.conc), std::tie(blank.md, blank.conc));
}
