// Orthogonal plans looked up in arrays: the library's catalogue and the
// host's table. An orthogonal array is D-optimal for the main-effects model,
// and exchanges rarely reach the saturated ones.
#pragma once

#include "host/optimal/model.h"

#include <optional>
#include <string>
#include <vector>

namespace vxhost {

// An array: column c has levels[c] levels; cells column by column, 0-based.
struct Sheet {
    std::string name;
    int runs = 0;
    std::vector<int> levels;
    std::vector<int> cells;
};

// The arrays of the host's table (host/optimal/array_table.h), in its order.
const std::vector<Sheet>& tableSheets();

// A column for each factor, in factor order: each factor takes the next
// unused column with its level count; with `collapse`, a factor left without
// one then takes an unused column whose level count is a multiple of its own,
// levels read modulo its count (factors of more levels first, as they have
// fewer columns to choose from). Merging levels in equal groups keeps every
// column balanced and every pair orthogonal. The indices, or nothing when the
// array lacks a column for some factor.
std::optional<std::vector<int>> columnsForFactors(const std::vector<int>& columnLevels,
                                                  const std::vector<int>& levels, bool collapse);

// The plan of `runs` runs (a multiple of the array's) made of those columns,
// the array's runs repeated: levels 1..s, column-major.
LevelPlan planFromColumns(const Sheet& array, const std::vector<int>& columns, const std::vector<int>& levels,
                          int runs);

struct FoundArray {
    const Sheet* array = nullptr;
    int copies = 0;
    LevelPlan plan;
};

// The first array, in the order given, whose run count divides `runs` and
// which has a column for every factor (levels merged where needed).
std::optional<FoundArray> findOrthogonal(const std::vector<Sheet>& arrays, const std::vector<int>& levels, int runs);

}  // namespace vxhost
