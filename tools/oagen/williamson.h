// Williamson's Hadamard matrices of order 4n from four symmetric circulants
// (J. Williamson, Duke Math. J. 11, 1944; order 92: Baumert, Golomb and
// Hall, Bull. AMS 68, 1962).
#pragma once

#include <vector>

namespace oagen {

// Orders 92 (n = 23) and 116 (n = 29), the Hadamard orders up to 144 that
// neither Paley's constructions nor doubling reach; empty for any other.
std::vector<std::vector<int>> williamsonHadamard(int order);

}  // namespace oagen
