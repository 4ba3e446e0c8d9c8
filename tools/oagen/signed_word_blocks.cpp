#include "tools/oagen/signed_word_blocks.h"

#include <map>
#include <string>

namespace oagen {

namespace {

// Word lists by (base runs, blocks), each as many words as the published
// parent OA(n m, 2^k m) has two-level columns; the first word is all a, which every
// list can be brought to by renaming letters and cases block by block.
const std::map<std::pair<int, int>, std::vector<std::string>>& storedWords() {
    static const std::map<std::pair<int, int>, std::vector<std::string>> words = {
        {{4, 7},
         {"aaaaaaa", "aCBcAaA", "ACbBBaB", "BCabBAC", "CBaACCc", "cAaBbCC", "bbaAAca", "CcBBBbC", "cbBCBCc",
          "AcabcaA", "CbbaACb", "abbAabA"}},
    };
    return words;
}

}  // namespace

std::vector<std::pair<int, int>> signedWordShapes() {
    std::vector<std::pair<int, int>> shapes;
    for (const auto& [shape, words] : storedWords()) shapes.push_back(shape);
    return shapes;
}

Array signedWordBlocks(int base, int blocks) {
    const auto it = storedWords().find({base, blocks});
    return it == storedWords().end() ? Array{} : signedWordsOver(hadamard(base), it->second);
}

}  // namespace oagen
