// The Kronecker sum of two difference matrices over Z_p (Hedayat, Sloane
// and Stufken, Orthogonal Arrays, 1999, lemma 6.27), and the multiplication
// table of a prime field.
#pragma once

#include <vector>

namespace oagen {

using DifferenceMatrix = std::vector<std::vector<int>>;

// d[(i1, i2)][(j1, j2)] = d1[i1][j1] + d2[i2][j2] mod p: D(r1 r2, c1 c2, p).
// Columns differing in j1 see d1's uniform differences for every i2;
// columns equal in j1 see d2's.
DifferenceMatrix kroneckerSum(const DifferenceMatrix& d1, const DifferenceMatrix& d2, int p);

// The multiplication table of GF(p), p prime: D(p, p, p).
DifferenceMatrix primeMultiplication(int p);

}  // namespace oagen
