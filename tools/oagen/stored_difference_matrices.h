// Difference matrices D(r, c, p^t) over (Z_p)^t for which no product or
// field construction here reaches the published parent OA(r p^t,
// (p^t)^c r^1): found by a satisfiability search (first row and column
// zero, every two columns' differences uniform) and kept as data; the table
// checks each expansion for strength 2 when it is built.
#pragma once

#include <string>
#include <vector>

namespace oagen {

struct StoredDifferenceMatrix {
    int p = 0;  // the group (Z_p)^t
    int t = 0;
    std::vector<std::string> rows;  // entries as base-p numbers, one character each
};

const std::vector<StoredDifferenceMatrix>& storedDifferenceMatrices();
// The stored matrix over (Z_p)^t with `rows` rows, for the constructions
// that take one particular scheme further; null when none is stored.
const StoredDifferenceMatrix* storedDifferenceMatrix(int p, int t, int rows);

// The entries as integers, the character c standing for its digit value
// ('0'..'9', then 'a'..).
std::vector<std::vector<int>> entriesOf(const StoredDifferenceMatrix& d);

}  // namespace oagen
