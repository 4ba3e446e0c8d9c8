// Difference schemes over Z_6 = Z_2 x Z_3 from one over Z_2 and one over Z_3
// on the same rows (the generalised Kronecker product of difference
// matrices over Z_6 in Zhang, Discrete Mathematics 307, 2007): runs (i, g)
// with g in Z_6, a column x of the first read as (x_i + g) mod 2, a column
// y of the second as (y_i + g) mod 3, and a pair (x, y) joined into the
// 6-level column whose residues mod 2 and mod 3 are those two.
#pragma once

#include "tools/oagen/constructions.h"

#include <utility>
#include <vector>

namespace oagen {

// OA(6 r, 2^a' 3^b' 6^c r^1), run 6 i + g: the columns of `two` and `three`
// in no pair, then the joined pairs, then the row i. Two columns of one
// scheme are balanced by its differences, a 2-level and a 3-level column
// always (g mod 2 and g mod 3 are independent), and two joined columns when
// their differences mod 2 and mod 3 show each of the six pairs equally
// often over the rows, which the pairs must satisfy.
Array chineseRemainderScheme(const std::vector<std::vector<int>>& two, const std::vector<std::vector<int>>& three,
                             const std::vector<std::pair<int, int>>& joined);

// OA(72, 2^6 3^6 6^6 12): OA(12, 2^11)'s Hadamard matrix, (1 - h) / 2, and
// D(12,12,3) with its rows reordered, six pairs joined (the order and pairs
// found by a random search over row orders with a clique search over the
// 144 pairs; no order found in minutes allows seven).
Array chineseRemainderScheme72();

}  // namespace oagen
