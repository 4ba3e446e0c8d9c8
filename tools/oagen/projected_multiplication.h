// Difference matrices from the multiplication table of GF(q), projected onto
// a quotient of its additive group, and the generalised difference-scheme
// expansion over (Z_p)^t (Hedayat, Sloane and Stufken, Orthogonal Arrays,
// 1999, sections 6.2 and 6.5).
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// D(q, q, p^t) for q = p^m: entry x y of GF(q) cut to its top t base-p
// digits (the coefficients of 1, x, ..., x^(t-1)), a homomorphism of the
// additive group, so each difference stays uniform. Then runs (i, gamma)
// for gamma in (Z_p)^t with columns d[i][j] + gamma digit by digit, and
// the q-level column i: OA(q p^t, (p^t)^q q^1).
Array projectedMultiplication(int q, int t);

// OA(r s, s^c r^1) from a difference matrix d (r x c) over (Z_p)^t, s = p^t,
// entries as base-p numbers: columns d[i][j] + gamma, then i.
Array expandOverGroup(const std::vector<std::vector<int>>& d, int p, int t);

}  // namespace oagen
