// An expanded difference scheme whose copy joins one of its own columns: runs
// (i, g) of D(r, c, p) with g in Z_p, the scheme columns d_l(i) + g, and in
// place of the row column an OA(r, B) whose column t reads d_m(i). The copy
// g and d_m(i) make one column of p^2 levels, which takes over the scheme
// column d_m + g, and a scheme column d_l stays where (d_m, d_l) is uniform
// over the rows (a generalised Kronecker sum, Wang and Wu, Journal of the
// American Statistical Association 86, 1991, with one factor's column
// joined to the copy). For D(36, 36, 3) = D(12,12,3) (x) D(3,3,3) and its
// column (0, 1) that leaves 33 scheme columns: 3^44 9 12 and the 108-run
// arrays beside it.
#pragma once

#include "tools/oagen/constructions.h"

#include <vector>

namespace oagen {

// Run p i + g. Columns: b's other columns at the row matched to i (b's rows
// with t = v taken in order for the rows of D with d_m = v), the scheme
// columns kept, then the joined column p d_m(i) + g. The joined column meets
// d_l + g in #{i : d_m = v, d_l = w} runs per cell, and b's columns in b's
// own pairs with t, so both stay balanced. An array of no runs when b has
// not r runs, its column t has not p levels or does not match d_m's counts.
Array copyJoinedScheme(const std::vector<std::vector<int>>& d, int p, int m, const Array& b, int t);

}  // namespace oagen
