// What restricts a plan's region beyond the factors' own ranges, as a
// practitioner writes it, in the factors' own units:
//   a linear inequality over numeric factors   "temp + 2*time <= 300"
//   a disallowed combination                   "cat=a,temp>180"
// Both are held in coded units (numeric factors) and level indices
// (categorical ones), the values a point holds.
#pragma once

#include "host/model/factor.h"

#include <string>
#include <vector>

namespace vxhost::model {

// sum over factors of coefficients[j] * x_j <= bound, x in coded units. A
// strict inequality is held as its closure: a region is closed, so that its
// optimum exists.
struct LinearConstraint {
    std::vector<double> coefficients;  // one per factor, 0 for a factor it leaves out
    double bound = 0.0;
    bool holds(const double* point) const;
};

enum class Relation { Equal, NotEqual, Below, AtMost, Above, AtLeast };

struct Condition {
    std::size_t factor = 0;
    Relation relation = Relation::Equal;
    double value = 0.0;  // coded value, or level index
    bool holds(const double* point) const;
};

// A point is disallowed when it meets every condition of the exclusion.
struct Exclusion {
    std::vector<Condition> conditions;
    bool excludes(const double* point) const;
};

// std::invalid_argument with a one-line reason when the text is malformed,
// names no factor or a categorical one, or can never hold.
LinearConstraint parseConstraint(const std::vector<Factor>& factors, const std::string& text);

// NAME OP VALUE joined by commas, OP one of = != < <= > >=; a categorical
// factor takes = or != and a level name.
Exclusion parseExclusion(const std::vector<Factor>& factors, const std::string& text);

}  // namespace vxhost::model
