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
// OA(36, 2^13 3^2 6) and OA(36, 2^13 6^2), columns by ascending levels. The
// search over all the cells ran out of time for the third and fourth, so each
// was grown from an array here with some of its columns held fixed: the six-
// and three-level ones of OA(36, 2^4 3 6^3), and one six-level, two
// three-level and nine two-level columns of OA(36, 2^9 3^4 6^2) from halves of
// D(12,12,3). For the last, the two six-level columns are the rows and the
// columns of a 6 x 6 grid, each split into three pairs, and the search asked
// for two-level columns that one cyclic shift of the pairs, of rows and
// columns at once, permutes: four orbits of three columns and one column the
// shift fixes. The search without that symmetry gave no answer.
std::vector<Array> searchedSixLevelArrays36();

}  // namespace oagen
