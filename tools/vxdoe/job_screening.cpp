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
    const sheet::Order order = sheet::order(args);
    const std::vector<std::string> header = sheet::header(vxdoe::factorNames(args, k));
    sheet::Seeds seeds(args);

    // The library replicates and orders the runs only when its order is asked for.
    const bool libraryOrder = order == sheet::Order::LibraryWithinReplicates;
    const int libraryReplicates = libraryOrder ? nRep : 1;
    const int32_t nblock = lib.entry<decltype(Cpp_GetFullPlanLines)>("Cpp_GetFullPlanLines")(k, levels.data());
    sheet::RunSheet made(static_cast<long long>(nblock) * libraryReplicates, k + sheet::kResponses + 4);
    sheet::allocate(static_cast<long long>(nblock) * nRep, made.cols);  // refuses a sheet too large up front
    lib.entry<decltype(Cpp_ScreeningPlanGenerate)>("Cpp_ScreeningPlanGenerate")(
        1, 1, k, sheet::kResponses, 0, libraryReplicates, libraryOrder ? -1 : 0, static_cast<int32_t>(made.rows),
        made.cols, nblock, levels.data(), made.cells.data(), &seeds.io, seeds.init, &seeds.out);
    sheet::RunSheet runs = libraryOrder ? made : sheet::arranged(made, nRep, order, seeds);
    if (libraryOrder) sheet::numberRuns(runs);
    seeds.report(out, order != sheet::Order::Standard);
    out.table(vxdoe::columnMajor(header, runs.cells.data(), static_cast<int>(runs.rows), runs.cols, true));
    // The main effects in the library's effects coding, over the full factorial.
    const vxdoe::summary::Model model = vxdoe::summary::mainEffects(
        levels, 1, vxdoe::factorNames(args, k),
        vxdoe::summary::rowsOf(runs.cells.data(), static_cast<int>(runs.rows), sheet::kFactorColumn, k));
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
      sheet::replicatesOption(), sheet::randomOption(), sheet::withinReplicatesOption(), sheet::seedOption(),
      vxdoe::namesOption()},
     runScreening,
     vxdoe::summary::helpNotes(
         "the main effects of its factors in the library's effects coding (a factor of s levels: s - 1 columns, name.1 .. name.(s-1), or name alone for s = 2)",
         "the full factorial of the levels; past 2^22 cells x columns it is not enumerated: max_SPV and G are then null and mean_SPV comes in closed form, trace(M^-1 W) with W the factorial's block-diagonal moment matrix")}};

}  // namespace
