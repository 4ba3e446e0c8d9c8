// Difference matrices over GF(q), q prime, whose blocks are binary quadratic
// forms: rows (e, a) and columns (f, b) for a, b in GF(q), entry
// alpha a^2 + beta a b + gamma b^2 with one coefficient triple per block
// (e, f). Two blocks' difference along a column pair is a quadratic in a;
// where the a^2 terms differ, it takes each value 1 + chi(c (v - v0))
// times (chi the quadratic character, c the a^2 coefficient, v0 the vertex
// value), so two row blocks with equal vertices and c of opposite character
// together cover GF(q) twice. The doubled field (Hedayat, Sloane and
// Stufken, Orthogonal Arrays, 1999, section 6.3) is the two-block case.
#pragma once

#include "tools/oagen/kronecker_sum.h"

#include <array>
#include <vector>

namespace oagen {

using FormCoefficients = std::array<int, 3>;  // alpha, beta, gamma

// D(n q, n q, q) candidate from n x n blocks, coefficients[e * n + f] for
// block (e, f); empty unless n * n triples are given and q is positive.
DifferenceMatrix quadraticFormBlocks(int q, const std::vector<FormCoefficients>& coefficients);

// D(2q, 2q, q): entry a b for e = f = 0, -a b for e = f = 1, a b + a^2 +
// kappa b^2 for e != f. A difference matrix for q = 3 with kappa = 2 and
// for q = 7 with kappa = 4 (checked exhaustively); no kappa serves q = 5,
// where -1 is a square and the two blocks' a^2 coefficients, 1 and -1,
// have the same character.
DifferenceMatrix doubledField(int q, int kappa);

// D(20, 20, 5) from 4 x 4 blocks, the coefficients found by an exhaustive
// search with every beta of the first row and column 1 and every alpha of
// the first column and gamma of the first row 0 (which a scaling of a or b
// within a block and the addition of a row or column constant allow).
DifferenceMatrix differenceMatrix20();

}  // namespace oagen
