// Exchange iterations in each of the ways V and L can be kept.
#include "optimal_host.h"
#include "optimal/search_state.h"

#include <gtest/gtest.h>

namespace {

using opttest::HostPlan;
using opttest::Shape;

struct Route {
    VARIANT_BOOL accelerate, doChol;
};
const Route kRoutes[] = {{-1, 0}, {0, -1}, {-1, -1}, {0, 0}};

// In a saturated plan every run has variance 1, yet exchanges still change
// the determinant: one pass of the exhaustive exchange, through V, through L
// or in full, makes the best single exchange found by brute force. (Every
// three runs of the 2 x 2 factorial have det M = 16: none gains.)
TEST(OptimalExchange, ExhaustiveExchangeMovesSaturatedPlansInEveryRoute) {
    for (const Shape& c : {Shape{{2, 2, 2, 2, 2, 2, 2}, 8}, Shape{{3, 3, 2}, 6}, Shape{{2, 2, 2, 2, 2, 2, 2}, 9}, Shape{{2, 2}, 3}})
        for (int32_t seed : {8, 3, 21, 40}) {
            std::vector<int32_t> startCodes;
            exact::SingleExchange best;
            for (const Route& route : kRoutes) {
                HostPlan h(c.levels, c.runs, seed, route.accelerate, route.doChol);
                h.icrit = seed % 2 ? 1 : 2;  // det or log10 det
                ASSERT_EQ(h.init(1), 0);
                if (startCodes.empty()) {
                    startCodes = h.iopt;
                    best = exact::bestSingleExchange(h.exact());
                }
                // Under det a singular draw is kept (its criterion is 0, not S) and
                // flagged; its exchanges are scored with the ridge instead.
                if (h.exact().det() == 0) break;
                ASSERT_EQ(h.iopt, startCodes);  // the same draw whatever is kept
                if (best.run) {
                    // A Convergence just above the best gain accepts nothing.
                    const double from = exact::toDouble(h.exact().det()), to = exact::toDouble(best.det);
                    ASSERT_EQ(h.iterate(11, 1, 1.01 * (h.icrit == 1 ? to - from : std::log10(to / from))), 0);
                }
                const int32_t accepted = h.iterate(11, 1);
                SCOPED_TRACE(testing::Message() << c.runs << " runs, seed " << seed << ", accelerate "
                                                << route.accelerate << ", DoChol " << route.doChol);
                ASSERT_EQ(accepted, best.run ? 1 : 0);
                std::vector<int32_t> expected = startCodes;  // ties: the first met, runs from 1 up, codes down
                if (best.run) expected[best.run - 1] = static_cast<int32_t>(best.code);
                EXPECT_EQ(h.iopt, expected);
                const double det = exact::toDouble(best.det);
                EXPECT_NEAR(h.criterion(), h.icrit == 1 ? det : std::log10(det), 1e-9 * (h.icrit == 1 ? det : 1.0));
                // Further passes keep V and L describing the plan they leave.
                ASSERT_TRUE(h.iterateToEnd(11));
                EXPECT_LT(h.companionError(route.accelerate == -1, route.doChol == -1), 1e-8);
            }
        }
}

// One Fedorov pass takes the first escalation level whose exact gain reaches
// Convergence. Convergences placed between the exact gains of the levels
// force single, double and triple exchanges; each is compared with the exact
// escalation in every way V and L can be kept, and V and L must describe
// the plan the pass leaves.
TEST(OptimalExchange, FedorovEscalatesAsExactDeterminantsDo) {
    int forced[4] = {0, 0, 0, 0};
    for (int32_t seed = 1; seed <= 24; ++seed) {
        HostPlan start({3, 3, 2, 2}, 10, seed);
        ASSERT_EQ(start.init(1), 0);
        const exact::Plan plan = start.exact();
        exact::Escalation levels[4];
        bool found[4] = {false, false, false, false};
        for (int m = 1; m <= 3; ++m) found[m] = exact::escalate(plan, m, levels[m]);
        // Below every gain, then between the gains that a single or a double exchange reach and the next.
        std::vector<double> convergences{1e-9};
        double below = -1.0;
        for (int m = 1; m <= 3; ++m) {
            if (!found[m]) continue;
            if (below > 0.0 && levels[m].gain > below * (1.0 + 1e-6)) convergences.push_back((below + levels[m].gain) / 2);
            below = std::max(below, levels[m].gain);
        }
        for (double convergence : convergences) {
            int level = 0;
            for (int m = 1; m <= 3 && !level; ++m)
                if (found[m] && levels[m].gain >= convergence) level = m;
            ++forced[level];
            for (const Route& route : kRoutes) {
                HostPlan h({3, 3, 2, 2}, 10, seed, route.accelerate, route.doChol);
                ASSERT_EQ(h.init(1), 0);
                SCOPED_TRACE(testing::Message() << "seed " << seed << ", convergence " << convergence << ", route "
                                                << route.accelerate << "/" << route.doChol);
                // With neither kept, the pass inverts the plan itself: what V holds is not read.
                if (route.accelerate == 0 && route.doChol == 0) h.vopt.assign(h.vopt.size(), 0.5);
                ASSERT_EQ(h.iterate(12, 1, convergence), level ? 1 : 0);
                EXPECT_EQ(h.exact().codes, level ? levels[level].codes : plan.codes);
                EXPECT_NEAR(h.criterion(), std::log10(exact::toDouble(h.exact().det())), 1e-9);
                EXPECT_LT(h.companionError(route.accelerate == -1 || route.doChol == 0, route.doChol == -1), 1e-8);
            }
        }
    }
    EXPECT_GT(std::min({forced[1], forced[2], forced[3]}), 0);  // each level forced at least once
}

// Candidate counts that leave a factor's last level out of reach accept
// nothing, even where exchanges without gain would be allowed: codes 1..4 of
// 2 x 3 never show the third level, and 29 two-level factors counted to
// 2^28 never show the last factor's second level. A level count of 0 counts
// as one level: put first, it changes none of this.
TEST(OptimalExchange, CandidateCountsShortOfALevelAcceptNothing) {
    HostPlan start({2, 3}, 4);
    ASSERT_EQ(start.init(1), 0);
    HostPlan zero = start;
    zero.levels.insert(zero.levels.begin(), 0);
    zero.planDisp.insert(zero.planDisp.begin() + 4 * zero.N, zero.N, 1.0);
    for (HostPlan h : {start, zero}) {
        const std::vector<int32_t> codes = h.iopt;
        h.nfullplan = 4;
        for (int32_t nalgo : {11, 12}) EXPECT_EQ(h.iterate(nalgo, 3, -1.0), 0);
        EXPECT_EQ(h.iopt, codes);
        h.nfullplan = 5;
        h.icrit = 3;  // no criterion: nothing either
        for (int32_t nalgo : {11, 12}) EXPECT_EQ(h.iterate(nalgo, 3, -1.0), 0);
        h.icrit = 2;
        EXPECT_GT(h.iterate(12, 3, -1.0), 0) << h.factors() << " factors";
        // Codes past the full factorial name its candidates again: a count of
        // twice the factorial exchanges as the factorial itself does.
        for (int32_t nalgo : {11, 12}) {
            HostPlan twice = h, once = h;
            twice.nfullplan = 12;
            once.nfullplan = 6;
            EXPECT_EQ(twice.iterate(nalgo, 3, -1.0), once.iterate(nalgo, 3, -1.0));
            EXPECT_EQ(twice.iopt, once.iopt);
        }
    }

    HostPlan wide(std::vector<int32_t>(29, 2), 30);
    ASSERT_EQ(wide.nfullplan, 1 << 28);
    for (int r = 0; r < wide.N; ++r) wide.iopt[r] = r + 1;
    for (int32_t nalgo : {11, 12}) EXPECT_EQ(wide.iterate(nalgo, 3, -1.0), 0);
}

// A plan given by labels holds code 0 for the candidate the scans call
// nfullplan. Here the plan holds every candidate, so there is nothing to
// exchange, even when exchanges without gain are allowed.
TEST(OptimalExchange, LabelledPlanHoldingEveryCandidateHasNothingToExchange) {
    HostPlan h({2, 2}, 4);
    const char16_t* labels[4][2] = {{u"1", u"1"}, {u"2", u"1"}, {u"1", u"2"}, {u"2", u"2"}};
    for (int r = 0; r < 4; ++r)
        for (int j = 0; j < 2; ++j) h.q[static_cast<std::size_t>(j) * 4 + r] = SysAllocString(reinterpret_cast<const OLECHAR*>(labels[r][j]));
    h.delta.assign(4, 5);
    ASSERT_EQ(h.init(3), 0);
    EXPECT_EQ(h.iopt, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_NEAR(h.critvalopt[3], std::log10(64.0), 1e-12);  // M = 4 I of 3 columns
    EXPECT_EQ(h.delta[3], 0);
    EXPECT_EQ(h.iterate(12, 5, -1.0), 0);
    EXPECT_EQ(h.iopt, (std::vector<int32_t>{0, 1, 2, 3}));
    for (BSTR b : h.q) SysFreeString(b);
}

// One exchange pass scores up to runs x candidates pairs, and nothing else
// bounds what it costs: a larger request is refused before any work, its
// arrays as the host passed them.
TEST(OptimalScanLimit, ScansPastTheLargestAreRefusedUntouched) {
    struct Request {
        std::vector<int32_t> levels;
        int32_t runs, nfullplan;
        VARIANT_BOOL accelerate, doChol;
        int32_t nalgo;  // of the refused exchange
    };
    const Request refused[] = {
        {std::vector<int32_t>(6, 30), 175, 728999997, -1, 0, 12},  // 1.3e11 pairs: hours of one exchange
        {{14, 14, 14, 14, 14, 14, 11}, 118, 78675965, -1, 0, 12},  // 9.3e9 pairs
        {{14, 14, 14, 14, 14, 14, 11}, 118, 78675965, -1, 0, 11},
        {{10, 10, 10, 10}, 60, 10000, 0, 0, 11},   // a determinant per pair: 6e5 x 37^3 = 3.0e10
        {std::vector<int32_t>(6, 10), 150, 1000000, 0, -1, 12},  // a solve through L: 1.5e8 x 55 = 8.25e9
    };
    for (const Request& r : refused) {
        SCOPED_TRACE(::testing::Message() << r.runs << " runs of " << r.nfullplan << ", nalgo " << r.nalgo);
        HostPlan h(r.levels, r.runs, 7, r.accelerate, r.doChol);
        h.nfullplan = r.nfullplan;
        std::fill(h.planOpt.begin(), h.planOpt.end(), 5.0);
        std::fill(h.iopt.begin(), h.iopt.end(), 3);
        std::fill(h.delta.begin(), h.delta.end(), VARIANT_BOOL{0});
        h.critvalopt.assign(static_cast<std::size_t>(h.N) + 1, 2.0);
        const HostPlan before = h;
        int32_t accepted = 9;
        EXPECT_EQ(Cpp_OptiplanIterate(h.factors(), h.levels.data(), 0, h.icode, h.icrit, h.accelerate, h.doChol,
                                      r.nalgo, h.N, h.nfullplan, h.p, nullptr, 0, nullptr, 1, h.N, 1e-9, &accepted,
                                      h.planOpt.data(), h.planDisp.data(), h.iopt.data(), h.critvalopt.data(),
                                      h.nbrOpt.data(), h.delta.data(), h.vopt.data(), h.chol.data()),
                  -1);
        EXPECT_EQ(accepted, 0);
        EXPECT_TRUE(h.planOpt == before.planOpt && h.iopt == before.iopt && h.critvalopt == before.critvalopt &&
                    h.vopt == before.vopt && h.planDisp == before.planDisp);
    }
    // A plan no pass could exchange is not started, and the sequential start
    // is bounded by its own scans: 1e6 candidates for each of 251 runs.
    for (const Request& r : {refused[0], refused[1]})
        for (int32_t nalgo : {1, 2}) {
            HostPlan h(r.levels, r.runs, 7, r.accelerate, r.doChol);
            h.nfullplan = r.nfullplan;
            const HostPlan before = h;
            EXPECT_EQ(h.init(nalgo), -1);
            EXPECT_TRUE(h.planOpt == before.planOpt && h.iopt == before.iopt && h.ioSeed == before.ioSeed &&
                        h.oSeed == before.oSeed && h.critvalopt == before.critvalopt);
        }
    HostPlan sequential(std::vector<int32_t>(6, 10), 251);
    EXPECT_EQ(sequential.init(2), -1);
    EXPECT_EQ(sequential.init(1), 0) << "a random start scans nothing";

    // The bounds themselves, at their edges: 8e9 = 80000 x 100000.
    using optimal::PairCost;
    using optimal::ScanFits;
    EXPECT_TRUE(ScanFits(80000, 100000, PairCost::ThroughInverse, 99, optimal::kMostExchangePairs));
    EXPECT_FALSE(ScanFits(80001, 100000, PairCost::ThroughInverse, 99, optimal::kMostExchangePairs));
    EXPECT_TRUE(ScanFits(8000, 100000, PairCost::ThroughFactor, 10, optimal::kMostExchangePairs));
    EXPECT_FALSE(ScanFits(8000, 100001, PairCost::ThroughFactor, 10, optimal::kMostExchangePairs));
    EXPECT_TRUE(ScanFits(8, 1000000, PairCost::FullDeterminant, 10, optimal::kMostExchangePairs));
    EXPECT_FALSE(ScanFits(8, 1000001, PairCost::FullDeterminant, 10, optimal::kMostExchangePairs));
    EXPECT_TRUE(ScanFits(250, 1000000, PairCost::ThroughInverse, 55, optimal::kMostSequentialPairs));
    EXPECT_TRUE(ScanFits(-5, INT32_MAX, PairCost::FullDeterminant, INT32_MAX, optimal::kMostExchangePairs));
}

}  // namespace
