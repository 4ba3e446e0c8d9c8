// Two-level columns closed under a permutation of the runs: each generator
// with its images under the permutation, found by a satisfiability search
// over the generators alone and kept as data; the table checks each array
// for strength 2 when it is built.
#pragma once

#include "tools/oagen/constructions.h"

#include <string>
#include <vector>

namespace oagen {

// For each generator (a '0'/'1' string over the runs) the generator and its
// images under `permutation` (image c' of c: c'(p(r)) = c(r)) until the
// generator comes back, then the columns `fixed`. An array of no runs when
// a generator's length is not the permutation's, a character is not '0' or
// '1', or the permutation is not one.
Array columnsClosedUnder(const std::vector<int>& permutation, const std::vector<std::string>& generators,
                         const std::vector<Column>& fixed);

// OA(36, 2^27 3), the published parent no word list reaches (words over one
// Hadamard array per block stop at 16): the block b of 12 runs is the
// 3-level column, and the 27 two-level columns are the images of three
// generators under the permutation of order 9 that moves run i of block b
// to run s(i) of block b + 1 (mod 3), s cycling the first nine runs of a
// block and fixing the last three. Every column is balanced in every block.
Array blockRotatedArray36();

// The columns of `a` that `added` is orthogonal to, then `added`.
Array besideColumn(const Array& a, const Column& added);

// OA(36, 2^20 3^2) and OA(36, 2^18 3 6): blockRotatedArray36 beside a second
// column of 3 or 6 levels, which holds each of its levels equally often in
// every block and so is orthogonal to the block column, and is orthogonal to
// 20 or 18 of the 27 two-level columns, which stay; found by simulated
// annealing over such columns. An array of no runs for other level counts.
Array blockRotatedArray36With(int levels);

}  // namespace oagen
