// Contractive replacement in a Rao-Hamming array: the p + 1 columns of the
// linear forms of one plane become a single p^2-level column (Hedayat,
// Sloane and Stufken, Orthogonal Arrays, 1999, section 9.3).
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// OA(p^n, p^((p^n - 1) / (p - 1) - p - 1) (p^2)^1) for a prime p and n >= 3:
// the forms of raoHamming(p, n) that read only the last two coordinates are
// dropped (the first p + 1 columns), and the run's last two base-p digits
// become one column. Every other form u is independent of it, since u
// restricted to those digits is never the whole of u. Empty for n < 3.
Array raoHammingWithPlane(int p, int n);

}  // namespace oagen
