// Constructions of orthogonal arrays of strength 2.
//
// Every array here is built from a textbook construction (Galois-field
// arrays, Hadamard matrices, difference schemes) and reshaped by operations
// that keep strength 2: column selection, even level collapsing (x mod t
// with t dividing s) and expansive replacement of a column by the rows of a
// smaller array. Levels are coded 0..s-1 inside this file.
#pragma once

#include <string>
#include <vector>

namespace oagen {

struct Column {
    int levels = 0;
    std::vector<int> values;  // one per run
};

struct Array {
    int runs = 0;
    std::vector<Column> columns;
};

// The column of `levels` levels whose value at run r is value(r).
template <class Value>
Column columnOf(int levels, int runs, Value value) {
    Column c{levels, {}};
    c.values.reserve(static_cast<std::size_t>(runs));
    for (int r = 0; r < runs; ++r) c.values.push_back(value(r));
    return c;
}

// The parity of the number of 1 bits of x: the GF(2) linear form read by a
// mask, x = row & mask.
int parity(unsigned x);

// ----- parents ------------------------------------------------------------------
// All level combinations, the first column varying slowest.
Array fullFactorial(const std::vector<int>& levels);
// The 2^n-run linear array over GF(2) whose first k spread lines of the
// projective space become 4-level columns; every other point is a 2-level
// column, ascending, and the 4-level columns follow. n is 2..5.
Array binaryLinear(int n, int k);
// Rao-Hamming array over GF(p)^n, p prime: one column per projective point.
Array raoHamming(int p, int n);
// The same over GF(q)^n for a prime power q (2, 3, 4, 5, 7, 8, 9, ...):
// OA(q^n, q^((q^n - 1) / (q - 1))).
Array raoHammingOver(int q, int n);
// Paley type I Hadamard array OA(q+1, 2^q) for a prime power q = 3 mod 4
// (q prime, or 27).
Array paleyTypeOne(int q);
// Paley type II Hadamard array OA(2q+2, 2^(2q+1)) from the conference matrix
// of GF(q), q = 1 mod 4 (17 gives OA(36, 2^35)).
Array paleyTypeTwo(int q = 17);
// OA(n, 2^(n-1)) from a Hadamard matrix of order n built by Paley I, Paley II,
// Williamson (92, 116) or doubling; an array of no runs when none of them
// reaches n.
Array hadamard(int order);
// A Hadamard matrix of the given order (entries +1 and -1, H H' = n I),
// negated by rows and columns so that its first row and first column are
// all +1; empty when none of the constructions above, or Williamson's,
// reaches the order.
using SignMatrix = std::vector<std::vector<int>>;
SignMatrix normalisedHadamard(int order);
// The multiplication table of GF(q), q a prime or 4, 8, 9, 16, 25, 27, 32,
// 49: element c0 + c1 x + ... as the base-p number with c0 most significant.
std::vector<std::vector<int>> galoisProducts(int q);
// OA(4K, 2^k K^1), or OA(4K, 2^k 4 K) with `withFourLevel`, from k words of
// K letters: in block k the letter a, b or c stands for a column of
// OA(4, 2^3), upper case for its complement. Two words give orthogonal
// columns when the blocks where their letters agree split evenly into
// same-case and opposite-case agreements.
Array signedWords(const std::vector<std::string>& words, bool withFourLevel);
// The same over any base array of n runs, letter 'a' + c for its c-th
// two-level column: OA(n K, 2^k B' K^1), where B' are the base's columns of
// other level counts, repeated in every block. Those stay orthogonal to each
// word, as within a block the word is one of the base's two-level columns or
// its complement, and to the block column, as each block holds the whole
// base. An array of no runs when a letter is past the base's two-level columns.
Array signedWordsOver(const Array& base, const std::vector<std::string>& words);
// The base's two-level columns, in order: the letters of its signed words.
std::vector<const Column*> twoLevelColumns(const Array& base);
// Arrays of 4K runs built block by block from the signed columns of
// OA(4, 2^3): OA(12, 2^4 3), OA(20, 2^8 5) and OA(24, 2^11 4 6).
Array signedWords12();
Array signedWords20();
// The eight words of five blocks that OA(20, 2^8 5) is made of.
std::vector<std::string> signedWordList20();
Array signedWords24();
// Difference-scheme arrays.
Array differenceScheme12();  // OA(12, 2^2 6)
// OA(2k, 2^2 k) for even k from D(k, 2, 2): the rows (0, 0) k/2 times, then
// (0, 1) k/2 times.
Array differenceSchemeTwoColumns(int k);
Array differenceScheme18();  // OA(18, 3^6 6)
Array expanded18();          // OA(18, 2 3^7): the 6-level column of OA(18, 3^6 6) replaced by OA(6, 2 3)
Array differenceScheme36();  // OA(36, 3^12 12)
// Its D(12, 12, 3), found by a satisfiability search.
std::vector<std::vector<int>> differenceMatrix12();
Array expanded36Binary();    // OA(36, 2^11 3^12): the 12-level column replaced by OA(12, 2^11)
Array expanded36Mixed();     // OA(36, 2^2 3^12 6): the 12-level column replaced by OA(12, 2^2 6)
Array differenceScheme50();  // OA(50, 5^10 10)
Array expanded50();          // OA(50, 2 5^11): the 10-level column replaced by OA(10, 2 5)
Array differenceScheme54();  // OA(54, 3^18 18)
// Its D(6, 6, 3) less its first column from every column, which keeps the
// differences and makes the first column zero.
std::vector<std::vector<int>> differenceMatrix6();
// D(18, 18, 3) = D(6, 6, 3) (x) D(3, 3, 3) from that one, rows (i1, i2) and
// columns (j1, j2) as 3 i1 + i2 and 3 j1 + j2: column (0, j2) is i2 j2.
std::vector<std::vector<int>> differenceMatrix18();
Array expanded54();          // OA(54, 2 3^25): the 18-level column replaced by OA(18, 2 3^7)
// The three 36-run arrays with three 6-level columns (found by search).
Array sixLevelTriple28();   // OA(36, 2^8 6^3)
Array sixLevelTriple37();   // OA(36, 3^7 6^3)
Array sixLevelTriple1x1();  // OA(36, 2 3 6^3)

// ----- operations ---------------------------------------------------------------
// Column c with value x replaced by x mod t; t must divide its level count.
Column collapsed(const Column& c, int t);
// Array a with column c replaced by the rows of b (b.runs equal to the
// levels of column c); b's columns are appended after a's remaining columns.
Array expandColumn(const Array& a, int c, const Array& b);
// Array b with its rows reordered so that at row i its first k columns read
// cells[i] (each cell k values long), the rows of one cell taken last
// first; an array of no runs when the cells' counts differ from b's.
Array rowsReading(const Array& b, const std::vector<std::vector<int>>& cells);
// The array with the columns of the given level pattern: counts[s] columns
// of s levels, s = 2..counts.size()-1. Picks, for s from 6 down to 2, first the unused
// columns of exactly s levels, then unused columns whose level count is a
// multiple of s (fewest levels first), collapsed to s. The columns come out
// ordered by level count, stably. Returns false when the parent runs short.
bool deriveByPattern(const Array& parent, const std::vector<int>& counts, Array& out);

// Every column balanced and every two columns showing each pair of levels
// equally often, every value within its column's levels.
bool hasStrengthTwo(const Array& a);

// ----- literal arrays -------------------------------------------------------------
// Rows of digits, one per column, into an array with the given level
// counts; the digit firstLevel stands for level 0.
Array fromDigitRows(const std::vector<std::string>& rows, const std::vector<int>& levels, int firstLevel);

}  // namespace oagen
