#include "boundary/VORNEXDO1M.h"
#include "classical/full_factorial.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FullFactorialCounts, RunsAndColumns) {
    struct Case {
        std::vector<int32_t> levels;
        int32_t runs, columns;
    };
    // A one-level factor leaves the runs and adds no column. The product stops
    // at the first value past the threshold (10^9: later factors, even a 0, go
    // unused) and saturates past 32 bits (214748364 does not stop it; 11 then
    // leaves the range).
    const std::vector<int32_t> stopped{10, 10, 10, 10, 10, 10, 10, 10, 10, 0};
    for (Case c : {Case{{2, 3, 4}, 24, 7}, Case{{2, 3, 2}, 12, 5}, Case{{3, 1, 2}, 6, 4},
                          Case{std::vector<int32_t>(12, 10), 1000000000, 12}, Case{stopped, 1000000000, 10},
                          Case{{214748364, 11}, INT32_MAX, 2}, Case{{65536, 65536}, INT32_MAX, 2},
                          Case{{1000, 1000, 1000}, 1000000000, 3}}) {
        const int32_t n = static_cast<int32_t>(c.levels.size());
        EXPECT_EQ(Cpp_GetFullPlanLines(n, c.levels.data()), c.runs) << ::testing::PrintToString(c.levels);
        if (c.runs < 1000000000) {
            EXPECT_EQ(Cpp_GetnColPlan(n, c.levels.data()), c.columns);
        }
    }
    for (int32_t n : {0, -3}) {
        EXPECT_EQ(Cpp_GetFullPlanLines(n, nullptr), 1);
        EXPECT_EQ(Cpp_GetnColPlan(n, nullptr), 1);
    }
    // A count past the levels held stops at them: the loop neither runs on
    // over nothing nor overflows its counter at INT32_MAX.
    std::vector<int32_t> levels{3, 4};
    matrixInt held(2, 1, levels.data(), true);
    EXPECT_EQ(GetnColPlan(INT32_MAX, &held), 1 + 2 + 3);
    EXPECT_EQ(GetFullPlanLines(INT32_MAX, &held), 12);
}

}  // namespace
