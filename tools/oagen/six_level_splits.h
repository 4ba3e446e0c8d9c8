// OA(3r, 2^a' 3^b' 6^k B') from a difference matrix D(r, c, 3) and an
// OA(r, 2^a B) whose rows are matched to D's: a six-level column joins a
// two-level column x of the base with a scheme column d_j + g, and a scheme
// column d_l stays when d_j - d_l is uniform over Z_3 on each half x = 0,
// x = 1 (the generalised Kronecker product of a difference matrix with a
// two-level column; Zhang, Discrete Mathematics 307, 2007, on repeating-
// column difference matrices). Which halves of D(12,12,3)'s rows serve was
// found by an exhaustive search over the 462 halvings and kept as data.
#pragma once

#include "tools/oagen/constructions.h"

#include <string>
#include <vector>

namespace oagen {

struct SixLevelSplit {
    std::string half;  // per row of D: '1' where the paired base column is to read 1
    int schemeColumn = 0;
};

// Runs 3 i + g, i the row of D, g in Z_3. Split u pairs base column u (a
// two-level one) with its scheme column as the column 3 x(i) + (d_j(i) + g)
// mod 3. Columns: the base's others at the base row matched to i, then the
// scheme columns kept, then the six-level ones. The base's rows are matched
// to D's so that its first k columns read the halves; an array of no runs
// when they cannot be (the halves' cells differ in size from the base's).
Array sixLevelFromSplits(const std::vector<std::vector<int>>& d, const Array& base,
                         const std::vector<SixLevelSplit>& splits);

// The four 36-run arrays from D(12,12,3) and OA(12, 2^11) or OA(12, 2^4 3):
// 2^10 3^8 6, 2^3 3^9 6, 2^9 3^4 6^2 and 2^2 3^5 6^2.
std::vector<Array> sixLevelSplitArrays36();

}  // namespace oagen
