// Complete optimal-design searches through the host's entry points.
#include "optimal/optiplan_init.h"
#include "optimal_host.h"

#include <gtest/gtest.h>

namespace {

using opttest::HostPlan;
using opttest::Shape;

void expectCriterionNeverDecreases(const HostPlan& h) {
    for (int k = h.N; k < h.startIter; ++k) EXPECT_GE(h.critvalopt[k], h.critvalopt[k - 1]);
}

// Orthogonal main-effects plans: 2^7 in 8 runs (det(X'X/N) = 1) and 3^4 in
// 9 runs (each three-level factor contributes 1/3 under effects coding),
// found by a few starts continuing one seed stream, as a host runs them.
TEST(OptimalSearch, ReachesTheOrthogonalArrayWhereOneExists) {
    for (const auto& [c, D] : {std::pair{Shape{{2, 2, 2, 2, 2, 2, 2}, 8}, 1.0},
                               std::pair{Shape{{3, 3, 3, 3}, 9}, std::pow(3.0, -4.0 / 9.0)}}) {
        for (int32_t seed : {1, 2, 3}) {
            double best = 0.0;
            for (int start = 0; start < 8 && best < D - 1e-9; ++start) {
                HostPlan h(c.levels, c.runs, seed);
                ASSERT_EQ(h.init(2), 0);
                seed = h.ioSeed;
                ASSERT_TRUE(h.iterateToEnd(12));
                best = std::max(best, std::pow(10.0, Cpp_NormedDet(h.criterionOf(h.N), h.N, h.p)));
                EXPECT_LT(h.companionError(true, false), 1e-8);
                expectCriterionNeverDecreases(h);
            }
            EXPECT_NEAR(best, D, 1e-9) << c.runs << " runs";
        }
    }
}

TEST(OptimalSearch, RepeatedCallsWithStartIterAdvancedContinueTheSameSearch) {
    HostPlan once({4, 3, 3, 2, 2}, 14), stepwise({4, 3, 3, 2, 2}, 14);
    ASSERT_EQ(once.init(1), 0);
    ASSERT_EQ(stepwise.init(1), 0);
    ASSERT_TRUE(once.iterateToEnd(12));
    for (int calls = 0;; ++calls) {
        ASSERT_LT(calls, 1000) << "still accepting exchanges";
        const int32_t before = stepwise.startIter;
        if (stepwise.iterate(12, 1) == 0) break;
        EXPECT_EQ(stepwise.startIter, before + 1);
    }
    EXPECT_EQ(once.iopt, stepwise.iopt);
    EXPECT_EQ(once.planDisp, stepwise.planDisp);
    EXPECT_EQ(once.startIter, stepwise.startIter);
    EXPECT_NEAR(once.criterion(), stepwise.criterion(), 1e-12);
    expectCriterionNeverDecreases(stepwise);
}

TEST(OptimalSearch, AFlaggedOrAlreadyOptimalPlanAcceptsNothing) {
    HostPlan h({2, 2, 2, 2, 2, 2, 2}, 8);
    ASSERT_EQ(h.init(2), 0);
    ASSERT_TRUE(h.iterateToEnd(12));
    EXPECT_EQ(h.iterate(11, 5), 0);

    HostPlan flagged({3, 3, 2}, 9);
    ASSERT_EQ(flagged.init(1), 0);
    flagged.delta[flagged.N - 1] = -1;
    EXPECT_EQ(flagged.iterate(12, 5), 0);
}

}  // namespace

// Counts whose sum falls below the 32-bit range shape no array: the sheet
// of 4 + nbFact + nbRes columns is empty, not wrapped round to a wide one.
TEST(OptimalSearch, ColumnCountsSummingBelowTheIntegerRangeShapeNoSheet) {
    std::vector<int32_t> levels{2}, iopt(3, 0), nbrOpt(3, 0), onbrIter{0};
    std::vector<double> planOpt(3, 0.0), planDisp{42.0}, critvalopt(3, 0.0), v(1, 0.0), chol(1, 0.0);
    std::vector<VARIANT_BOOL> delta(3, 0);
    int32_t seed = 1, oSeed = 0;
    EXPECT_EQ(Cpp_OptiplanIterate(-2147483609, levels.data(), -2136148901, 1, 2, 0, 0, 12, 3, 2, 1, &seed, -1,
                                  &oSeed, 2, 1, 0.0, onbrIter.data(), planOpt.data(), planDisp.data(), iopt.data(),
                                  critvalopt.data(), nbrOpt.data(), delta.data(), v.data(), chol.data()),
              0);
    EXPECT_EQ(planDisp[0], 42.0);
}

// PlanDisp's response columns past the factors are the host's: a sheet with
// two of them gets the same plan as one without and keeps their cells.
TEST(OptimalSearch, ResponseColumnsOfTheSheetChangeNothingAndAreKept) {
    for (int32_t nalgo : {11, 12}) {
        HostPlan bare({3, 3, 2}, 9), withResponses = bare;
        withResponses.addResponses(2, 42.0);
        ASSERT_EQ(bare.init(1), 0);
        ASSERT_EQ(withResponses.init(1), 0);
        ASSERT_TRUE(bare.iterateToEnd(nalgo));
        ASSERT_TRUE(withResponses.iterateToEnd(nalgo));
        const std::size_t sheet = bare.planDisp.size();
        EXPECT_EQ(bare.planOpt, withResponses.planOpt) << nalgo;
        EXPECT_EQ(bare.planDisp, std::vector<double>(withResponses.planDisp.begin(), withResponses.planDisp.begin() + sheet));
        EXPECT_EQ(std::vector<double>(withResponses.planDisp.begin() + sheet, withResponses.planDisp.end()),
                  std::vector<double>(withResponses.planDisp.size() - sheet, 42.0));
    }
}
