// Exchange iterations in each of the ways V and L can be kept.
#include "optimal/criteria.h"
#include "optimal_host.h"
#include "services/matrix_ops.h"

#include <gtest/gtest.h>

namespace {

using opttest::HostPlan;

// The reported criterion, V and L all describe the plan left in the arrays.
void expectCompanionsDescribeThePlan(HostPlan& h, bool checkV, bool checkL) {
    matrix X(h.N, h.p, h.planOpt.data(), false);
    matrix *M = nullptr, *V = nullptr, *L = nullptr;
    optimal::GramOfRows(&X, h.N, h.p, M);
    EXPECT_NEAR(h.criterion(), VerifyCritval(&X, h.N, h.p, 2), 1e-9);
    inverse1(M, V, 1e-12, static_cast<short*>(nullptr));
    M_CholDecomp(M, L);
    for (int i = 0; i < h.p * h.p; ++i) {
        if (checkV) {
            EXPECT_NEAR(h.vopt[i], V->vbget(i + 1), 1e-8);
        }
        if (checkL) {
            EXPECT_NEAR(h.chol[i], L->vbget(i + 1), 1e-8);
        }
    }
    delete M;
    delete V;
    delete L;
}

// From a random start the exhaustive exchange improves the plan through V
// or L alike, and leaves V and L describing the plan it reports.
TEST(OptimalExchange, ExhaustiveExchangeThroughVOrLScoresCriteria) {
    for (VARIANT_BOOL accelerate : {-1, 0}) {
        HostPlan h({3, 3, 2, 2}, 10);
        h.accelerate = accelerate;
        h.doChol = -1;
        ASSERT_EQ(h.init(1), 0);
        const double start = h.criterion();
        h.iterateToEnd(11);
        EXPECT_GT(h.criterion(), start + 0.1);
        expectCompanionsDescribeThePlan(h, accelerate == -1, true);
    }
}

// With neither V nor L kept, the Fedorov exchange still works on variances.
TEST(OptimalExchange, FedorovExchangeWithoutVOrL) {
    HostPlan h({3, 3, 2, 2}, 10);
    h.accelerate = 0;
    h.doChol = 0;
    ASSERT_EQ(h.init(1), 0);
    const double start = h.criterion();
    h.iterateToEnd(12);
    EXPECT_GT(h.criterion(), start + 0.1);
    expectCompanionsDescribeThePlan(h, true, false);
}

// A plan given by labels holds code 0 for the candidate the scans call
// nfullplan. Here the plan holds every candidate, so there is nothing to
// exchange, even when exchanges without gain are allowed.
TEST(OptimalExchange, LabelledPlanHoldingEveryCandidateHasNothingToExchange) {
    HostPlan h({2, 2}, 4);
    const char16_t* labels[4][2] = {{u"1", u"1"}, {u"2", u"1"}, {u"1", u"2"}, {u"2", u"2"}};
    for (int r = 0; r < 4; ++r)
        for (int j = 0; j < 2; ++j) h.q[static_cast<std::size_t>(j) * 4 + r] = SysAllocString(reinterpret_cast<const OLECHAR*>(labels[r][j]));
    ASSERT_EQ(h.init(3), 0);
    EXPECT_EQ(h.iopt, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(h.iterate(12, 5, -1.0), 0);
    EXPECT_EQ(h.iopt, (std::vector<int32_t>{0, 1, 2, 3}));
    for (BSTR b : h.q) SysFreeString(b);
}

}  // namespace
