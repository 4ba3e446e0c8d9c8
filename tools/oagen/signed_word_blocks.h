// OA(4m, 2^k m^1) as m blocks of OA(4, 2^3): k signed words of m letters,
// pairwise orthogonal by the criterion of the 12-, 20- and 24-run arrays
// (Hedayat, Sloane and Stufken, Orthogonal Arrays, 1999, on Hadamard arrays
// in blocks); the word lists were found by a satisfiability search and are
// kept here as data.
#pragma once

#include "tools/oagen/constructions.h"

#include <vector>

namespace oagen {

// The block counts m with a stored word list, ascending.
std::vector<int> signedWordBlockCounts();

// OA(4m, 2^k m) from the stored words of m letters (signedWords without
// the 4-level column); an array of no runs when none is stored for m.
Array signedWordBlocks(int blocks);

}  // namespace oagen
