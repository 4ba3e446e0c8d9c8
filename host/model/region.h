// The region a plan's points come from: the product of the factors'
// domains, [-1, 1] for a continuous factor and the levels of a discrete one.
// The searches and the G criterion move one coordinate of a point at a time,
// to the best value along it, and start from random points.
#pragma once

#include "host/model/factor.h"

#include <functional>
#include <random>
#include <vector>

namespace vxhost::model {

struct AlongCoordinate {
    double value = 0.0;
    double score = 0.0;
};

// The value of one coordinate that scores highest: every level of a
// discrete factor; for a continuous one, a grid over [-1, 1] in steps of
// 0.05 and a golden-section refinement in the steps either side of the best
// grid point. The score is a ratio of low-degree polynomials along the
// coordinate, smooth enough that the grid finds the right neighbourhood.
AlongCoordinate bestAlong(const Factor& f, const std::function<double(double)>& score);

// A point drawn uniformly from the region.
std::vector<double> randomPoint(const std::vector<Factor>& factors, std::mt19937& rng);

// Points of the region stored one after another: every combination of the
// discrete factors' levels and of the continuous factors at n equally spaced
// values from -1 to 1, n odd and as large as keeps the count within
// `mostPoints` (at least 3); empty when even that is too many.
std::vector<double> regionGrid(const std::vector<Factor>& factors, double mostPoints);

}  // namespace vxhost::model
