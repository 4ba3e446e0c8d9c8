// Expansive replacement at look-up time (Hedayat, Sloane and Stufken,
// Orthogonal Arrays, 1999, section 9.3): a column of s levels in an array of
// strength 2 may be replaced by the columns of any array of strength 2 with
// exactly s runs, row v standing in for the value v. One stored parent then
// serves all its children: a 4-level column gives three 2-level columns, an
// 8-level one seven, a q^2-level one q + 1 columns of q levels, and a column
// of s t levels one of s and one of t (the full factorial of s and t).
#pragma once

#include "host/optimal/orthogonal_lookup.h"

#include <optional>
#include <vector>

namespace vxhost {

// The arrays of `parent` columns become under replacement: the same runs,
// each replaced column's place taken by the columns of the replacing array.
// Nothing when no sequence of replacements (by the arrays of `small` whose
// run count is a column's level count, or by full factorials of two
// factors) gives a column for every factor, levels merged as in
// columnsForFactors. Columns come out ordered by level count.
std::optional<Sheet> expandedFor(const Sheet& parent, const std::vector<int>& levels, const std::vector<Sheet>& small);

// As findOrthogonal, for the first array that serves the factors only after
// replacements; its sheet is owned by the result.
struct ExpandedArray {
    Sheet array;
    int copies = 0;
    LevelPlan plan;
};
std::optional<ExpandedArray> findOrthogonalByReplacement(const std::vector<Sheet>& arrays, const std::vector<int>& levels,
                                                         int runs);

}  // namespace vxhost
