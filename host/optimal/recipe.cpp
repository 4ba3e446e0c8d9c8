#include "host/optimal/recipe.h"

#include "host/optimal/column_wise.h"
#include "host/optimal/coordinate_exchange.h"
#include "host/optimal/expansive_replacement.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vxhost {

namespace {

// Past this many candidates a pass of the library's exhaustive exchange
// (runs x candidates evaluations) no longer fits a budget of seconds.
constexpr double kLargestScannedSet = 1e6;
// Random starts per column of the column-wise construction: a column that
// can reach its bound gets more tries than one that cannot.
constexpr int kColumnRestarts = 20;
constexpr int kColumnRestartsBoundOutOfReach = 3;
// A try at a column costs about runs^3 steps per column built; the
// construction is given about this many in all.
constexpr double kColumnWork = 3e8;
// The share of a deadline the construction may take.
constexpr double kColumnShare = 0.3;
// Handing a plan to the library as labels and scoring it takes about this
// long a run (a million runs: 2.5 s); past a share of the budget, the host
// scores a replicated plan with the same formulas instead.
constexpr double kLibraryScoringSecondsPerRun = 2.5e-6;
constexpr double kScoringShare = 0.05;
// What the host spends on each run of a plan after its search: stacking,
// scoring and writing it out (a million runs: about 0.6 s).
constexpr double kHostSecondsPerRun = 6e-7;
// Perturbation rounds without a gain before a chain gives way to a new start.
constexpr int kPatience = 40;

bool reachesBound(double d, double bound) { return d >= bound * (1.0 - 1e-9); }

// Whether an orthogonal plan can exist at all: every level count, and the
// product of every two, must divide the runs.
bool orthogonalPossible(const std::vector<int>& levels, int runs) {
    for (std::size_t a = 0; a < levels.size(); ++a)
        for (std::size_t b = a; b < levels.size(); ++b)
            if (runs % (a == b ? levels[a] : static_cast<long long>(levels[a]) * levels[b]) != 0) return false;
    return true;
}

// Tries per column of the column-wise construction; 0 when even one try
// would cost too much.
int columnRestarts(const std::vector<int>& levels, int runs) {
    const double perTry = std::pow(static_cast<double>(runs), 3) * static_cast<double>(levels.size());
    const double affordable = std::floor(kColumnWork / perTry);
    const int wanted = orthogonalPossible(levels, runs) ? kColumnRestarts : kColumnRestartsBoundOutOfReach;
    return static_cast<int>(std::min<double>(wanted, affordable));
}

double hostD(const ModelSettings& m, const LevelPlan& plan) {
    return normedD(logDetInformation(plan, m.runs, m.levels, m.icode), m.runs, modelColumns(m.levels));
}

struct Best {
    LevelPlan plan;
    double D = -1.0;
    std::string stage;
    void offer(const LevelPlan& p, double d, const std::string& s) {
        if (d > D) plan = p, D = d, stage = s;
    }
};

std::string arrayStage(const Sheet& array, int copies) {
    std::string stage = "orthogonal array: " + array.name + " (" + std::to_string(array.runs) + " runs)";
    if (copies > 1) stage += ", its runs repeated " + std::to_string(copies) + " times";
    return stage;
}

// An array with a column for every factor as it stands, else one that has
// them after expansive replacements.
std::optional<Best> lookUp(const LibraryEntries& lib, const ModelSettings& m) {
    std::vector<Sheet> arrays = catalogueSheets(lib);
    const std::vector<Sheet>& table = tableSheets();
    arrays.insert(arrays.end(), table.begin(), table.end());
    if (const std::optional<FoundArray> found = findOrthogonal(arrays, m.levels, m.runs))
        return Best{found->plan, orthogonalBound(m.levels), arrayStage(*found->array, found->copies)};
    if (const std::optional<ExpandedArray> found = findOrthogonalByReplacement(arrays, m.levels, m.runs))
        return Best{found->plan, orthogonalBound(m.levels), arrayStage(found->array, found->copies)};
    return std::nullopt;
}

// A few runs of the plan (two or three) replaced by random level
// combinations: enough to leave the local optimum, few enough that the
// exchange does not start over.
LevelPlan perturbed(const LevelPlan& plan, const ModelSettings& m, std::mt19937& rng) {
    const int count = 2 + static_cast<int>(rng() % 2);
    return withRunsRedrawn(plan, m.runs, m.levels, count, rng);
}

// Iterated local search: the coordinate exchange from the plan so far, then
// perturbation rounds, each perturbed plan improved again and kept when no
// worse; after kPatience rounds without a gain, a new random start. Each
// new best is also handed to the library's exhaustive exchange when it can
// scan the candidates, whose moves (a whole run for any candidate) reach
// plans that coordinate moves cannot.
void perturbationSearch(const LibraryEntries& lib, const RecipeSettings& settings, Budget& budget,
                        std::mt19937& rng, Best& best) {
    const ModelSettings& m = settings.model;
    const double bound = orthogonalBound(m.levels);
    const int p = modelColumns(m.levels);
    const bool libraryExchange = libraryScansCandidates(m.levels);
    const auto offer = [&](const LevelPlan& plan, double d, const std::string& stage) {
        if (d <= best.D) return;
        best.offer(plan, d, stage);
        if (!libraryExchange) return;
        if (const std::optional<LibraryPlan> pl = fromLevels(lib, m, plan))
            best.offer(pl->levels(), libraryD(lib, m, *pl), stage + ", then the library's exchange");
    };
    std::string stage = best.stage + ", coordinate exchange and perturbation";
    CoordinateResult current = coordinateExchange(m.levels, m.runs, m.icode, rng, best.plan);
    double currentD = normedD(current.logDet, m.runs, p);
    offer(current.plan, currentD, stage);
    int stale = 0;
    while (!budget.spent() && !reachesBound(best.D, bound)) {
        budget.charge();
        if (stale >= kPatience) {
            current = coordinateExchange(m.levels, m.runs, m.icode, rng);
            currentD = normedD(current.logDet, m.runs, p);
            stage = "coordinate exchange from random starts with perturbation";
            stale = 0;
        } else {
            CoordinateResult next = coordinateExchange(m.levels, m.runs, m.icode, rng, perturbed(current.plan, m, rng));
            const double d = normedD(next.logDet, m.runs, p);
            stale = d > currentD * (1.0 + 1e-12) ? 0 : stale + 1;
            if (d >= currentD) current = std::move(next), currentD = d;
        }
        offer(current.plan, currentD, stage);
        if (settings.progress) settings.progress(stage, best.D, budget.elapsed());
    }
}

// The plan handed to the library as labels: its criterion, its output and,
// for a plan short of the bound, the polish of its exchange. Where the
// library cannot take the candidate set, the host scores the plan with the
// same formulas.
RecipeResult finish(const LibraryEntries& lib, const RecipeSettings& settings, const Best& best,
                    long long rounds, bool mayPolish = true) {
    const ModelSettings& m = settings.model;
    RecipeResult res{best.stage, best.plan, best.D, orthogonalBound(m.levels), false, {}, rounds};
    const bool scoringFits = m.runs * kLibraryScoringSecondsPerRun <= kScoringShare * settings.seconds;
    if (libraryTakesCandidates(m.levels) && (mayPolish || scoringFits)) {
        const bool polish = mayPolish && libraryScansCandidates(m.levels) && !reachesBound(best.D, res.bound);
        if (const std::optional<LibraryPlan> pl = fromLevels(lib, m, best.plan, polish)) {
            res.plan = pl->levels();
            res.D = libraryD(lib, m, *pl);
            res.history = pl->history;
            res.scoredByLibrary = true;
            if (pl->history.size() > 1) res.stage += ", polished by the library's exchange";
            return res;
        }
    }
    const double logDet = logDetInformation(best.plan, m.runs, m.levels, m.icode);
    res.D = normedD(logDet, m.runs, modelColumns(m.levels));
    res.history = {m.icrit == 1 ? std::exp(logDet) : logDet / std::log(10.0)};
    return res;
}

// Every run of the full factorial once, the first factor changing fastest.
LevelPlan fullFactorial(const std::vector<int>& levels, int runs) {
    LevelPlan plan(static_cast<std::size_t>(runs) * levels.size());
    long long period = 1;
    for (std::size_t f = 0; f < levels.size(); ++f) {
        for (int r = 0; r < runs; ++r)
            plan[f * static_cast<std::size_t>(runs) + static_cast<std::size_t>(r)] =
                static_cast<int>((r / period) % levels[f]) + 1;
        period *= levels[f];
    }
    return plan;
}

// `copies` of plan a (aRuns runs) above plan b (bRuns runs), column by column.
LevelPlan stacked(const LevelPlan& a, int aRuns, int copies, const LevelPlan& b, int bRuns, std::size_t factors) {
    LevelPlan plan;
    plan.reserve((static_cast<std::size_t>(aRuns) * copies + static_cast<std::size_t>(bRuns)) * factors);
    for (std::size_t f = 0; f < factors; ++f) {
        for (int c = 0; c < copies; ++c)
            plan.insert(plan.end(), a.begin() + static_cast<std::ptrdiff_t>(f * aRuns),
                        a.begin() + static_cast<std::ptrdiff_t>((f + 1) * aRuns));
        plan.insert(plan.end(), b.begin() + static_cast<std::ptrdiff_t>(f * bRuns),
                    b.begin() + static_cast<std::ptrdiff_t>((f + 1) * bRuns));
    }
    return plan;
}

}  // namespace

Budget Budget::seconds(double s) {
    Budget b;
    b.seconds_ = s;
    return b;
}

Budget Budget::rounds(long long n) {
    Budget b;
    b.rounds_ = n;
    return b;
}

bool Budget::spent() const { return rounds_ >= 0 ? used_ >= rounds_ : elapsed() >= seconds_; }

double Budget::elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

bool libraryScansCandidates(const std::vector<int>& levels) { return candidateCount(levels) <= kLargestScannedSet; }

long long fixedRounds(const std::vector<int>& levels, int runs) {
    const double p = modelColumns(levels);
    // About the cost of one round of coordinate exchange, measured on 16 to
    // 60 runs of two- and three-level factors; each coordinate tries every
    // level, so factors of more levels cost in proportion. The rounds then
    // take about a second on one core, and a round dearer than that is made
    // once.
    double meanLevels = 0;
    for (int s : levels) meanLevels += s;
    meanLevels /= std::max<double>(1.0, static_cast<double>(levels.size()));
    const double cost = runs * p * p * std::sqrt(static_cast<double>(levels.size())) * std::max(1.0, meanLevels / 3);
    return std::clamp(static_cast<long long>(1.2e8 / std::max(cost, 1.0)), 1LL, 6000LL);
}

namespace {

// Past twice the candidates, the full factorial repeated: orthogonal, it
// gives the most information a run can, and it takes no search. The runs left
// over, C to 2C - 1 of them for C candidates, get a plan of their own from
// the recipe, so the search stays the size of the candidate set whatever N
// is; none are left over when C divides N.
RecipeResult replicatedFullFactorial(const LibraryEntries& lib, const RecipeSettings& settings) {
    const ModelSettings& m = settings.model;
    const int c = static_cast<int>(candidateCount(m.levels));
    const int copies = m.runs % c == 0 ? m.runs / c : m.runs / c - 1;
    RecipeSettings rest = settings;
    rest.model.runs = m.runs - copies * c;
    // The stacking, scoring and printing of N runs come after the search.
    rest.seconds = std::max(0.0, settings.seconds - m.runs * kHostSecondsPerRun);
    const RecipeResult restPlan = rest.model.runs > 0 ? runRecipe(lib, rest) : RecipeResult{};
    Best best;
    best.plan = stacked(fullFactorial(m.levels, c), c, copies, restPlan.plan, rest.model.runs, m.levels.size());
    best.D = hostD(m, best.plan);
    best.stage = "the full factorial (" + std::to_string(c) + " runs) repeated " + std::to_string(copies) + " times";
    if (rest.model.runs > 0) best.stage += ", and for the other " + std::to_string(rest.model.runs) + " runs: " + restPlan.stage;
    return finish(lib, settings, best, restPlan.rounds, false);
}

}  // namespace

RecipeResult runRecipe(const LibraryEntries& lib, const RecipeSettings& settings) {
    const ModelSettings& m = settings.model;
    double columns = 1.0;
    for (int s : m.levels) {
        if (s < 2) throw std::invalid_argument("every factor needs at least 2 levels");
        columns += s - 1.0;
    }
    // The searches keep X (runs x p) and V (p x p): the same limit as the
    // library's arrays.
    if (columns * columns > kMaxModelCells || columns * std::max(m.runs, 0) > kMaxModelCells)
        throw std::length_error("the plan would be too large");
    if (m.levels.empty() || m.runs < modelColumns(m.levels))
        throw std::invalid_argument(std::to_string(m.runs) + " runs for " + std::to_string(modelColumns(m.levels)) +
                                    " model columns (need at least as many runs as columns)");
    // The searches stop a little before the deadline: the library's scoring
    // and polish of the final plan come after them.
    const double searchSeconds = settings.seconds - std::min(0.1, 0.05 * settings.seconds);
    Budget budget =
        settings.fixedWork ? Budget::rounds(fixedRounds(m.levels, m.runs)) : Budget::seconds(searchSeconds);
    if (std::optional<Best> found = lookUp(lib, m)) return finish(lib, settings, *found, budget.used());
    if (m.runs >= 2 * candidateCount(m.levels)) return replicatedFullFactorial(lib, settings);
    std::mt19937 rng(settings.seed);
    if (settings.progress) settings.progress("column-wise construction", 0.0, budget.elapsed());
    const int restarts = columnRestarts(m.levels, m.runs);
    const ColumnWiseResult cw =
        restarts > 0 ? columnWise(m.levels, m.runs, rng, restarts,
                                  [&] { return !settings.fixedWork && budget.elapsed() > kColumnShare * settings.seconds; })
                     : ColumnWiseResult{balancedRandomPlan(m.levels, m.runs, rng), false};
    Best best;
    best.offer(cw.plan, cw.orthogonal ? orthogonalBound(m.levels) : hostD(m, cw.plan),
               restarts > 0 ? "column-wise construction" : "random balanced plan");
    if (!cw.orthogonal) perturbationSearch(lib, settings, budget, rng, best);
    return finish(lib, settings, best, budget.used());
}

}  // namespace vxhost
