// The criteria against closed forms worked by hand in fractions: the 2^k
// factorial (M = I), the 3^2 factorial under the quadratic model, and the
// full factorial of two categorical factors.
#include "tests/host/model_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using modeltest::continuousFactor;
using modeltest::criteriaOf;

using vxhost::model::Factor;
using vxhost::model::Model;
using vxhost::model::parseFactor;

// The full factorial of k factors at `levels` coded levels from -1 to 1.
std::vector<double> factorial(int k, int levels) {
    std::string text = "x=0:1/";
    text += std::to_string(levels);
    return vxhost::model::regionGrid(std::vector<Factor>(k, parseFactor(text)), 1e9);
}

TEST(Criteria, TheTwoLevelFactorialWithItsInteractionsIsOrthogonal) {
    // M = I: D = A = 1; W = diag(1, 1/3 per main effect, 1/9 per
    // interaction); G = p, at every corner.
    for (int k = 2; k <= 4; ++k) {
        std::vector<Factor> f;
        for (int j = 0; j < k; ++j) f.push_back(parseFactor(continuousFactor(j)));
        const Model m = Model::parse(f, "interactions");
        const vxhost::optimal::Criteria c =
            criteriaOf(m, m.matrix(factorial(k, 2)));
        ASSERT_FALSE(c.singular);
        const double p = 1 + k + k * (k - 1) / 2;
        EXPECT_NEAR(c.D, 1.0, 1e-14);
        EXPECT_NEAR(c.A, 1.0, 1e-14);
        EXPECT_NEAR(c.I, 1.0 + k / 3.0 + k * (k - 1) / 2 / 9.0, 1e-14);
        EXPECT_NEAR(c.G, p, 1e-12);
    }
}

TEST(Criteria, TheThreeSquaredFactorialUnderTheQuadraticModelByHand) {
    // M = X'X / 9 over {-1, 0, 1}^2, columns 1, x1, x2, x1 x2, x1^2, x2^2:
    // diag(2/3, 2/3, 4/9) for the linear and interaction terms and, for
    // (1, x1^2, x2^2), B = [[1, 2/3, 2/3], [2/3, 2/3, 4/9], [2/3, 4/9, 2/3]]
    // with det 4/81 and inverse [[5, -3, -3], [-3, 9/2, 0], [-3, 0, 9/2]].
    //   det M = (2/3)^2 (4/9)(4/81) = 64/6561
    //   trace M^-1 = 3/2 + 3/2 + 9/4 + 14 = 77/4, A = 77/24
    //   I = (3/2 + 3/2)/3 + (9/4)/9 + sum B^-1 .* W_B = 5/4 + (5 - 2 - 2 + 9/10 + 9/10) = 81/20
    //   SPV = 5 - 9/2 (u + v) + 9/2 (u^2 + v^2) + 9/4 u v (u = x1^2, v = x2^2),
    //   convex in u and in v, largest at a corner: G = 29/4.
    const Model m = Model::parse({parseFactor("a=0:1"), parseFactor("b=0:1")}, "quadratic");
    const vxhost::optimal::Criteria c = criteriaOf(m, m.matrix(factorial(2, 3)));
    ASSERT_FALSE(c.singular);
    EXPECT_NEAR(c.D, std::pow(64.0 / 6561.0, 1.0 / 6), 1e-14);
    EXPECT_NEAR(c.A, 77.0 / 24, 1e-13);
    EXPECT_NEAR(c.I, 81.0 / 20, 1e-13);
    EXPECT_NEAR(c.G, 29.0 / 4, 1e-12);
    // With both factors at three levels the region is the plan itself: W = M,
    // so I = p, and the largest variance is still at a corner.
    const Model n = Model::parse({parseFactor("a=0:1/3"), parseFactor("b=0:1/3")}, "quadratic");
    const vxhost::optimal::Criteria d = criteriaOf(n, n.matrix(factorial(2, 3)));
    EXPECT_NEAR(d.I, 6.0, 1e-13);
    EXPECT_NEAR(d.G, 29.0 / 4, 1e-12);
}

TEST(Criteria, TheFullFactorialOfTwoCategoricalFactors) {
    // Effects coding: the 3-level factor's block is (I + J)/3 (det 1/3,
    // inverse 3I - J, trace 4), the 2-level factor's 1. p = 4, W = M.
    const Model m = Model::parse({parseFactor("c=a|b|c"), parseFactor("s=p|q")}, "main");
    const vxhost::optimal::Criteria c = criteriaOf(m, m.matrix(vxhost::model::regionGrid(m.factors(), 1e9)));
    EXPECT_NEAR(c.D, std::pow(1.0 / 3, 1.0 / 4), 1e-14);
    EXPECT_NEAR(c.A, 6.0 / 4, 1e-14);
    EXPECT_NEAR(c.I, 4.0, 1e-13);
    EXPECT_NEAR(c.G, 4.0, 1e-12);
}

TEST(Criteria, TheLargestVarianceOffTheGridIsFound) {
    // Runs at -1, 0.9, 1 for a straight line: M^-1 of X'X / 3 with
    // sum x = 0.9, sum x^2 = 2.81; SPV(x) = 3 (2.81 - 1.8 x + 3 x^2) / (3 * 2.81 - 0.81),
    // a parabola largest at x = -1 on [-1, 1].
    const Model m = Model::parse({parseFactor("x=0:1")}, "main");
    const vxhost::optimal::Criteria c = criteriaOf(m, m.matrix({-1.0, 0.9, 1.0}));
    EXPECT_NEAR(c.G, 3 * (2.81 + 1.8 + 3) / (3 * 2.81 - 0.81), 1e-12);
    // A cubic fitted to runs inside the region: against a scan in steps of 1e-5.
    const Model cubic = Model::parse({parseFactor("x=0:1")}, "x+x^2+x^3");
    const Eigen::MatrixXd X = cubic.matrix({-0.3, -0.1, 0.4, 0.9});
    const Eigen::MatrixXd Minv = (X.transpose() * X / 4.0).inverse();
    double scanned = 0.0;
    for (int i = 0; i <= 200000; ++i) {
        const Eigen::VectorXd x = cubic.row(std::vector<double>{-1.0 + i * 1e-5});
        scanned = std::max(scanned, x.dot(Minv * x));
    }
    EXPECT_NEAR(criteriaOf(cubic, X).G, scanned, 1e-6 * scanned);
}

TEST(Criteria, SingularPlansHaveNoFigures) {
    const Model m = Model::parse({parseFactor("a=0:1"), parseFactor("b=0:1")}, "interactions");
    // Three distinct points for four columns.
    EXPECT_TRUE(criteriaOf(m, m.matrix({-1, -1, 1, 1, -1, 1, -1, -1})).singular);
    EXPECT_EQ(criteriaOf(m, m.matrix({-1, -1, 1, 1, -1, 1, -1, -1})).D, 0.0);
    EXPECT_TRUE(criteriaOf(m, Eigen::MatrixXd(0, 4)).singular);
    EXPECT_TRUE(criteriaOf(m, Eigen::MatrixXd::Ones(5, 3)).singular);
    EXPECT_FALSE(vxhost::optimal::inverseOf(Eigen::Matrix2d{{1, 0}, {0, 1e-13}}));
    EXPECT_TRUE(vxhost::optimal::inverseOf(Eigen::Matrix2d{{1, 0}, {0, 1e-11}}));
    EXPECT_NEAR(vxhost::optimal::inverseOf(Eigen::Matrix2d{{4, 2}, {2, 3}})->logDet, std::log(8.0), 1e-15);
}

}  // namespace
