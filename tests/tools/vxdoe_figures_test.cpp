// The figures that judge a plan, as vxdoe's summaries print them, against a
// second computation from the printed table: the model matrix built here
// with a coding of its own, the moments inverted by Gauss-Jordan in long
// double, and hand values of plans whose figures are known in closed form.
#include "tests/tools/reference_algebra.h"
#include "tests/tools/vxdoe_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <set>
#include <sstream>

namespace {

using namespace vxdoe_test;

// ----- the reference ----------------------------------------------------------------

struct Reference {
    long double D = 0, A = 0, G = 0, meanSPV = 0, correlation = 0;
    std::size_t first = 0, second = 0;  // model columns of the largest correlation
    std::vector<long double> vif;       // columns 1..p-1
};

// The normal equations of plan X, the SPV over candidates C.
Reference reference(const Rows& X, const Rows& C) {
    const std::size_t n = X.size(), p = X[0].size();
    const Inverted inv = gaussJordan(moments(X));
    Reference r;
    r.D = std::pow(inv.det, 1.0L / p);
    for (std::size_t i = 0; i < p; ++i) r.A += inv.inverse[i][i] / p;
    for (const Row& c : C) {
        const long double v = quadratic(inv.inverse, c);
        r.G = std::max(r.G, v);
        r.meanSPV += v / C.size();
    }
    // Correlations of the centred columns past the first.
    Rows z(p - 1, Row(n, 0));
    for (std::size_t c = 1; c < p; ++c) {
        long double mean = 0, ss = 0;
        for (const Row& x : X) mean += x[c] / n;
        for (std::size_t i = 0; i < n; ++i) z[c - 1][i] = X[i][c] - mean, ss += z[c - 1][i] * z[c - 1][i];
        for (long double& v : z[c - 1]) v /= std::sqrt(ss);
    }
    Rows R(p - 1, Row(p - 1, 0));
    for (std::size_t a = 0; a + 1 < p; ++a)
        for (std::size_t b = 0; b + 1 < p; ++b)
            for (std::size_t i = 0; i < n; ++i) R[a][b] += z[a][i] * z[b][i];
    r.correlation = -1;
    for (std::size_t a = 0; a + 1 < p; ++a)
        for (std::size_t b = a + 1; b + 1 < p; ++b)
            if (std::fabs(R[a][b]) > r.correlation + 1e-9) r.correlation = std::fabs(R[a][b]), r.first = a + 1, r.second = b + 1;
    const Inverted Rinv = gaussJordan(R);
    for (std::size_t a = 0; a + 1 < p; ++a) r.vif.push_back(Rinv.inverse[a][a]);
    return r;
}

// ----- models written here ---------------------------------------------------------

// Effects coding with the last level at -1 in all of its factor's columns.
Row effectsRow(const std::vector<int>& levels, const std::vector<int>& run) {
    Row x{1};
    for (std::size_t j = 0; j < levels.size(); ++j)
        for (int c = 1; c < levels[j]; ++c) x.push_back(run[j] == levels[j] ? -1 : run[j] == c ? 1 : 0);
    return x;
}

Row secondOrderRow(const Row& u) {
    Row x{1};
    x.insert(x.end(), u.begin(), u.end());
    for (std::size_t i = 0; i < u.size(); ++i)
        for (std::size_t j = i + 1; j < u.size(); ++j) x.push_back(u[i] * u[j]);
    for (long double v : u) x.push_back(v * v);
    return x;
}

Row quadraticBlendRow(const Row& u) {
    Row x = u;
    for (std::size_t i = 0; i < u.size(); ++i)
        for (std::size_t j = i + 1; j < u.size(); ++j) x.push_back(u[i] * u[j]);
    return x;
}

// Every combination of values[d] over the dimensions.
std::vector<Row> combinations(const std::vector<Row>& values) {
    std::vector<Row> all{Row{}};
    for (const Row& v : values) {
        std::vector<Row> next;
        for (const Row& head : all)
            for (long double x : v) {
                next.push_back(head);
                next.back().push_back(x);
            }
        all = next;
    }
    return all;
}

std::vector<Row> fullFactorial(const std::vector<int>& levels) {
    std::vector<Row> values;
    for (int s : levels) {
        values.emplace_back();
        for (int l = 1; l <= s; ++l) values.back().push_back(l);
    }
    return combinations(values);
}

std::vector<int> levelsOf(const Row& r) { return std::vector<int>(r.begin(), r.end()); }

// ----- reading what vxdoe printed --------------------------------------------------

struct Printed {
    std::vector<std::vector<std::string>> table;
    std::map<std::string, std::string> figures;
};

Printed run(const std::string& line) {
    const Outcome r = vxdoeRun(line);
    EXPECT_EQ(r.status, 0) << line << "\n" << r.err;
    return {splitTable(r.out, ','), figureLines(r.err)};
}

// The named columns of the printed table, one point a row.
std::vector<Row> columnsOf(const Printed& p, const std::vector<std::string>& names) {
    std::vector<std::size_t> at;
    for (const std::string& name : names)
        at.push_back(static_cast<std::size_t>(std::find(p.table[0].begin(), p.table[0].end(), name) - p.table[0].begin()));
    std::vector<Row> points;
    for (std::size_t r = 1; r < p.table.size(); ++r) {
        points.emplace_back();
        for (std::size_t c : at) points.back().push_back(*readNumber(p.table[r].at(c)));
    }
    return points;
}

double figure(const Printed& p, const std::string& key) {
    const auto found = p.figures.find(key);
    EXPECT_NE(found, p.figures.end()) << key;
    if (found == p.figures.end()) return NAN;
    const std::optional<double> v = readNumber(found->second);
    EXPECT_TRUE(v) << key << ": " << found->second;
    return v ? *v : NAN;
}

// Twelve significant digits are printed.
void expectFigure(const Printed& p, const std::string& key, long double expected) {
    EXPECT_NEAR(figure(p, key), static_cast<double>(expected), 1e-10 * std::max(1.0L, std::fabs(expected))) << key;
}

// Every figure of the summary against the reference; terms name the model
// columns past the first, as the summary does.
void expectFigures(const Printed& p, const Reference& ref, const std::vector<std::string>& terms, bool withG = true) {
    expectFigure(p, "D", ref.D);
    expectFigure(p, "A", ref.A);
    if (withG) {
        expectFigure(p, "G", ref.G);
        expectFigure(p, "max_SPV", ref.G);
        expectFigure(p, "G_efficiency", 100.0L * (terms.size() + 1) / ref.G);
    }
    expectFigure(p, "mean_SPV", ref.meanSPV);
    expectFigure(p, "largest_correlation", ref.correlation);
    EXPECT_EQ(p.figures.at("largest_correlation_pair"),
              ref.correlation < 1e-9 ? "NA" : terms[ref.first - 1] + "," + terms[ref.second - 1]);
    for (std::size_t t = 0; t < terms.size(); ++t) {
        std::string key = "VIF_" + terms[t];
        for (char& c : key)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') c = '_';
        expectFigure(p, key, ref.vif[t]);
    }
}

std::vector<std::string> effectsTerms(const std::vector<int>& levels, const std::vector<std::string>& names) {
    std::vector<std::string> terms;
    for (std::size_t j = 0; j < levels.size(); ++j)
        for (int c = 1; c < levels[j]; ++c) terms.push_back(levels[j] == 2 ? names[j] : names[j] + "." + std::to_string(c));
    return terms;
}

Reference mainEffectsReference(const std::vector<int>& levels, const std::vector<Row>& plan) {
    Rows X, C;
    for (const Row& r : plan) X.push_back(effectsRow(levels, levelsOf(r)));
    for (const Row& r : fullFactorial(levels)) C.push_back(effectsRow(levels, levelsOf(r)));
    return reference(X, C);
}

// n runs of k factors at levels drawn from 1..s by a linear congruential
// generator, and the file X1,...,Xk that holds them.
std::pair<std::vector<Row>, std::string> randomPlanFile(int k, int n, unsigned s, unsigned state, const std::string& name) {
    std::string text = "X1";
    for (int j = 2; j <= k; ++j) text += ",X" + std::to_string(j);
    std::vector<Row> plan;
    for (int r = 0; r < n; ++r) {
        plan.emplace_back();
        text += "\n";
        for (int j = 0; j < k; ++j) {
            state = state * 1103515245u + 12345u;
            plan.back().push_back(1 + (state >> 16) % s);
            if (j) text += ',';
            text += std::to_string(static_cast<int>(plan.back().back()));
        }
    }
    return {plan, scratchFile(name, text)};
}

// ----- qualitative factors -----------------------------------------------------------

TEST(VxdoeFigures, NineRunArrayOfFourThreeLevelFactors) {
    // L9: balanced and orthogonal, so M = diag(1, (I + J) / 3 four times):
    // D = (1/3)^(4/9), A = (1 + 4 * 4) / 9, SPV = 9 at every cell of the
    // factorial; the two columns of one factor correlate 1/2, their VIFs 4/3.
    const Printed p = run("ortho --levels 3^4 --names A,B,C,D");
    expectFigure(p, "D", std::pow(1.0L / 3, 4.0L / 9));
    expectFigure(p, "A", 17.0L / 9);
    for (const char* key : {"G", "mean_SPV"}) expectFigure(p, key, 9);
    for (const char* key : {"D_efficiency", "A_efficiency", "G_efficiency"}) expectFigure(p, key, 100);
    expectFigure(p, "largest_correlation", 0.5);
    EXPECT_EQ(p.figures.at("largest_correlation_pair"), "A.1,A.2");
    for (const char* key : {"VIF_A_1", "VIF_A_2", "VIF_D_1", "VIF_D_2"}) expectFigure(p, key, 4.0L / 3);
    EXPECT_EQ(figure(p, "candidates"), 81.0);
    expectFigures(p, mainEffectsReference({3, 3, 3, 3}, columnsOf(p, {"A", "B", "C", "D"})),
                  effectsTerms({3, 3, 3, 3}, {"A", "B", "C", "D"}));
}

TEST(VxdoeFigures, NonOrthogonalPlansMatchTheNormalEquations) {
    // Run counts no orthogonal array fits: the figures of the plan found.
    for (const auto& [line, levels] : std::vector<std::pair<std::string, std::vector<int>>>{
             {"optimal --levels 3,2,2 --runs 7 --seed 3", {3, 2, 2}},
             {"optimal --levels 4,3,2 --runs 10 --seed 2 --starts 2", {4, 3, 2}},
             {"optimal --levels 3^3 --runs 8 --seed 5 --no-catalogue", {3, 3, 3}}}) {
        SCOPED_TRACE(line);
        const Printed p = run(line);
        const std::vector<std::string> names{"X1", "X2", "X3"};
        const Reference ref = mainEffectsReference(levels, columnsOf(p, names));
        expectFigures(p, ref, effectsTerms(levels, names));
        expectFigure(p, "D_efficiency", 100 * ref.D / figure(p, "bound"));
        // A of an orthogonal plan: (1 + sum of s(s - 2) + 1) / p.
        long double a = 1, cols = 1;
        for (int s : levels) a += s * (s - 2) + 1, cols += s - 1;
        expectFigure(p, "A_efficiency", 100 * (a / cols) / ref.A);
    }
}

TEST(VxdoeFigures, ScreeningSheetOfAMixedFactorial) {
    // The full factorial itself: orthogonal, so every efficiency is 100.
    const Printed p = run("screening --levels 3,2,4 --replicates 2");
    expectFigures(p, mainEffectsReference({3, 2, 4}, columnsOf(p, {"X1", "X2", "X3"})),
                  effectsTerms({3, 2, 4}, {"X1", "X2", "X3"}));
    for (const char* key : {"D_efficiency", "A_efficiency", "G_efficiency"}) expectFigure(p, key, 100);
}

// ----- --evaluate ----------------------------------------------------------------------

TEST(VxdoeEvaluate, ScoresThePlanOfAFileByItsHeader) {
    // Columns in another order than --names, and one that is no factor.
    const std::string path = scratchFile("figures_plan.csv", "run,B,A\r\n1,2,1\n2,1,3\n3,2,2\n\n4,1,1\n5,2,3\n");
    const Printed p = run("optimal --levels 3,2 --names A,B --evaluate " + path);
    EXPECT_EQ(p.table, (std::vector<std::vector<std::string>>{
                           {"A", "B"}, {"1", "2"}, {"3", "1"}, {"2", "2"}, {"1", "1"}, {"3", "2"}}));
    EXPECT_EQ(p.figures.at("stage"), "evaluated");
    const Reference ref = mainEffectsReference({3, 2}, {{1, 2}, {3, 1}, {2, 2}, {1, 1}, {3, 2}});
    expectFigures(p, ref, {"A.1", "A.2", "B"});
    expectFigure(p, "bound", std::pow(3.0L, -1.0L / 4));  // (I + J)/3 has det 1/3, (I + J)/2 det 1
}

TEST(VxdoeEvaluate, MeanPredictionVarianceOverAFactorialTooLargeToEnumerate) {
    // The mean SPV over the factorial is trace(M^-1 W), W its moment matrix,
    // diag(1, (I + J)/3, ...), against the test's own W; the largest is not told.
    const int k = 13;  // 3^13 x 27 columns is past what is enumerated
    const auto [plan, file] = randomPlanFile(k, 40, 3, 2024, "figures_mixed.csv");
    const Printed p = run("optimal --levels 3^13 --evaluate " + file);
    const std::vector<int> levels(k, 3);
    Rows X;
    for (const Row& r : plan) X.push_back(effectsRow(levels, levelsOf(r)));
    const std::size_t cols = X[0].size();
    const Rows Minv = gaussJordan(moments(X)).inverse;
    long double mean = Minv[0][0];
    for (std::size_t b = 1; b < cols; b += 2)  // each factor's block (I + J) / 3
        for (std::size_t i = b; i < b + 2; ++i)
            for (std::size_t j = b; j < b + 2; ++j) mean += Minv[j][i] * (i == j ? 2.0L : 1.0L) / 3;
    expectFigure(p, "mean_SPV", mean);
    for (const char* key : {"G", "max_SPV", "G_efficiency"}) EXPECT_EQ(p.figures.at(key), "NA") << key;
    EXPECT_EQ(p.figures.at("candidates"), "too many to enumerate");
}

TEST(VxdoeEvaluate, RefusesAFileItCannotReadWithTheLine) {
    const std::string base = "optimal --levels 3,2 --evaluate ";
    for (const auto& [text, reason] : std::vector<std::pair<std::string, std::string>>{
             {"X1\n1\n", "line 1: no column X2"},
             {"X1,X2,X1\n1,1,1\n", "line 1: column X1 given twice"},
             {"X1,X2\n1,1\n4,1\n", "line 3, column X1: \"4\" is not a level from 1 to 3"},
             {"X1,X2\n1,0\n", "line 2, column X2: \"0\" is not a level from 1 to 2"},
             {"X1,X2\n1,1\n2,one\n", "line 3, column X2: \"one\" is not a level"},
             {"X1,X2\n1.5,1\n", "line 2, column X1: \"1.5\" is not a level"},
             {"X1,X2\n1,1\n2,2,2\n", "line 3: 3 cells under a header of 2"},
             {"X1,X2\n", "no runs"},
             {"", "no header row"}}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(expectRefusedSaying(base + scratchFile("figures_bad.csv", text), reason).out.empty());
    }
    expectRefusedSaying(base + "/nonexistent/plan.csv", "cannot read");
    // A search option beside a plan to score would be ignored; no --runs and no plan is no job.
    const std::string good = scratchFile("figures_good.csv", "X1,X2\n1,1\n2,2\n3,1\n");
    for (const char* extra : {" --runs 6", " --seed 1", " --no-catalogue"})
        expectRefusedSaying(base + good + extra, "does not apply");
    expectRefusedSaying("optimal --levels 3,2", "--runs");
}

// ----- response surfaces and mixtures --------------------------------------------------

std::vector<Row> gridAndPlan(int k, const std::vector<Row>& plan) {
    std::vector<Row> points = combinations(std::vector<Row>(static_cast<std::size_t>(k), Row{-1, 0, 1}));
    std::set<Row> seen(points.begin(), points.end());
    for (const Row& r : plan)
        if (seen.insert(r).second) points.push_back(r);
    return points;
}

TEST(VxdoeFigures, ResponseSurfaceDesignsMatchTheNormalEquations) {
    for (const std::string design : {"ccd", "bbd", "factorial3", "doehlert"}) {
        SCOPED_TRACE(design);
        const Printed p = run("rsm --design " + design + " --factors 3");
        const std::vector<Row> plan = columnsOf(p, {"X1", "X2", "X3"});
        Rows X, C;
        for (const Row& u : plan) X.push_back(secondOrderRow(u));
        for (const Row& u : gridAndPlan(3, plan)) C.push_back(secondOrderRow(u));
        expectFigures(p, reference(X, C), {"X1", "X2", "X3", "X1*X2", "X1*X3", "X2*X3", "X1^2", "X2^2", "X3^2"});
        EXPECT_EQ(figure(p, "candidates"), static_cast<double>(C.size()));
        EXPECT_EQ(p.figures.at("D_efficiency"), "NA");
    }
}

TEST(VxdoeFigures, ResponseSurfaceInUnitsIsJudgedInCodedUnits) {
    const Printed coded = run("rsm --design ccd --factors 2");
    const Printed units = run("rsm --design ccd --factors 2 --min 10,0 --max 30,5");
    for (const char* key : {"D", "A", "G", "mean_SPV", "largest_correlation", "VIF_X1_2", "VIF_X1_X2"})
        EXPECT_EQ(coded.figures.at(key), units.figures.at(key)) << key;
}

TEST(VxdoeFigures, QuadraticOnTheSimplexLatticeThreeTwo) {
    // The {3,2} lattice carries the quadratic Scheffe polynomial exactly:
    // X is triangular with 1, 1, 1, 1/4, 1/4, 1/4 on its diagonal, so
    // det(X'X / 6) = 4^-6 6^-6 and D = 1/24.
    const Printed p = run("mixture --components 3 --design lattice --degree 2 --names A,B,C");
    expectFigure(p, "D", 1.0L / 24);
    std::vector<Row> lattice;
    for (int a = 12; a >= 0; --a)
        for (int b = 12 - a; b >= 0; --b) lattice.push_back({a / 12.0L, b / 12.0L, (12 - a - b) / 12.0L});
    Rows X, C;
    for (const Row& u : columnsOf(p, {"A", "B", "C"})) X.push_back(quadraticBlendRow(u));
    for (const Row& u : lattice) C.push_back(quadraticBlendRow(u));
    expectFigures(p, reference(X, C), {"B", "C", "A*B", "A*C", "B*C"});
    EXPECT_EQ(figure(p, "candidates"), 91.0);
    // The {q,2} lattice is D-optimal for this model (Kiefer), so by the
    // equivalence theorem its largest SPV over the simplex is p = 6.
    expectFigure(p, "G", 6);
}

TEST(VxdoeFigures, MixtureInRealQuantitiesIsJudgedInProportions) {
    const Printed proportions = run("mixture --components 3 --design centroid");
    const Printed real = run("mixture --components 3 --design centroid --lower 0.1,0.2,0 --total 50");
    for (const char* key : {"D", "A", "G", "mean_SPV", "largest_correlation", "VIF_X2"})
        EXPECT_EQ(proportions.figures.at(key), real.figures.at(key)) << key;
}

// ----- sensory balance ---------------------------------------------------------------

struct Balance {
    int concurrenceMin, concurrenceMax, replicationMin, replicationMax;
};

// From judge rows of products seen.
Balance balanceOf(const std::vector<std::set<int>>& seen, int P) {
    Balance b{1 << 30, -1, 1 << 30, -1};
    for (int x = 1; x <= P; ++x) {
        int rep = 0;
        for (const auto& s : seen) rep += s.count(x);
        b.replicationMin = std::min(b.replicationMin, rep), b.replicationMax = std::max(b.replicationMax, rep);
        for (int y = x + 1; y <= P; ++y) {
            int both = 0;
            for (const auto& s : seen) both += s.count(x) && s.count(y);
            b.concurrenceMin = std::min(b.concurrenceMin, both), b.concurrenceMax = std::max(b.concurrenceMax, both);
        }
    }
    return b;
}

void expectBalance(const Printed& p, const Balance& b) {
    EXPECT_EQ(figure(p, "concurrence_min"), b.concurrenceMin);
    EXPECT_EQ(figure(p, "concurrence_max"), b.concurrenceMax);
    EXPECT_EQ(figure(p, "replication_min"), b.replicationMin);
    EXPECT_EQ(figure(p, "replication_max"), b.replicationMax);
}

TEST(VxdoeBalance, CyclicOrdersOfFourProductsInThrees) {
    // Judge j tastes j..j+2 (mod 4): every product 3 times, every pair twice.
    const Printed p = run("orders --products 4 --judges 4 --per-judge 3 --seed 5 --seconds 1");
    expectBalance(p, {2, 2, 3, 3});
    EXPECT_EQ(p.figures.count("bounds_reached_by"), 0u);
}

TEST(VxdoeBalance, SensoryIncidenceAndOrdersAsPrinted) {
    for (const std::string line : {"sensory --products 6 --judges 7 --per-judge 3 --seed 4",
                                   "sensory --products 5 --judges 10 --per-judge 2 --cyclic --seed 1",
                                   "sensory --products 5 --judges 6 --per-judge 3 --seed 2 --orders --seconds 1"}) {
        SCOPED_TRACE(line);
        const Printed p = run(line);
        const bool incidence = p.table[0].size() > 1 && p.table[0][1] == "product_1";
        std::vector<std::set<int>> seen;
        for (std::size_t r = 1; r < p.table.size(); ++r) {
            seen.emplace_back();
            for (std::size_t c = 1; c < p.table[r].size(); ++c)
                if (incidence && p.table[r][c] == "1") seen.back().insert(static_cast<int>(c));
                else if (!incidence) seen.back().insert(std::stoi(p.table[r][c]));
        }
        expectBalance(p, balanceOf(seen, line.find("products 6") != std::string::npos ? 6 : 5));
    }
    const Printed one = run("sensory --products 1 --judges 3 --per-judge 1 --seed 1");
    EXPECT_EQ(one.figures.at("concurrence_min"), "NA");
    EXPECT_EQ(figure(one, "replication_max"), 3.0);
}

TEST(VxdoeFigures, HelpSaysOverWhichCandidatesInLinesOfAHundredColumns) {
    const Outcome r = vxdoeRun("optimal --help", kNoLibrary);
    const std::size_t at = r.out.find("The summary judges");
    ASSERT_NE(at, std::string::npos) << r.out;
    std::string joined;
    std::istringstream in(r.out.substr(at));
    for (std::string line; std::getline(in, line);) {
        EXPECT_LE(line.size(), 100u) << line;
        joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_NE(joined.find("over the full factorial of the levels; past 2^22 cells x columns it is not enumerated"),
              std::string::npos)
        << joined;
    EXPECT_NE(joined.find("VIF_<term> (characters other than letters, digits and _ as _); candidates, their count."),
              std::string::npos)
        << joined;
}

}  // namespace
