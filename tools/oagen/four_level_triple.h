// Three 4-level columns beside two-level ones over GF(4): OA(4r, 2^(3r-9)
// 4^3 r^1) for every Hadamard order r (a generalised Kronecker sum over the
// additive group of GF(4), as in Wang and Wu, JASA 86, 1991; Hedayat, Sloane
// and Stufken, Orthogonal Arrays, 1999, section 6.3).
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// Runs (i, g), i a row of a normalised Hadamard matrix H of order r, g in
// GF(4) as two bits x0 + x1 w. With u and v H's columns 1 and 2 as bits:
// - the 4-level columns g, d + g and w d + g, where d = u + v w;
// - for each of the three nonzero linear forms f of GF(4), the columns
//   K_f[i][j] + f(g), j >= 3, where K_f is H with every column shifted by a
//   vector s_f (0, v or u) chosen so that K_f's columns 0, 1 and 2 are f of
//   the three 4-level columns' offsets, 0, d and w d;
// - the r-level column i.
// Empty when no Hadamard matrix of order r is known.
Array fourLevelTriple(int r);

}  // namespace oagen
