#include "boundary/VORNEXDO1M.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Counts {
    int32_t runs;
    int32_t columns;
};

Counts countsOf(std::vector<int32_t> levels) {
    const int32_t n = static_cast<int32_t>(levels.size());
    return {Cpp_GetFullPlanLines(n, levels.data()), Cpp_GetnColPlan(n, levels.data())};
}

TEST(FullFactorialCounts, RunsAndColumns) {
    EXPECT_EQ(countsOf({2, 3, 4}).runs, 24);
    EXPECT_EQ(countsOf({2, 3, 4}).columns, 7);
    EXPECT_EQ(countsOf({2, 3, 2}).runs, 12);
    EXPECT_EQ(countsOf({2, 3, 2}).columns, 5);
    EXPECT_EQ(countsOf({3, 1, 2}).runs, 6) << "a one-level factor leaves the runs";
    EXPECT_EQ(countsOf({3, 1, 2}).columns, 4) << "and adds no column";
}

TEST(FullFactorialCounts, NoFactors) {
    EXPECT_EQ(Cpp_GetFullPlanLines(0, nullptr), 1);
    EXPECT_EQ(Cpp_GetnColPlan(0, nullptr), 1);
    EXPECT_EQ(Cpp_GetFullPlanLines(-3, nullptr), 1);
    EXPECT_EQ(Cpp_GetnColPlan(-3, nullptr), 1);
}

TEST(FullFactorialCounts, StopsAtTheFirstProductPastTheThreshold) {
    // Twelve factors of ten levels: the ninth product, 10^9, is returned and
    // the last three factors are never used.
    EXPECT_EQ(countsOf(std::vector<int32_t>(12, 10)).runs, 1000000000);
    std::vector<int32_t> levels(9, 10);
    levels.push_back(0);
    EXPECT_EQ(countsOf(levels).runs, 1000000000);
}

TEST(FullFactorialCounts, ProductsPastThirtyTwoBitsSaturate) {
    // 214748364 does not stop the product; the next level count then leaves
    // the 32-bit range.
    EXPECT_EQ(countsOf({214748364, 11}).runs, INT32_MAX);
    EXPECT_EQ(countsOf({65536, 65536}).runs, INT32_MAX);
    EXPECT_EQ(countsOf({1000, 1000, 1000}).runs, 1000000000);
}

}  // namespace
