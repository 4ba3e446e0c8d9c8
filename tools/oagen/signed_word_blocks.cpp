#include "tools/oagen/signed_word_blocks.h"

#include <map>
#include <string>
#include <vector>

namespace oagen {

namespace {

// A list closed under shifting the blocks cyclically: the shifts of one
// generator are pairwise orthogonal when, at every shift, its agreements
// with itself split evenly into same-case and opposite-case ones; a
// constant word of a letter is orthogonal to every shift when the generator
// holds that letter as often in lower as in upper case. A search over the
// generator alone is far smaller than one over whole lists. Where the shifts
// are too few, words orthogonal to every shift and to each other join them:
// all such words of a generator are found by splitting it in two halves and
// matching the halves' correlation vectors, and a clique search picks them.
struct CyclicWords {
    int base;
    std::string generator;
    std::string constantLetters;
    int words;  // the published parent's two-level columns: the constants, then the shifts, cut there
    std::vector<std::string> extra = {};  // after the shifts
};

const std::vector<CyclicWords>& cyclicWords() {
    static const std::vector<CyclicWords> lists = {
        {4, "aAAbAbBacABcc", "", 16, {"aCccBCbBcacba", "cbaaCccBCbBca", "cCCbcBbCACBAA"}},  // OA(52, 2^16 13)
        {4, "aBBcBACaCBAaCAbcB", "a", 18},      // OA(68, 2^18 17)
        {4, "aACCcaACaCbbBBABBaB", "", 19},     // OA(76, 2^19 19)
        {4, "aCbCcAACAAcbbBBcaAcbA", "", 20},   // OA(84, 2^20 21)
        {4, "acBacbabBcbAACCbacabCaBbC", "", 22},  // OA(100, 2^22 25)
        {4, "AcbBacABBcBBCCCCcaAACcaCBAa", "", 22},  // OA(108, 2^22 27)
    };
    return lists;
}

std::vector<std::string> expandCyclic(const CyclicWords& c) {
    const std::size_t m = c.generator.size();
    std::vector<std::string> words;
    for (char letter : c.constantLetters) words.emplace_back(m, letter);
    for (std::size_t shift = 0; shift < m && words.size() < static_cast<std::size_t>(c.words); ++shift)
        words.push_back(c.generator.substr(shift) + c.generator.substr(0, shift));
    for (const std::string& w : c.extra)
        if (words.size() < static_cast<std::size_t>(c.words)) words.push_back(w);
    return words;
}

// Word lists by (base runs, blocks), each as many words as the published
// parent OA(n m, 2^k m) has two-level columns. The searched lists begin with
// the all-a word, which every list can be brought to by renaming letters and
// cases block by block.
const std::map<std::pair<int, int>, std::vector<std::string>>& storedWords() {
    static const std::map<std::pair<int, int>, std::vector<std::string>> words = [] {
        std::map<std::pair<int, int>, std::vector<std::string>> all = {
            {{4, 7},
             {"aaaaaaa", "aCBcAaA", "ACbBBaB", "BCabBAC", "CBaACCc", "cAaBbCC", "bbaAAca", "CcBBBbC", "cbBCBCc",
              "AcabcaA", "CbbaACb", "abbAabA"}},
            {{12, 5},
             {"aaaaa", "eGkef", "aIDAj", "DBbfe", "DbFhB", "dEFBe", "EGkEi", "bkGCk", "IhhId", "Fkccg", "BkJJG",
              "cAadh", "ihAda", "GCiGC", "FJCID", "fDcID", "eBFEE", "gCEhb", "khHDh", "geeBC", "deEfB", "JiJjj",
              "hIJjJ"}},
            {{12, 11},
             {"aaaaaaaaaaa", "BhhGfIGDCKE", "cCiiEddKkHF", "jggJhEhJFIj", "fIAcHhEJakE", "kbCIEHEIEBK", "HdEBDiGFeBb",
              "gEhaAigDgEd", "fJgDJHHCidk", "dFKhCbIHhFG", "GECgdaGiDEA", "KEigfDfIjeh", "bKhAaGBEgCi",
              "eFeFGjigbJb", "gdFKEkkkDbD", "eIffEKeeghD", "KbjkjdHkjIH", "JehgCEJHHfI", "akdHkfBHhAg",
              "JgHeKCBDBJC", "CAgdgjCjaGF", "KhJIFdDCkDh", "DkdhKckadCA", "HgEEdAaffJc", "iJKCghiGEgb",
              "KBDBHHhaEAH", "dAAHicaaAaC"}},
            {{20, 7},
             {"aaaaaaa", "fMnROkj", "mGAMaoG", "fiinmqJ", "JDksdNi", "bBgFNid", "lCklBnO", "CkfOccm", "oDbJDjf",
              "qoGFPDE", "GmbRKJR", "lRcbbmP", "QfSpgfE", "hpmdrEb", "rqnISKL", "nLeNEqh", "kdOlJNf", "QBpEGDD",
              "NLfoEhH", "rJCHsmN", "aSdbIAp", "kghgjok", "nhPpGLH", "ckjgHBK", "ppaMRRA", "AalalAC", "Hmndokr",
              "sJfiSHM", "fmIjkjR", "qBSfniQ", "eEJhHPN", "mOlmPRc", "dcdkiGO", "mgHepDs", "dqRKFSl", "sNRcCsm",
              "HSmDigb", "BBseQfS"}},
            {{28, 3}, pairedWordsInThreeBlocks(27)},
        };
        for (const CyclicWords& c : cyclicWords())
            all[{c.base, static_cast<int>(c.generator.size())}] = expandCyclic(c);
        return all;
    }();
    return words;
}

}  // namespace

// Two words that share a letter in one block must share one in a second
// block too, with opposite sign products, and a third word cannot share
// with both; so the list is made of such pairs.
std::vector<std::string> pairedWordsInThreeBlocks(int letters) {
    std::vector<std::string> words;
    if (letters > kMostLetters) return words;
    int next[3] = {0, 0, 0};  // the first unused letter of each block
    for (int round = 0;; ++round) {
        const int twice = round % 3;  // the block where the pair's words differ
        // The block spending two has spent the least so far, and the others
        // at most one more, so it runs short first.
        if (next[twice] + 2 > letters) break;
        std::string first(3, ' '), second(3, ' ');
        for (int b = 0; b < 3; ++b) {
            const char lower = static_cast<char>('a' + next[b]);
            if (b == twice) {
                first[b] = lower;
                second[b] = static_cast<char>(lower + 1);
                next[b] += 2;
            } else {
                first[b] = lower;
                // Opposite signs in the first shared block, equal in the second.
                second[b] = b == (twice + 1) % 3 ? static_cast<char>(lower - 'a' + 'A') : lower;
                ++next[b];
            }
        }
        words.push_back(first);
        words.push_back(second);
    }
    return words;
}

std::vector<std::pair<int, int>> signedWordShapes() {
    std::vector<std::pair<int, int>> shapes;
    for (const auto& [shape, words] : storedWords()) shapes.push_back(shape);
    return shapes;
}

std::vector<std::string> signedWordList(int base, int blocks) {
    const auto it = storedWords().find({base, blocks});
    return it == storedWords().end() ? std::vector<std::string>{} : it->second;
}

Array signedWordBlocks(int base, int blocks) {
    const std::vector<std::string> words = signedWordList(base, blocks);
    return words.empty() ? Array{} : signedWordsOver(hadamard(base), words);
}

Array signedWordsWithSpares(const Array& base, const std::vector<std::string>& words, const std::string& spares) {
    std::vector<std::string> kept;
    for (const std::string& w : words) {
        if (w.size() != spares.size()) return {};
        bool holdsSpare = false;
        for (std::size_t b = 0; b < w.size(); ++b) holdsSpare = holdsSpare || (w[b] | 0x20) == spares[b];
        if (!holdsSpare) kept.push_back(w);
    }
    for (char spare : spares)
        if (spare < 'a' || spare - 'a' >= static_cast<int>(base.columns.size()) ||
            base.columns[static_cast<std::size_t>(spare - 'a')].levels != 2)
            return {};
    if (kept.empty()) return {};
    Array a = signedWordsOver(base, kept);
    Column& joined = a.columns.back();  // the block column, r / n
    const int n = base.runs;
    joined.levels = 2 * static_cast<int>(spares.size());
    for (int r = 0; r < a.runs; ++r) {
        const Column& spare = base.columns[static_cast<std::size_t>(spares[static_cast<std::size_t>(r / n)] - 'a')];
        joined.values[static_cast<std::size_t>(r)] = 2 * (r / n) + spare.values[static_cast<std::size_t>(r % n)];
    }
    return a;
}

}  // namespace oagen
