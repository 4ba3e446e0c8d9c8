// One 2^(k+1)-level column in the Hadamard matrix S_k (x) H_m, the flat of
// columns it stands for deleted (contractive replacement; Wu, Zhang and
// Wang, Statistica Sinica 2, 1992).
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// OA(2^k m, 2^(2^k m - 2^(k+1)) (2^(k+1))^1) for a Hadamard order m >= 4 and
// k >= 1: runs (r, rho), r < 2^k, rho < m, entries S[r][g] H_m[rho][v] for
// the columns (g, v). The flat is every (g, 0) with g != 0 and every (g, 1);
// its characters are those of the new column 2 r + b(rho), b the bit of
// H_m[rho][1]. Empty when no Hadamard matrix of order m is known.
Array oneFlat(int k, int m);

}  // namespace oagen
