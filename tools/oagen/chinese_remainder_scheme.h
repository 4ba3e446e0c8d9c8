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

// Two columns x, x' of `two` in no pair made one 4-level column, 2 ((x_i +
// g) mod 2) + ((x'_i + g) mod 2), and the row replaced by an OA(r, 2 B)
// whose rows are ordered so that its first column reads x_i + x'_i.
// - The 4-level column's characters are x + g, x' + g and x_i + x'_i. The
//   last no longer depends on g, so it is that first column, which goes; B
//   stays, orthogonal to it.
// - Against any column of `two` or a joined one, the pair comes down to two
//   sums of columns of `two`, x + x' and x + y, which are orthogonal.
// Before the row, the 4-level column follows the joined ones.
struct FourLevelPair {
    int first = -1, second = -1;
};
Array chineseRemainderScheme(const std::vector<std::vector<int>>& two, const std::vector<std::vector<int>>& three,
                             const std::vector<std::pair<int, int>>& joined, FourLevelPair four, const Array& rows);

// OA(72, 2^6 3^6 6^6 12): OA(12, 2^11)'s Hadamard matrix, (1 - h) / 2, and
// D(12,12,3) with its rows reordered, six pairs joined (the order and pairs
// found by a random search over row orders with a clique search over the
// 144 pairs; no order found in minutes allows seven).
Array chineseRemainderScheme72();

// Its columns 1 and 2 of OA(12, 2^11) made one 4-level column, over rows
// from OA(12, 2^11), OA(12, 2^4 3) and OA(12, 2^2 6): 2^14 3^6 4 6^6,
// 2^7 3^7 4 6^6 and 2^5 3^6 4 6^7; with one pair fewer joined, 2^15 3^7 4
// 6^5 and 2^8 3^8 4 6^5.
std::vector<Array> chineseRemainderSchemes72WithFourLevel();

}  // namespace oagen
