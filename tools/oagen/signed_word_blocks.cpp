#include "tools/oagen/signed_word_blocks.h"

#include <map>
#include <string>
#include <vector>

namespace oagen {

namespace {

// A list closed under a permutation of the blocks, x -> u x + s mod m: the
// images of one generator are pairwise orthogonal when, at every power of
// the permutation, its agreements with itself split evenly into same-case
// and opposite-case ones, and the images of two generators when that holds
// between them at every power. The cyclic shifts (u = 1, s = 1) are the
// plainest case. A constant word of a letter is orthogonal to every image
// when the generator holds that letter as often in lower as in upper case.
// A search over the generators alone is far smaller than one over whole
// lists. The permutation must have odd order: an involution fixes an odd
// number of the m blocks (m odd) and pairs up the rest, so a word and its
// image would agree in an odd number of blocks and never be orthogonal.
// Over OA(4, 2^3) no cyclic generator exists when m = 7 mod 8 (7, 15, 23,
// 31, ...). The signed agreements of the generator with its m shifts, the
// shift 0 included, sum to m; written with z_x = sign_x w^letter_x (w a cube
// root of one), that sum is (s^2 + 2 |sum z|^2) / 3, s the sum of the signs.
// s is odd, so |sum z|^2 = 2 mod 4 there, which no a^2 - ab + b^2 is. For
// 15 blocks the shift by 5, of order 3, serves instead (a satisfiability
// search over five generators), with two words of period 5, which it fixes.
// Where the images are too few, words orthogonal to all of them join them:
// for the 13-block list, every such word of the generator was found by
// matching the correlation vectors of its two halves, and a clique search
// picked three.
struct OrbitWords {
    int base;
    int multiplier;
    int shift;
    int orbit;  // images of each generator, the identity first
    std::vector<std::string> generators;
    std::string constantLetters;
    int words;  // the published parent's two-level columns: the constants, the images, the extra words, cut there
    std::vector<std::string> extra = {};
};

const std::vector<OrbitWords>& orbitWords() {
    static const std::vector<OrbitWords> lists = {
        {4, 3, 0, 5, {"bacCbAbbaaB", "CBabAbCBBac", "ACaBbCCcCAA"}, "", 15},  // OA(44, 2^15 11)
        {4, 1, 1, 13, {"aAAbAbBacABcc"}, "", 16, {"aCccBCbBcacba", "cbaaCccBCbBca", "cCCbcBbCACBAA"}},  // OA(52, 2^16 13)
        {4, 1, 5, 3, {"acAaBaCbaaaBcAb", "BbccACabAcBBaac", "aBACBAAbcBAcaaB", "aaccBbbBbaBbCAB", "BCBaABcBcacAcBC"},
         "", 17, {"bBBccbBBccbBBcc", "BBCAaBBCAaBBCAa"}},  // OA(60, 2^17 15)
        {4, 1, 1, 17, {"aBBcBACaCBAaCAbcB"}, "a", 18},            // OA(68, 2^18 17)
        {4, 1, 1, 19, {"aACCcaACaCbbBBABBaB"}, "", 19},           // OA(76, 2^19 19)
        {4, 1, 1, 21, {"aCbCcAACAAcbbBBcaAcbA"}, "", 20},         // OA(84, 2^20 21)
        {4, 1, 1, 25, {"acBacbabBcbAACCbacabCaBbC"}, "", 22},     // OA(100, 2^22 25)
        {4, 1, 1, 27, {"AcbBacABBcBBCCCCcaAACcaCBAa"}, "", 22},   // OA(108, 2^22 27)
        {4, 1, 1, 29, {"bCcBbaBCBAcbcBBCcBaaAcccbccCA"}, "", 23},  // OA(116, 2^23 29)
    };
    return lists;
}

std::vector<std::string> expandOrbits(const OrbitWords& o) {
    const int m = static_cast<int>(o.generators.front().size());
    std::vector<std::string> words;
    const auto full = [&] { return words.size() >= static_cast<std::size_t>(o.words); };
    for (char letter : o.constantLetters) words.emplace_back(static_cast<std::size_t>(m), letter);
    for (const std::string& g : o.generators) {
        std::vector<int> image(static_cast<std::size_t>(m));  // block x of this word reads block image[x] of g
        for (int x = 0; x < m; ++x) image[static_cast<std::size_t>(x)] = x;
        for (int power = 0; power < o.orbit && !full(); ++power) {
            std::string w;
            for (int x : image) w += g[static_cast<std::size_t>(x)];
            words.push_back(w);
            for (int& x : image) x = (o.multiplier * x + o.shift) % m;
        }
    }
    for (const std::string& w : o.extra)
        if (!full()) words.push_back(w);
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
            {{12, 7},
             {"aaaaaaa", "bBBBAaB", "aABbKKC", "iEeECHg", "bKkcaiA", "iCFfjgG", "hJcjFFI", "akAAakB", "JdFJIGI",
              "jDFghGE", "BGBckBJ", "ieiGiGH", "hCffIGi", "gIGkEDk", "KKAeGHa", "CJCDBEf", "IHEEjHH", "bbhCkBC",
              "GIDheDd", "gFHieBj", "HeIfdFg", "kIKHGiK", "JHFjJji", "JDIGDJE", "aGbKAik", "KaKIKBA", "AAKKaak",
              "DJJDfeF"}},
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
        for (const OrbitWords& o : orbitWords())
            all[{o.base, static_cast<int>(o.generators.front().size())}] = expandOrbits(o);
        return all;
    }();
    return words;
}

// The block column of words over a base of n runs, r / n, joined to a column
// of q levels that block b reads from byBlock[b]: q b + its value.
void joinBlockColumn(Array& a, int n, int q, const std::vector<const Column*>& byBlock) {
    Column& block = a.columns.back();
    block.levels *= q;
    for (int r = 0; r < a.runs; ++r)
        block.values[static_cast<std::size_t>(r)] =
            q * (r / n) + byBlock[static_cast<std::size_t>(r / n)]->values[static_cast<std::size_t>(r % n)];
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

std::vector<std::string> fourLetterWordsInFiveBlocks() {
    return {"aaaaa", "BCCDc", "DaBCA", "CcdDD", "AcCad", "dBaBA", "cbdBb", "Aaccc", "BdBcC", "BDddB", "DdbBB", "cBAaD"};
}

std::vector<std::string> onDisjointLetters(const std::vector<std::string>& words, int span, int copies, int from) {
    if (span < 1 || copies < 1 || from < 0 || from + span * copies > kMostLetters) return {};
    std::vector<std::string> moved;
    for (int c = 0; c < copies; ++c)
        for (std::string w : words) {
            for (char& letter : w) {
                const bool lower = (letter | 0x20) == letter;
                const int index = (letter | 0x20) - 'a';
                if (index < 0 || index >= span) return {};
                letter = static_cast<char>((lower ? 'a' : 'A') + from + index + c * span);
            }
            moved.push_back(w);
        }
    return moved;
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
    const std::vector<const Column*> letters = twoLevelColumns(base);
    for (char spare : spares)
        if (spare < 'a' || spare - 'a' >= static_cast<int>(letters.size())) return {};
    if (kept.empty()) return {};
    Array a = signedWordsOver(base, kept);
    if (a.runs == 0) return {};
    std::vector<const Column*> byBlock;
    for (char spare : spares) byBlock.push_back(letters[static_cast<std::size_t>(spare - 'a')]);
    joinBlockColumn(a, base.runs, 2, byBlock);
    return a;
}

Array signedWordsJoinedToColumn(const Array& base, const std::vector<std::string>& words, int column) {
    if (column < 0 || column >= static_cast<int>(base.columns.size()) || words.empty()) return {};
    const Column& joined = base.columns[static_cast<std::size_t>(column)];
    if (joined.levels == 2) return {};
    Array a = signedWordsOver(base, words);
    if (a.runs == 0) return {};
    // The carried copies follow the words in the base's order of its columns
    // of more than two levels.
    std::size_t copy = words.size();
    for (int c = 0; c < column; ++c)
        if (base.columns[static_cast<std::size_t>(c)].levels != 2) ++copy;
    joinBlockColumn(a, base.runs, joined.levels, std::vector<const Column*>(words.front().size(), &joined));
    a.columns.erase(a.columns.begin() + static_cast<std::ptrdiff_t>(copy));
    return a;
}

}  // namespace oagen
