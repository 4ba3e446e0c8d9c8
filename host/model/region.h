// The region a plan's points come from: the product of the factors'
// domains, [-1, 1] for a continuous factor and the levels of a discrete one,
// less what the linear constraints and the exclusions rule out.
// The searches and the G criterion move one coordinate of a point at a time,
// to the best value along it, and start from random points.
#pragma once

#include "host/model/constraint.h"
#include "host/model/factor.h"

#include <functional>
#include <optional>
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

// The same combinations with the continuous factors at the midpoints of n
// equal cells of [-1, 1], as many as keep the count within `mostPoints`:
// the nodes of a midpoint rule over the region.
std::vector<double> midpointGrid(const std::vector<Factor>& factors, double mostPoints);

class Region {
public:
    explicit Region(std::vector<Factor> factors, std::vector<LinearConstraint> constraints = {},
                    std::vector<Exclusion> exclusions = {});

    const std::vector<Factor>& factors() const { return factors_; }
    bool constrained() const { return !constraints_.empty() || !exclusions_.empty(); }
    bool contains(const double* point) const;
    bool contains(const std::vector<double>& point) const { return contains(point.data()); }

    // The value of coordinate j of `point`, the others held, that scores
    // highest among those that keep the point in the region: as the free
    // function does, with the grid cut to the interval the linear
    // constraints leave and its ends added, since a constrained optimum
    // lies on a boundary. Score -inf (and the value unchanged) when no value
    // keeps the point inside.
    AlongCoordinate bestAlong(const std::vector<double>& point, std::size_t j,
                              const std::function<double(double)>& score) const;

    // A point of the region: uniform by rejection, else (a region too thin
    // to hit) one of its grid points at random; none when neither finds one.
    std::optional<std::vector<double>> randomPoint(std::mt19937& rng) const;

    // regionGrid and midpointGrid, with the points outside left out.
    std::vector<double> grid(double mostPoints) const;
    std::vector<double> midpoints(double mostPoints) const;

private:
    // The interval of coordinate j the linear constraints leave, the other
    // coordinates of `point` held.
    std::pair<double, double> linearInterval(const std::vector<double>& point, std::size_t j) const;
    std::vector<double> inside(std::vector<double> points) const;

    std::vector<Factor> factors_;
    std::vector<LinearConstraint> constraints_;
    std::vector<Exclusion> exclusions_;
    std::vector<double> fallbackPoints_;  // the grid inside, for randomPoint
};

}  // namespace vxhost::model
