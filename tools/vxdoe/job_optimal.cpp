// vxdoe optimal: a D-optimal plan over the full factorial of qualitative
// factors. By default the host's recipe (host/optimal/recipe.h) within a
// time budget; with any of --start, --algo, --starts, --max-iter, --perturb
// or --no-catalogue, the stated sequence of library calls instead: the
// catalogue look-up, then the initial plan and exchange iterations until none
// is accepted, K starts on one seed stream, the best kept.
#include "host/optimal/model.h"
#include "host/optimal/recipe.h"
#include "tools/vxdoe/design_summary.h"
#include "tools/vxdoe/optimal_model.h"
#include "tools/vxdoe/output.h"
#include "tools/vxdoe/progress.h"
#include "tools/vxdoe/runs_file.h"
#include "tools/vxdoe/sheet_job.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// Every option of the job, read in one place.
struct Options {
    vxhost::ModelSettings model;
    bool stated = false;  // the stated sequence rather than the recipe
    int32_t nalgoStart = 2;
    int starts = 1, perturb = 0;
    bool catalogue = true;
    bool seeded = false;
    int32_t seed = 0;
    bool timed = false;  // --seconds given
    double seconds = 2.0;
    std::vector<std::string> names;  // the factors' columns
    std::string evaluate;            // --evaluate: the plan file scored instead of a search
};

// What only a search reads: with --evaluate each would be silently ignored.
const char* const kSearchOptions[] = {"runs", "seconds", "start", "algo", "criterion", "seed", "starts",
                                      "max-iter", "convergence", "perturb", "no-catalogue"};

int choice(const vxdoe::Args& args, const std::string& name, const std::vector<std::string>& values,
           const std::vector<int>& codes) {
    const std::string v = args.text(name, values.front());
    for (std::size_t i = 0; i < values.size(); ++i)
        if (v == values[i]) return codes[i];
    throw vxdoe::UsageError("--" + name + " takes " + values.front() + " or " + values.back());
}

Options readOptions(const vxdoe::Args& args) {
    Options o;
    o.model.levels = args.integers("levels");
    if (o.model.levels.empty())
        throw vxdoe::UsageError("optimal needs --levels L1,L2,... (or s^k,...), or --factor NAME=... for each factor");
    o.model.runs = args.integer("runs", 0);
    o.model.icrit = choice(args, "criterion", {"logdet", "det"}, {2, 1});
    o.model.icode = args.integer("coding", 1);
    if (o.model.icode != 1 && o.model.icode != 2) throw vxdoe::UsageError("--coding takes 1 or 2");
    o.model.convergence = args.number("convergence", 1e-9);
    for (const char* name : {"start", "algo", "starts", "max-iter", "perturb", "no-catalogue"})
        o.stated = o.stated || args.has(name);
    o.nalgoStart = choice(args, "start", {"sequential", "random"}, {2, 1});
    // The recipe's searches use the exhaustive exchange; the stated sequence
    // keeps its Fedorov-type default.
    o.model.nalgoIterate = o.stated ? choice(args, "algo", {"fedorov", "exhaustive"}, {12, 11}) : 11;
    o.starts = args.integer("starts", 1);
    o.model.maxIter = args.integer("max-iter", 100);
    if (o.starts < 1 || o.model.maxIter < 1) throw vxdoe::UsageError("--starts and --max-iter need at least 1");
    o.perturb = args.integer("perturb", 0);
    if (o.perturb < 0) throw vxdoe::UsageError("--perturb needs a count of at least 0");
    o.catalogue = !args.has("no-catalogue");
    o.seeded = args.has("seed");
    o.seed = args.integer("seed", 0);
    o.timed = args.has("seconds");
    o.seconds = args.number("seconds", 2.0);
    if (!(o.seconds >= 0.0 && o.seconds <= 86400.0)) throw vxdoe::UsageError("--seconds takes 0 to 86400");
    o.names = vxdoe::factorNames(args, static_cast<int>(o.model.levels.size()));
    o.evaluate = args.text("evaluate", "");
    if (args.has("evaluate")) {
        for (const char* name : kSearchOptions)
            if (args.has(name))
                throw vxdoe::UsageError(std::string("--evaluate scores the plan in its file; --") + name +
                                        " does not apply");
    } else if (o.model.runs < 1) {
        throw vxdoe::UsageError("optimal needs --runs N, or --evaluate FILE");
    }
    return o;
}

vxhost::LibraryEntries entriesOf(const vxdoe::Library& lib) {
    vxhost::LibraryEntries e;
    e.getFullPlanLines = lib.entry<decltype(Cpp_GetFullPlanLines)>("Cpp_GetFullPlanLines");
    e.getnColPlan = lib.entry<decltype(Cpp_GetnColPlan)>("Cpp_GetnColPlan");
    e.optiplanInit = lib.entry<decltype(Cpp_OptiplanInit)>("Cpp_OptiplanInit");
    e.optiplanIterate = lib.entry<decltype(Cpp_OptiplanIterate)>("Cpp_OptiplanIterate");
    e.normedDet = lib.entry<decltype(Cpp_NormedDet)>("Cpp_NormedDet");
    e.planGetOrtho = lib.entry<decltype(Cpp_PlanGetOrtho)>("Cpp_PlanGetOrtho");
    e.allocString = [&lib](const std::u16string& s) { return lib.allocString(s); };
    e.freeString = [&lib](BSTR b) { lib.freeString(b); };
    return e;
}

// The plan as level numbers, one run a row, and its figures: the stage that
// made it, D (the criterion the search scored, which is the D of the
// design's summary) and the D of an orthogonal plan, both to twelve digits,
// then the rest of the summary (design_summary.h) against the same bounds.
void report(vxdoe::Output& out, const Options& o, const vxhost::LevelPlan& plan, int runs, const std::string& stage,
            double D) {
    const int factors = static_cast<int>(o.model.levels.size());
    const std::vector<double> levels(plan.begin(), plan.end());
    out.table(vxdoe::columnMajor(o.names, levels.data(), runs, factors, true));
    out.figure("stage", stage);
    const double bound = vxhost::orthogonalBound(o.model.levels);
    out.figure("D", vxdoe::summary::twelveDigits(D));
    out.figure("bound", vxdoe::summary::twelveDigits(bound));
    const vxdoe::summary::Model model = vxdoe::summary::mainEffects(
        o.model.levels, o.model.icode, o.names, vxdoe::summary::rowsOf(levels.data(), runs, 0, factors));
    vxdoe::summary::report(out, model, {bound, vxhost::orthogonalA(o.model.levels)}, false);
}

int runRecipe(const vxdoe::Library& lib, const Options& o, vxdoe::Output& out) {
    const auto t0 = std::chrono::steady_clock::now();
    vxhost::RecipeSettings settings;
    settings.model = o.model;
    settings.seconds = o.seconds;
    settings.fixedWork = o.seeded && !o.timed;
    settings.seed = static_cast<uint32_t>(o.seeded ? o.seed : vxdoe::newSeed());
    vxdoe::Progress progress;
    settings.progress = [&progress](const std::string& s, double d, double t) {
        progress(s + ": best D " + vxdoe::shortest(vxdoe::summary::twelveDigits(d)), t);
    };
    vxhost::RecipeResult r;
    try {
        r = vxhost::runRecipe(entriesOf(lib), settings);
    } catch (const std::invalid_argument& e) {
        out.messages() << "vxdoe: cannot start: " << e.what() << "\n";
        return 1;
    } catch (const std::length_error& e) {
        throw vxdoe::UsageError(e.what());
    }
    out.seed(settings.seed);
    report(out, o, r.plan, o.model.runs, r.stage, r.D);
    out.figure("criterion_by", r.scoredByLibrary ? "library" : "host");
    out.figure("rounds", static_cast<double>(r.rounds));
    out.note("seconds", vxdoe::secondsSince(t0));
    if (r.D > 0) return 0;
    // The plan is printed, but it cannot be analysed: say so, and fail.
    out.messages() << "vxdoe: no plan found with a non-singular information matrix within the budget "
                      "(more --seconds or more runs may find one)\n";
    return 1;
}

// ----- the stated sequence ------------------------------------------------------------

// The library's code is named, so that a program reading the line knows the refusal.
void sayWhyNoStart(std::ostream& err, int32_t rc, const vxhost::LibraryPlan& pl) {
    err << "vxdoe: cannot start (library code " << rc << "): ";
    const double pairs = static_cast<double>(pl.N) * pl.nfullplan;
    if (rc == -1 && pl.p <= pl.N && pl.N <= pl.nfullplan)
        err << pl.N << " runs x " << pl.nfullplan << " candidates = " << pairs
            << " pairs to scan, more than the library scans in one call ("
            << (pairs > VX_OPTIMAL_MOST_EXCHANGE_PAIRS ? VX_OPTIMAL_MOST_EXCHANGE_PAIRS
                                                       : VX_OPTIMAL_MOST_SEQUENTIAL_PAIRS)
            << (pairs > VX_OPTIMAL_MOST_EXCHANGE_PAIRS ? "; fewer factors or levels" : " for a sequential start; try --start random")
            << ")\n";
    else if (rc == -1)
        err << pl.N << " runs for " << pl.nfullplan << " candidates and " << pl.p
            << " model columns (need columns <= runs <= candidates)\n";
    else
        err << "no plan showed every level with a non-singular information matrix\n";
}

int runStated(const vxdoe::Library& library, const Options& o, vxdoe::Output& out) {
    const vxhost::LibraryEntries lib = entriesOf(library);
    const auto t0 = std::chrono::steady_clock::now();
    try {
        if (o.catalogue && o.model.runs > 0)
            if (const auto found = vxhost::findOrthogonal(vxhost::catalogueSheets(lib), o.model.levels, o.model.runs))
                if (const auto pl = vxhost::fromLevels(lib, o.model, found->plan)) {
                    std::string stage = "orthogonal array: " + found->array->name;
                    if (found->copies > 1) stage += ", its runs repeated " + std::to_string(found->copies) + " times";
                    report(out, o, pl->levels(), pl->N, stage, vxhost::libraryD(lib, o.model, *pl));
                    out.figure("starts", 0.0);
                    out.note("seconds", vxdoe::secondsSince(t0));
                    return 0;
                }
        int32_t ioSeed = o.seed, oSeed = 0;
        VARIANT_BOOL seedInit = o.seeded ? -1 : 0;
        vxhost::LibraryPlan best;
        double bestD = -1.0;
        int32_t firstSeed = 0;
        for (int s = 0; s < o.starts; ++s) {
            vxhost::LibraryPlan pl = vxhost::allocatePlan(lib, o.model);
            const int32_t rc = vxhost::librarySearch(lib, o.model, o.nalgoStart, pl, &ioSeed, seedInit, &oSeed);
            if (rc != 0) {
                sayWhyNoStart(out.messages(), rc, pl);
                return 1;
            }
            if (s == 0) firstSeed = oSeed;
            double d = vxhost::libraryD(lib, o.model, pl);
            // Iterated local search: perturb the start's plan and keep what improves it.
            // Four or five runs: on 3^8 2^4 in 36 runs, two or three let the exchange
            // fall back into the same optimum, six cost more to repair than they find.
            std::mt19937 rng(static_cast<unsigned>(ioSeed));
            for (int k = 0; k < o.perturb; ++k) {
                const int count = 4 + static_cast<int>(rng() % 2);
                const std::optional<vxhost::LibraryPlan> next = vxhost::fromLevels(
                    lib, o.model, vxhost::withRunsRedrawn(pl.levels(), pl.N, o.model.levels, count, rng));
                if (!next) continue;
                const double dn = vxhost::libraryD(lib, o.model, *next);
                if (dn >= d) d = dn, pl = *next;
            }
            if (d > bestD) bestD = d, best = std::move(pl);
        }
        out.seed(firstSeed);
        report(out, o, best.levels(), best.N, "stated sequence", bestD);
        out.figure("starts", static_cast<double>(o.starts));
        out.note("seconds", vxdoe::secondsSince(t0));
        return 0;
    } catch (const std::length_error& e) {
        throw vxdoe::UsageError(e.what());
    }
}

// ----- a given plan -------------------------------------------------------------------

int levelIn(const std::string& cell, int s, const std::string& where) {
    char* end = nullptr;
    const long l = std::strtol(cell.c_str(), &end, 10);
    if (cell.empty() || end != cell.c_str() + cell.size() || l < 1 || l > s)
        throw vxdoe::UsageError(where + "\"" + cell + "\" is not a level from 1 to " + std::to_string(s));
    return static_cast<int>(l);
}

// The plan in a CSV file: a header row naming the factors as --names (or
// X1..Xk) does, then one run a line, each factor at a level 1..s of --levels.
// Column-major, as the library keeps plans.
vxhost::LevelPlan readPlan(const Options& o, int& runs) {
    const vxdoe::RunsFile file = vxdoe::readRuns("evaluate", o.evaluate, o.names);
    runs = static_cast<int>(file.runs.size());
    vxhost::LevelPlan plan;
    for (std::size_t j = 0; j < o.names.size(); ++j)
        for (std::size_t r = 0; r < file.runs.size(); ++r)
            plan.push_back(levelIn(file.runs[r][j], o.model.levels[j], file.where(r, j)));
    return plan;
}

int runEvaluate(const Options& o, vxdoe::Output& out) {
    int runs = 0;
    const vxhost::LevelPlan plan = readPlan(o, runs);
    const double logDet = vxhost::logDetInformation(plan, runs, o.model.levels, o.model.icode);
    report(out, o, plan, runs, "evaluated", vxhost::normedD(logDet, runs, vxhost::modelColumns(o.model.levels)));
    return 0;
}

int runOptimal(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    if (vxdoe::optimal_model::asked(args)) return vxdoe::optimal_model::run(args, out);
    const Options o = readOptions(args);
    if (!o.evaluate.empty()) return runEvaluate(o, out);
    return o.stated ? runStated(lib, o, out) : runRecipe(lib, o, out);
}

// The library search's options, then those of a model-based plan.
std::vector<vxdoe::Option> withModelOptions(std::vector<vxdoe::Option> options) {
    for (vxdoe::Option& o : vxdoe::optimal_model::options()) options.push_back(std::move(o));
    return options;
}

const vxdoe::JobRegistration kOptimal{
    {"optimal",
     "an optimal plan of N runs: D-optimal over the full factorial of qualitative factors, or for a model of "
     "numeric and categorical factors (--factor, --model)",
     withModelOptions({vxdoe::integers("levels", "level count of each factor; s^k stands for k factors of s levels")
          .atLeast(1)
          .shownAs("L1,L2,...|s^k,..."),
      vxdoe::integer("runs", "runs of the plan N (needed but with --evaluate)").atLeast(1),
      vxdoe::number("seconds", "time budget of the recipe; without it and with --seed, a fixed amount of work")
          .atLeast(0)
          .byDefault("2"),
      vxdoe::choice("start", "initial plan of the stated sequence (instead of the recipe)", {"sequential", "random"})
          .byDefault("sequential"),
      vxdoe::choice("algo", "exchange algorithm of the stated sequence", {"fedorov", "exhaustive"})
          .byDefault("fedorov"),
      vxdoe::choice("criterion", "criterion: log10 det(X'X) or det(X'X)", {"logdet", "det"}).byDefault("logdet"),
      vxdoe::integer("coding", "effects coding: 1 last level at -1, 2 first level").within(1, 2).byDefault("1"),
      vxdoe::sheet::seedOption(),
      vxdoe::integer("starts", "independent starts, the best kept: 1 of the stated sequence, a model-based search's as "
                               "its budget allows, unless given")
          .atLeast(1),
      vxdoe::integer("max-iter", "exchanges per call of the library").atLeast(1).byDefault("100"),
      vxdoe::number("convergence", "least gain of an accepted exchange").byDefault("1e-9"),
      vxdoe::integer("perturb", "rounds replacing four or five runs after each start of the stated sequence")
          .atLeast(0)
          .byDefault("0"),
      vxdoe::flag("no-catalogue", "stated sequence: search even when the catalogue holds an orthogonal array"),
      vxdoe::namesOption(),
      vxdoe::text("evaluate",
                  "score the plan in this CSV instead of searching: a header naming the factors as --names "
                  "(or X1..Xk), one run a line, levels 1..s (with --factor: values in their own units)")
          .shownAs("FILE")}),
     runOptimal,
     vxdoe::summary::helpNotes(
         "the main effects of its factors in the library's effects coding (a factor of s levels: s - 1 columns, name.1 .. name.(s-1), or name alone for s = 2)",
         "the full factorial of the levels; past 2^22 cells x columns it is not enumerated: max_SPV and G are then null and mean_SPV comes in closed form, trace(M^-1 W) with W the factorial's block-diagonal moment matrix")}};

}  // namespace
