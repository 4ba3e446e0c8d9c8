// vxdoe counts: run and column counts of a full factorial.
#include "tools/vxdoe/output.h"

#include <cstdint>
#include <string>

namespace {

// The library's candidate codes are 32-bit ints: no candidate set is larger.
constexpr int32_t kLibraryMostCandidates = INT32_MAX;

// The product of the level counts, exactly, in decimal. The library's count
// saturates (it stops at the first partial product above 214748364), so the
// host multiplies in base-10^9 limbs, least significant first: a level count
// below 2^31 times a limb, plus the carry, stays below 2^64.
std::string exactProduct(const std::vector<int32_t>& levels) {
    constexpr uint64_t kBase = 1'000'000'000;
    std::vector<uint64_t> limbs{1};
    for (const int32_t level : levels) {
        uint64_t carry = 0;
        for (uint64_t& limb : limbs) {
            const uint64_t v = limb * static_cast<uint64_t>(level) + carry;
            limb = v % kBase;
            carry = v / kBase;
        }
        for (; carry != 0; carry /= kBase) limbs.push_back(carry % kBase);
    }
    std::string text = std::to_string(limbs.back());
    for (auto limb = limbs.rbegin() + 1; limb != limbs.rend(); ++limb) {
        const std::string digits = std::to_string(*limb);
        text += std::string(9 - digits.size(), '0') + digits;
    }
    return text;
}

// A count as a number while a double holds it exactly (15 digits), past that
// as its decimal text, which no reader rounds.
vxdoe::Value countCell(const std::string& decimal) {
    return decimal.size() <= 15 ? vxdoe::Value(std::stod(decimal)) : vxdoe::Value(decimal);
}

int runCounts(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    std::vector<int32_t> levels = args.integers("levels");
    if (levels.empty()) throw vxdoe::UsageError("counts needs --levels L1,L2,...");
    const auto lines = lib.entry<decltype(Cpp_GetFullPlanLines)>("Cpp_GetFullPlanLines");
    const int32_t n = static_cast<int32_t>(levels.size());
    const std::string runs = exactProduct(levels);
    // 1 + sum(L - 1): at most 10000 x 2^31, exact in 64 bits and in a double.
    int64_t columns = 1;
    for (const int32_t level : levels) columns += level - 1;
    out.table({{"runs", "columns"}, {{countCell(runs), static_cast<double>(columns)}}});
    const int32_t libraryRuns = lines(n, levels.data());
    out.figure("library_runs", static_cast<double>(libraryRuns));
    out.figure("library_exact", std::to_string(libraryRuns) == runs);
    out.figure("library_range_end", static_cast<double>(kLibraryMostCandidates));
    return 0;
}

const vxdoe::JobRegistration kCounts{
    {"counts",
     "run and model-column counts of the full factorial of qualitative factors, exactly, and the library's run count",
     {vxdoe::integers("levels", "level count of each factor; s^k stands for k factors of s levels")
          .atLeast(1)
          .mandatory()
          .shownAs("L1,L2,...|s^k,...")},
     runCounts}};

}  // namespace
