#include "tools/oagen/extended_table.h"

#include "tools/oagen/chinese_remainder_scheme.h"
#include "tools/oagen/copy_joined_scheme.h"
#include "tools/oagen/crossed_rows.h"
#include "tools/oagen/doubled_joined_pair.h"
#include "tools/oagen/doubling_with_contraction.h"
#include "tools/oagen/four_level_triple.h"
#include "tools/oagen/hadamard_fold_over.h"
#include "tools/oagen/joined_copies.h"
#include "tools/oagen/kronecker_sum.h"
#include "tools/oagen/one_flat.h"
#include "tools/oagen/projected_multiplication.h"
#include "tools/oagen/quadratic_form_blocks.h"
#include "tools/oagen/rao_hamming_plane.h"
#include "tools/oagen/row_orbit_columns.h"
#include "tools/oagen/searched_six_level_arrays.h"
#include "tools/oagen/searched_subspace_packings.h"
#include "tools/oagen/signed_word_blocks.h"
#include "tools/oagen/six_level_splits.h"
#include "tools/oagen/stored_difference_matrices.h"
#include "tools/oagen/subspace_packing.h"
#include "tools/oagen/twelve_level_scheme.h"

#include <algorithm>
#include <bit>
#include <ostream>
#include <stdexcept>

namespace oagen {

namespace {

void add(std::vector<NamedArray>& table, const std::string& name, Array a) {
    if (a.runs > 0 && a.runs <= kExtendedMaxRuns) table.push_back({name, std::move(a)});
}

// Columns in a string literal: level s as the character '0' + s, cell v as
// '0' + v, the backslash ('0' + 44) escaped and so the question mark ('0' +
// 15), which could otherwise begin a trigraph. Levels stay below 79, so every
// character is printable and no quote is ever written.
std::string digit(int v) {
    const char c = static_cast<char>('0' + v);
    return c == '\\' || c == '?' ? std::string{'\\', c} : std::string(1, c);
}

int firstColumnWith(const Array& a, int levels) {
    for (std::size_t c = 0; c < a.columns.size(); ++c)
        if (a.columns[c].levels == levels) return static_cast<int>(c);
    return -1;
}

// The array doubled, its first column of 2^t levels merged with a closed
// set of Hadamard columns.
Array doubledOn(const Array& b, int t) { return doubleWithContraction(b, firstColumnWith(b, 1 << t), t); }

DifferenceMatrix rowsTakenTwice(DifferenceMatrix d) {
    const std::size_t rows = d.size();
    for (std::size_t i = 0; i < rows; ++i) d.push_back(d[i]);
    return d;
}

// Doubling with contraction on the arrays of 12 to 72 runs whose doubles
// are published parents: OA(2M, 2^(M-2) 4 B') and their doubles again.
void addDoublings(std::vector<NamedArray>& table) {
    const auto put = [&](const Array& a, const std::string& from) {
        add(table, "doubling with contraction of " + from, a);
        return a;
    };
    const Array w12 = put(doubledOn(signedWords12(), 1), "OA(12, 2^4 3)");  // 2^13 3 4 in 24
    put(doubledOn(w12, 2), "OA(24, 2^13 3 4)");                            // 2^33 3 8 in 48
    put(doubledOn(doubledOn(w12, 2), 3), "OA(48, 2^33 3 8)");              // 2^73 3 16 in 96
    const Array w24 = put(doubledOn(signedWords24(), 2), "OA(24, 2^11 4 6)");  // 2^31 6 8 in 48
    put(doubledOn(w24, 3), "OA(48, 2^31 6 8)");                                 // 2^71 6 16 in 96
    const Array w20 = put(doubledOn(signedWords20(), 1), "OA(20, 2^8 5)");     // 2^25 4 5 in 40
    put(doubledOn(w20, 2), "OA(40, 2^25 4 5)");                                 // 2^61 5 8 in 80
    for (int k : {10, 14, 18, 22, 26, 30, 34}) {
        const std::string name = "OA(" + std::to_string(2 * k) + ", 2^2 " + std::to_string(k) + ")";
        const Array once = put(doubledOn(differenceSchemeTwoColumns(k), 1), name);  // 2^(2k-1) 4 k in 4k
        if (k == 10 || k == 14 || k == 18)
            put(doubledOn(once, 2), "OA(" + std::to_string(4 * k) + ", 2^" + std::to_string(2 * k - 1) + " 4 " +
                                        std::to_string(k) + ")");  // 2^(6k-5) 8 k in 8k
    }
    for (const StoredDifferenceMatrix& d : storedDifferenceMatrices())  // 2^(M-2^t) (2^t)^(c-1) 2^(t+1) r in 2M
        if (d.p == 2) put(doubledOn(expandOverGroup(entriesOf(d), 2, d.t), d.t), "a stored difference scheme");
    for (const auto& [n, m] : signedWordShapes()) {  // 2^(nm-2+k) 4 m in 2nm, and 2^(5nm-6+k) 8 m in 4nm
        const Array words = signedWordBlocks(n, m);
        const Array once = put(doubledOn(words, 1), "OA(" + std::to_string(n * m) + ", 2^" +
                                                        std::to_string(words.columns.size() - 1) + " " +
                                                        std::to_string(m) + ")");
        put(doubledOn(once, 2), "OA(" + std::to_string(2 * n * m) + ", 2^" + std::to_string(once.columns.size() - 2) +
                                    " 4 " + std::to_string(m) + ")");
    }
    put(doubledOn(expandColumn(sixLevelTriple37(), 7, fullFactorial({2, 3})), 1), "OA(36, 2 3^8 6^2)");
    put(doubledOn(expanded36Mixed(), 1), "OA(36, 2^2 3^12 6)");
    put(doubledOn(expandColumn(differenceScheme36(), 12, signedWords12()), 1), "OA(36, 2^4 3^13)");
    put(doubledOn(sixLevelTriple28(), 1), "OA(36, 2^8 6^3)");
    put(doubledOn(expanded36Binary(), 1), "OA(36, 2^11 3^12)");
    put(doubledOn(blockRotatedArray36(), 1), "OA(36, 2^27 3)");                // 2^60 3 4 in 72
    put(doubledOn(blockRotatedArray36With(3), 1), "OA(36, 2^20 3^2)");         // 2^53 3^2 4 in 72
    put(doubledOn(blockRotatedArray36With(6), 1), "OA(36, 2^18 3 6)");         // 2^51 3 4 6 in 72
    for (const Array& a : sixLevelSplitArrays36()) put(doubledOn(a, 1), "a 36-run array with six-level columns");
    for (const Array& a : searchedSixLevelArrays36()) put(doubledOn(a, 1), "a 36-run array found by a satisfiability search");
    put(doubledOn(chineseRemainderScheme72(), 1), "OA(72, 2^6 3^6 6^6 12)");  // 2^75 3^6 4 6^6 12 in 144
    put(doubledOn(chineseRemainderSchemes72WithFourLevel()[1], 2), "OA(72, 2^7 3^7 4 6^6)");  // 2^75 3^7 6^6 8 in 144
}

// 32 words of five blocks over eleven letters: two copies of the
// four-letter words and OA(20)'s on the last three.
std::vector<std::string> wordsOverElevenLetters() {
    std::vector<std::string> words = onDisjointLetters(fourLetterWordsInFiveBlocks(), 4, 2);
    for (const std::string& w : onDisjointLetters(signedWordList20(), 3, 1, 8)) words.push_back(w);
    return words;
}

// Signed words over bases with columns of other level counts, which ride
// along in every block or join the block column. Four copies of OA(20)'s
// words of 5 blocks over the 12 two-level columns of OA(28, 2^12 7), its
// 7-level column riding along: 2^32 5 7 in 140.
void addWordsOverMixedBases(std::vector<NamedArray>& table) {
    const Array seven = signedWordBlocks(4, 7);
    const std::vector<std::string> twelveLetters = onDisjointLetters(signedWordList20(), 3, 4);
    add(table, "4 copies of the words of OA(20, 2^8 5) in 5 blocks of OA(28, 2^12 7)", signedWordsOver(seven, twelveLetters));
    // The block column joined to a column of the base instead: 2^32 35 in
    // 140 over OA(28, 2^12 7), 2^22 33 in 132 over OA(44, 2^15 11).
    add(table, "4 copies of the words of OA(20, 2^8 5) in 5 blocks of OA(28, 2^12 7), its 7-level column joined to "
               "the block column",
        signedWordsJoinedToColumn(seven, twelveLetters, 12));
    add(table, "paired words in 3 blocks of OA(44, 2^15 11), its 11-level column joined to the block column",
        signedWordsJoinedToColumn(signedWordBlocks(4, 11), pairedWordsInThreeBlocks(15), 15));
    // Over OA(24, 2^11 4 6), its 4-level column joined and the 6-level one
    // riding along: 2^32 6 20 in 120.
    const Array twentyFour = signedWords24();
    add(table, "words of 4 and 3 letters in 5 blocks of OA(24, 2^11 4 6), its 4-level column joined to the block column",
        signedWordsJoinedToColumn(twentyFour, wordsOverElevenLetters(), firstColumnWith(twentyFour, 4)));
    // The paired words of three blocks over OA(36, 2^13 3^2 6) and
    // OA(36, 2^13 6^2): over 12 of their 13 two-level columns, the 13th
    // spare, 2^18 3^2 6^2 and 2^18 6^3 in 108; over all 13, the last 6-level
    // column joined to the block column, 2^18 3^2 18 and 2^18 6 18.
    for (const Array& a : searchedSixLevelArrays36())
        if (twoLevelColumns(a).size() == 13) {
            const std::string words = "paired words in 3 blocks of a 36-run array found by a satisfiability search, ";
            add(table, words + "a spare column of each block joined to the block column",
                signedWordsWithSpares(a, pairedWordsInThreeBlocks(12), "mmm"));
            add(table, words + "a 6-level column joined to the block column",
                signedWordsJoinedToColumn(a, pairedWordsInThreeBlocks(13), static_cast<int>(a.columns.size()) - 1));
        }
}

// Signed words with a spare Hadamard column in each block, joined to the
// block column: the 23 words of 5 blocks of OA(12) less the two holding the
// spares give 2^21 10 in 60, the 38 of 7 blocks of OA(20) less three 2^35 14
// in 140, and the paired words of three blocks over all but one column of
// OA(20) and OA(28) 2^26 6 in 60 and 2^38 6 in 84, and over 30 columns of
// OA(36) 2^44 6 in 108; the 60-run ones doubled. Over a base of signed words
// itself, the base's block column rides along: the 23 words of 5 blocks over
// 11 of the 12 two-level columns of OA(28, 2^12 7) give 2^23 7 10 in 140, and
// the paired words over 14 of the 15 of OA(44, 2^15 11) 2^20 6 11 in 132.
void addSpareColumnWords(std::vector<NamedArray>& table) {
    const auto put = [&](const Array& a, const std::string& words) {
        add(table, words + ", a spare column of each block joined to the block column", a);
        return a;
    };
    const Array ten = put(signedWordsWithSpares(hadamard(12), signedWordList(12, 5), "cfgkk"),
                          "signed words in 5 blocks of OA(12, 2^11)");
    put(signedWordsWithSpares(hadamard(20), signedWordList(20, 7), "ieqqfpg"),
        "signed words in 7 blocks of OA(20, 2^19)");
    const Array six = put(signedWordsWithSpares(hadamard(20), pairedWordsInThreeBlocks(18), "sss"),
                          "paired words in 3 blocks of OA(20, 2^19)");
    put(signedWordsWithSpares(hadamard(28), pairedWordsInThreeBlocks(26), "{{{"),
        "paired words in 3 blocks of OA(28, 2^27)");
    // Letter 30, the last the encoding allows, kept spare: 44 words of OA(36, 2^35).
    put(signedWordsWithSpares(hadamard(36), pairedWordsInThreeBlocks(30), std::string(3, static_cast<char>('a' + 30))),
        "paired words in 3 blocks of OA(36, 2^35)");
    put(signedWordsWithSpares(signedWordBlocks(4, 7), signedWordList(12, 5), "lllll"),
        "signed words in 5 blocks of OA(28, 2^12 7)");
    put(signedWordsWithSpares(signedWordBlocks(4, 11), pairedWordsInThreeBlocks(14), "ooo"),
        "paired words in 3 blocks of OA(44, 2^15 11)");
    // Copies on disjoint letters: 8 copies of OA(20)'s words over 24 of the 27
    // columns of OA(28), 'y' spare, give 2^64 10 in 140; two of the 7-block
    // words over OA(20, 2^8 5), with one word of the letter 'g' alone and 'h'
    // spare, 2^25 5 14.
    put(signedWordsWithSpares(hadamard(28), onDisjointLetters(signedWordList20(), 3, 8), "yyyyy"),
        "8 copies of the words of OA(20, 2^8 5) in 5 blocks of OA(28, 2^27)");
    std::vector<std::string> seven = onDisjointLetters(signedWordList(4, 7), 3, 2);
    seven.emplace_back(7, 'g');
    put(signedWordsWithSpares(signedWords20(), seven, "hhhhhhh"),
        "2 copies of the words of OA(28, 2^12 7) in 7 blocks of OA(20, 2^8 5)");
    // Over the fold-over OA(24, 2^12 12), 'l' spare: 2^32 10 12 in 120.
    put(signedWordsWithSpares(hadamardFoldOver(12), wordsOverElevenLetters(), "lllll"),
        "words of 4 and 3 letters in 5 blocks of the fold-over OA(24, 2^12 12)");
    add(table, "doubling with contraction of OA(60, 2^21 10)", doubledOn(ten, 1));
    add(table, "doubling with contraction of OA(60, 2^26 6)", doubledOn(six, 1));
}

// Paired words in three blocks of OA(12), OA(20) and OA(36), the last over
// 31 of its 35 columns, the most the encoding allows: 2^16 3 in 36, 2^28 3 in
// 60 and 2^46 3 in 108, doubled to 2^49 3 4 in 72, 2^85 3 4 in 120 and
// 2^117 3 8 in 144, each a column more than the table holds otherwise. They
// stay below the published 2^27 3 and 2^30 3: words over one Hadamard array
// per block pair up, a pair spending four of the 3(n - 1) letters, so no
// list is longer than these.
void addPairedWordsBelowTheParents(std::vector<NamedArray>& table) {
    for (int n : {12, 20, 36}) {
        const std::string name =
            "paired words in 3 blocks of OA(" + std::to_string(n) + ", 2^" + std::to_string(n - 1) + ")";
        const Array words = signedWordsOver(hadamard(n), pairedWordsInThreeBlocks(std::min(n - 1, kMostLetters)));
        add(table, name, words);
        const Array once = doubledOn(words, 1);
        add(table, "doubling with contraction of " + name, once);
        add(table, "doubling with contraction of " + name + ", doubled again on its 4-level column",
            doubledOn(once, 2));
    }
}

// Arrays taken once for each level of another's column, the copy joined to
// one of their columns: 2^18 5^9 10 and 2^7 5^10 10 in 100 runs, 3^20 6 21
// in 126, 2^42 6 in 132, 3^11 4^11 12^2 in 144.
void addJoinedCopies(std::vector<NamedArray>& table) {
    const auto put = [&](const Array& a, const std::string& from, const Array& b, const std::string& over, int copyLevels) {
        const int row = static_cast<int>(a.columns.size()) - 1;
        add(table, from + " once for each level of a column of " + over + ", joined to its first column",
            joinedCopies(a, row, 0, b, firstColumnWith(b, copyLevels)));
    };
    const Array d10 = differenceScheme50();
    put(d10, "D(10,10,5)", hadamard(20), "OA(20, 2^19)", 2);
    put(d10, "D(10,10,5)", signedWords20(), "OA(20, 2^8 5)", 2);
    put(hadamard(44), "OA(44, 2^43)", fullFactorial({2, 3}), "OA(6, 2 3)", 3);
    if (const StoredDifferenceMatrix* d = storedDifferenceMatrix(2, 2, 12))
        put(differenceScheme36(), "D(12,12,3)", expandOverGroup(entriesOf(*d), 2, 2), "OA(48, 4^12 12)", 4);
    if (const StoredDifferenceMatrix* d = storedDifferenceMatrix(3, 1, 21))
        put(expandOverGroup(entriesOf(*d), 3, 1), "D(21,21,3)", fullFactorial({2, 21}), "OA(42, 2 21)", 2);
}

// D(18,18,3) and D(36,36,3), each D(r,r,3) (x) D(3,3,3), with the copy
// joined to their column (0, 1), the row of D(3,3,3): every column (j1, j2)
// with j1 != 0 stays, and every 18- or 36-run array with a 3-level column
// stands in for the rows (3^20 6 9 in 54; 3^44 9 12, 3^39 6^3 9 and others
// in 108). Joined instead to a halving of D(12,12,3)'s rows on which eight
// of its columns are balanced (found by trying all 462), D(36,36,3) keeps
// those eight and the 24 columns with j2 != 0: 2^34 3^32 6 over OA(36, 2^35).
// D(36,36,3) = D(6,6,3) (x) D(6,6,3), both with a zero first column, joined
// to the first factor's row keeps its 30 columns with j2 != 0, over every
// 36-run array with a 6-level column: 2^2 3^42 18, 3^37 6^2 18 and others.
void addCopyJoinedSchemes(std::vector<NamedArray>& table) {
    const auto put = [&](const std::vector<std::vector<int>>& d, const std::string& joined, const std::vector<int>& phi,
                         const Array& b, int levels) {
        add(table,
            "D(" + std::to_string(d.size()) + "," + std::to_string(d.size()) + ",3) with its copy joined to " + joined +
                ", over an array of " + std::to_string(b.runs) + " runs",
            copyJoinedScheme(d, 3, phi, b, firstColumnWith(b, levels)));
    };
    const auto columnOne = [](const std::vector<std::vector<int>>& d) {
        std::vector<int> c;
        for (const std::vector<int>& row : d) c.push_back(row[1]);
        return c;
    };
    const std::vector<std::vector<int>> d18 = differenceMatrix18();
    for (const Array& b : {differenceScheme18(), expanded18()}) put(d18, "the rows of D(3,3,3)", columnOne(d18), b, 3);
    const std::vector<std::vector<int>> d36 = kroneckerSum(differenceMatrix12(), primeMultiplication(3), 3);
    std::vector<Array> bases = {differenceScheme36(), expanded36Binary(), expanded36Mixed(),
                                expandColumn(differenceScheme36(), 12, signedWords12()), sixLevelTriple37(),
                                sixLevelTriple1x1(), sixLevelTriple28(), blockRotatedArray36(),
                                blockRotatedArray36With(3), blockRotatedArray36With(6)};
    for (const std::vector<Array>& more : {sixLevelSplitArrays36(), searchedSixLevelArrays36()})
        bases.insert(bases.end(), more.begin(), more.end());
    for (const Array& b : bases) put(d36, "the rows of D(3,3,3)", columnOne(d36), b, 3);
    const std::vector<std::vector<int>> d66 = kroneckerSum(differenceMatrix6(), differenceMatrix6(), 3);
    std::vector<int> firstRow;
    for (std::size_t i = 0; i < d66.size(); ++i) firstRow.push_back(static_cast<int>(i / 6));
    for (const Array& b : bases)
        if (firstColumnWith(b, 6) >= 0) put(d66, "the rows of the first D(6,6,3)", firstRow, b, 6);
    const std::string half = "100110011100";  // by row of D(12,12,3)
    std::vector<int> halving;
    for (std::size_t i = 0; i < d36.size(); ++i) halving.push_back(half[i / 3] - '0');
    put(d36, "a halving of D(12,12,3)'s rows", halving, hadamard(36), 2);
}

}  // namespace

std::vector<NamedArray> buildExtendedTable() {
    std::vector<NamedArray> table;
    for (int q : {2, 3, 4, 5, 7, 8, 9, 11})
        for (int n = 2, runs = q * q; runs <= kExtendedMaxRuns; ++n, runs *= q)
            add(table, "Rao-Hamming GF(" + std::to_string(q) + ")^" + std::to_string(n), raoHammingOver(q, n));
    for (int p : {3, 5})
        for (int n = 3, runs = p * p * p; runs <= kExtendedMaxRuns; ++n, runs *= p)
            add(table,
                "linear array over GF(" + std::to_string(p) + ")^" + std::to_string(n) + ", one plane as a " +
                    std::to_string(p * p) + "-level column",
                raoHammingWithPlane(p, n));
    for (int k = 1; k <= 5; ++k) add(table, "GF(2)^4 with 4-level lines", binaryLinear(4, k));
    for (int k = 1; k <= 9; ++k) add(table, "GF(2)^5 with 4-level lines", binaryLinear(5, k));
    add(table, "signed words", signedWords12());
    add(table, "signed words", signedWords20());
    add(table, "signed words", signedWords24());
    for (const auto& [n, m] : signedWordShapes())
        add(table, "signed words in " + std::to_string(m) + " blocks of OA(" + std::to_string(n) + ", 2^" +
                       std::to_string(n - 1) + ")",
            signedWordBlocks(n, m));
    add(table, "difference scheme D(6,2,2)", differenceScheme12());
    add(table, "difference scheme D(6,6,3)", differenceScheme18());
    add(table, "difference scheme D(6,6,3), expanded", expanded18());
    add(table, "difference scheme D(12,12,3)", differenceScheme36());
    add(table, "difference scheme D(12,12,3), expanded", expanded36Binary());
    add(table, "difference scheme D(12,12,3), expanded", expanded36Mixed());
    add(table, "36-run array with three 6-level columns", sixLevelTriple28());
    add(table, "36-run array with three 6-level columns", sixLevelTriple37());
    add(table, "36-run array with three 6-level columns", sixLevelTriple1x1());
    for (const Array& a : sixLevelSplitArrays36())
        add(table, "difference scheme D(12,12,3) with six-level columns on halves of its rows", a);
    for (const Array& a : searchedSixLevelArrays36())
        add(table, "36-run array with 6-level columns, found by a satisfiability search", a);
    add(table, "27 two-level columns closed under a permutation of order 9 of the runs, found by a satisfiability search",
        blockRotatedArray36());
    for (int levels : {3, 6})
        add(table,
            "27 two-level columns closed under a permutation of order 9 of the runs beside a " + std::to_string(levels) +
                "-level column found by simulated annealing, the columns orthogonal to it",
            blockRotatedArray36With(levels));
    add(table, "difference schemes over Z_2 and Z_3 joined over Z_6", chineseRemainderScheme72());
    for (const Array& a : chineseRemainderSchemes72WithFourLevel())
        add(table, "difference schemes over Z_2 and Z_3 joined over Z_6, two columns over Z_2 made one of 4 levels", a);
    add(table, "difference scheme D(10,10,5)", differenceScheme50());
    add(table, "difference scheme D(10,10,5), expanded", expanded50());
    add(table, "difference scheme D(10,10,5) doubled, two 5-level columns joined to the doubling",
        doubledJoinedPair(differenceScheme50(), 0, 1));  // 5^8 10^3 in 100
    add(table, "difference scheme D(18,18,3)", differenceScheme54());
    add(table, "difference scheme D(18,18,3), expanded", expanded54());
    for (int order = 12; order <= kExtendedMaxRuns; order += 4)
        add(table, "Hadamard matrix of order " + std::to_string(order), hadamard(order));
    for (int k = 10; 2 * k <= kExtendedMaxRuns; k += 2)
        add(table, "difference scheme D(" + std::to_string(k) + ",2,2)", differenceSchemeTwoColumns(k));
    for (int n = 8; 2 * n <= kExtendedMaxRuns; n += 4)
        add(table, "fold-over of the Hadamard matrix of order " + std::to_string(n), hadamardFoldOver(n));
    for (int k = 1; k <= 3; ++k)
        for (int m = 12; (m << k) <= kExtendedMaxRuns; m += 4)
            if ((m & (m - 1)) != 0 || (k == 1 && m == 32))
                add(table, "one " + std::to_string(2 << k) + "-level flat in S_" + std::to_string(k) + " x H_" + std::to_string(m),
                    oneFlat(k, m));
    for (int r : {20, 28})
        add(table, "three 4-level columns over GF(4) beside the Hadamard matrix of order " + std::to_string(r),
            fourLevelTriple(r));
    addDoublings(table);
    addJoinedCopies(table);
    addSpareColumnWords(table);
    addWordsOverMixedBases(table);
    addPairedWordsBelowTheParents(table);
    addCopyJoinedSchemes(table);
    for (const auto& [q, t] : std::vector<std::pair<int, int>>{{16, 2}, {27, 1}, {25, 1}, {32, 2}, {16, 3}})
        add(table, "difference scheme from GF(" + std::to_string(q) + ") multiplication, " + std::to_string(t) +
                       (t == 1 ? " digit kept" : " digits kept"),
            projectedMultiplication(q, t));
    add(table, "GF(2)^5 packed by a 3-space and eight planes", subspacePacking32());
    for (const Array& a : searchedSubspacePackings())
        add(table,
            "GF(2)^" + std::to_string(std::bit_width(static_cast<unsigned>(a.runs)) - 1) +
                " packed by planes and lines, found by a randomized search",
            a);
    add(table, "difference scheme D(14,14,7)", expandOverGroup(doubledField(7, 4), 7, 1));
    add(table, "difference scheme D(20,20,5) from quadratic forms in 4 x 4 blocks",
        expandOverGroup(differenceMatrix20(), 5, 1));
    add(table, "difference scheme D(12,6,12) over Z_2 x Z_6", differenceScheme144());
    add(table, "OA(12, 2^11) and D(12,12,3) crossed with OA(12, 2^4 3)",
        crossedRows(paleyTypeOne(11), differenceMatrix12(), signedWords12()));
    if (const StoredDifferenceMatrix* d = storedDifferenceMatrix(3, 1, 21))  // every difference still uniform: 3^21 42
        add(table, "difference scheme D(21,21,3) with its rows taken twice",
            expandOverGroup(rowsTakenTwice(entriesOf(*d)), 3, 1));
    for (const StoredDifferenceMatrix& d : storedDifferenceMatrices()) {
        const Array a = expandOverGroup(entriesOf(d), d.p, d.t);
        const int r = static_cast<int>(d.rows.size()), c = static_cast<int>(d.rows.front().size());
        const std::string z = "Z_" + std::to_string(d.p);
        add(table,
            "difference scheme D(" + std::to_string(r) + "," + std::to_string(c) + "," + std::to_string(a.runs / r) +
                ") over " + (d.t == 1 ? z : "(" + z + ")^" + std::to_string(d.t)),
            a);
    }
    add(table, "difference scheme D(36,36,3) = D(12,12,3) x D(3,3,3)",
        expandOverGroup(kroneckerSum(differenceMatrix12(), primeMultiplication(3), 3), 3, 1));
    for (const NamedArray& n : table)
        if (!hasStrengthTwo(n.array)) throw std::logic_error(n.name + " is not an orthogonal array of strength 2");
    std::stable_sort(table.begin(), table.end(),
                     [](const NamedArray& a, const NamedArray& b) { return a.array.runs < b.array.runs; });
    return table;
}

void writeExtendedTable(std::ostream& out, const std::vector<NamedArray>& table) {
    out << "// Generated by tools/oagen (`oagen --extended FILE`) at build time. Do not edit.\n"
           "#include \"host/optimal/array_table.h\"\n\n"
           "namespace vxhost {\n\n"
           "// name, runs, columns, level of each column, cells column by column.\n"
           "const StoredArray kArrayTable[] = {\n";
    for (const NamedArray& n : table) {
        out << "    {\"" << n.name << "\", " << n.array.runs << ", " << n.array.columns.size() << ", \"";
        for (const Column& c : n.array.columns) out << digit(c.levels);
        out << "\",\n     \"";
        for (const Column& c : n.array.columns)
            for (int v : c.values) out << digit(v);
        out << "\"},\n";
    }
    out << "};\n\nconst int kArrayTableSize = " << table.size() << ";\n\n}  // namespace vxhost\n";
}

}  // namespace oagen
