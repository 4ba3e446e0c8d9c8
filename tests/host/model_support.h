// Helpers shared by the tests of the model and its criteria.
#pragma once

#include <string>

namespace modeltest {

// "x<j>=0:1", built without operator+ on a literal (which g++ 12 misreads
// under -Wrestrict).
inline std::string continuousFactor(int j) {
    std::string text = "x";
    text += std::to_string(j);
    text += "=0:1";
    return text;
}

}  // namespace modeltest
