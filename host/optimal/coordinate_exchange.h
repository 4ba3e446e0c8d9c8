// Coordinate exchange (Meyer and Nachtsheim, 1995): a D-optimal search that
// needs no candidate set. One factor of one run changes at a time, to the
// level that raises det(X'X) most; passes repeat until none gains. Its cost
// grows with runs x factors x levels, not with the full factorial, so it
// serves where the library's exchanges cannot scan the candidates.
#pragma once

#include "host/optimal/model.h"

#include <optional>
#include <random>

namespace vxhost {

struct CoordinateResult {
    LevelPlan plan;
    double logDet = 0.0;  // ln det(X'X); -infinity when no regular plan was reached
};

// From `start` when given (levels 1..s, column-major), else from a random
// plan whose columns are as balanced as the runs allow.
CoordinateResult coordinateExchange(const std::vector<int>& levels, int runs, int icode, std::mt19937& rng,
                                    const std::optional<LevelPlan>& start = std::nullopt);

// A random plan with every column as balanced as the runs allow.
LevelPlan balancedRandomPlan(const std::vector<int>& levels, int runs, std::mt19937& rng);

}  // namespace vxhost
