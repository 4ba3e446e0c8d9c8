// 36-run parents with three six-level columns (Kuhfeld's catalogue of parent
// arrays) that no construction here reaches: found by a satisfiability
// search over the cells (one six-level column fixed to the run's sixth, each
// column balanced, each pair of columns balanced on its level pairs) and
// kept as data, rows sorted; the table checks each for strength 2 when it is
// built.
#pragma once

#include "tools/oagen/constructions.h"

#include <vector>

namespace oagen {

// OA(36, 2 3^3 6^3) and OA(36, 2^4 3 6^3), columns by ascending levels.
std::vector<Array> searchedSixLevelArrays36();

}  // namespace oagen
