#include "tools/vxdoe/optimal_model.h"

#include "host/evaluate/design_figures.h"
#include "host/model/constraint.h"
#include "host/model/model.h"
#include "host/model/region.h"
#include "host/optimal/criteria.h"
#include "host/optimal/model_exchange.h"
#include "tools/vxdoe/design_summary.h"
#include "tools/vxdoe/progress.h"
#include "tools/vxdoe/runs_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <random>
#include <stdexcept>
#include <thread>

namespace vxdoe::optimal_model {

namespace {

namespace model = vxhost::model;
namespace search = vxhost::optimal;

constexpr int kMostRuns = 10000;
constexpr int kMostThreads = 256;
// A seeded run without --seconds makes a fixed number of starts, whatever the
// machine: about as many as two seconds of one core make on the cases the
// README measures. A start costs about one unit per p^2 of each exact trial
// (a level of a discrete coordinate; 2m + 1 interpolation nodes of a
// continuous one of degree m) plus 1500 for the search along the
// interpolated polynomials, each coordinate of each run, over a few passes.
constexpr double kFixedWork = 3.3e8;
constexpr double kAlongPolynomials = 1500.0;
constexpr int kFewestStarts = 4, kMostStarts = 2000;

const char* const kModelOptions[] = {"factor",     "model",       "optimality", "constraint", "exclude",
                                     "augment",    "blocks",      "block-sizes", "threads"};
// What only the library's main-effects search reads.
const char* const kLibraryOptions[] = {"start",   "algo",        "criterion", "coding",
                                       "max-iter", "convergence", "perturb",   "no-catalogue"};

template <class F>
auto orUsage(const std::string& option, F&& read) {
    try {
        return read();
    } catch (const std::invalid_argument& e) {
        throw UsageError("--" + option + " " + e.what());
    }
}

// --factor, each NAME=...; or --levels as categorical factors of levels
// 1..s, named by --names.
std::vector<model::Factor> factorsOf(const Args& args) {
    std::vector<model::Factor> factors;
    if (args.has("factor")) {
        if (args.has("levels") || args.has("names"))
            throw UsageError("--factor names each factor and its levels; --levels and --names do not apply");
        for (const std::string& text : args.texts("factor"))
            factors.push_back(orUsage("factor", [&] { return model::parseFactor(text); }));
        return factors;
    }
    const std::vector<int> levels = args.integers("levels");
    const std::vector<std::string> names = factorNames(args, static_cast<int>(levels.size()));
    for (std::size_t j = 0; j < levels.size(); ++j) {
        if (levels[j] < 2) throw UsageError("--levels: a model-based plan needs at least 2 levels per factor");
        model::Factor f;
        f.name = names[j];
        f.kind = model::FactorKind::Categorical;
        f.levelCount = levels[j];
        for (int l = 1; l <= levels[j]; ++l) f.categories.push_back(std::to_string(l));
        factors.push_back(std::move(f));
    }
    return factors;
}

search::Objective objectiveOf(const Args& args) {
    const std::string name = args.text("optimality", "D");
    if (name == "A") return search::Objective::A;
    if (name == "I") return search::Objective::I;
    if (name == "G") return search::Objective::G;
    return search::Objective::D;
}

// The value a point holds for factor f, from a cell in the factor's own
// units or naming its level.
double coordinateOf(const model::Factor& f, const std::string& cell, const std::string& where) {
    if (!f.numeric()) {
        const auto at = std::find(f.categories.begin(), f.categories.end(), cell);
        if (at == f.categories.end()) throw UsageError(where + "\"" + cell + "\" is not a level of " + f.name);
        return static_cast<double>(at - f.categories.begin());
    }
    char* end = nullptr;
    const double own = std::strtod(cell.c_str(), &end);
    if (cell.empty() || end != cell.c_str() + cell.size() || !std::isfinite(own))
        throw UsageError(where + "\"" + cell + "\" is not a number");
    const double coded = f.coded(own);
    if (std::fabs(coded) > 1.0 + 1e-9) throw UsageError(where + cell + " lies outside " + f.name + "'s range");
    if (!f.discrete()) return std::clamp(coded, -1.0, 1.0);
    const std::vector<double> levels = f.levelValues();
    const double nearest = levels[static_cast<std::size_t>(std::lround((coded + 1.0) / 2.0 * (f.levelCount - 1)))];
    if (std::fabs(nearest - coded) > 1e-9) throw UsageError(where + cell + " is not one of " + f.name + "'s levels");
    return nearest;
}

// The runs of a file as points, one after another.
std::vector<double> pointsIn(const std::string& option, const std::string& path, const std::vector<model::Factor>& factors) {
    std::vector<std::string> names;
    for (const model::Factor& f : factors) names.push_back(f.name);
    const RunsFile file = readRuns(option, path, names);
    std::vector<double> points;
    for (std::size_t r = 0; r < file.runs.size(); ++r)
        for (std::size_t j = 0; j < factors.size(); ++j) points.push_back(coordinateOf(factors[j], file.runs[r][j], file.where(r, j)));
    return points;
}

// The block of each run: --block-sizes as given, or --blocks B as equal as
// possible, the larger first. Empty without blocks.
std::vector<int> blocksOf(const Args& args, int runs) {
    std::vector<int> sizes;
    if (args.has("block-sizes")) {
        if (args.has("blocks")) throw UsageError("--blocks and --block-sizes say the same thing: give one");
        sizes = args.integers("block-sizes");
        if (std::accumulate(sizes.begin(), sizes.end(), 0LL) != runs)
            throw UsageError("--block-sizes must add up to --runs (" + std::to_string(runs) + ")");
    } else if (args.has("blocks")) {
        const int b = args.integer("blocks", 1);
        if (b > runs) throw UsageError("--blocks " + std::to_string(b) + " for " + std::to_string(runs) + " runs");
        for (int k = 0; k < b; ++k) sizes.push_back(runs / b + (k < runs % b ? 1 : 0));
    }
    if (sizes.size() == 1) sizes.clear();  // one block is no blocking
    std::vector<int> blockOf;
    for (std::size_t k = 0; k < sizes.size(); ++k) blockOf.insert(blockOf.end(), static_cast<std::size_t>(sizes[k]), static_cast<int>(k));
    return blockOf;
}

// Orthogonal +-1 plans bound D and A at 1 when every model column is a
// product of two-level terms: a numeric factor to the first power or a
// categorical factor of two levels.
bool twoLevelTerms(const model::Model& m) {
    for (const model::Term& t : m.terms())
        for (std::size_t j = 0; j < t.powers.size(); ++j) {
            const model::Factor& f = m.factors()[j];
            if (t.powers[j] > 1 || (t.powers[j] == 1 && !f.numeric() && f.levelCount > 2) || (t.powers[j] > 0 && f.block))
                return false;
        }
    return true;
}

// The plan in the factors' own units: numbers, and level names.
Table tableOf(const model::Model& m, const std::vector<double>& points) {
    Table t;
    for (const model::Factor& f : m.factors()) t.columns.push_back(f.name);
    const std::size_t k = m.factors().size();
    for (std::size_t at = 0; at < points.size(); at += k) {
        std::vector<Value> row;
        for (std::size_t j = 0; j < k; ++j) {
            const model::Factor& f = m.factors()[j];
            if (f.numeric()) row.push_back(number(snapped(f.own(points[at + j]), std::max(std::fabs(f.low), std::fabs(f.high)))));
            else row.push_back(f.categories[static_cast<std::size_t>(points[at + j])]);
        }
        t.rows.push_back(std::move(row));
    }
    return t;
}

Value figure(double v) { return number(summary::twelveDigits(v)); }

// D, A, I and G of the plan, the efficiencies a bound is known for, and the
// figures of its model columns.
void reportCriteria(Output& out, const model::Model& m, const model::Region& region, const std::vector<double>& points) {
    const Eigen::MatrixXd X = m.matrix(points);
    const search::Criteria c = search::criteriaOf(m, region, X, search::regionMoments(m, region));
    const double none = std::nan("");
    out.figure("D", figure(c.D));
    out.figure("A", figure(c.singular ? none : c.A));
    out.figure("I", figure(c.singular ? none : c.I));
    out.figure("G", figure(c.singular ? none : c.G));
    const bool bounded = twoLevelTerms(m);
    out.figure("D_efficiency", figure(bounded ? 100.0 * c.D : none));
    out.figure("A_efficiency", figure(bounded && !c.singular ? 100.0 / c.A : none));
    out.figure("G_efficiency", figure(c.singular ? none : 100.0 * m.treatmentColumns().sum() / c.G));
    vxhost::ModelMatrix rows{static_cast<int>(X.rows()), static_cast<int>(X.cols()), {}};
    for (Eigen::Index r = 0; r < X.rows(); ++r)
        for (Eigen::Index col = 0; col < X.cols(); ++col) rows.cells.push_back(X(r, col));
    const std::vector<std::string> terms(m.columnNames().begin() + 1, m.columnNames().end());
    summary::reportColumns(out, terms, vxhost::evaluateDesign(rows, vxhost::ModelMatrix{}));
}

// --runs, or else the sum of --block-sizes; 0 when neither is given.
int runsOf(const Args& args) {
    if (args.has("runs")) return args.integer("runs", 0);
    const std::vector<int> sizes = args.integers("block-sizes");
    const long long sum = std::accumulate(sizes.begin(), sizes.end(), 0LL);
    if (sum > kMostRuns) throw UsageError("--block-sizes: at most " + std::to_string(kMostRuns) + " runs in a model-based plan");
    return static_cast<int>(sum);
}

struct Plan {
    model::Model model;
    model::Region region;
};

Plan planOf(const Args& args) {
    std::vector<model::Factor> factors = factorsOf(args);
    std::vector<model::LinearConstraint> constraints;
    for (const std::string& text : args.texts("constraint"))
        constraints.push_back(orUsage("constraint", [&] { return model::parseConstraint(factors, text); }));
    std::vector<model::Exclusion> exclusions;
    for (const std::string& text : args.texts("exclude"))
        exclusions.push_back(orUsage("exclude", [&] { return model::parseExclusion(factors, text); }));
    model::Model m = orUsage("model", [&] { return model::Model::parse(factors, args.text("model", "main")); });
    const int runs = runsOf(args);
    if (!args.has("evaluate") && runs < 1) throw UsageError("optimal needs --runs N, or --evaluate FILE");
    if (args.has("blocks") || args.has("block-sizes")) {
        const std::vector<int> blockOf = blocksOf(args, runs);
        if (!blockOf.empty()) m = m.withBlocks(blockOf.back() + 1);
    }
    return {m, model::Region(m.factors(), std::move(constraints), std::move(exclusions))};
}

void refuseLibraryOptions(const Args& args) {
    for (const char* name : kLibraryOptions)
        if (args.has(name))
            throw UsageError(std::string("--") + name + " belongs to the library's main-effects search; it does not apply to a model-based plan");
}

int evaluate(const Args& args, Output& out) {
    for (const char* name : {"runs", "seconds", "seed", "starts", "optimality", "augment", "blocks", "block-sizes", "threads"})
        if (args.has(name))
            throw UsageError(std::string("--evaluate scores the plan in its file; --") + name + " does not apply");
    const Plan plan = planOf(args);
    const std::vector<double> points = pointsIn("evaluate", args.text("evaluate", ""), plan.model.factors());
    out.table(tableOf(plan.model, points));
    out.figure("stage", "evaluated");
    reportCriteria(out, plan.model, plan.region, points);
    return 0;
}

// The trace criteria cost more a start: each trial also forms Q y
// (Q = V B V), each accepted change updates Q, and their passes close in on
// the optimum more slowly. Measured on the README's cases.
double costPerStart(search::Objective o) {
    switch (o) {
        case search::Objective::A: return 3.0;
        case search::Objective::I: return 6.0;
        case search::Objective::G: return 2.0;
        case search::Objective::D: break;
    }
    return 1.0;
}

int fixedStarts(const model::Model& m, int freeRuns, search::Objective objective) {
    const double p = m.columns();
    double perRun = 0.0;
    for (std::size_t j = 0; j < m.factors().size(); ++j) {
        const model::Factor& f = m.factors()[j];
        if (f.block) continue;
        perRun += f.discrete() ? f.levelCount * p * p : (2 * m.highestPower(j) + 1) * p * p + kAlongPolynomials;
    }
    const double work = std::max(1, freeRuns) * perRun * costPerStart(objective);
    return static_cast<int>(std::clamp(kFixedWork / work, static_cast<double>(kFewestStarts), static_cast<double>(kMostStarts)));
}

const char* objectiveName(search::Objective o) {
    switch (o) {
        case search::Objective::A: return "A";
        case search::Objective::I: return "I";
        case search::Objective::G: return "G";
        case search::Objective::D: break;
    }
    return "D";
}

}  // namespace

std::vector<Option> options() {
    return {
        text("factor", "a factor of a model-based plan: NAME=LOW:HIGH (continuous), NAME=LOW:HIGH/K (K levels) or "
                       "NAME=a|b|c (categorical); once per factor")
            .repeatable()
            .shownAs("NAME=..."),
        text("model", "main, interactions, quadratic, or terms joined by + (a*b, a^2)").byDefault("main"),
        choice("optimality", "the criterion a model-based plan is optimised for", {"D", "A", "I", "G"}).byDefault("D"),
        text("constraint", "a linear inequality over numeric factors in their own units, e.g. \"a + 2*b <= 300\"")
            .repeatable()
            .shownAs("EXPR"),
        text("exclude", "a combination no run may have, e.g. \"cat=a,temp>180\"").repeatable().shownAs("COND,..."),
        text("augment", "a CSV of runs to keep (a header naming the factors, values in their own units); --runs counts them")
            .shownAs("FILE"),
        integer("blocks", "blocks of sizes as equal as possible, their effects in the model").atLeast(1),
        integers("block-sizes", "the size of each block").atLeast(1),
        integer("threads", "threads the independent starts run on [default: every core]").within(1, kMostThreads),
    };
}

bool asked(const Args& args) {
    return std::any_of(std::begin(kModelOptions), std::end(kModelOptions), [&](const char* name) { return args.has(name); });
}

int run(const Args& args, Output& out) {
    refuseLibraryOptions(args);
    if (args.has("evaluate")) return evaluate(args, out);
    const auto t0 = std::chrono::steady_clock::now();
    const Plan plan = planOf(args);
    const int runs = runsOf(args);
    if (runs > kMostRuns) throw UsageError("--runs: at most " + std::to_string(kMostRuns) + " runs in a model-based plan");
    std::vector<double> kept;
    if (args.has("augment")) {
        if (args.has("blocks") || args.has("block-sizes"))
            throw UsageError("--augment with blocks is not supported: the kept runs have no block to sit in");
        kept = pointsIn("augment", args.text("augment", ""), plan.model.factors());
        const std::size_t count = kept.size() / plan.model.factors().size();
        if (count > static_cast<std::size_t>(runs))
            throw UsageError("--augment holds " + std::to_string(count) + " runs; --runs " + std::to_string(runs) +
                             " counts them and must be at least that");
    }
    const std::size_t keptRuns = kept.size() / plan.model.factors().size();
    const std::vector<int> blockOf = blocksOf(args, runs);
    const search::PlanProblem problem{plan.model, plan.region, runs, kept, blockOf};

    const search::Objective objective = objectiveOf(args);
    search::SearchSettings settings;
    const bool seeded = args.has("seed");
    settings.seed = static_cast<uint32_t>(seeded ? args.integer("seed", 0) : newSeed());
    const bool timed = args.has("seconds") || !seeded;
    settings.seconds = args.number("seconds", 2.0);
    if (!(settings.seconds >= 0.0 && settings.seconds <= 86400.0)) throw UsageError("--seconds takes 0 to 86400");
    if (args.has("starts") && args.has("seconds")) throw UsageError("--starts and --seconds both bound the search: give one");
    settings.starts = args.has("starts") ? args.integer("starts", 1)
                      : timed            ? 0
                                         : fixedStarts(plan.model, runs - static_cast<int>(keptRuns), objective);
    settings.threads = args.integer("threads", static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    Progress progress;
    settings.progress = [&](int starts, double loss) {
        progress(std::to_string(starts) + " starts: best " + objectiveName(objective) + " loss " +
                     shortest(summary::twelveDigits(loss)),
                 secondsSince(t0));
    };
    search::ExchangeResult r;
    try {
        r = search::searchPlan(problem, objective, settings);
    } catch (const std::invalid_argument& e) {
        out.messages() << "vxdoe: cannot start: " << e.what() << "\n";
        return 1;
    }
    out.seed(settings.seed);
    out.table(tableOf(plan.model, r.points));
    out.figure("stage", "coordinate exchange");
    out.figure("optimality", std::string(objectiveName(objective)));
    out.figure("model", [&] {
        std::string terms;
        for (std::size_t c = 1; c < plan.model.columnNames().size(); ++c) terms += (c > 1 ? "+" : "") + plan.model.columnNames()[c];
        return terms;
    }());
    out.figure("columns", static_cast<double>(plan.model.columns()));
    out.figure("kept", static_cast<double>(keptRuns));
    reportCriteria(out, plan.model, plan.region, r.points);
    out.figure("starts", static_cast<double>(r.starts));
    out.note("threads", static_cast<double>(settings.threads));
    out.note("seconds", secondsSince(t0));
    if (r.regular) return 0;
    out.messages() << "vxdoe: no plan found with a non-singular information matrix within the budget "
                      "(more --seconds, more runs or a smaller model may find one)\n";
    return 1;
}

}  // namespace vxdoe::optimal_model
