// An expanded difference scheme whose copy joins a function of its rows:
// runs (i, g) of D(r, c, p) with g in Z_p, the scheme columns d_l(i) + g, and
// in place of the row column an OA(r, B) whose column t (s levels) reads
// phi(i). The copy g and phi(i) make one column of p s levels, and a scheme
// column d_l stays where (phi, d_l) is uniform over the rows (a generalised
// Kronecker sum, Wang and Wu, Journal of the American Statistical
// Association 86, 1991, with one factor's column joined to the copy). For
// D(36, 36, 3) = D(12,12,3) (x) D(3,3,3), phi the row of D(3,3,3) leaves 33
// scheme columns (3^44 9 12 and the 108-run arrays beside it), and phi a
// halving of D(12,12,3)'s rows 32 (2^34 3^32 6).
#pragma once

#include "tools/oagen/constructions.h"

#include <vector>

namespace oagen {

// Run p i + g. Columns: b's other columns at the row matched to i (b's rows
// with t = v taken in order for the rows with phi = v), the scheme columns
// kept, then the joined column p phi(i) + g. The joined column meets d_l + g
// in #{i : phi = v, d_l = w} runs per cell, and b's columns in b's own pairs
// with t, so both stay balanced; phi equal to a scheme column drops that
// column, as it cannot pair uniformly with itself. An array of no runs when
// b has not r runs or phi's counts differ from those of b's column t.
Array copyJoinedScheme(const std::vector<std::vector<int>>& d, int p, const std::vector<int>& phi, const Array& b,
                       int t);

}  // namespace oagen
