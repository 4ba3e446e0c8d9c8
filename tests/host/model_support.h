// Helpers shared by the tests of the model and its criteria.
#pragma once

#include <string>

namespace modeltest {

// "x<j>=0:1", built without operator+ on a literal (which g++ 12 misreads
// under -Wrestrict).
inline std::string continuousSpec(int j) {
    std::string spec = "x";
    spec += std::to_string(j);
    spec += "=0:1";
    return spec;
}

}  // namespace modeltest
