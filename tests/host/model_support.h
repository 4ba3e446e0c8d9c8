// Helpers shared by the tests of the model and its criteria.
#pragma once

#include "host/model/factor.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace modeltest {

// "x<j>=0:1", built without operator+ on a literal (which g++ 12 misreads
// under -Wrestrict).
inline std::string continuousFactor(int j) {
    std::string text = "x";
    text += std::to_string(j);
    text += "=0:1";
    return text;
}

// The factors of NAME=... texts, in order.
inline std::vector<vxhost::model::Factor> factors(std::initializer_list<const char*> texts) {
    std::vector<vxhost::model::Factor> f;
    for (const char* t : texts) f.push_back(vxhost::model::parseFactor(t));
    return f;
}

}  // namespace modeltest
