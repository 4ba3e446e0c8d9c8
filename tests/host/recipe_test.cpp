// The recipe through the library's entry points, as vxdoe runs it: which
// stage answers, the D it reports against the closed form and against an
// elimination of its plan, reproducible fixed work, and the refusals.
#include "host/optimal/recipe.h"
#include "tests/host/host_support.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using hosttest::repeated;

vxhost::RecipeSettings settingsFor(std::vector<int> levels, int runs, uint32_t seed = 1) {
    vxhost::RecipeSettings s;
    s.model.levels = std::move(levels);
    s.model.runs = runs;
    s.fixedWork = true;
    s.seed = seed;
    return s;
}

double eliminatedD(const vxhost::RecipeResult& r, const vxhost::RecipeSettings& s) {
    return vxhost::normedD(hosttest::logDetByElimination(r.plan, s.model.runs, s.model.levels, s.model.icode),
                           s.model.runs, vxhost::modelColumns(s.model.levels));
}

TEST(Recipe, OrthogonalPlansComeFromTheCatalogueOrTheTable) {
    const auto lib = hosttest::libraryEntries();
    struct Case {
        std::vector<int> levels;
        int runs;
        const char* source;
        bool libraryScores;
    };
    std::vector<int> mixed36 = repeated(3, 8);
    mixed36.insert(mixed36.end(), 4, 2);
    const std::vector<Case> cases = {
        {repeated(3, 13), 27, "catalogue entry 300", true},
        {repeated(3, 4), 18, "catalogue entry 56", true},
        {mixed36, 36, "D(12,12,3)", true},
        {repeated(4, 10), 64, "GF(4)^3", true},
        // 3^20 passes the library's 32-bit candidate count: the host scores it.
        {repeated(3, 20), 81, "GF(3)^4", false},
    };
    for (const Case& c : cases) {
        const vxhost::RecipeSettings s = settingsFor(c.levels, c.runs);
        const vxhost::RecipeResult r = vxhost::runRecipe(lib, s);
        EXPECT_NE(r.stage.find("orthogonal array"), std::string::npos) << r.stage;
        EXPECT_NE(r.stage.find(c.source), std::string::npos) << r.stage;
        EXPECT_EQ(r.scoredByLibrary, c.libraryScores) << r.stage;
        EXPECT_TRUE(hosttest::strengthTwo(r.plan, c.runs, c.levels)) << r.stage;
        EXPECT_NEAR(r.D, hosttest::closedFormBound(c.levels), 1e-9) << r.stage;
        EXPECT_NEAR(r.bound, hosttest::closedFormBound(c.levels), 1e-12);
        EXPECT_EQ(r.rounds, 0);
        ASSERT_EQ(r.history.size(), 1u);
        // log10 det(X'X), whoever computed it.
        EXPECT_NEAR(r.history[0], hosttest::logDetByElimination(r.plan, c.runs, c.levels, 1) / std::log(10.0), 1e-8);
    }
}

TEST(Recipe, SearchesReachTheEstablishedBestAndReproduce) {
    const auto lib = hosttest::libraryEntries();
    const vxhost::RecipeSettings s = settingsFor({4, 4, 3, 3, 2, 2}, 16, 7);
    const vxhost::RecipeResult a = vxhost::runRecipe(lib, s);
    const vxhost::RecipeResult b = vxhost::runRecipe(lib, s);
    EXPECT_EQ(a.plan, b.plan);
    EXPECT_EQ(a.stage, b.stage);
    EXPECT_TRUE(a.scoredByLibrary);
    EXPECT_NEAR(a.D, eliminatedD(a, s), 1e-9);
    EXPECT_GE(a.D, 0.537026);  // the best of an established tool's 200 starts, 0.53703
    EXPECT_LT(a.D, a.bound);   // 16 runs cannot balance a 3-level factor
    EXPECT_EQ(a.rounds, vxhost::fixedRounds(s.model.levels, 16));
}

TEST(Recipe, LargeCandidateSetsUseTheHostsOwnExchangeAndScore) {
    const auto lib = hosttest::libraryEntries();
    vxhost::RecipeSettings s = settingsFor(repeated(3, 20), 60);
    s.fixedWork = false;
    s.seconds = 1.0;
    const vxhost::RecipeResult r = vxhost::runRecipe(lib, s);
    EXPECT_FALSE(r.scoredByLibrary);
    EXPECT_NE(r.stage.find("coordinate exchange"), std::string::npos) << r.stage;
    EXPECT_NEAR(r.D, eliminatedD(r, s), 1e-9);
    EXPECT_GE(r.D, 0.9 * r.bound);
    EXPECT_FALSE(vxhost::libraryScansCandidates(s.model.levels));
    EXPECT_FALSE(vxhost::libraryTakesCandidates(s.model.levels));
    EXPECT_TRUE(vxhost::libraryTakesCandidates(repeated(2, 30)));
    EXPECT_FALSE(vxhost::libraryScansCandidates(repeated(2, 20)));  // 2^20 = 1,048,576 candidates
    EXPECT_TRUE(vxhost::libraryScansCandidates(repeated(2, 19)));
}

TEST(Recipe, RefusesPlansThatCannotBeEstimable) {
    const auto lib = hosttest::libraryEntries();
    EXPECT_THROW(vxhost::runRecipe(lib, settingsFor({3, 3, 3}, 6)), std::invalid_argument);  // 7 columns
    EXPECT_THROW(vxhost::runRecipe(lib, settingsFor({3, 1}, 9)), std::invalid_argument);
    EXPECT_THROW(vxhost::runRecipe(lib, settingsFor({}, 9)), std::invalid_argument);
    // Exactly as many runs as model columns is allowed.
    const vxhost::RecipeResult r = vxhost::runRecipe(lib, settingsFor({3, 3, 3}, 7));
    EXPECT_GT(r.D, 0.0);
}

// How often each run of the full factorial appears in a plan.
std::map<std::vector<int>, int> runCounts(const std::vector<int>& plan, int runs, const std::vector<int>& levels) {
    std::map<std::vector<int>, int> counts;
    for (int r = 0; r < runs; ++r) {
        std::vector<int> run;
        for (std::size_t f = 0; f < levels.size(); ++f) run.push_back(plan[f * runs + r]);
        ++counts[run];
    }
    return counts;
}

TEST(Recipe, ManyMoreRunsThanCandidatesRepeatTheFullFactorial) {
    const auto lib = hosttest::libraryEntries();
    const std::vector<int> levels{7, 2};  // 14 candidates, no smaller orthogonal array
    // A multiple of the candidates: the full factorial, each run 5 times, orthogonal.
    const vxhost::RecipeSettings whole = settingsFor(levels, 70);
    const vxhost::RecipeResult r = vxhost::runRecipe(lib, whole);
    EXPECT_EQ(r.stage, "the full factorial (14 runs) repeated 5 times") << r.stage;
    const auto counts = runCounts(r.plan, 70, levels);
    EXPECT_EQ(counts.size(), 14u);
    for (const auto& [run, n] : counts) EXPECT_EQ(n, 5);
    EXPECT_NEAR(r.D, hosttest::closedFormBound(levels), 1e-12);
    EXPECT_TRUE(r.scoredByLibrary);

    // 3 x 14 + 5 runs: the full factorial twice, and 19 runs searched; no
    // run of the factorial goes missing, and D is that of the plan returned.
    const vxhost::RecipeSettings over = settingsFor(levels, 47);
    const vxhost::RecipeResult o = vxhost::runRecipe(lib, over);
    EXPECT_EQ(o.stage.rfind("the full factorial (14 runs) repeated 2 times, and for the other 19 runs: ", 0), 0u)
        << o.stage;
    const auto overCounts = runCounts(o.plan, 47, levels);
    EXPECT_EQ(overCounts.size(), 14u);
    for (const auto& [run, n] : overCounts) EXPECT_GE(n, 2);
    EXPECT_NEAR(o.D, eliminatedD(o, over), 1e-12);
    // Nineteen runs of a 7-level factor cannot be balanced: below the bound,
    // though close to it.
    EXPECT_LT(o.D, hosttest::closedFormBound(levels));
    EXPECT_GT(o.D, 0.99 * hosttest::closedFormBound(levels));
    // Below twice the candidates, the recipe searches all the runs.
    EXPECT_EQ(vxhost::runRecipe(lib, settingsFor(levels, 27)).stage.find("full factorial"), std::string::npos);
}

TEST(Recipe, BudgetCountsRoundsOrSeconds) {
    vxhost::Budget rounds = vxhost::Budget::rounds(2);
    EXPECT_FALSE(rounds.spent());
    rounds.charge();
    EXPECT_FALSE(rounds.spent());
    rounds.charge();
    EXPECT_TRUE(rounds.spent());
    EXPECT_EQ(rounds.used(), 2);
    EXPECT_TRUE(vxhost::Budget::seconds(0.0).spent());
    EXPECT_FALSE(vxhost::Budget::seconds(3600.0).spent());
    // Fixed work shrinks as rounds grow dearer, within its limits.
    EXPECT_EQ(vxhost::fixedRounds({2, 2}, 4), 6000);
    // 300 runs of 121 columns: a round costs 300 * 121^2 * sqrt(60) = 3.4e7
    // steps, so 3 rounds. Factors of 30 levels try ten times the levels of
    // three-level ones: one round, where 9 would take seconds each.
    EXPECT_EQ(vxhost::fixedRounds(repeated(3, 60), 300), 3);
    EXPECT_EQ(vxhost::fixedRounds(repeated(30, 6), 175), 1);
    EXPECT_GT(vxhost::fixedRounds({6, 5, 4, 3, 2}, 30), vxhost::fixedRounds(repeated(3, 20), 60));
}

}  // namespace
