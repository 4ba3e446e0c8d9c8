#include "tools/oagen/signed_word_blocks.h"

#include <map>
#include <string>

namespace oagen {

namespace {

// Word lists by block count, each as many words as the published parent
// OA(4m, 2^k m) has two-level columns; the first word is all a, which every
// list can be brought to by renaming letters and cases block by block.
const std::map<int, std::vector<std::string>>& storedWords() {
    static const std::map<int, std::vector<std::string>> words = {
        {7,
         {"aaaaaaa", "aCBcAaA", "ACbBBaB", "BCabBAC", "CBaACCc", "cAaBbCC", "bbaAAca", "CcBBBbC", "cbBCBCc",
          "AcabcaA", "CbbaACb", "abbAabA"}},
    };
    return words;
}

}  // namespace

std::vector<int> signedWordBlockCounts() {
    std::vector<int> counts;
    for (const auto& [m, words] : storedWords()) counts.push_back(m);
    return counts;
}

Array signedWordBlocks(int blocks) {
    const auto it = storedWords().find(blocks);
    return it == storedWords().end() ? Array{} : signedWords(it->second, false);
}

}  // namespace oagen
