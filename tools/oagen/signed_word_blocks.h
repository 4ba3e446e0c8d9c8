// OA(n m, 2^k m^1) as m blocks of the Hadamard array OA(n, 2^(n-1)): k
// signed words of m letters, pairwise orthogonal by the criterion of the
// 12-, 20- and 24-run arrays (Hedayat, Sloane and Stufken, Orthogonal
// Arrays, 1999, on Hadamard arrays in blocks); the word lists, or for the
// cyclic ones their generators, were found by a satisfiability search or by
// simulated annealing and are kept here as data; the lists of three blocks
// are built, as pairs of words sharing two blocks.
#pragma once

#include "tools/oagen/constructions.h"

#include <string>
#include <utility>
#include <vector>

namespace oagen {

// The (base runs n, blocks m) with a stored word list, ascending.
std::vector<std::pair<int, int>> signedWordShapes();

// Words for three blocks over `letters` letters, pairwise orthogonal: pairs
// of words sharing letters in two blocks, with signs agreeing in one of them
// and differing in the other, and no letter shared between pairs. Each pair
// spends four letters, so 3 letters / 4 pairs is the most, and the blocks'
// turns reach it. Empty past 31 letters, where 'A' + c would read as a
// lower-case letter.
constexpr int kMostLetters = 31;
std::vector<std::string> pairedWordsInThreeBlocks(int letters);

// OA(n m, 2^k m) from the stored words: in block b, letter 'a' + c of word
// w stands for column c of OA(n, 2^(n-1)), upper case for its complement.
// An array of no runs when no list is stored for the shape.
Array signedWordBlocks(int base, int blocks);

}  // namespace oagen
