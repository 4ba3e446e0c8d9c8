// vxdoe optimal: a D-optimal plan over the full factorial of qualitative
// factors, driven as a host drives it: the counts, the initial plan, then
// exchange iterations until none is accepted; with --starts K, K independent
// starts continuing one seed stream, the best kept. When the catalogue holds
// an orthogonal array for the factors in N runs, that array is the answer.
#include "tools/vxdoe/catalogue_sheets.h"
#include "tools/vxdoe/host.h"
#include "tools/vxdoe/sheet_job.h"

#include <chrono>
#include <cmath>
#include <iostream>
#include <optional>
#include <random>

namespace {

constexpr double kNoValue = VX_NO_VALUE;
// The host gives up on a plan larger than this many model cells.
constexpr long long kMaxCells = 50'000'000;

struct Options {
    std::vector<int32_t> levels;
    int32_t runs, nalgoStart, nalgoIterate, icrit, icode, maxIter, starts, perturb;
    double convergence;
};

struct Plan {
    int32_t nbFact, nfullplan, p, N;
    std::vector<BSTR> cats, q;
    std::vector<double> planOpt, planDisp, critvalopt, vopt, chol;
    std::vector<int32_t> iopt, nbrOpt;
    std::vector<VARIANT_BOOL> delta;
    std::vector<double> history;  // criterion after init and after each exchange
    int32_t startIter = 0;
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
    o.levels = args.integers("levels");
    if (o.levels.empty()) throw vxdoe::UsageError("optimal needs --levels L1,L2,...");
    o.runs = args.integer("runs", 0);
    o.nalgoStart = choice(args, "start", {"sequential", "random"}, {2, 1});
    o.nalgoIterate = choice(args, "algo", {"fedorov", "exhaustive"}, {12, 11});
    o.icrit = choice(args, "criterion", {"logdet", "det"}, {2, 1});
    o.icode = args.integer("coding", 1);
    if (o.icode != 1 && o.icode != 2) throw vxdoe::UsageError("--coding takes 1 or 2");
    o.starts = args.integer("starts", 1);
    o.maxIter = args.integer("max-iter", 100);
    if (o.starts < 1 || o.maxIter < 1) throw vxdoe::UsageError("--starts and --max-iter need at least 1");
    o.convergence = args.number("convergence", 1e-9);
    o.perturb = args.integer("perturb", 0);
    if (o.perturb < 0) throw vxdoe::UsageError("--perturb needs a count of at least 0");
    return o;
}

Plan allocate(const vxdoe::Library& lib, const Options& o) {
    Plan pl;
    pl.nbFact = static_cast<int32_t>(o.levels.size());
    std::vector<int32_t> levels = o.levels;
    pl.nfullplan = lib.entry<decltype(Cpp_GetFullPlanLines)>("Cpp_GetFullPlanLines")(pl.nbFact, levels.data());
    pl.p = lib.entry<decltype(Cpp_GetnColPlan)>("Cpp_GetnColPlan")(pl.nbFact, levels.data());
    pl.N = o.runs;
    const long long n = std::max(pl.N, 0), p = std::max(pl.p, 1);
    if (n * p > kMaxCells || p * p > kMaxCells) throw vxdoe::UsageError("the plan would be too large");
    pl.cats.assign(static_cast<std::size_t>(pl.nbFact), nullptr);
    pl.q.assign(static_cast<std::size_t>(n * pl.nbFact), nullptr);
    pl.planOpt.assign(static_cast<std::size_t>(n * p), 0.0);
    pl.planDisp.assign(static_cast<std::size_t>(n * (pl.nbFact + 4)), 0.0);
    pl.critvalopt.assign(static_cast<std::size_t>(n), 0.0);
    pl.iopt.assign(static_cast<std::size_t>(n), 0);
    pl.nbrOpt.assign(static_cast<std::size_t>(n), 0);
    pl.delta.assign(static_cast<std::size_t>(n), 0);
    pl.vopt.assign(static_cast<std::size_t>(p * p), 0.0);
    pl.chol.assign(static_cast<std::size_t>(p * p), 0.0);
    return pl;
}

void sayWhyNoStart(std::ostream& err, int32_t rc, const Plan& pl) {
    err << "vxdoe: cannot start: ";
    if (rc == -1)
        err << pl.N << " runs for " << pl.nfullplan << " candidates and " << pl.p
            << " model columns (need columns <= runs <= candidates)\n";
    else
        err << "no plan showed every level with a non-singular information matrix\n";
}

// One start: the initial plan, then iterations until none is accepted.
int32_t search(const vxdoe::Library& lib, const Options& o, int32_t nalgoStart, Plan& pl, int32_t* ioSeed,
               VARIANT_BOOL& seedInit, int32_t* oSeed) {
    std::vector<int32_t> levels = o.levels;
    const int32_t rc = lib.entry<decltype(Cpp_OptiplanInit)>("Cpp_OptiplanInit")(
        pl.nbFact, levels.data(), 0, pl.cats.data(), nullptr, 0, 1, o.icode, o.icrit, -1, 0, nalgoStart, pl.N,
        pl.nfullplan, pl.p, ioSeed, seedInit, oSeed, pl.q.data(), pl.planOpt.data(), pl.planDisp.data(),
        pl.iopt.data(), pl.critvalopt.data(), pl.nbrOpt.data(), pl.delta.data(), pl.vopt.data(), pl.chol.data());
    seedInit = -1;  // later starts continue the stream from *ioSeed
    if (rc != 0) return rc;
    const auto iterate = lib.entry<decltype(Cpp_OptiplanIterate)>("Cpp_OptiplanIterate");
    std::vector<double> history(pl.critvalopt);
    pl.startIter = pl.N;
    for (;;) {
        history.resize(static_cast<std::size_t>(pl.startIter) + o.maxIter, 0.0);
        int32_t accepted = 0;
        iterate(pl.nbFact, levels.data(), 0, o.icode, o.icrit, -1, 0, o.nalgoIterate, pl.N, pl.nfullplan, pl.p,
                nullptr, 0, nullptr, o.maxIter, pl.startIter, o.convergence, &accepted, pl.planOpt.data(),
                pl.planDisp.data(), pl.iopt.data(), history.data(), pl.nbrOpt.data(), pl.delta.data(),
                pl.vopt.data(), pl.chol.data());
        pl.startIter += accepted;
        if (accepted == 0) break;
    }
    pl.history.assign(history.begin() + (pl.N - 1), history.begin() + pl.startIter);
    return 0;
}

// Logarithms and powers may differ in their last bit between C runtimes;
// twelve significant digits print the same everywhere.
double twelveDigits(double v) {
    if (v == 0.0 || !std::isfinite(v)) return v;
    const double scale = std::pow(10.0, 11 - static_cast<int>(std::floor(std::log10(std::fabs(v)))));
    return std::round(v * scale) / scale;
}

// det(X'X / N)^(1/p) of the final plan.
double normedD(const vxdoe::Library& lib, const Options& o, const Plan& pl) {
    const double crit = pl.history.back();
    const double log10Det = o.icrit == 1 ? (crit > 0 ? std::log10(crit) : kNoValue) : crit;
    const double normed = lib.entry<decltype(Cpp_NormedDet)>("Cpp_NormedDet")(log10Det, pl.N, pl.p);
    return normed == kNoValue ? 0.0 : std::pow(10.0, normed);
}

void printPlan(std::ostream& out, const Plan& pl) {
    std::vector<std::string> header;
    for (int f = 1; f <= pl.nbFact; ++f) header.push_back(std::string("X").append(std::to_string(f)));
    std::vector<double> levels(pl.planDisp.begin() + 4LL * pl.N, pl.planDisp.end());
    vxdoe::printTable(out, header, levels.data(), pl.N, pl.nbFact);
}

// The plan whose run r, factor j holds levels[j * N + r], handed to the
// library as level labels (a start from a given plan) and improved. Nothing
// when the library cannot start from it.
std::optional<Plan> improvedFrom(const vxdoe::Library& lib, const Options& o, const std::vector<int>& levels) {
    Plan pl = allocate(lib, o);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const std::string label = std::to_string(levels[i]);
        pl.q[i] = lib.allocString(std::u16string(label.begin(), label.end()));
    }
    int32_t unusedSeed = 0, unusedOut = 0;
    VARIANT_BOOL init = -1;
    const int32_t rc = search(lib, o, 3, pl, &unusedSeed, init, &unusedOut);
    for (BSTR b : pl.q) lib.freeString(b);
    pl.q.assign(pl.q.size(), nullptr);
    if (rc != 0) return std::nullopt;
    return pl;
}

// The plan with a few runs replaced by random candidates, improved again.
// Four or five runs: on 3^8·2^4 in 36 runs, two or three let the exchange
// fall back into the same optimum, six cost more to repair than they find.
std::optional<Plan> perturbed(const vxdoe::Library& lib, const Options& o, const Plan& from, std::mt19937& rng) {
    std::vector<int> levels(from.planDisp.begin() + 4LL * from.N, from.planDisp.end());
    const int replaced = 4 + static_cast<int>(rng() % 2);
    for (int k = 0; k < replaced; ++k) {
        const int r = static_cast<int>(rng() % static_cast<unsigned>(from.N));
        for (int j = 0; j < from.nbFact; ++j) {
            const int level = 1 + static_cast<int>(rng() % static_cast<unsigned>(o.levels[j]));
            levels[static_cast<std::size_t>(j) * from.N + r] = level;
        }
    }
    return improvedFrom(lib, o, levels);
}

// An orthogonal array is D-optimal for the main-effects model, and the
// catalogue holds many that exchanges rarely reach (saturated 2-level
// arrays, 3^13 in 27 runs, 5^6 in 25). The first entry with a column for
// every factor (6 levels serving 2 or 3, 4 serving 2) and a run count
// dividing N, its runs repeated up to N.
struct OrthogonalStart {
    int entry = 0;
    int copies = 0;
    std::vector<int> levels;  // N x factors, column-major
};

std::optional<OrthogonalStart> orthogonalStart(const vxdoe::Library& lib, const Options& o) {
    namespace cat = vxdoe::catalogue;
    const long long cells = static_cast<long long>(o.runs) * static_cast<long long>(o.levels.size());
    if (o.runs < 1 || o.levels.size() > static_cast<std::size_t>(cat::kMaxColumns) || cells > kMaxCells)
        return std::nullopt;  // the search says why it cannot start
    for (int32_t s : o.levels)
        if (s < 2 || s > 6) return std::nullopt;  // the catalogue's level counts
    for (int32_t number = 1; number <= cat::kEntries; ++number) {
        const cat::Fetched f = cat::fetch(lib, number);
        if (f.sheet.runs < 1 || o.runs % f.sheet.runs != 0) continue;
        const std::optional<cat::Sheet> columns = cat::inFactorOrder(f.sheet, o.levels, true);
        if (!columns) continue;
        OrthogonalStart start{number, o.runs / f.sheet.runs, {}};
        for (int c = 0; c < columns->columns; ++c) {
            const auto column = columns->cells.begin() + static_cast<std::ptrdiff_t>(c) * f.sheet.runs;
            for (int r = 0; r < o.runs; ++r) start.levels.push_back(static_cast<int>(column[r % f.sheet.runs]));
        }
        return start;
    }
    return std::nullopt;
}

void report(std::ostream& out, const Plan& best, double bestD, int starts) {
    vxdoe::printRow(out, {"step", "criterion"});
    for (std::size_t k = 0; k < best.history.size(); ++k)
        vxdoe::printRow(out, {std::to_string(k), vxdoe::formatNumber(twelveDigits(best.history[k]))});
    printPlan(out, best);
    vxdoe::printRow(out, {"D", "starts"});
    vxdoe::printRow(out, {vxdoe::formatNumber(twelveDigits(bestD)), std::to_string(starts)});
}

int runOptimal(const vxdoe::Library& lib, const vxdoe::Args& args, std::ostream& out) {
    const Options o = readOptions(args);
    const auto t0 = std::chrono::steady_clock::now();
    const auto secondsSoFar = [&] {
        return std::round(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() * 1000) / 1000;
    };
    if (!args.has("no-catalogue"))
        if (const std::optional<OrthogonalStart> oa = orthogonalStart(lib, o))
            if (const std::optional<Plan> pl = improvedFrom(lib, o, oa->levels)) {
                out << "# orthogonal array: catalogue entry " << oa->entry;
                if (oa->copies > 1) out << ", its runs repeated " << oa->copies << " times";
                out << "\n";
                report(out, *pl, normedD(lib, o, *pl), 0);
                std::cerr << secondsSoFar() << " s\n";
                return 0;
            }
    int32_t ioSeed = args.integer("seed", 0), oSeed = 0;
    VARIANT_BOOL seedInit = args.has("seed") ? -1 : 0;
    Plan best;
    double bestD = -1.0;
    int32_t firstSeed = 0;
    for (int s = 0; s < o.starts; ++s) {
        Plan pl = allocate(lib, o);
        const int32_t rc = search(lib, o, o.nalgoStart, pl, &ioSeed, seedInit, &oSeed);
        if (rc != 0) {
            sayWhyNoStart(std::cerr, rc, pl);
            return 1;
        }
        if (s == 0) firstSeed = oSeed;
        double d = normedD(lib, o, pl);
        // Iterated local search: perturb the start's plan and keep what improves it.
        std::mt19937 rng(static_cast<unsigned>(ioSeed));
        for (int k = 0; k < o.perturb; ++k) {
            std::optional<Plan> next = perturbed(lib, o, pl, rng);
            if (!next) continue;
            const double dn = normedD(lib, o, *next);
            if (dn >= d) d = dn, pl = std::move(*next);
        }
        if (d > bestD) bestD = d, best = std::move(pl);
    }
    report(out, best, bestD, o.starts);
    // The time and the seed vary from run to run: they go to stderr.
    std::cerr << "seed " << firstSeed << ", " << secondsSoFar() << " s\n";
    return 0;
}

const vxdoe::JobRegistration kOptimal{
    {"optimal",
     "a D-optimal plan of N runs over the full factorial of qualitative factors",
     {vxdoe::integers("levels", "level count of each factor").atLeast(1).mandatory().shownAs("L1,L2,..."),
      vxdoe::integer("runs", "runs of the plan N").atLeast(1).mandatory(),
      vxdoe::choice("start", "initial plan", {"sequential", "random"}).byDefault("sequential"),
      vxdoe::choice("algo", "exchange algorithm", {"fedorov", "exhaustive"}).byDefault("fedorov"),
      vxdoe::choice("criterion", "criterion: log10 det(X'X) or det(X'X)", {"logdet", "det"}).byDefault("logdet"),
      vxdoe::integer("coding", "effects coding: 1 last level at -1, 2 first level").within(1, 2).byDefault("1"),
      vxdoe::sheet::seedOption(),
      vxdoe::integer("starts", "independent starts, the best kept").atLeast(1).byDefault("1"),
      vxdoe::integer("max-iter", "exchanges per call of the library").atLeast(1).byDefault("100"),
      vxdoe::number("convergence", "least gain of an accepted exchange").byDefault("1e-9"),
      vxdoe::integer("perturb", "rounds replacing four or five runs after each start").atLeast(0).byDefault("0"),
      vxdoe::flag("no-catalogue", "search even when the catalogue holds an orthogonal array")},
     runOptimal}};

}  // namespace
