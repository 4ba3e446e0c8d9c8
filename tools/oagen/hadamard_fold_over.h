// The fold-over of a Hadamard matrix, OA(2n, 2^n n^1) (Hedayat, Sloane and
// Stufken, Orthogonal Arrays, 1999, section 7.5).
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// Runs (i, sign) for the rows i of a normalised Hadamard matrix H of order
// n: the n two-level columns sign * H[i][j] (j = 0 is the sign itself),
// then the n-level column i. Empty when no Hadamard matrix of order n is
// known.
Array hadamardFoldOver(int n);

}  // namespace oagen
