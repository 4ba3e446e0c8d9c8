// Doubling with contraction: OA(2M, 2^(M - 2^t) (2^(t+1))^1 B') from an
// OA(M, ...) B and a column of 2^t levels of it, by the generalised
// Kronecker sum with D(2, 2, 2) (Wang and Wu, JASA 86, 1991), a closed set
// of 2^t Hadamard columns merged with that column.
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// B's runs M must be a Hadamard order with M / 2^(t-1) one too, column
// `beta` of B must have 2^t levels, t = 1, 2 or 3. Runs (i, g), g = 0, 1:
// the M - 2^t columns D_j + g of D = (1 - H) / 2 outside the closed set C,
// for H = S_(t-1) (x) H_(M / 2^(t-1)) with its rows matched to B's so that
// C's columns read par(beta & g'); then B's columns but beta; then the
// column 2^t g + beta. Empty when an input is missing.
Array doubleWithContraction(const Array& b, int beta, int t);

}  // namespace oagen
