// The factors of a model-based plan, as a practitioner states them:
//   NAME=LOW:HIGH     continuous, coded to [-1, 1]
//   NAME=LOW:HIGH/K   numeric at K equally spaced levels, coded likewise
//   NAME=a|b|c        categorical, its levels coded by index 0..s-1
// A point of the factor space holds one value per factor: the coded value
// of a numeric factor, the level index of a categorical one.
#pragma once

#include <string>
#include <vector>

namespace vxhost::model {

enum class FactorKind { Continuous, Numeric, Categorical };

struct Factor {
    std::string name;
    FactorKind kind = FactorKind::Continuous;
    double low = -1.0, high = 1.0;        // own units of a continuous or numeric factor
    int levelCount = 0;                   // K of a numeric factor, s of a categorical one
    std::vector<std::string> categories;  // a categorical factor's level names
    // The blocks of a blocked plan: a categorical factor whose level each
    // run is given, not searched, and whose effects are nuisance to the
    // criteria but D.
    bool block = false;

    bool numeric() const { return kind != FactorKind::Categorical; }
    bool discrete() const { return kind != FactorKind::Continuous; }
    // The values a discrete factor takes in a point: coded levels from -1
    // to 1, or level indices 0..s-1.
    std::vector<double> levelValues() const;
    // Own units to coded and back (numeric factors).
    double coded(double own) const;
    double own(double coded) const;
};

// The factor of one NAME=... text; std::invalid_argument with a one-line reason when
// it is malformed.
Factor parseFactor(const std::string& given);

// The most levels a discrete factor may have: each is scanned at every
// coordinate of a search.
inline constexpr int kMostLevels = 1000;

}  // namespace vxhost::model
