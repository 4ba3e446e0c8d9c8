#include "tools/vxdoe/catalogue_sheets.h"

#include "host/optimal/orthogonal_lookup.h"

#include <algorithm>

namespace vxdoe::catalogue {

Sheet cutOut(const std::vector<double>& host, int stride, int runs, int columns) {
    Sheet s{runs, columns, {}};
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < runs; ++r) s.cells.push_back(host[static_cast<std::size_t>(c) * stride + r]);
    return s;
}

// A fetched entry's extent shows in the cells left non-zero.
Fetched fetch(const vxdoe::Library& lib, int32_t number) {
    std::vector<double> plan(static_cast<std::size_t>(kMaxRuns) * kMaxColumns, 0.0);
    BSTR name = lib.allocString(u"");
    int32_t tableId = 0;
    const int32_t result = lib.entry<decltype(Cpp_PlanGetOrtho)>("Cpp_PlanGetOrtho")(kMaxRuns, kMaxColumns, number,
                                                                                     plan.data(), &name, &tableId);
    lib.freeString(name);
    if (result != 0) throw vxdoe::UsageError("--entry must be 1..392");
    int runs = 0, columns = 0;
    while (runs < kMaxRuns && plan[static_cast<std::size_t>(runs)] != 0) ++runs;
    while (columns < kMaxColumns && plan[static_cast<std::size_t>(columns) * kMaxRuns] != 0) ++columns;
    return {number, tableId, cutOut(plan, kMaxRuns, runs, columns)};
}

std::optional<Sheet> inFactorOrder(const Sheet& array, const std::vector<int32_t>& levels, bool collapse) {
    std::vector<int> levelOfColumn;
    for (int c = 0; c < array.columns; ++c) {
        const auto first = array.cells.begin() + static_cast<std::ptrdiff_t>(c) * array.runs;
        levelOfColumn.push_back(static_cast<int>(*std::max_element(first, first + array.runs)));
    }
    const std::optional<std::vector<int>> column =
        vxhost::columnsForFactors(levelOfColumn, std::vector<int>(levels.begin(), levels.end()), collapse);
    if (!column) return std::nullopt;
    Sheet out{array.runs, static_cast<int>(levels.size()), {}};
    for (std::size_t f = 0; f < levels.size(); ++f) {
        const auto first = array.cells.begin() + static_cast<std::ptrdiff_t>((*column)[f]) * array.runs;
        for (auto cell = first; cell != first + array.runs; ++cell)
            out.cells.push_back(static_cast<double>((static_cast<int>(*cell) - 1) % levels[f] + 1));
    }
    return out;
}

}  // namespace vxdoe::catalogue
