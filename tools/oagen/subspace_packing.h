// OA(32, 4^8 8^1) as a packing of GF(2)^5 by the 3-space W and eight planes
// meeting it only in 0, the planes the graphs of u -> a iota(u) for a in
// GF(8) (the spread construction of Hedayat, Sloane and Stufken, Orthogonal
// Arrays, 1999, section 3.4, on a space split as U + W).
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// Runs (u1, u2, w) with w in GF(8): for each a the 4-level column
// 2 (u1 + <a, w>) + (u2 + <a alpha, w>) mod 2, alpha a root of x^3 = x + 1,
// then the 8-level column w. Two planes S_a, S_b meet only in 0, as
// (a - b) iota(u) = 0 forces u = 0, so their columns are independent.
Array subspacePacking32();

// OA(2^n, 2^a 4^b 8^c 16^d) from subspaces of GF(2)^n that meet pairwise only
// in 0, each given by a basis of masks: a subspace of dimension k becomes the
// column of 2^k levels whose digit j is the run's parity under mask j, and
// every nonzero vector in none of them a two-level column. The characters of
// a column are the nonzero vectors of its subspace, so two columns whose
// subspaces share no nonzero vector are independent. Columns come two-level
// first, then the subspaces by dimension, in the order given. Throws
// std::invalid_argument when a basis is dependent or two subspaces meet.
Array packedSubspaces(int n, const std::vector<std::vector<int>>& bases);

}  // namespace oagen
