// vxdoe optimal: a D-optimal plan over the full factorial of qualitative
// factors. By default the host's recipe (host/optimal/recipe.h) within a
// time budget; with any of --start, --algo, --starts, --max-iter, --perturb
// or --no-catalogue, the stated sequence of library calls instead: the
// catalogue look-up, then the initial plan and exchange iterations until none
// is accepted, K starts on one seed stream, the best kept.
#include "host/optimal/model.h"
#include "host/optimal/recipe.h"
#include "tools/vxdoe/output.h"
#include "tools/vxdoe/sheet_job.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>

#ifdef _WIN32
#include <io.h>
#define VX_ISATTY(fd) _isatty(fd)
#define VX_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define VX_ISATTY(fd) isatty(fd)
#define VX_FILENO(f) fileno(f)
#endif

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
};

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
    if (o.model.levels.empty()) throw vxdoe::UsageError("optimal needs --levels L1,L2,... (or s^k,...)");
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

// Logarithms and powers may differ in their last bit between C runtimes;
// twelve significant digits print the same everywhere.
double twelveDigits(double v) {
    if (v == 0.0 || !std::isfinite(v)) return v;
    const double scale = std::pow(10.0, 11 - static_cast<int>(std::floor(std::log10(std::fabs(v)))));
    return std::round(v * scale) / scale;
}

// The plan as level numbers, one run a row, and its figures: the stage that
// made it, D and the D of an orthogonal plan, both to twelve digits.
void report(vxdoe::Output& out, const Options& o, const vxhost::LevelPlan& plan, int runs, const std::string& stage,
            double D) {
    const int factors = static_cast<int>(o.model.levels.size());
    const std::vector<double> levels(plan.begin(), plan.end());
    out.table(vxdoe::columnMajor(o.names, levels.data(), runs, factors, true));
    out.figure("stage", stage);
    out.figure("D", twelveDigits(D));
    out.figure("bound", twelveDigits(vxhost::orthogonalBound(o.model.levels)));
}

double secondsSince(std::chrono::steady_clock::time_point t0) {
    return std::round(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() * 1000) / 1000;
}

// One line on stderr, rewritten in place, at most five times a second.
class Progress {
public:
    Progress() : shown_(VX_ISATTY(VX_FILENO(stderr)) != 0) {}
    ~Progress() {
        if (wrote_) std::cerr << "\r\033[K" << std::flush;
    }
    void operator()(const std::string& stage, double bestD, double elapsed) {
        if (!shown_ || elapsed < last_ + 0.2) return;
        last_ = elapsed;
        wrote_ = true;
        std::cerr << "\r\033[K" << stage << ": best D " << twelveDigits(bestD) << ", " << std::round(elapsed * 10) / 10
                  << " s" << std::flush;
    }

private:
    bool shown_;
    bool wrote_ = false;
    double last_ = -1.0;
};

int runRecipe(const vxdoe::Library& lib, const Options& o, vxdoe::Output& out) {
    const auto t0 = std::chrono::steady_clock::now();
    vxhost::RecipeSettings settings;
    settings.model = o.model;
    settings.seconds = o.seconds;
    settings.fixedWork = o.seeded && !o.timed;
    settings.seed = o.seeded ? static_cast<uint32_t>(o.seed) : std::random_device{}();
    Progress progress;
    settings.progress = [&progress](const std::string& s, double d, double t) { progress(s, d, t); };
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
    out.note("seconds", secondsSince(t0));
    if (r.D > 0) return 0;
    // The plan is printed, but it cannot be analysed: say so, and fail.
    out.messages() << "vxdoe: no plan found with a non-singular information matrix within the budget "
                      "(more --seconds or more runs may find one)\n";
    return 1;
}

// ----- the stated sequence ------------------------------------------------------------

void sayWhyNoStart(std::ostream& err, int32_t rc, const vxhost::LibraryPlan& pl) {
    err << "vxdoe: cannot start: ";
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
                    out.note("seconds", secondsSince(t0));
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
        out.note("seconds", secondsSince(t0));
        return 0;
    } catch (const std::length_error& e) {
        throw vxdoe::UsageError(e.what());
    }
}

int runOptimal(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    const Options o = readOptions(args);
    return o.stated ? runStated(lib, o, out) : runRecipe(lib, o, out);
}

const vxdoe::JobRegistration kOptimal{
    {"optimal",
     "a D-optimal plan of N runs over the full factorial of qualitative factors",
     {vxdoe::integers("levels", "level count of each factor; s^k stands for k factors of s levels")
          .atLeast(1)
          .mandatory()
          .shownAs("L1,L2,...|s^k,..."),
      vxdoe::integer("runs", "runs of the plan N").atLeast(1).mandatory(),
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
      vxdoe::integer("starts", "independent starts of the stated sequence, the best kept").atLeast(1).byDefault("1"),
      vxdoe::integer("max-iter", "exchanges per call of the library").atLeast(1).byDefault("100"),
      vxdoe::number("convergence", "least gain of an accepted exchange").byDefault("1e-9"),
      vxdoe::integer("perturb", "rounds replacing four or five runs after each start of the stated sequence")
          .atLeast(0)
          .byDefault("0"),
      vxdoe::flag("no-catalogue", "stated sequence: search even when the catalogue holds an orthogonal array"),
      vxdoe::namesOption()},
     runOptimal}};

}  // namespace
