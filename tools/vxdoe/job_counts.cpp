// vxdoe counts: run and column counts of a full factorial.
#include "tools/vxdoe/output.h"

namespace {

int runCounts(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    std::vector<int32_t> levels = args.integers("levels");
    if (levels.empty()) throw vxdoe::UsageError("counts needs --levels L1,L2,...");
    const auto lines = lib.entry<decltype(Cpp_GetFullPlanLines)>("Cpp_GetFullPlanLines");
    const auto cols = lib.entry<decltype(Cpp_GetnColPlan)>("Cpp_GetnColPlan");
    const int32_t n = static_cast<int32_t>(levels.size());
    out.table({{"runs", "columns"},
               {{static_cast<double>(lines(n, levels.data())), static_cast<double>(cols(n, levels.data()))}}});
    return 0;
}

const vxdoe::JobRegistration kCounts{
    {"counts",
     "run and model-column counts of the full factorial of qualitative factors",
     {vxdoe::integers("levels", "level count of each factor").atLeast(1).mandatory().shownAs("L1,L2,...")},
     runCounts}};

}  // namespace
