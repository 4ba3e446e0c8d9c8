// OA(144, 12^7), five mutually orthogonal Latin squares of order 12, from a
// difference matrix D(12, 6, 12) over G = Z_2 x Z_6 (a group of order 12 has
// one only if its Sylow 2-subgroup is not cyclic, so not over Z_12): rows
// indexed by g in G, columns 0, g and four orthomorphisms s_k of G (s_k and
// s_k - id bijective, s_k(0) = 0) whose pairwise differences are bijective
// too. A search through all 16512 such orthomorphisms for four pairwise
// compatible ones found those kept here.
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// Element 6 a + b of Z_2 x Z_6 is (a, b).
int addInZ2xZ6(int x, int y);

// Runs 12 g + h: the columns d_j(g) + h, then the row g.
Array differenceScheme144();

}  // namespace oagen
