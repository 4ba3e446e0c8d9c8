// 36-run parents with six-level columns (Kuhfeld's catalogue of parent
// arrays) that no construction here reaches: found by a satisfiability
// search over the cells (one six-level column fixed to the run's sixth, each
// column balanced, each pair of columns balanced on its level pairs) and
// kept as data, rows sorted; the table checks each for strength 2 when it is
// built.
#pragma once

#include "tools/oagen/constructions.h"

#include <vector>

namespace oagen {

// OA(36, 2 3^3 6^3), OA(36, 2^4 3 6^3), OA(36, 2^3 3^2 6^3),
// OA(36, 2^13 3^2 6), OA(36, 2^13 6^2) and OA(36, 2^10 3 6^2), columns by
// ascending levels. The search over all the cells ran out of time for the
// third and fourth, so each was grown from an array here with some of its
// columns held fixed: the six- and three-level ones of OA(36, 2^4 3 6^3), and
// one six-level, two three-level and nine two-level columns of
// OA(36, 2^9 3^4 6^2) from halves of D(12,12,3). It gave no answer for the
// last two either, so it was narrowed by a symmetry. Their two six-level
// columns are the rows and the columns of a 6 x 6 grid, split into three
// pairs of rows R and three pairs of columns C, and the search asked for
// two-level columns that the shift R -> R + 1, C -> C + 1 (mod 3) permutes:
// four orbits of three columns and one column the shift fixes for the first,
// two orbits and four fixed columns for the second, whose three-level column
// is R + C (mod 3).
std::vector<Array> searchedSixLevelArrays36();

}  // namespace oagen
