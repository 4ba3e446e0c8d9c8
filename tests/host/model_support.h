// Helpers shared by the tests of the model and its criteria.
#pragma once

#include "host/model/factor.h"
#include "host/model/region.h"
#include "host/optimal/criteria.h"

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

// The model of those factors and terms.
inline vxhost::model::Model modelOf(std::initializer_list<const char*> texts, const std::string& terms) {
    return vxhost::model::Model::parse(factors(texts), terms);
}

// The criteria of the plan X over the whole product of the factors' domains.
inline vxhost::optimal::Criteria criteriaOf(const vxhost::model::Model& m, const Eigen::MatrixXd& X) {
    const vxhost::model::Region region(m.factors());
    return vxhost::optimal::criteriaOf(m, region, X, vxhost::optimal::regionMoments(m, region));
}

}  // namespace modeltest
