// Factors, terms and the model row against the coding rules written out by
// hand, and the moment matrix against Gauss-Legendre quadrature (exact for
// the degrees a cubic model reaches) and against the mean over every level.
#include "host/model/model.h"
#include "host/model/region.h"

#include "tests/host/model_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace {

using modeltest::continuousFactor;

using vxhost::model::Factor;
using vxhost::model::FactorKind;
using vxhost::model::Model;
using vxhost::model::parseFactor;

using modeltest::factors;

TEST(Factors, EachFormReadsAsItsKindWithItsCoding) {
    const Factor temp = parseFactor("temp=100:200");
    EXPECT_EQ(temp.name, "temp");
    EXPECT_EQ(temp.kind, FactorKind::Continuous);
    EXPECT_TRUE(temp.numeric());
    EXPECT_FALSE(temp.discrete());
    EXPECT_DOUBLE_EQ(temp.coded(150), 0.0);
    EXPECT_DOUBLE_EQ(temp.coded(200), 1.0);
    EXPECT_DOUBLE_EQ(temp.coded(125), -0.5);
    EXPECT_DOUBLE_EQ(temp.own(-1.0), 100.0);
    EXPECT_DOUBLE_EQ(temp.own(0.5), 175.0);

    const Factor time = parseFactor("time=-5:-1/5");
    EXPECT_EQ(time.kind, FactorKind::Numeric);
    EXPECT_TRUE(time.discrete());
    EXPECT_DOUBLE_EQ(time.low, -5.0);
    EXPECT_DOUBLE_EQ(time.high, -1.0);
    EXPECT_EQ(time.levelValues(), (std::vector<double>{-1.0, -0.5, 0.0, 0.5, 1.0}));
    EXPECT_DOUBLE_EQ(time.own(time.levelValues()[1]), -4.0);

    const Factor cat = parseFactor("cat=a|b|c");
    EXPECT_EQ(cat.kind, FactorKind::Categorical);
    EXPECT_FALSE(cat.numeric());
    EXPECT_TRUE(cat.discrete());
    EXPECT_EQ(cat.levelCount, 3);
    EXPECT_EQ(cat.categories, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(cat.levelValues(), (std::vector<double>{0.0, 1.0, 2.0}));
}

TEST(Factors, MalformedFactorsAreRefusedOnOneLine) {
    for (const char* bad : {"temp", "=1:2", "1x=1:2", "t-x=1:2", "t=2:1", "t=1:1", "t=a:2", "t=1:", "t=1-2",
                            "t=1:2/1", "t=1:2/x", "t=1:2/1001", "t=1:2/3.5", "c=a||b", "c=a|a", "c=|a", "t=1:inf"}) {
        try {
            parseFactor(bad);
            ADD_FAILURE() << bad << " was accepted";
        } catch (const std::invalid_argument& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(bad), std::string::npos) << what;
            EXPECT_EQ(what.find('\n'), std::string::npos) << what;
        }
    }
    EXPECT_EQ(parseFactor("t=1:2/1000").levelCount, 1000);
    EXPECT_EQ(parseFactor("t=1:2/2").levelCount, 2);
    EXPECT_EQ(parseFactor("_t2=0:1").name, "_t2");
    std::string levels = "c=l0";
    for (int i = 1; i < 1000; ++i) levels += "|l" + std::to_string(i);
    EXPECT_EQ(parseFactor(levels).levelCount, 1000);
    EXPECT_THROW(parseFactor(levels + "|more"), std::invalid_argument);
}

TEST(Terms, NamedModelsGiveTheirColumnsInOrder) {
    const std::vector<Factor> f = factors({"a=0:1", "b=0:1/3", "m=x|y|z"});
    EXPECT_EQ(Model::parse(f, "main").columnNames(), (std::vector<std::string>{"1", "a", "b", "m.1", "m.2"}));
    EXPECT_EQ(Model::parse(f, "interactions").columnNames(),
              (std::vector<std::string>{"1", "a", "b", "m.1", "m.2", "a*b", "a*m.1", "a*m.2", "b*m.1", "b*m.2"}));
    // The categorical factor has no square.
    const Model q = Model::parse(f, " quadratic ");
    EXPECT_EQ(q.columns(), 12);
    EXPECT_EQ(q.columnNames()[10], "a^2");
    EXPECT_EQ(q.columnNames()[11], "b^2");
}

TEST(Terms, AnExplicitListKeepsItsTermsAndNamesTwoLevelFactorsAlone) {
    const Model m = Model::parse(factors({"temp=0:1", "time=0:1", "cat=a|b|c", "sw=on|off"}),
                                 "temp + time+cat+temp*time+temp^2 + sw*cat + time^3");
    EXPECT_EQ(m.columnNames(), (std::vector<std::string>{"1", "temp", "time", "cat.1", "cat.2", "temp*time", "temp^2",
                                                         "cat.1*sw", "cat.2*sw", "time^3"}));
    EXPECT_EQ(m.terms().size(), 7u);
}

TEST(Terms, TermsNoPlanCouldEstimateOrThatAreMisspeltAreRefused) {
    const std::vector<Factor> f = factors({"temp=0:1", "two=0:1/2", "three=0:1/3", "cat=a|b|c"});
    for (const char* bad : {"cat^2", "two^2", "three^3", "temp^4", "temp^1", "temp^", "temp*temp", "tmp", "temp++two",
                            "temp+", "", "temp+two+temp", "temp*two+two*temp", "temp**two"}) {
        try {
            Model::parse(f, bad);
            ADD_FAILURE() << "\"" << bad << "\" was accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
        }
    }
    EXPECT_EQ(Model::parse(f, "three^2+temp^3").columns(), 3);
    // A power k is estimable only over k + 1 distinct levels, and the refusal says how many.
    auto reason = [&f](const char* terms) {
        try {
            Model::parse(f, terms);
        } catch (const std::invalid_argument& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(reason("two^2").find("3 or more levels"), std::string::npos) << reason("two^2");
    EXPECT_NE(reason("three^3").find("4 or more levels"), std::string::npos) << reason("three^3");
    EXPECT_THROW(Model(f, {vxhost::model::Term{{0, 0, 0, 0}}}), std::invalid_argument);
    EXPECT_THROW(Model(f, {vxhost::model::Term{{1, 0}}}), std::invalid_argument);
    EXPECT_THROW(Model::parse(factors({"a=0:1", "a=1:2"}), "main"), std::invalid_argument);
    EXPECT_THROW(Model::parse({}, "main"), std::invalid_argument);
}

TEST(Terms, TooManyColumnsOrFactorsAreRefused) {
    // 40 x 40 levels crossed: 39 x 39 = 1521 columns.
    std::string many;
    for (int i = 0; i < 40; ++i) many += (i ? "|l" : "l") + std::to_string(i);
    EXPECT_THROW(Model::parse({parseFactor("a=" + many), parseFactor("b=" + many)}, "a*b"), std::invalid_argument);
    std::vector<Factor> wide;
    for (int i = 0; i < 201; ++i) wide.push_back(parseFactor(continuousFactor(i)));
    EXPECT_THROW(Model::parse(wide, "interactions"), std::invalid_argument);
    wide.pop_back();
    EXPECT_EQ(Model::parse(wide, "main").columns(), 201);
}

TEST(ModelRow, NumericFactorsInCodedUnitsCategoricalOnesInEffectsCoding) {
    const Model m = Model::parse(factors({"temp=0:1", "time=0:1/3", "cat=a|b|c"}),
                                 "temp+time+cat+temp*time+temp^2+cat*time+time^2");
    // temp 0.5, time -1, cat at its last level: -1 in both of its columns.
    EXPECT_EQ(m.row(std::vector<double>{0.5, -1.0, 2.0}),
              (Eigen::VectorXd(10) << 1, 0.5, -1, -1, -1, -0.5, 0.25, 1, 1, 1).finished());
    // cat at its first level: 1 in its first column.
    EXPECT_EQ(m.row(std::vector<double>{-0.5, 1.0, 0.0}),
              (Eigen::VectorXd(10) << 1, -0.5, 1, 1, 0, -0.5, 0.25, 1, 0, 1).finished());
    EXPECT_EQ(m.row(std::vector<double>{0.0, 0.0, 1.0}),
              (Eigen::VectorXd(10) << 1, 0, 0, 0, 1, 0, 0, 0, 0, 0).finished());
    const Eigen::MatrixXd X = m.matrix({0.5, -1.0, 2.0, 0.0, 0.0, 1.0});
    ASSERT_EQ(X.rows(), 2);
    EXPECT_EQ(X.row(1), m.row(std::vector<double>{0.0, 0.0, 1.0}).transpose());
}

// E[f(x) f(x)'] by 4-point Gauss-Legendre over each continuous factor,
// exact for polynomials of degree 7, and the plain mean over the levels of
// each discrete one.
Eigen::MatrixXd quadratureMoments(const Model& m) {
    const double node[2] = {0.3399810435848563, 0.8611363115940526};
    const double weight[2] = {0.6521451548625461, 0.3478548451374538};
    std::vector<std::vector<std::pair<double, double>>> rule;  // (value, weight) per factor
    for (const Factor& f : m.factors()) {
        rule.emplace_back();
        if (f.discrete()) {
            for (double v : f.levelValues()) rule.back().emplace_back(v, 1.0 / f.levelCount);
        } else {
            for (int i = 0; i < 2; ++i) {
                rule.back().emplace_back(node[i], weight[i] / 2);
                rule.back().emplace_back(-node[i], weight[i] / 2);
            }
        }
    }
    Eigen::MatrixXd W = Eigen::MatrixXd::Zero(m.columns(), m.columns());
    std::vector<std::size_t> at(rule.size(), 0);
    while (true) {
        std::vector<double> point;
        double w = 1.0;
        for (std::size_t j = 0; j < rule.size(); ++j) point.push_back(rule[j][at[j]].first), w *= rule[j][at[j]].second;
        const Eigen::VectorXd x = m.row(point);
        W += w * x * x.transpose();
        std::size_t j = rule.size();
        while (j > 0 && ++at[j - 1] == rule[j - 1].size()) at[--j] = 0;
        if (j == 0) return W;
    }
}

TEST(Moments, OneContinuousFactorUnderTheQuadraticModelInClosedForm) {
    const Eigen::MatrixXd W = Model::parse(factors({"x=0:1"}), "quadratic").moments();
    const Eigen::Matrix3d expected{{1, 0, 1.0 / 3}, {0, 1.0 / 3, 0}, {1.0 / 3, 0, 1.0 / 5}};
    EXPECT_LT((W - expected).norm(), 1e-15);
}

TEST(Moments, AgreeWithQuadratureOverMixedFactors) {
    const Model m = Model::parse(factors({"u=0:1", "v=0:1", "n=0:1/4", "c=a|b|c", "s=p|q"}),
                                 "u+v+n+c+s+u*v+u*c+n*s+c*s+u^2+v^3+n^2+n^3+u^2*v");
    EXPECT_LT((m.moments() - quadratureMoments(m)).cwiseAbs().maxCoeff(), 1e-14);
    const Model q = Model::parse(factors({"u=0:1", "n=0:1/3", "c=a|b|c|d"}), "quadratic");
    EXPECT_LT((q.moments() - quadratureMoments(q)).cwiseAbs().maxCoeff(), 1e-14);
}

TEST(Region, TheBestAlongACoordinateIsFoundOffTheGridAndAtItsEnds) {
    const Factor x = parseFactor("x=0:1");
    const auto peak = vxhost::model::bestAlong(x, [](double v) { return -(v - 0.3141) * (v - 0.3141); });
    EXPECT_NEAR(peak.value, 0.3141, 1e-6);
    EXPECT_NEAR(vxhost::model::bestAlong(x, [](double v) { return v; }).value, 1.0, 1e-12);
    EXPECT_NEAR(vxhost::model::bestAlong(x, [](double v) { return -v; }).value, -1.0, 1e-12);
    // A ratio of polynomials peaking near an end: (1 + v)^2 / (1 + 4 v^2) at v = 1/4.
    EXPECT_NEAR(vxhost::model::bestAlong(x, [](double v) { return (1 + v) * (1 + v) / (1 + 4 * v * v); }).value,
                0.25, 1e-6);
    const Factor n = parseFactor("n=0:1/5");
    EXPECT_EQ(vxhost::model::bestAlong(n, [](double v) { return -std::fabs(v - 0.4); }).value, 0.5);
    const Factor c = parseFactor("c=a|b|c");
    const auto level = vxhost::model::bestAlong(c, [](double v) { return v == 1.0 ? 2.0 : 0.0; });
    EXPECT_EQ(level.value, 1.0);
    EXPECT_EQ(level.score, 2.0);
    // Of levels that tie, the first.
    EXPECT_EQ(vxhost::model::bestAlong(n, [](double) { return 1.0; }).value, -1.0);
}

TEST(Region, GridsAndRandomPointsStayInTheRegion) {
    const std::vector<Factor> f = factors({"u=0:1", "v=0:1", "c=a|b|c"});
    // 3 x n^2 <= 300: n = 9.
    const std::vector<double> g = vxhost::model::regionGrid(f, 300);
    ASSERT_EQ(g.size(), 3u * 81 * 3);
    EXPECT_EQ(std::vector<double>(g.begin(), g.begin() + 6), (std::vector<double>{-1, -1, 0, -1, -1, 1}));
    EXPECT_EQ(std::vector<double>(g.end() - 3, g.end()), (std::vector<double>{1, 1, 2}));
    EXPECT_EQ(vxhost::model::regionGrid(f, 27).size(), 27u * 3);
    // Exactly n^2 points allowed: n = 9.
    EXPECT_EQ(vxhost::model::regionGrid(factors({"u=0:1", "v=0:1"}), 81).size(), 81u * 2);
    EXPECT_TRUE(vxhost::model::regionGrid(f, 26).empty());
    // Continuous factors stop at 41 values.
    EXPECT_EQ(vxhost::model::regionGrid(factors({"u=0:1"}), 1e6).size(), 41u);
    std::mt19937 rng(3);
    for (int k = 0; k < 200; ++k) {
        const std::vector<double> p = vxhost::model::randomPoint(f, rng);
        EXPECT_LE(std::fabs(p[0]), 1.0);
        EXPECT_LE(std::fabs(p[1]), 1.0);
        EXPECT_TRUE(p[2] == 0 || p[2] == 1 || p[2] == 2);
    }
}

}  // namespace
