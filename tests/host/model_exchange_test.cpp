// The coordinate exchange over a model: its updates against a fresh
// factorisation after every accepted change, its plans against optima known
// in closed form or found by brute force, and its streams per start.
#include "host/optimal/model_exchange.h"
#include "tests/host/model_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

using modeltest::criteriaOf;
using modeltest::modelOf;
using vxhost::model::Model;
using vxhost::optimal::Objective;

// `starts` starts on one thread, the whole region, no kept runs.
vxhost::optimal::ExchangeResult starts(const Model& m, int runs, Objective objective, int count, uint32_t seed,
                                       int threads = 1) {
    const vxhost::model::Region region(m.factors());
    vxhost::optimal::SearchSettings settings;
    settings.seed = seed, settings.starts = count, settings.threads = threads;
    return vxhost::optimal::searchPlan({m, region, runs, {}, {}}, objective, settings);
}

vxhost::optimal::ExchangeResult oneStart(const Model& m, int runs, Objective objective, std::mt19937& rng,
                                         const vxhost::optimal::StepObserver& observe = {}) {
    const vxhost::model::Region region(m.factors());
    return vxhost::optimal::coordinateExchange({m, region, runs, {}, {}}, objective, rng,
                                               vxhost::optimal::Clock::time_point::max(), observe);
}

// (X'X)^-1 and ln det(X'X) computed afresh by a full-pivoting LU.
struct Fresh {
    Eigen::MatrixXd inverse;
    double logDet;
};
Fresh freshOf(const Model& m, const std::vector<double>& points) {
    const Eigen::MatrixXd X = m.matrix(points);
    const Eigen::FullPivLU<Eigen::MatrixXd> lu(X.transpose() * X);
    return {lu.inverse(), std::log(lu.determinant())};
}

TEST(ModelExchange, EveryUpdateAgreesWithAFreshFactorisation) {
    const Model m = modelOf({"t=0:1", "n=0:1/4", "c=a|b|c"}, "t+n+c+t*n+t*c+t^2+n^2");
    for (Objective objective : {Objective::D, Objective::A, Objective::I}) {
        std::mt19937 rng(11);
        int steps = 0;
        const auto check = [&](const vxhost::optimal::ExchangeStep& s) {
            ++steps;
            const Fresh fresh = freshOf(m, s.points);
            EXPECT_NEAR(s.logDet, fresh.logDet, 1e-9 * std::max(1.0, std::fabs(fresh.logDet)));
            EXPECT_LT((s.inverse - fresh.inverse).cwiseAbs().maxCoeff(), 1e-9 * fresh.inverse.cwiseAbs().maxCoeff());
        };
        const vxhost::optimal::ExchangeResult r = oneStart(m, 14, objective, rng, check);
        ASSERT_TRUE(r.regular);
        EXPECT_GT(steps, 10);
        // The loss it reports is the final plan's.
        const Fresh fresh = freshOf(m, r.points);
        const Eigen::MatrixXd B = objective == Objective::I ? m.moments() : Eigen::MatrixXd::Identity(m.columns(), m.columns());
        EXPECT_NEAR(r.loss, objective == Objective::D ? -fresh.logDet : (fresh.inverse * B).trace(), 1e-9 * std::fabs(r.loss));
    }
}

TEST(ModelExchange, PlansStayInTheRegion) {
    const Model m = modelOf({"t=0:1", "n=0:1/4", "c=a|b|c"}, "quadratic");
    const vxhost::optimal::ExchangeResult r = starts(m, 16, Objective::D, 3, 5);
    ASSERT_EQ(r.points.size(), 16u * 3);
    const std::vector<double> levels = m.factors()[1].levelValues();
    for (std::size_t i = 0; i < r.points.size(); i += 3) {
        EXPECT_LE(std::fabs(r.points[i]), 1.0);
        EXPECT_NE(std::find(levels.begin(), levels.end(), r.points[i + 1]), levels.end()) << r.points[i + 1];
        EXPECT_TRUE(r.points[i + 2] == 0 || r.points[i + 2] == 1 || r.points[i + 2] == 2);
    }
}

TEST(ModelExchange, TheCubicOnALineFindsTheLegendreSupport) {
    // D-optimal 4 runs for a cubic on [-1, 1]: the ends and the roots of
    // P3'(x) = (15 x^2 - 3) / 2, +-1/sqrt(5), off the coordinate grid.
    const Model m = modelOf({"x=0:1"}, "x+x^2+x^3");
    std::vector<double> x = starts(m, 4, Objective::D, 4, 1).points;
    std::sort(x.begin(), x.end());
    const double r = 1.0 / std::sqrt(5.0);
    EXPECT_NEAR(x[0], -1.0, 1e-9);
    EXPECT_NEAR(x[1], -r, 1e-5);
    EXPECT_NEAR(x[2], r, 1e-5);
    EXPECT_NEAR(x[3], 1.0, 1e-9);
}

TEST(ModelExchange, OrthogonalOptimaAreReached) {
    // 2^2 with its interaction in 4 runs: M = I, the most |x| <= 1 allows.
    const Model square = modelOf({"a=0:1", "b=0:1"}, "interactions");
    const auto s = starts(square, 4, Objective::D, 5, 2);
    EXPECT_NEAR(criteriaOf(square, square.matrix(s.points)).D, 1.0, 1e-9);
    // The full factorial of a 3- and a 2-level categorical factor in 6 runs.
    const Model cats = modelOf({"c=a|b|c", "s=p|q"}, "main");
    const auto c = starts(cats, 6, Objective::D, 5, 2);
    EXPECT_NEAR(criteriaOf(cats, cats.matrix(c.points)).D, std::pow(1.0 / 3, 0.25), 1e-12);
}

// The least trace((X'X)^-1 B) over every 4-run plan of x in steps of 0.05
// for the quadratic on a line.
double bruteForceLoss(const Model& m, const Eigen::MatrixXd& B) {
    double best = INFINITY;
    for (int a = 0; a <= 40; ++a)
        for (int b = a; b <= 40; ++b)
            for (int c = b; c <= 40; ++c)
                for (int d = c; d <= 40; ++d) {
                    const Eigen::MatrixXd X = m.matrix({-1 + a * 0.05, -1 + b * 0.05, -1 + c * 0.05, -1 + d * 0.05});
                    const Eigen::Matrix3d M = X.transpose() * X;
                    if (std::fabs(M.determinant()) < 1e-9) continue;
                    best = std::min(best, (M.inverse() * B).trace());
                }
    return best;
}

TEST(ModelExchange, AAndIOptimaAreAtLeastTheBruteForceBest) {
    const Model m = modelOf({"x=0:1"}, "quadratic");
    for (Objective objective : {Objective::A, Objective::I}) {
        const Eigen::MatrixXd B = objective == Objective::I ? m.moments() : Eigen::MatrixXd::Identity(3, 3);
        const auto r = starts(m, 4, objective, 8, 3);
        // A start ends once a pass gains less than a millionth.
        EXPECT_LE(r.loss, bruteForceLoss(m, B) * (1 + 1e-6));
    }
}

TEST(ModelExchange, IOptimalPlansPredictBetterOverTheRegionThanDOptimalOnes) {
    const Model m = modelOf({"a=0:1", "b=0:1", "c=0:1"}, "quadratic");
    const auto d = starts(m, 15, Objective::D, 30, 4);
    const auto i = starts(m, 15, Objective::I, 3, 4);
    const auto cd = criteriaOf(m, m.matrix(d.points)), ci = criteriaOf(m, m.matrix(i.points));
    EXPECT_LT(ci.I, cd.I);
    EXPECT_GT(cd.D, ci.D);
    // The D-optimal plan is at least the 3-level grid's best known 0.459490.
    EXPECT_GT(cd.D, 0.4594);
}

TEST(ModelExchange, EachStartHasItsOwnStream) {
    const Model m = modelOf({"a=0:1", "c=a|b|c"}, "interactions");
    const auto one = starts(m, 9, Objective::D, 3, 9);
    EXPECT_EQ(one.points, starts(m, 9, Objective::D, 3, 9).points);
    // Shared among threads, the starts give the same plan.
    EXPECT_EQ(one.points, starts(m, 9, Objective::D, 3, 9, 3).points);
    EXPECT_EQ(one.starts, 3);
    // The best of three is the best of the three single starts, the earliest
    // of them where they tie.
    vxhost::optimal::ExchangeResult best;
    for (int k = 0; k < 3; ++k) {
        std::seed_seq seq{9u, static_cast<uint32_t>(k)};
        std::mt19937 rng(seq);
        const auto r = oneStart(m, 9, Objective::D, rng);
        if (r.loss < best.loss) best = r;
    }
    EXPECT_EQ(one.loss, best.loss);
    EXPECT_EQ(one.points, best.points);
    EXPECT_THROW(starts(m, 5, Objective::D, 1, 0), std::invalid_argument);
}

TEST(ModelExchange, NoRegularStartIsSaidSo) {
    // x at two levels, the upper one excluded: every plan is singular.
    const Model m = modelOf({"x=0:1/2"}, "main");
    const vxhost::model::Region lower(m.factors(), {}, {vxhost::model::parseExclusion(m.factors(), "x>0.5")});
    std::mt19937 rng(1);
    const auto r = vxhost::optimal::coordinateExchange({m, lower, 3, {}, {}}, Objective::D, rng);
    EXPECT_FALSE(r.regular);
    EXPECT_EQ(r.points, std::vector<double>(3, -1.0));
    EXPECT_TRUE(std::isinf(r.loss));
    // Fewer runs than columns cannot be searched at all.
    EXPECT_THROW(oneStart(m, 1, Objective::D, rng), std::invalid_argument);
}

}  // namespace
