// Constraints and exclusions as a practitioner writes them, read into coded
// units and checked against the same inequality evaluated in the factors'
// own units; the constrained region's coordinate moves, random points,
// grids and moments; and blocked plans judged on their treatments.
#include "host/model/constraint.h"
#include "host/model/region.h"
#include "host/optimal/criteria.h"
#include "host/optimal/model_exchange.h"

#include "tests/host/model_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>

namespace {

using vxhost::model::Factor;
using vxhost::model::parseConstraint;
using vxhost::model::parseExclusion;
using vxhost::model::parseFactor;
using vxhost::model::Region;

using modeltest::factors;

const std::vector<Factor> kOven = factors({"temp=100:200", "time=10:20", "cat=a|b", "speed=1:3/3"});

TEST(Constraints, HoldExactlyWhereTheInequalityInOwnUnitsHolds) {
    // temp + 2 time <= 300 in own units is 50 x_temp + 10 x_time <= 120 coded.
    const auto c = parseConstraint(kOven, "temp + 2*time <= 300");
    EXPECT_EQ(c.coefficients, (std::vector<double>{50, 10, 0, 0}));
    EXPECT_DOUBLE_EQ(c.bound, 120);
    struct Case {
        const char* text;
        double (*slack)(double temp, double time, double speed);  // >= 0 where it holds
    };
    const Case cases[] = {
        {"temp + 2*time <= 300", [](double t, double m, double) { return 300 - t - 2 * m; }},
        {"2*time >= temp - 160", [](double t, double m, double) { return 2 * m - t + 160; }},
        {"-temp+time*3 > -130", [](double t, double m, double) { return -t + 3 * m + 130; }},
        {"speed - 0.01*temp < 0.5 + 0*time", [](double t, double, double s) { return 0.5 - s + 0.01 * t; }},
        {"1.5*speed <= 4 - time + time", [](double, double, double s) { return 4 - 1.5 * s; }},
    };
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(-1, 1);
    for (const Case& k : cases) {
        const auto parsed = parseConstraint(kOven, k.text);
        for (int i = 0; i < 2000; ++i) {
            const double point[] = {u(rng), u(rng), 0, u(rng)};
            const double slack = k.slack(kOven[0].own(point[0]), kOven[1].own(point[1]), kOven[3].own(point[3]));
            if (std::fabs(slack) < 1e-6) continue;
            EXPECT_EQ(parsed.holds(point), slack > 0) << k.text << " slack " << slack;
        }
    }
}

TEST(Constraints, MalformedOrUnsatisfiableOnesAreRefused) {
    for (const auto& [text, why] : std::vector<std::pair<const char*, const char*>>{
             {"temp + cat <= 3", "cat is categorical"},
             {"temp + size <= 3", "no factor is named size"},
             {"temp*time <= 3", "not linear"},
             {"time*temp <= 3", "not linear"},
             {"temp + time", "expected <=, <, >= or >"},
             {"temp <= 150 extra", "unexpected"},
             {"temp <= 90", "no point of the factors' ranges satisfies it"},
             {"temp - temp <= 1", "names no factor"},
             {"temp <= * 3", "expected a number or a factor's name"},
         }) {
        try {
            parseConstraint(kOven, text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << text << ": " << e.what();
        }
    }
}

TEST(Exclusions, RuleOutPointsMeetingEveryCondition) {
    const auto e = parseExclusion(kOven, "cat=a, temp>180");
    auto point = [](double temp, double cat) { return std::vector<double>{kOven[0].coded(temp), 0, cat, 0}; };
    EXPECT_TRUE(e.excludes(point(190, 0).data()));
    EXPECT_FALSE(e.excludes(point(180, 0).data()));  // > is strict
    EXPECT_FALSE(e.excludes(point(190, 1).data()));
    const auto f = parseExclusion(kOven, "cat!=a,speed<=2,time>=15");
    EXPECT_TRUE(f.excludes(std::vector<double>{0, 0, 1, 0}.data()));   // time 15, speed 2
    EXPECT_FALSE(f.excludes(std::vector<double>{0, -0.1, 1, 0}.data()));
    EXPECT_FALSE(f.excludes(std::vector<double>{0, 0, 1, 1}.data()));  // speed 3
    EXPECT_TRUE(parseExclusion(kOven, "speed=2").excludes(std::vector<double>{0, 0, 0, 0}.data()));
    EXPECT_TRUE(parseExclusion(kOven, "temp<150").excludes(std::vector<double>{-0.5, 0, 0, 0}.data()));
    for (const char* bad : {"cat<a", "cat=c", "colour=a", "temp>hot", "temp", "temp==3", "temp!3"})
        EXPECT_THROW(parseExclusion(kOven, bad), std::invalid_argument) << bad;
}

TEST(ConstrainedRegion, MovesStopOnTheBoundaryAndSkipWhatIsExcluded) {
    const std::vector<Factor> f = factors({"x=-1:1", "y=-1:1", "n=-1:1/3"});
    const Region r(f, {parseConstraint(f, "x + y <= 0.5")}, {parseExclusion(f, "x<0,n=1")});
    // From x = 0.33, y rises to the boundary 0.17, off the 0.05 grid.
    const auto up = r.bestAlong({0.33, 0, 0}, 1, [](double v) { return v; });
    EXPECT_NEAR(up.value, 0.17, 1e-12);
    // A peak inside the interval is found as without constraints.
    EXPECT_NEAR(r.bestAlong({0.33, 0, 0}, 1, [](double v) { return -(v + 0.3141) * (v + 0.3141); }).value, -0.3141, 1e-6);
    // n = 1 is excluded where x < 0: the next best level.
    EXPECT_EQ(r.bestAlong({-0.5, 0, 0}, 2, [](double v) { return v; }).value, 0.0);
    EXPECT_EQ(r.bestAlong({0.5, 0, 0}, 2, [](double v) { return v; }).value, 1.0);
    // No value of x keeps (x, 0.9, 1) inside: x <= -0.4 by the constraint, x >= 0 by the exclusion.
    const auto none = r.bestAlong({0.2, 0.9, 1}, 0, [](double v) { return v; });
    EXPECT_EQ(none.score, -INFINITY);
    EXPECT_EQ(none.value, 0.2);
    // Random points, grids and midpoints all lie inside.
    std::mt19937 rng(3);
    for (int i = 0; i < 500; ++i) EXPECT_TRUE(r.contains(*r.randomPoint(rng)));
    for (const std::vector<double>& g : {r.grid(1e4), r.midpoints(1e4)}) {
        ASSERT_FALSE(g.empty());
        for (std::size_t at = 0; at < g.size(); at += 3) EXPECT_TRUE(r.contains(g.data() + at));
    }
    // The whole square holds 9 x 9 x 3 grid points; x + y <= 0.5 cuts those with x + y = 0.75, 1, ...
    EXPECT_LT(r.grid(243).size(), 243u * 3);
}

TEST(ConstrainedRegion, AThinRegionFallsBackOnItsGridAndAnEmptyOneHasNoPoint) {
    const std::vector<Factor> f = factors({"x=-1:1", "y=-1:1"});
    const Region corner(f, {parseConstraint(f, "x + y <= -1.9999")});
    std::mt19937 rng(5);
    const auto p = corner.randomPoint(rng);
    ASSERT_TRUE(p.has_value());
    EXPECT_TRUE(corner.contains(*p));
    const Region empty(f, {parseConstraint(f, "x <= -0.5"), parseConstraint(f, "x >= 0.5")});
    EXPECT_FALSE(empty.randomPoint(rng).has_value());
    const vxhost::model::Model m = vxhost::model::Model::parse(f, "main");
    vxhost::optimal::SearchSettings s;
    s.starts = 1;
    EXPECT_THROW(vxhost::optimal::searchPlan({m, empty, 4, {}, {}}, vxhost::optimal::Objective::D, s), std::invalid_argument);
}

TEST(ConstrainedRegion, TheLargestVarianceOnAnEdgeOffTheGridIsFound) {
    // Runs at y = -1 and -0.5 for the model x + y: the variance grows with
    // y, so over y <= 0.33 it is largest at (+-1, 0.33), which no grid point
    // holds; only the ascent along y, the second coordinate, reaches it.
    const std::vector<Factor> f = factors({"x=-1:1", "y=-1:1"});
    const vxhost::model::Model m = vxhost::model::Model::parse(f, "main");
    const Region below(f, {parseConstraint(f, "y <= 0.33")});
    const Eigen::MatrixXd X = m.matrix({-1, -1, 1, -1, -1, -0.5, 1, -0.5});
    const Eigen::MatrixXd Minv = (X.transpose() * X / 4.0).inverse();
    const Eigen::Vector3d edge(1, 1, 0.33);
    const auto c = vxhost::optimal::criteriaOf(m, below, X, vxhost::optimal::regionMoments(m, below));
    EXPECT_NEAR(c.G, edge.dot(Minv * edge), 1e-9);
}

TEST(ConstrainedRegion, MomentsOverAHalfLineByTheMidpointRule) {
    // x uniform on [-1, 0]: E x = -1/2, E x^2 = 1/3, E x^3 = -1/4, E x^4 = 1/5.
    const std::vector<Factor> f = factors({"x=-1:1"});
    const vxhost::model::Model m = vxhost::model::Model::parse(f, "x+x^2");
    const Region half(f, {parseConstraint(f, "x <= 0")});
    const Eigen::MatrixXd W = vxhost::optimal::regionMoments(m, half);
    const double expected[3][3] = {{1, -0.5, 1.0 / 3}, {-0.5, 1.0 / 3, -0.25}, {1.0 / 3, -0.25, 0.2}};
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) EXPECT_NEAR(W(a, b), expected[a][b], 1e-4) << a << "," << b;
}

TEST(Blocks, AreNuisanceToEveryCriterionButD) {
    // The 2^2 factorial with its interaction in each of two blocks: all six
    // columns orthogonal, M = I. The treatments' A is 1, I = 1 + 2/3 + 1/9
    // and G = 4, the treatment columns, wherever the blocks' columns sit.
    const std::vector<Factor> f = factors({"a=-1:1", "b=-1:1"});
    const vxhost::model::Model m = vxhost::model::Model::parse(f, "interactions").withBlocks(2);
    ASSERT_EQ(m.columns(), 5);
    EXPECT_EQ(m.columnNames().back(), "block");
    EXPECT_EQ(m.treatmentColumns(), (Eigen::VectorXd(5) << 1, 1, 1, 1, 0).finished());
    std::vector<double> points;
    for (int block = 0; block < 2; ++block)
        for (int r = 0; r < 4; ++r) points.insert(points.end(), {r & 1 ? 1.0 : -1.0, r & 2 ? 1.0 : -1.0, double(block)});
    const Region region(m.factors());
    const auto c = modeltest::criteriaOf(m, m.matrix(points));
    EXPECT_NEAR(c.D, 1.0, 1e-14);
    EXPECT_NEAR(c.A, 1.0, 1e-14);
    EXPECT_NEAR(c.I, 1.0 + 2.0 / 3 + 1.0 / 9, 1e-13);
    EXPECT_NEAR(c.G, 4.0, 1e-12);
    // The search keeps every run in its block, the kept first run with the
    // block it was given and the others in the blocks listed for them, and
    // finds that plan.
    vxhost::optimal::SearchSettings s;
    s.starts = 8;
    const auto r = vxhost::optimal::searchPlan({m, region, 8, {1, 1, 0}, {0, 0, 0, 1, 1, 1, 1}}, vxhost::optimal::Objective::D, s);
    EXPECT_EQ(std::vector<double>(r.points.begin(), r.points.begin() + 3), (std::vector<double>{1, 1, 0}));
    for (int run = 0; run < 8; ++run) EXPECT_EQ(r.points[static_cast<std::size_t>(run) * 3 + 2], run < 4 ? 0 : 1);
    EXPECT_NEAR(r.loss, -5 * std::log(8.0), 1e-9);
    EXPECT_THROW(vxhost::optimal::searchPlan({m, region, 8, {}, {0, 1}}, vxhost::optimal::Objective::D, s), std::invalid_argument);
}

TEST(KeptRuns, StayAsGivenWhileTheRestIsSearched) {
    const std::vector<Factor> f = factors({"x=-1:1"});
    const vxhost::model::Model m = vxhost::model::Model::parse(f, "x+x^2");
    const Region region(f);
    vxhost::optimal::SearchSettings s;
    s.starts = 1;  // one start is one start, not a budget
    EXPECT_EQ(vxhost::optimal::searchPlan({m, region, 4, {0.5, 0.5}, {}}, vxhost::optimal::Objective::D, s).starts, 1);
    s.starts = 6;
    // Two runs kept at 0.5: the D-optimal third and fourth complete them as
    // well as any pair could, and the kept ones never move.
    const auto r = vxhost::optimal::searchPlan({m, region, 4, {0.5, 0.5}, {}}, vxhost::optimal::Objective::D, s);
    EXPECT_EQ(r.points[0], 0.5);
    EXPECT_EQ(r.points[1], 0.5);
    double best = INFINITY;
    for (int a = 0; a <= 200; ++a)
        for (int b = a; b <= 200; ++b) {
            const Eigen::MatrixXd X = m.matrix({0.5, 0.5, -1 + a * 0.01, -1 + b * 0.01});
            best = std::min(best, -std::log((X.transpose() * X).determinant()));
        }
    EXPECT_LE(r.loss, best + 1e-9);
    EXPECT_THROW(vxhost::optimal::searchPlan({m, region, 4, {0.5, 0.5, 0.5, 0.5, 0.5}, {}}, vxhost::optimal::Objective::D, s),
                 std::invalid_argument);
}

}  // namespace
