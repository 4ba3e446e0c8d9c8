// OA(n m, 2^k m^1) as m blocks of the Hadamard array OA(n, 2^(n-1)): k
// signed words of m letters, pairwise orthogonal by the criterion of the
// 12-, 20- and 24-run arrays (Hedayat, Sloane and Stufken, Orthogonal
// Arrays, 1999, on Hadamard arrays in blocks); the word lists, or for the
// lists closed under a permutation of the blocks their generators, were
// found by a satisfiability search or by simulated annealing and are kept
// here as data; the lists of three blocks are built, as pairs of words
// sharing two blocks.
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

// `copies` copies of a list over its first `span` letters, copy c moved to
// the letters from + c span to from + c span + span - 1. Words of two copies share no
// letter in any block, so their columns are orthogonal whatever the signs:
// over a base with many two-level columns, short lists side by side can hold
// more words than one long list (three copies of the 8 words over 3 letters
// of OA(20, 2^8 5) are 24 words over 9 letters in 5 blocks, where the stored
// list over 11 has 23). Empty when a word holds a letter past `span` or the
// copies need more than kMostLetters.
std::vector<std::string> onDisjointLetters(const std::vector<std::string>& words, int span, int copies, int from = 0);

// Twelve words of five blocks over four letters, found by a tabu search: the
// most per letter of any list of five blocks here.
std::vector<std::string> fourLetterWordsInFiveBlocks();

// OA(n m, 2^k m) from the stored words: in block b, letter 'a' + c of word
// w stands for column c of OA(n, 2^(n-1)), upper case for its complement.
// An array of no runs when no list is stored for the shape.
Array signedWordBlocks(int base, int blocks);
// The stored words of (base runs n, blocks m); empty when none is stored.
std::vector<std::string> signedWordList(int base, int blocks);

// OA(n m, 2^k' B' (2m)^1): block b keeps the base's two-level column
// spares[b] (as a letter) out of the words, dropping every word that holds it
// there, and that column joins the block column, 2 b + its value. Within
// block b every word left is another two-level column of the base or its
// complement, so balanced against the spare one, and the joined column is
// orthogonal to it. The base's other columns B' are repeated in every block
// as `signedWordsOver` does; in block b the joined column meets each of them
// as the spare column does in the base. An array of no runs when a spare
// letter is not one of the base's two-level columns, the spares do not match
// the words' length, or no word is left.
Array signedWordsWithSpares(const Array& base, const std::vector<std::string>& words, const std::string& spares);

// OA(n m, 2^k B'' (q m)^1): the words over the base as `signedWordsOver`
// makes them, with the block column joined to the base's column `column` of
// q levels, not a two-level one: q b + its value, that column's own copy
// dropped. Within block b every word is a two-level column of the base or
// its complement, so balanced against that column, and every other column
// B'' meets it as in the base; no word is lost, as words hold only two-level
// columns. An array of no runs when `column` is not a column of the base of
// more than two levels, or a word does not fit the base.
Array signedWordsJoinedToColumn(const Array& base, const std::vector<std::string>& words, int column);

}  // namespace oagen
