// Aggregated desirability through the host's entry point.
#include "boundary/VORNEXDO1M.h"
#include "response/desirability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// One response's goal and limits.
struct Goal {
    double code, lower, left, right, upper, s = 1, t = 1, weight = 1;
};

struct Flags {
    VARIANT_BOOL s = 0, t = 0, weight = 0;
};

// Y is n x goals.size(), column-major.
std::vector<double> Aggregate(const std::vector<Goal>& goals, std::vector<double> Y, Flags flags = {}) {
    const int m = static_cast<int>(goals.size());
    const int n = m ? static_cast<int>(Y.size()) / m : 0;
    std::vector<double> code, lower, left, right, upper, s, t, w;
    for (const Goal& g : goals) {
        code.push_back(g.code), lower.push_back(g.lower), left.push_back(g.left), right.push_back(g.right);
        upper.push_back(g.upper), s.push_back(g.s), t.push_back(g.t), w.push_back(g.weight);
    }
    std::vector<double> out(static_cast<std::size_t>(n), -9.0);
    Cpp_Ymulticrit(Y.data(), n, m, code.data(), lower.data(), left.data(), right.data(), upper.data(), flags.s,
                   flags.t, flags.weight, s.data(), t.data(), w.data(), out.data());
    return out;
}

TEST(Desirability, EachGoalOnItsRangesWithTruncatedCodes) {
    const Goal larger{2, 0, 10, 0, 0};
    EXPECT_EQ(Aggregate({larger}, {5, 10, 0, -3, 12}), (std::vector<double>{0.5, 1, 0, 0, 1}));
    const Goal step{2, 3, 3, 0, 0};  // LeftTarget at Lower: the value at Lower still gives 0
    EXPECT_EQ(Aggregate({step}, {3, 2, 4}), (std::vector<double>{0, 0, 1}));
    const Goal rangeStep{1, 3, 3, 5, 7};  // the target range agrees: 0 at Lower = LeftTarget
    EXPECT_EQ(Aggregate({rangeStep}, {3, 2, 4}), (std::vector<double>{0, 0, 1}));
    const Goal smaller{0, 0, 0, 2, 6};
    EXPECT_EQ(Aggregate({smaller}, {4, 2, 6, 1, 9}), (std::vector<double>{0.5, 1, 0, 1, 0}));
    const Goal range{1, 0, 2, 4, 6};
    EXPECT_EQ(Aggregate({range}, {3, 5, 1, 2, 4, 0, 6, -1, 7}), (std::vector<double>{1, 0.5, 0.5, 1, 1, 0, 0, 0, 0}));
    const Goal offset{1, 10, 18, 22, 30};  // sides measured from their own limits
    EXPECT_EQ(Aggregate({offset}, {12, 28, 20}), (std::vector<double>{0.25, 0.25, 1}));
    EXPECT_EQ(Aggregate({{2, -8, -4, 0, 0}}, {-7}), (std::vector<double>{0.25}));
    const Goal cliff{0, 0, 0, 4, 4};  // RightTarget at Upper: nothing falls, 4 is already too much
    EXPECT_EQ(Aggregate({cliff}, {3.9, 4}), (std::vector<double>{1, 0}));
}

TEST(Desirability, ValuesPastTheLimitsAreWorthNothingWhateverTheShape) {
    // With exponent 0 a shaped side is 1 wherever it is evaluated, so a limit
    // that let the side reach Lower or Upper would show here.
    const Goal smaller{0, 0, 0, 2, 6, 0, 0};
    EXPECT_EQ(Aggregate({smaller}, {6, 4}, {.t = -1}), (std::vector<double>{0, 1}));
    const Goal range{1, 0, 2, 4, 6, 0, 0};
    EXPECT_EQ(Aggregate({range}, {0, 6, 1, 5}, {.s = -1, .t = -1}), (std::vector<double>{0, 0, 1, 1}));
    const Goal larger{2, 0, 10, 0, 0, 0, 0};
    EXPECT_EQ(Aggregate({larger}, {0, 5}, {.s = -1}), (std::vector<double>{0, 1}));
    // Goal codes are truncated; unknown ones are worth nothing.
    EXPECT_EQ(Aggregate({{1.9, 0, 2, 4, 6}}, {5}), (std::vector<double>{0.5}));
    EXPECT_EQ(Aggregate({{3, 0, 2, 4, 6}}, {3}), (std::vector<double>{0}));
    EXPECT_EQ(Aggregate({{-1, 0, 2, 4, 6}}, {3}), (std::vector<double>{0}));
    EXPECT_EQ(Aggregate({{NAN, 0, 2, 4, 6}}, {3}), (std::vector<double>{0}));
}

TEST(Desirability, ShapeExponentsOnlyWhenTheirFlagIsMinusOne) {
    const Goal range{1, 0, 2, 4, 6, 2, 3};
    EXPECT_EQ(Aggregate({range}, {1, 5}, {.s = -1}), (std::vector<double>{0.25, 0.5}));
    EXPECT_EQ(Aggregate({range}, {1, 5}, {.t = -1}), (std::vector<double>{0.5, 0.125}));
    EXPECT_EQ(Aggregate({range}, {1, 5}, {.s = 1, .t = 1}), (std::vector<double>{0.5, 0.5}));
}

TEST(Desirability, WeightedGeometricMeanAndEmptyInputs) {
    const Goal a{2, 0, 4, 0, 0, 1, 1, 2};
    const Goal b{2, 0, 4, 0, 0, 1, 1, 1};
    // Observation 1: 0.25 and 1; observation 2: 1 and 0.
    const std::vector<double> Y{1, 4, 4, 0};
    EXPECT_EQ(Aggregate({a, b}, Y), (std::vector<double>{0.5, 0}));
    const std::vector<double> weighted = Aggregate({a, b}, Y, {.weight = -1});
    EXPECT_NEAR(weighted[0], std::cbrt(0.0625), 1e-15);
    EXPECT_EQ(weighted[1], 0);
    EXPECT_EQ(Aggregate({a, b}, Y, {.weight = 1}), (std::vector<double>{0.5, 0})) << "1 is not true";
    EXPECT_TRUE(Aggregate({{2, 0, 1, 0, 0}}, {}).empty());
    double y = 0, g = 2, agg = -9;
    Cpp_Ymulticrit(&y, 1, 0, &g, &g, &g, &g, &g, 0, 0, 0, &g, &g, &g, &agg);
    EXPECT_EQ(agg, 1) << "an empty product";
}

TEST(Desirability, CountsPastTheRunsHeldStopAtThemAndNoRunMeansNoWork) {
    // Two runs held, one response: the aggregate is that response's
    // desirability, (y - 0) / (4 - 0) on a larger-is-better goal, whatever n says.
    std::vector<double> y{1, 2}, out(2, -9), goal{2}, lower{0}, target{4}, zero{0}, one{1};
    matrix Y(2, 1, y.data(), true), Yagg(2, 1, out.data(), true), G(1, 1, goal.data(), true),
        L(1, 1, lower.data(), true), T(1, 1, target.data(), true), Z(1, 1, zero.data(), true),
        W(1, 1, one.data(), true);
    Ymulticrit(&Y, INT32_MAX, 1, &G, &L, &T, &Z, &Z, 0, 0, 0, &W, &W, &W, &Yagg);
    EXPECT_EQ(out, (std::vector<double>{0.25, 0.5}));
    // No run to write: a response count of INT32_MAX is not walked.
    matrix none(0, 1, 0.0);
    Ymulticrit(&Y, 0, INT32_MAX, &G, &L, &T, &Z, &Z, 0, 0, 0, &W, &W, &W, &none);
    EXPECT_EQ(out, (std::vector<double>{0.25, 0.5}));
}

}  // namespace
