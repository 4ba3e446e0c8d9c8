// The figures that judge a plan, against values worked by hand in exact
// fractions and against the closed forms of orthogonal plans.
#include "host/evaluate/design_figures.h"
#include "host/optimal/model.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using vxhost::ModelMatrix;

ModelMatrix rowsOf(std::vector<std::vector<double>> rows) {
    ModelMatrix m{static_cast<int>(rows.size()), static_cast<int>(rows.front().size()), {}};
    for (const auto& r : rows) m.cells.insert(m.cells.end(), r.begin(), r.end());
    return m;
}

// Effects coding of one factor of s levels at level l (1-based), last level -1.
void effects(int s, int l, std::vector<double>& row) {
    for (int k = 1; k < s; ++k) row.push_back(l == s ? -1.0 : (l == k ? 1.0 : 0.0));
}

TEST(DesignFigures, TheTwoSquaredFactorialWithItsInteractionIsOrthogonal) {
    // M = I: D = A = 1, every candidate's prediction variance is p = 4.
    const ModelMatrix X = rowsOf({{1, -1, -1, 1}, {1, 1, -1, -1}, {1, -1, 1, -1}, {1, 1, 1, 1}});
    const vxhost::DesignFigures f = evaluateDesign(X, X);
    ASSERT_FALSE(f.singular);
    EXPECT_NEAR(f.D, 1.0, 1e-14);
    EXPECT_NEAR(*f.A, 1.0, 1e-14);
    EXPECT_NEAR(*f.G, 4.0, 1e-13);
    EXPECT_NEAR(*f.meanSPV, 4.0, 1e-13);
    EXPECT_NEAR(vxhost::gEfficiency(f, 4), 100.0, 1e-11);
    EXPECT_NEAR(std::fabs(f.largestCorrelation->value), 0.0, 1e-14);
    ASSERT_EQ(f.vif.size(), 3u);
    for (const auto& v : f.vif) EXPECT_NEAR(*v, 1.0, 1e-13);
}

TEST(DesignFigures, ASaturatedThreeRunPlanAgreesWithItsWorkedFractions) {
    // X'X = [[3,1,1],[1,3,-1],[1,-1,3]]: det 16, adjugate [[8,-4,-4],[-4,8,4],[-4,4,8]].
    // D = (16/27)^(1/3); A = trace(3 adj / 16) / 3 = 3/2. The plan's runs have
    // prediction variance 3 (a saturated plan fits them exactly); the fourth
    // corner (1,-1,-1) has 3 x 48/16 = 9. x1 and x2 correlate at -1/2, VIF 4/3.
    const ModelMatrix X = rowsOf({{1, 1, 1}, {1, 1, -1}, {1, -1, 1}});
    const ModelMatrix corners = rowsOf({{1, 1, 1}, {1, 1, -1}, {1, -1, 1}, {1, -1, -1}});
    const vxhost::DesignFigures f = evaluateDesign(X, corners);
    ASSERT_FALSE(f.singular);
    EXPECT_NEAR(f.D, std::cbrt(16.0 / 27.0), 1e-14);
    EXPECT_NEAR(*f.A, 1.5, 1e-13);
    EXPECT_NEAR(*f.G, 9.0, 1e-12);
    EXPECT_NEAR(*f.meanSPV, 4.5, 1e-12);
    EXPECT_NEAR(vxhost::gEfficiency(f, 3), 100.0 / 3.0, 1e-10);
    ASSERT_TRUE(f.largestCorrelation);
    EXPECT_NEAR(f.largestCorrelation->value, -0.5, 1e-14);
    EXPECT_EQ(std::pair(f.largestCorrelation->first, f.largestCorrelation->second), std::pair(1, 2));
    for (const auto& v : f.vif) EXPECT_NEAR(*v, 4.0 / 3.0, 1e-13);
}

TEST(DesignFigures, TheNineRunArrayReachesTheOrthogonalBounds) {
    // Four 3-level factors (a, b, a + b, a + 2b mod 3): strength 2, so M is
    // block diagonal with blocks (I + J) / 3, and D and A take the closed forms.
    std::vector<std::vector<double>> rows;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            std::vector<double> row{1.0};
            for (int level : {a, b, (a + b) % 3, (a + 2 * b) % 3}) effects(3, level + 1, row);
            rows.push_back(row);
        }
    const vxhost::DesignFigures f = evaluateDesign(rowsOf(rows), rowsOf(rows));
    ASSERT_FALSE(f.singular);
    EXPECT_NEAR(f.D, vxhost::orthogonalBound({3, 3, 3, 3}), 1e-13);
    EXPECT_NEAR(*f.A, vxhost::orthogonalA({3, 3, 3, 3}), 1e-13);
    EXPECT_NEAR(vxhost::orthogonalA({3, 3, 3, 3}), 17.0 / 9.0, 1e-15);  // (1 + 4 (3 + 1)) / 9
    // The two columns of one factor correlate at 1/2 (their product is 1 at
    // the last level only, and each is +-1 at two levels of three).
    EXPECT_NEAR(std::fabs(f.largestCorrelation->value), 0.5, 1e-13);
}

TEST(DesignFigures, SingularPlansAndConstantColumnsGiveNoFigureTheyCannotHave) {
    // A repeated run leaves X'X of rank 2 for 3 columns.
    const vxhost::DesignFigures twice = evaluateDesign(rowsOf({{1, 1, 1}, {1, 1, 1}, {1, -1, -1}}),
                                                       rowsOf({{1, 1, 1}}));
    EXPECT_TRUE(twice.singular);
    EXPECT_EQ(twice.D, 0.0);
    EXPECT_FALSE(twice.A || twice.G || twice.meanSPV);
    EXPECT_NEAR(twice.largestCorrelation->value, 1.0, 1e-14);  // x1 = x2 on these runs
    EXPECT_FALSE(twice.vif[0] || twice.vif[1]);                // each in the other's span
    // A column at one value varies nowhere: no correlation and no VIF of its own.
    const vxhost::DesignFigures constant = evaluateDesign(rowsOf({{1, 1, 2}, {1, -1, 2}}), rowsOf({{1, 1, 2}}));
    EXPECT_TRUE(constant.singular);
    EXPECT_FALSE(constant.largestCorrelation);
    EXPECT_TRUE(constant.vif[0] && std::fabs(*constant.vif[0] - 1.0) < 1e-14);
    EXPECT_FALSE(constant.vif[1]);
    EXPECT_TRUE(evaluateDesign(ModelMatrix{}, ModelMatrix{}).singular);
}

}  // namespace
