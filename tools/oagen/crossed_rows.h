// Two arrays' rows crossed, their columns joined across the crossing: OA(r s,
// 2^(a b) 3^c' r s) from OA(r, 2^a), a D(r, c, 3) and OA(s, 2^b 3) (a
// generalised Kronecker sum in the sense of Wang and Wu, JASA 86, 1991).
#pragma once

#include "tools/oagen/constructions.h"

#include <vector>

namespace oagen {

// Runs (i, j), run s i + j, i a row of `left` and of d, j a row of `right`:
// - x(i) + y(j) mod 2 for every two-level column x of `left` and y of
//   `right`;
// - d_l(i) + e(j) mod 3 for every column d_l of d that is not constant and
//   e the first 3-level column of `right`;
// - the r-level column i and the s-level column j.
// Two sums x + y and x' + y' are orthogonal unless x = x' and y = y', as
// the product of two orthogonal pairs of ±1 columns is; each is balanced for
// a fixed i (y is) and for a fixed j (x is). A 3-level sum against x + y:
// its character times that of x + y factors into a sum over i times one over
// j, and the one over j vanishes because e and y are orthogonal in `right`.
// Two 3-level sums differ by d_l - d_l', uniform over i. Empty when the
// run counts disagree or `right` has no 3-level column.
Array crossedRows(const Array& left, const std::vector<std::vector<int>>& d, const Array& right);

}  // namespace oagen
