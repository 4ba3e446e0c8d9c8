// The initial optimal plan through the host's entry point.
#include "optimal/candidates.h"
#include "optimal/optiplan_init.h"
#include "optimal/search_state.h"
#include "optimal_host.h"

#include <gtest/gtest.h>

namespace {

using opttest::HostPlan;
using opttest::Shape;

TEST(OptimalInit, ImpossibleSizesAreRejectedBeforeAnyDrawAndTheLeastPossibleAccepted) {
    struct Case { std::vector<int32_t> levels; int32_t runs, nfullplan, icrit; };
    // More runs than candidates, fewer runs than model columns, a level
    // count below 1, no criterion, codes beyond the full factorial, codes
    // 1..4 that never show the third level of the second factor (first at
    // code 2 x 2 = 4, read as 0), and 29 two-level factors, whose count
    // stops at 2^28: the last factor's second level is first at code 2^28.
    const std::vector<int32_t> twoLevel29(29, 2);
    for (const Case& c : {Case{{2, 3}, 7, 0, 2}, Case{{3, 3, 3}, 6, 0, 2}, Case{{3, 0, 2}, 6, 6, 2},
                          Case{{3, 3}, 6, 0, 5}, Case{{3, 3}, 6, 12, 2}, Case{{2, 3}, 4, 4, 2},
                          Case{twoLevel29, 30, 0, 2}})
        for (int32_t nalgo : {1, 2}) {
            HostPlan h(c.levels, c.runs);
            if (c.nfullplan) h.nfullplan = c.nfullplan;
            h.icrit = c.icrit;
            h.iopt.assign(h.N, -5);
            EXPECT_EQ(h.init(nalgo, 0), optimal::kImpossibleSizes) << c.runs << " runs, nalgo " << nalgo;
            EXPECT_EQ(h.iopt, std::vector<int32_t>(h.N, -5));
            EXPECT_EQ(h.ioSeed, 7);
        }
    // One code more reaches every level: the plan is drawn from codes 1..5.
    HostPlan h({2, 3}, 4);
    h.nfullplan = 5;
    ASSERT_EQ(h.init(1), 0);
    EXPECT_TRUE(std::all_of(h.iopt.begin(), h.iopt.end(), [](int32_t code) { return code >= 1 && code <= 5; }));
}

// Sizes that pass the checks yet admit no valid regular plan: the redraws
// and restarts stop at their bounds.
// The kernels read the containers' blocks directly, so every one must hold
// the shape its sizes promise: one column short anywhere is no plan.
TEST(OptimalInit, ContainersShortOfTheirShapeHoldNoPlan) {
    const int N = 9, p = 6, nbFact = 3;  // levels 3, 3, 2: 1 + 2 + 2 + 1 columns
    matrixInt levels(nbFact, 1, 3), iopt(N, 1, 0);
    levels.vbset(3, 1, 2);
    auto arrays = [&](int planCols, int dispCols, int vCols, int cholCols, std::vector<std::unique_ptr<matrix>>& keep) {
        for (auto [rows, cols] : {std::pair{N, planCols}, {N, dispCols}, {p, vCols}, {p, cholCols}})
            keep.push_back(std::make_unique<matrix>(rows, cols, 0.0));
        return optimal::PlanArrays{nbFact, &levels, 1, 2, -1, 0, N, 18, p,
                                   keep[0].get(), keep[1].get(), &iopt, keep[2].get(), keep[3].get()};
    };
    std::vector<std::unique_ptr<matrix>> keep;
    EXPECT_TRUE(arrays(p, nbFact + 4, p, p, keep).shapesHold());
    for (int shortOne = 0; shortOne < 4; ++shortOne) {
        int cols[4] = {p, nbFact + 4, p, p};
        --cols[shortOne];
        keep.clear();
        EXPECT_FALSE(arrays(cols[0], cols[1], cols[2], cols[3], keep).shapesHold()) << "container " << shortOne;
    }
}

TEST(OptimalInit, RedrawsThatCannotSucceedStopAtTheirBound) {
    // The bounds are exact: ioSeed ends where the draws of k from 1..n leave
    // it once `bound` of them counted (a level check passed, or any draw).
    auto seedAfter = [](int32_t io, int bound, int32_t n, int k, auto counts) {
        int32_t next = 0;
        for (matrix out(k, 1, 0.0); bound > 0; io = next) {
            Randomkfrom1toN(n, &out, k, &io, -1, &next);
            bound -= counts(out);
        }
        return io;
    };
    const auto any = [](const matrix&) { return true; };
    HostPlan h({1}, 1);
    EXPECT_EQ(h.init(1), optimal::kNoPlanFound);
    EXPECT_EQ(h.ioSeed, seedAfter(7, optimal::kMaxRandomDraws, 1, 1, any));
    // With no coding the factor columns stay 0: every plan is singular, and
    // the sequential start restarts, the random plan redraws, until its bound.
    HostPlan uncoded({2, 2}, 3);
    uncoded.icode = 0;
    EXPECT_EQ(uncoded.init(2), optimal::kNoPlanFound);
    const int32_t restartsEnd = uncoded.ioSeed;
    EXPECT_EQ(restartsEnd, seedAfter(7, optimal::kMaxSequentialStarts, 4, 1, any));
    EXPECT_EQ(uncoded.init(1), optimal::kNoPlanFound);
    EXPECT_EQ(uncoded.ioSeed, seedAfter(restartsEnd, optimal::kMaxSingularDraws, 4, 3, [](const matrix& out) {
                  return exact::Plan{{2, 2}, 1, {std::lround(out.vbget(1, 1)), std::lround(out.vbget(2, 1))}}.showsEveryLevel();
              }));
    // A model column no factor fills describes no plan at all.
    HostPlan extra({2, 2}, 4);
    extra.p = 4;
    extra.planOpt.resize(16);
    extra.vopt.resize(16);
    extra.chol.resize(16);
    EXPECT_EQ(extra.init(1), optimal::kImpossibleSizes);
    EXPECT_EQ(extra.init(2), optimal::kImpossibleSizes);
    // Five draws from 1..N: the first N are a permutation, and every one is
    // one of 1..N (past N they repeat).
    for (int32_t n : {3, 1}) {
        matrix out(5, 1, 0.0);
        int32_t seed = 3, next = 0;
        Randomkfrom1toN(n, &out, 5, &seed, -1, &next);
        std::vector<double> values(out.data(), out.data() + 5);
        std::sort(values.begin(), values.begin() + n);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(values[i], i < n ? i + 1 : std::clamp(std::round(values[i]), 1.0, 1.0 * n)) << n << ", " << i;
    }
}

// The greedy step takes, among candidates of equal criterion, the highest
// code and counts them all. 2^7 in 8 runs, seed 12345: the fifth step (a
// ridge-regularised plan of four runs) has 14 exactly tied candidates, the
// highest being 119. Past the plan's first regular steps every choice is
// checked against exact determinants det(M + x x').
TEST(OptimalInit, SequentialTiesGoToTheHighestCodeAndAreAllCounted) {
    HostPlan tied({2, 2, 2, 2, 2, 2, 2}, 8, 12345);
    ASSERT_EQ(tied.init(2), 0);
    EXPECT_EQ(tied.iopt[4], 119);
    EXPECT_EQ(tied.nbrOpt[4], 14);

    int checked = 0;
    for (const Shape& c : {Shape{{2, 2, 2, 2, 2}, 16}, Shape{{3, 3, 2, 2}, 14}})
        for (int32_t seed : {1, 2, 3, 4, 5, 6}) {
            HostPlan h(c.levels, c.runs, seed);
            h.icrit = seed % 2 ? 1 : 2;
            h.delta.assign(h.N, 5);
            ASSERT_EQ(h.init(2), 0);
            exact::Plan plan = h.exact();
            plan.codes.clear();
            for (int r = 1; r <= h.N; ++r) {
                if (r > 5 && plan.det() != 0) {
                    exact::Int best = -1;
                    long long code = 0;
                    int ties = 0;
                    for (long long cand = plan.candidates(); cand >= 1; --cand) {
                        if (plan.holds(cand)) continue;
                        exact::Plan trial = plan;
                        trial.codes.push_back(cand);
                        const exact::Int d = trial.det();
                        if (d > best) best = d, code = cand, ties = 0;
                        ties += d == best;
                    }
                    EXPECT_EQ(h.iopt[r - 1], code) << "seed " << seed << ", step " << r;
                    EXPECT_EQ(h.nbrOpt[r - 1], ties) << "seed " << seed << ", step " << r;
                    ++checked;
                }
                plan.codes.push_back(h.iopt[r - 1]);
                // Each greedy step flags exactly the singular plans, and stores the criterion of the others.
                const double det = exact::toDouble(plan.det());
                if (r <= 5) continue;
                EXPECT_EQ(h.delta[r - 1], det == 0 ? -1 : 0) << "seed " << seed << ", step " << r;
                if (det != 0) {
                    EXPECT_NEAR(h.critvalopt[r - 1], h.icrit == 1 ? det : std::log10(det), 1e-9 * (h.icrit == 1 ? det : 1));
                }
            }
        }
    EXPECT_GT(checked, 60);
}

// A random plan is the first draw of the seed's stream whose first N - 1
// runs show every level (the last run is not counted) and whose exact
// determinant is not 0: the draws replayed step by step, and both reasons
// for a redraw must have arisen among the seeds.
TEST(OptimalInit, RandomPlanIsTheFirstDrawCoveredAndRegular) {
    int lastRunWouldCover = 0, singular = 0;
    for (const Shape& c : {Shape{{2, 2, 2, 2, 2, 2, 2}, 8}, Shape{{4, 4, 3}, 9}})
        for (int32_t seed = 1; seed <= 30; ++seed) {
            HostPlan h(c.levels, c.runs, seed);
            h.delta.assign(h.N, 5);
            ASSERT_EQ(h.init(1), 0);
            exact::Plan plan = h.exact();
            plan.codes.clear();
            int32_t io = seed, out = 0, remembered = 0;
            for (int draw = 0; draw < 1000; ++draw) {
                matrix codes(h.N, 1, 0.0);
                Randomkfrom1toN(h.nfullplan, &codes, h.N, &io, -1, &out);
                if (draw == 0) remembered = io;
                io = out;
                plan.codes.clear();
                for (int r = 1; r < h.N; ++r) plan.codes.push_back(static_cast<long long>(codes.vbget(r, 1)));
                const bool covered = plan.showsEveryLevel();
                plan.codes.push_back(static_cast<long long>(codes.vbget(h.N, 1)));
                if (!covered) {
                    lastRunWouldCover += plan.showsEveryLevel();
                    continue;
                }
                if (plan.det() != 0) break;
                ++singular;
            }
            EXPECT_EQ(std::vector<long long>(h.iopt.begin(), h.iopt.end()), plan.codes) << "seed " << seed;
            EXPECT_EQ(h.oSeed, remembered);
            EXPECT_EQ(h.ioSeed, io);
            ASSERT_TRUE(plan.det() > 0) << "seed " << seed;
            EXPECT_NEAR(h.critvalopt[h.N - 1], std::log10(exact::toDouble(plan.det())), 1e-9);
            EXPECT_EQ(h.delta[h.N - 1], 0);
        }
    EXPECT_GT(lastRunWouldCover, 0);
    EXPECT_GT(singular, 0);
}

// After nalgo 1 or 2, oSeed holds the seed that reproduces the call (here of
// a new stream, many draws long) and ioSeed the state to continue from.
TEST(OptimalInit, TheSeedsReproduceAndContinueTheDraws) {
    for (int32_t nalgo : {1, 2}) {
        HostPlan first({2, 2, 2, 2, 2, 2, 2}, 8);
        ASSERT_EQ(first.init(nalgo, 0), 0);
        HostPlan again({2, 2, 2, 2, 2, 2, 2}, 8, first.oSeed);
        ASSERT_EQ(again.init(nalgo, -1), 0);
        EXPECT_EQ(again.iopt, first.iopt);
        EXPECT_EQ(std::pair(again.oSeed, again.ioSeed), std::pair(first.oSeed, first.ioSeed));
        EXPECT_NE(first.ioSeed, first.oSeed);
    }
}

// The sequential start draws min(5, N / 2) runs, the first draw of the
// seed's stream; the greedy steps fill the rest, so the tie counts of the
// random runs keep what the host passed. A start number other than 1, 2
// or 3 does nothing.
TEST(OptimalInit, SequentialStartDrawsHalfTheRunsUpToFive) {
    for (int32_t runs : {8, 9, 10, 14}) {
        HostPlan h({3, 3, 2, 2}, runs);
        h.nbrOpt.assign(runs, -7);
        ASSERT_EQ(h.init(2), 0);
        const int k0 = std::min(5, runs / 2);
        for (int r = 0; r < runs; ++r) EXPECT_EQ(h.nbrOpt[r] == -7, r < k0) << runs << " runs, row " << r + 1;
        matrix start(k0, 1, 0.0);
        int32_t seed = 7, next = 0;
        Randomkfrom1toN(h.nfullplan, &start, k0, &seed, -1, &next);
        for (int r = 1; r <= k0; ++r) EXPECT_EQ(h.iopt[r - 1], start.vbget(r, 1)) << runs << " runs, row " << r;
    }
    HostPlan none({3, 3, 2, 2}, 8);
    none.iopt.assign(8, -5);
    EXPECT_EQ(none.init(4), 0);
    EXPECT_EQ(none.iopt, std::vector<int32_t>(8, -5));
}

// Through L, V and L, or in full, every greedy step is ranked as through V
// alone, whatever the host left in the arrays; critvalopt holds the criterion
// of each enlarged plan, and V and L describe the plan built.
TEST(OptimalInit, SequentialConstructionKeepsItsCompanionsWhateverTheHostLeft) {
    HostPlan reference({3, 3, 2, 2}, 12);
    ASSERT_EQ(reference.init(2), 0);
    for (const auto& [accelerate, doChol] : {std::pair<VARIANT_BOOL, VARIANT_BOOL>{0, -1}, {-1, -1}, {0, 0}})
        for (double garbage : {0.0, 3.5}) {
            HostPlan h({3, 3, 2, 2}, 12, 7, accelerate, doChol);
            h.chol.assign(h.chol.size(), garbage);
            h.planOpt.assign(h.planOpt.size(), garbage);
            ASSERT_EQ(h.init(2), 0);
            for (int r = h.p; r <= h.N; ++r) EXPECT_NEAR(h.critvalopt[r - 1], h.criterionOf(r), 1e-9) << r;
            EXPECT_EQ(h.iopt, reference.iopt);
            EXPECT_LT(h.companionError(accelerate == -1, doChol == -1), 1e-8);
        }
}

}  // namespace

// Labels are matched to levels without trying every level the host names, so
// a level count at the end of the 32-bit range costs no more than a small one.
// Category labels: a factor's names come from its row of Cats, and the
// first level past the named columns is the one labelled "" (it has no
// name). A label naming no level leaves that factor out of the code: the
// code is not multiplied by its level count at all.
TEST(OptimalInit, CategoryLabelsNameTheirLevelsAndTheFirstUnnamedOne) {
    matrixInt levels(2, 1, 3);
    levels.vbset(2, 1, 2);
    Smatrix cats(2, 2), q(2, 2);
    cats.vbset(1, 1, u"lo"), cats.vbset(1, 2, u"hi"), cats.vbset(2, 1, u"a"), cats.vbset(2, 2, u"b");
    q.vbset(1, 1, u"mid"), q.vbset(1, 2, u"b");  // factor 2 at level 2 alone: code 1
    q.vbset(2, 1, u""), q.vbset(2, 2, u"a");     // factor 1 at its unnamed third level: code 2
    matrixInt codes(2, 1, -5);
    PlanToComb(2, &levels, -1, &cats, 2, &q, &codes);
    EXPECT_EQ(std::pair(codes.vbget(1, 1), codes.vbget(2, 1)), std::pair(1, 2));
}

TEST(OptimalInit, LabelsOfHugeLevelCountsAreReadAtOnce) {
    matrixInt levels(2, 1, 0);
    levels.vbset(1, 1, 3);
    levels.vbset(2, 1, INT32_MAX);
    Smatrix q(2, 2), cats(2, 2);
    q.vbset(1, 1, u"2"), q.vbset(1, 2, u"2147483647");  // last level of the huge factor
    q.vbset(2, 1, u"02"), q.vbset(2, 2, u"1");           // "02" names no level
    matrixInt codes(2, 1, -5);
    PlanToComb(2, &levels, 0, &cats, 2, &q, &codes);
    EXPECT_EQ(codes.vbget(1, 1), static_cast<int>(3u * (INT32_MAX - 1u) + 1u));
    EXPECT_EQ(codes.vbget(2, 1), 0);
    // Nor do a digit followed by a letter or 2^64 + 2 written out (which a
    // 64-bit count would wrap to 2): the huge factor adds nothing. Neither
    // does a level past the count: with the huge factor at its second
    // level, "4" of the 3-level factor leaves the code at 1.
    const char16_t* labels[3][2] = {{u"2", u"1x"}, {u"2", u"18446744073709551618"}, {u"4", u"2"}};
    for (const auto& label : labels) {
        q.vbset(1, 1, label[0]), q.vbset(1, 2, label[1]);
        PlanToComb(2, &levels, 0, &cats, 2, &q, &codes);
        EXPECT_EQ(codes.vbget(1, 1), 1) << "labels " << std::char_traits<char16_t>::length(label[1]) << " long";
    }
    // A code is unused when it is not among the first n of the list.
    matrixInt list(3, 1, 0);
    list.vbset(1, 1, 4), list.vbset(2, 1, 9);
    EXPECT_EQ(std::vector<int>({IsUnusedComb(9, &list, 3), IsUnusedComb(0, &list, 3), IsUnusedComb(0, &list, 2),
                                IsUnusedComb(4, &list, 0), IsUnusedCombWithouti(4, &list, 1), IsUnusedComb(-1, &list, 3)}),
              std::vector<int>({0, 0, -1, -1, 0, -1}));
}
