// vxdoe screening: the run sheet of a screening design over the full
// factorial of qualitative factors.
#include "tools/vxdoe/design_summary.h"
#include "tools/vxdoe/sheet_job.h"

#include "host/evaluate/design_figures.h"
#include "host/optimal/model.h"

namespace {

namespace sheet = vxdoe::sheet;

int runScreening(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    std::vector<int32_t> levels = args.integers("levels");
    if (levels.empty()) throw vxdoe::UsageError("screening needs --levels L1,L2,...");
    for (int l : levels)
        if (l < 1) throw vxdoe::UsageError("--levels: every factor needs at least one level");
    const int k = static_cast<int>(levels.size());
    const int nRep = sheet::replicates(args);
    const VARIANT_BOOL isRand = args.has("random") ? -1 : 0;
    const std::vector<std::string> header = sheet::header(vxdoe::factorNames(args, k));
    sheet::Seeds seeds(args);

    const int32_t nblock = lib.entry<decltype(Cpp_GetFullPlanLines)>("Cpp_GetFullPlanLines")(k, levels.data());
    const long long rows = static_cast<long long>(nblock) * nRep, cols = k + sheet::kResponses + 4;
    std::vector<double> cells = sheet::allocate(rows, cols);
    lib.entry<decltype(Cpp_ScreeningPlanGenerate)>("Cpp_ScreeningPlanGenerate")(
        1, 1, k, sheet::kResponses, 0, nRep, isRand, static_cast<int32_t>(rows), static_cast<int32_t>(cols), nblock,
        levels.data(), cells.data(), &seeds.io, seeds.init, &seeds.out);
    seeds.report(out, isRand == -1);
    out.table(vxdoe::columnMajor(header, cells.data(), static_cast<int>(rows), static_cast<int>(cols), true));
    // The main effects in the library's effects coding, over the full factorial.
    const vxdoe::summary::Model model = vxdoe::summary::mainEffects(
        levels, 1, vxdoe::factorNames(args, k),
        vxdoe::summary::rowsOf(cells.data(), static_cast<int>(rows), sheet::kFactorColumn, k));
    vxdoe::summary::report(out, model, {vxhost::orthogonalBound(levels), vxhost::orthogonalA(levels)});
    return 0;
}

const vxdoe::JobRegistration kScreening{
    {"screening",
     "the run sheet of a screening design over the full factorial of qualitative factors",
     {vxdoe::integers("levels", "level count of each factor; s^k stands for k factors of s levels")
          .atLeast(1)
          .mandatory()
          .shownAs("L1,L2,...|s^k,..."),
      sheet::replicatesOption(), vxdoe::flag("random", "put the runs in random order"), sheet::seedOption(),
      vxdoe::namesOption()},
     runScreening,
     vxdoe::summary::helpNotes(
         "the main effects of its factors in the library's effects coding (a factor of s levels: s - 1 columns, name.1 .. name.(s-1), or name alone for s = 2)",
         "the full factorial of the levels; past 2^22 cells x columns it is not enumerated: max_SPV and G are then null and mean_SPV comes in closed form, trace(M^-1 W) with W the factorial's block-diagonal moment matrix")}};

}  // namespace
