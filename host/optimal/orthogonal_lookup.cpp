#include "host/optimal/orthogonal_lookup.h"

#include "host/optimal/array_table.h"

#include <algorithm>
#include <numeric>

namespace vxhost {

const std::vector<Sheet>& tableSheets() {
    static const std::vector<Sheet> sheets = [] {
        std::vector<Sheet> all;
        for (int i = 0; i < kArrayTableSize; ++i) {
            const StoredArray& a = kArrayTable[i];
            Sheet s{a.name, a.runs, {}, {}};
            for (int c = 0; c < a.columns; ++c) s.levels.push_back(a.levels[c] - '0');
            for (const char* cell = a.cells; *cell != '\0'; ++cell) s.cells.push_back(*cell - '0');
            all.push_back(std::move(s));
        }
        return all;
    }();
    return sheets;
}

std::optional<std::vector<int>> columnsForFactors(const std::vector<int>& columnLevels,
                                                  const std::vector<int>& levels, bool collapse) {
    std::vector<bool> used(columnLevels.size(), false);
    // The first unused column whose level count passes `fits`, taken.
    auto take = [&](auto fits) -> int {
        for (std::size_t c = 0; c < used.size(); ++c)
            if (!used[c] && fits(columnLevels[c])) {
                used[c] = true;
                return static_cast<int>(c);
            }
        return -1;
    };
    std::vector<int> column(levels.size(), -1);
    for (std::size_t f = 0; f < levels.size(); ++f) column[f] = take([&](int s) { return s == levels[f]; });
    if (collapse) {
        std::vector<std::size_t> order(levels.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return levels[a] > levels[b]; });
        for (std::size_t f : order)
            if (column[f] < 0) column[f] = take([&](int s) { return levels[f] > 0 && s % levels[f] == 0; });
    }
    if (std::find(column.begin(), column.end(), -1) != column.end()) return std::nullopt;
    return column;
}

LevelPlan planFromColumns(const Sheet& array, const std::vector<int>& columns, const std::vector<int>& levels,
                          int runs) {
    LevelPlan plan;
    plan.reserve(columns.size() * static_cast<std::size_t>(runs));
    for (std::size_t f = 0; f < columns.size(); ++f) {
        const int* first = array.cells.data() + static_cast<std::size_t>(columns[f]) * array.runs;
        for (int r = 0; r < runs; ++r) plan.push_back(first[r % array.runs] % levels[f] + 1);
    }
    return plan;
}

std::optional<FoundArray> findOrthogonal(const std::vector<Sheet>& arrays, const std::vector<int>& levels, int runs) {
    for (int s : levels)
        if (s < 2) return std::nullopt;
    for (const Sheet& a : arrays) {
        if (a.runs < 1 || runs % a.runs != 0 || a.levels.size() < levels.size()) continue;
        if (const auto columns = columnsForFactors(a.levels, levels, true))
            return FoundArray{&a, runs / a.runs, planFromColumns(a, *columns, levels, runs)};
    }
    return std::nullopt;
}

}  // namespace vxhost
