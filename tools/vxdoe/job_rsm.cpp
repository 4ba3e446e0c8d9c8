// vxdoe rsm: the run sheet of a response-surface design, sized and filled
// as the spreadsheet host does.
#include "tools/vxdoe/design_summary.h"
#include "tools/vxdoe/sheet_job.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

namespace sheet = vxdoe::sheet;

int designID(const std::string& name) {
    if (name == "factorial3") return 1;
    if (name == "ccd") return 2;
    if (name == "bbd") return 3;
    if (name == "doehlert") return 4;
    throw vxdoe::UsageError("--design must be factorial3, ccd, bbd or doehlert");
}

// --min and --max convert the coded levels to the factors' units; --round
// rounds them to whole numbers.
struct Scale {
    std::vector<double> min, max;
    VARIANT_BOOL convert = 0, round = 0;
    Scale(const vxdoe::Args& args, int factors) : min(factors, -1.0), max(factors, 1.0) {
        if (args.has("min") != args.has("max")) throw vxdoe::UsageError("--min and --max go together");
        if (args.has("round") && !args.has("min")) throw vxdoe::UsageError("--round needs --min and --max");
        if (!args.has("min")) return;
        min = args.numbers("min");
        max = args.numbers("max");
        if (min.size() != static_cast<std::size_t>(factors) || max.size() != min.size())
            throw vxdoe::UsageError("--min and --max need one value per factor");
        convert = -1;
        round = args.has("round") ? -1 : 0;
    }
};

// --centers: how many centre runs each replicate holds. The library builds
// a central composite design with any positive count (0 asks for its
// uniform-precision count) and every other design with one centre run; the
// host removes or repeats the centre run to give the count asked for.
struct Centres {
    bool byLibrary = true;  // the count the library makes, nothing to adjust
    int library = 0;        // the library's nCenter
    int wanted = 1;         // the count per replicate when not byLibrary
};

// The centre count that makes a rotatable central composite design
// orthogonal: n0 = 4 sqrt(F) + 4 - 2k with F = 2^k factorial runs, rounded.
int orthogonalCentres(int k) {
    const double n0 = std::round(4.0 * std::sqrt(std::ldexp(1.0, k)) + 4.0 - 2.0 * k);
    if (!(n0 <= 1e6)) throw vxdoe::UsageError("the run sheet would be too large");
    return static_cast<int>(n0);
}

Centres centres(const std::string& given, bool ccd, int k) {
    Centres c;
    if (given.empty() || given == "uniform") {
        if (!given.empty() && !ccd) throw vxdoe::UsageError("--centers uniform needs a central composite design");
        return c;  // the design's own: uniform precision for a CCD, one run otherwise
    }
    if (given == "orthogonal") {
        if (!ccd) throw vxdoe::UsageError("--centers orthogonal needs a central composite design");
        return c.library = orthogonalCentres(k), c;
    }
    const char* end = given.data() + given.size();
    const auto [stop, problem] = std::from_chars(given.data(), end, c.wanted);
    if (problem != std::errc() || stop != end || c.wanted < 0 || c.wanted > 1'000'000)
        throw vxdoe::UsageError("--centers takes a count from 0 to 1000000, uniform or orthogonal");
    if (ccd && c.wanted > 0) return c.library = c.wanted, c;
    c.byLibrary = ccd ? false : c.wanted == 1;
    if (ccd) c.library = 1;
    return c;
}

// The runs of one replicate with `wanted` centre runs: the library's centre
// run dropped or repeated at the end, std renumbered in that order.
sheet::RunSheet withCentres(const sheet::RunSheet& made, int wanted) {
    std::vector<long long> kept;
    long long centre = -1;
    for (long long r = 0; r < made.rows; ++r) {
        if (made.at(r, sheet::RunSheet::kCentre) == 1) {
            if (centre < 0) centre = r;
        } else {
            kept.push_back(r);
        }
    }
    if (centre >= 0) kept.insert(kept.end(), static_cast<std::size_t>(wanted), centre);
    sheet::RunSheet adjusted(static_cast<long long>(kept.size()), made.cols);
    for (long long r = 0; r < adjusted.rows; ++r) {
        for (int c = 0; c < made.cols; ++c) adjusted.at(r, c) = made.at(kept[static_cast<std::size_t>(r)], c);
        adjusted.at(r, sheet::RunSheet::kStd) = static_cast<double>(r + 1);
    }
    return adjusted;
}

// The library flags the last run of the three-level factorial, its (1,...,1)
// corner, as the centre; the centre is run (3^k + 1) / 2 of the standard
// order, whose factors are all at their middle level.
void flagFactorialCentre(sheet::RunSheet& runs, long long perReplicate) {
    const double middle = static_cast<double>((perReplicate + 1) / 2);
    for (long long r = 0; r < runs.rows; ++r)
        runs.at(r, sheet::RunSheet::kCentre) = runs.at(r, sheet::RunSheet::kStd) == middle ? 1 : 0;
}

// Runs of one replicate without centre runs, in double: the library counts
// in 32 bits, so a size past the host's sheet is refused before it is asked.
double runsWithoutCentre(int plan, int k) {
    switch (plan) {
        case 1: return std::pow(3.0, k) - 1;
        case 2: return std::ldexp(1.0, k) + 2.0 * k;
        case 3: return 2.0 * k * (k - 1);
        default: return static_cast<double>(k) * k + k;
    }
}

// The sheet's factor columns in coded units: the library puts a coded level
// x at centre + half-range * x, so the levels as run (rounded ones too) come
// back by the inverse; a factor of no range sits at its centre, 0.
vxdoe::summary::ModelMatrix codedUnits(const std::vector<double>& cells, int runs, int k, const Scale& scale) {
    vxdoe::summary::ModelMatrix coded = vxdoe::summary::rowsOf(cells.data(), runs, sheet::kFactorColumn, k);
    if (scale.convert != -1) return coded;
    for (int r = 0; r < runs; ++r)
        for (int j = 0; j < k; ++j) {
            const double centre = (scale.min[j] + scale.max[j]) / 2, half = (scale.max[j] - scale.min[j]) / 2;
            double& x = coded.cells[static_cast<std::size_t>(r) * k + j];
            x = half != 0 ? (x - centre) / half : 0.0;
        }
    return coded;
}

int runRsm(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    const int plan = designID(args.text("design", ""));
    const int k = args.integer("factors", 0);
    if (k < 1) throw vxdoe::UsageError("--factors needs a count of at least 1");
    const Centres centre = centres(args.text("centers", ""), plan == 2, k);
    const int nRep = sheet::replicates(args);
    const sheet::Order order = sheet::order(args);
    const bool libraryOrder = order == sheet::Order::LibraryWithinReplicates;
    if (libraryOrder && !centre.byLibrary)
        throw vxdoe::UsageError("--randomise-within-replicates keeps the library's sheet, with the design's own centre runs");
    // Sized before anything is made per factor, so that a count of factors
    // past the sheet is refused at once rather than after k names and bounds.
    sheet::refuseTooLarge((runsWithoutCentre(plan, k) + std::max({centre.library, centre.wanted, 1})) * nRep,
                          static_cast<double>(sheet::header({}).size()) + k);
    const Scale scale(args, k);
    const std::vector<std::string> header = sheet::header(vxdoe::factorNames(args, k));
    sheet::Seeds seeds(args);

    // The library replicates and orders the runs only when its order is asked for.
    const int libraryReplicates = libraryOrder ? nRep : 1;
    const VARIANT_BOOL libraryRandom = libraryOrder ? -1 : 0;
    int32_t nplan = 0, pplan = 0, nblock = 0;
    lib.entry<decltype(Cpp_PlanDimension)>("Cpp_PlanDimension")(2, plan, k, sheet::kResponses, centre.library,
                                                                libraryReplicates, libraryRandom, &nplan, &pplan,
                                                                &nblock);
    sheet::RunSheet made(nplan, pplan);
    std::vector<double> minF = scale.min, maxF = scale.max, step(static_cast<std::size_t>(k), 0.0);
    lib.entry<decltype(Cpp_PlanGenerate)>("Cpp_PlanGenerate")(
        2, plan, k, sheet::kResponses, centre.library, libraryReplicates, libraryRandom, scale.round, scale.convert,
        nplan, pplan, nblock, minF.data(), maxF.data(), step.data(), made.cells.data(), &seeds.io, seeds.init,
        &seeds.out);
    if (plan == 1) flagFactorialCentre(made, nblock);
    sheet::RunSheet runs = made;
    if (libraryOrder) {
        sheet::numberRuns(runs);
    } else {
        const sheet::RunSheet replicate = centre.byLibrary ? made : withCentres(made, centre.wanted);
        sheet::allocate(replicate.rows * nRep, replicate.cols);  // refuses a sheet too large up front
        runs = sheet::arranged(replicate, nRep, order, seeds);
    }
    seeds.report(out, order != sheet::Order::Standard);
    out.table(vxdoe::columnMajor(header, runs.cells.data(), static_cast<int>(runs.rows), runs.cols, true));
    const vxdoe::summary::Model model = vxdoe::summary::secondOrder(
        codedUnits(runs.cells, static_cast<int>(runs.rows), k, scale), vxdoe::factorNames(args, k));
    vxdoe::summary::report(out, model, {});
    return 0;
}

const vxdoe::JobRegistration kRsm{
    {"rsm",
     "the run sheet of a response-surface design",
     {vxdoe::choice("design", "three-level factorial, central composite, Box-Behnken or Doehlert",
                    {"factorial3", "ccd", "bbd", "doehlert"})
          .mandatory(),
      vxdoe::integer("factors", "number of factors K").atLeast(1).mandatory().shownAs("K"),
      vxdoe::text("centers",
                  "centre runs of each replicate: a count, or for a central composite design uniform (uniform "
                  "precision) or orthogonal")
          .byDefault("uniform for ccd, 1 otherwise")
          .shownAs("N|uniform|orthogonal"),
      sheet::replicatesOption(), sheet::randomOption(), sheet::withinReplicatesOption(), sheet::seedOption(),
      vxdoe::numbers("min", "each factor's low level in its units (with --max)").shownAs("X1,X2,..."),
      vxdoe::numbers("max", "each factor's high level in its units (with --min)").shownAs("X1,X2,..."),
      vxdoe::flag("round", "round the levels in units to whole numbers"), vxdoe::namesOption()},
     runRsm,
     vxdoe::summary::helpNotes(
         "the full second-order model in coded units (intercept, X1.., Xi*Xj, Xi^2), levels in units coded back by centre and half-range",
         "the 3^k grid of coded levels -1, 0, 1 and the design's own points (none past 2^22 cells x columns)")}};

}  // namespace
