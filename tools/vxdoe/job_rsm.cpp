// vxdoe rsm: the run sheet of a response-surface design, sized and filled
// as the spreadsheet host does.
#include "tools/vxdoe/design_summary.h"
#include "tools/vxdoe/sheet_job.h"

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
    const int centres = args.integer("centers", 0);
    const int nRep = sheet::replicates(args);
    const VARIANT_BOOL isRand = args.has("random") ? -1 : 0;
    const Scale scale(args, k);
    const std::vector<std::string> header = sheet::header(vxdoe::factorNames(args, k));
    sheet::Seeds seeds(args);

    int32_t nplan = 0, pplan = 0, nblock = 0;
    lib.entry<decltype(Cpp_PlanDimension)>("Cpp_PlanDimension")(2, plan, k, sheet::kResponses, centres, nRep, isRand,
                                                                &nplan, &pplan, &nblock);
    std::vector<double> cells = sheet::allocate(nplan, pplan);
    std::vector<double> minF = scale.min, maxF = scale.max, step(static_cast<std::size_t>(k), 0.0);
    lib.entry<decltype(Cpp_PlanGenerate)>("Cpp_PlanGenerate")(
        2, plan, k, sheet::kResponses, centres, nRep, isRand, scale.round, scale.convert, nplan, pplan, nblock,
        minF.data(), maxF.data(), step.data(), cells.data(), &seeds.io, seeds.init, &seeds.out);
    seeds.report(out, isRand == -1);
    out.table(vxdoe::columnMajor(header, cells.data(), nplan, pplan, true));
    const vxdoe::summary::Model model =
        vxdoe::summary::secondOrder(codedUnits(cells, nplan, k, scale), vxdoe::factorNames(args, k));
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
      vxdoe::integer("centers", "centre runs of a central composite design (0: uniform precision)")
          .atLeast(0)
          .byDefault("0"),
      sheet::replicatesOption(), vxdoe::flag("random", "put the runs in random order"), sheet::seedOption(),
      vxdoe::numbers("min", "each factor's low level in its units (with --max)").shownAs("X1,X2,..."),
      vxdoe::numbers("max", "each factor's high level in its units (with --min)").shownAs("X1,X2,..."),
      vxdoe::flag("round", "round the levels in units to whole numbers"), vxdoe::namesOption()},
     runRsm,
     vxdoe::summary::helpNotes(
         "the full second-order model in coded units (intercept, X1.., Xi*Xj, Xi^2), levels in units coded back by centre and half-range",
         "the 3^k grid of coded levels -1, 0, 1 and the design's own points (none past 2^22 cells x columns)")}};

}  // namespace
