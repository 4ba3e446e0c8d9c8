// vxdoe desirability: every printed desirability against the one-sided and
// two-sided closed forms with exponents and weights, unmeasured cells, and
// the refusal of every inconsistent line with its number.
#include "tests/tools/vxdoe_run.h"

#include <cmath>

namespace {

using vxdoe_test::expectRefusedSaying;
using vxdoe_test::Outcome;
using vxdoe_test::readNumber;
using vxdoe_test::scratchFile;
using vxdoe_test::splitTable;
using vxdoe_test::vxdoeRun;

// Worth nothing at or below lower, rising to 1 at the target's left end,
// 1 up to its right end, falling to nothing at upper. A one-sided goal
// leaves the other side at +-infinity.
struct Goal {
    double lower, left, right, upper, s = 1, t = 1, weight = 1;

    double d(double y) const {
        if (y <= lower) return 0;
        if (y < left) return std::pow((y - lower) / (left - lower), s);
        if (y <= right) return 1;
        if (y < upper) return std::pow((upper - y) / (upper - right), t);
        return 0;
    }
};

Goal maximize(double lower, double target) { return {lower, target, HUGE_VAL, HUGE_VAL}; }
Goal minimize(double target, double upper) { return {-HUGE_VAL, -HUGE_VAL, target, upper}; }

double overall(const std::vector<Goal>& goals, const std::vector<double>& y) {
    double logSum = 0, weights = 0;
    for (std::size_t j = 0; j < goals.size(); ++j) {
        logSum += goals[j].weight * std::log(goals[j].d(y[j]));
        weights += goals[j].weight;
    }
    return std::exp(logSum / weights);
}

// Every cell of the printed table: d_<response> columns then D.
void expectScores(const std::vector<std::vector<std::string>>& rows, const std::vector<std::string>& names,
                  const std::vector<Goal>& goals, const std::vector<std::vector<double>>& observations) {
    ASSERT_EQ(rows.size(), observations.size() + 1);
    std::vector<std::string> header{"observation"};
    for (const std::string& n : names) header.push_back("d_" + n);
    header.push_back("D");
    EXPECT_EQ(rows[0], header);
    for (std::size_t i = 0; i < observations.size(); ++i) {
        for (std::size_t j = 0; j < goals.size(); ++j)
            EXPECT_NEAR(readNumber(rows[i + 1][j + 1]).value_or(-1), goals[j].d(observations[i][j]), 1e-12)
                << "observation " << i + 1 << ", " << names[j];
        const double D = overall(goals, observations[i]);
        EXPECT_NEAR(readNumber(rows[i + 1].back()).value_or(-1), D, 1e-12) << "observation " << i + 1;
    }
}

TEST(VxdoeDesirability, ExampleFileScoresByTheClosedForms) {
    const Outcome r = vxdoeRun("desirability --file " VX_SOURCE_DIR "/tools/vxdoe/examples/desirability.csv");
    ASSERT_EQ(r.status, 0) << r.err;
    Goal viscosity{40, 48, 52, 60};
    Goal yield = maximize(60, 85);
    yield.weight = 2;
    const std::vector<Goal> goals{yield, minimize(10, 30), viscosity};
    const std::vector<std::vector<double>> measured{
        {72, 14, 50}, {88, 26, 45}, {65, 8, 58}, {91, 12, 49}, {58, 9, 50}};
    auto rows = splitTable(r.out, ',');
    ASSERT_EQ(rows.size(), 7u) << r.out;
    // Run 6 has no cost: its cost and its D are missing, its other scores are not.
    EXPECT_EQ(rows[6], (std::vector<std::string>{"run 6", rows[6][1], "", rows[6][3], ""}));
    EXPECT_NEAR(readNumber(rows[6][1]).value_or(-1), yield.d(80), 1e-12);
    EXPECT_NEAR(readNumber(rows[6][3]).value_or(-1), viscosity.d(51), 1e-12);
    rows.pop_back();
    expectScores(rows, {"yield", "cost", "viscosity"}, goals, measured);
}

// vxdoe desirability on a file of that text.
Outcome scored(const std::string& name, const std::string& text) {
    return vxdoeRun("desirability --file " + scratchFile("desirability_" + name, text));
}

// The table vxdoe prints for a file of that text; empty when it refuses it.
std::vector<std::vector<std::string>> scoredTable(const std::string& name, const std::string& text) {
    const Outcome r = scored(name, text);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? splitTable(r.out, ',') : std::vector<std::vector<std::string>>{};
}

TEST(VxdoeDesirability, ExponentsCodesAndOneSidedEdges) {
    // s and t bend the sides; no weights.
    const std::string limits = "lower,0,,10\ntarget,4,5,20\nupper,,9,30\ns,2,,0.5\nt,,3,\n"
                               "at lower,0,9,10\nrising,1,6,15\nat target,4,5,20\nfalling,9,8,25\n";
    const auto byCode = scoredTable("codes.csv", "response,a,b,c\ngoal,2,0,1\n" + limits);
    Goal a = maximize(0, 4), b = minimize(5, 9), c{10, 20, 20, 30};
    a.s = 2, b.t = 3, c.s = 0.5;
    expectScores(byCode, {"a", "b", "c"}, {a, b, c}, {{0, 9, 10}, {1, 6, 15}, {4, 5, 20}, {9, 8, 25}});
    // Goals by name read the same as by the library's codes.
    EXPECT_EQ(scoredTable("names.csv", "response,a,b,c\ngoal,maximize,minimize,target\n" + limits), byCode);
}

TEST(VxdoeDesirability, LimitsMayMeetAndOneExponentRowShapesItsSide) {
    // lower = target: a step at the target, worth nothing at it exactly;
    // a range of one point; only a t row, which bends the falling sides.
    const auto rows = scoredTable("edges.csv",
                                  "response,step,point\n"
                                  "goal,maximize,target\n"
                                  "lower,2,1\n"
                                  "target,2,3..3\n"
                                  "upper,,5\n"
                                  "t,,2\n"
                                  " at the step , 2 ,3\n"
                                  "past it,2.5,4\n"
                                  "below,1,2\n");
    Goal point{1, 3, 3, 5};
    point.t = 2;
    expectScores(rows, {"step", "point"}, {maximize(2, 2), point}, {{2, 3}, {2.5, 4}, {1, 2}});
    ASSERT_GT(rows.size(), 1u);
    EXPECT_EQ(rows[1][0], "at the step");
}

struct Refusal {
    const char* what;
    std::string lines;  // after "response,y,z"
    int line;
};

TEST(VxdoeDesirability, RefusesEveryInconsistentLineByNumber) {
    const std::string good = "goal,maximize,target\nlower,1,1\ntarget,2,3\nupper,,5\n";
    const std::vector<Refusal> refusals{
        {"unknown goal code", "goal,7,target\nlower,1,1\ntarget,2,3\nupper,,5\n", 2},
        {"unknown goal name", "goal,maximise,target\nlower,1,1\ntarget,2,3\nupper,,5\n", 2},
        {"lower above target", "goal,maximize,target\nlower,3,1\ntarget,2,3\nupper,,5\n", 4},
        {"upper below target", "goal,maximize,target\nlower,1,1\ntarget,2,3\nupper,,2.5\n", 5},
        {"reversed range", "goal,maximize,target\nlower,1,1\ntarget,2,4..3\nupper,,5\n", 4},
        {"range for a one-sided goal", "goal,maximize,target\nlower,1,1\ntarget,2..3,3\nupper,,5\n", 4},
        {"limit the goal does not read", "goal,maximize,target\nlower,1,1\ntarget,2,3\nupper,9,5\n", 5},
        {"needed limit left empty", "goal,maximize,target\nlower,,1\ntarget,2,3\nupper,,5\n", 3},
        {"zero weight", good + "weight,1,0\n", 6},
        {"zero exponent", good + "s,0,1\n", 6},
        {"limit not a number", "goal,maximize,target\nlower,1,1\ntarget,2,3x\nupper,,5\n", 4},
        {"observation not a number", good + "# a comment, with commas,\n\n,,\nrun,1.5,two\n", 9},
        {"too few cells", good + "run,1.5\n", 6},
        {"too many cells", good + "run,1.5,2,3\n", 6},
        {"row given twice", good + "lower,1,1\n", 6},
    };
    for (const Refusal& f : refusals) {
        const Outcome r = scored("refused.csv", "response,y,z\n" + f.lines);
        EXPECT_EQ(r.status, 2) << f.what;
        EXPECT_EQ(r.out, "") << f.what;
        EXPECT_NE(r.err.find("line " + std::to_string(f.line) + ": "), std::string::npos) << f.what << ": " << r.err;
    }
    expectRefusedSaying("desirability --file " + scratchFile("desirability_norow.csv", "response,y\ngoal,maximize\ntarget,2\n"),
                        "'lower'");
    // The same file with every line consistent is taken.
    EXPECT_EQ(scored("good.csv", "response,y,z\n" + good + "run,1.5,2\n").status, 0);
}

}  // namespace
