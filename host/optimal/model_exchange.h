// Coordinate exchange (Meyer and Nachtsheim, 1995) over a model of numeric
// and categorical factors: one coordinate of one run changes at a time, a
// continuous one to its best value along [-1, 1], a discrete one to its best
// level, and passes repeat until none gains. Each trial is scored exactly by
// the rank-two update of the run's row, and an accepted change updates
// (X'X)^-1 and ln det(X'X) in place of a fresh inverse.
#pragma once

#include "host/model/model.h"

#include <Eigen/Dense>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace vxhost::optimal {

enum class Objective { D, A, I };

// After every accepted change: the plan's points (runs x factors, one run
// after another) with the inverse and log-determinant the updates keep.
struct ExchangeStep {
    const std::vector<double>& points;
    const Eigen::MatrixXd& inverse;  // (X'X)^-1
    double logDet;                   // ln det(X'X)
};
using StepObserver = std::function<void(const ExchangeStep&)>;

struct ExchangeResult {
    std::vector<double> points;  // runs x factors, one run after another
    bool regular = false;        // false: no start had a non-singular X'X
    // What the objective minimises: -ln det(X'X) for D, trace((X'X)^-1 B)
    // for A (B = I) and I (B = W).
    double loss = INFINITY;
};

// One start: random points, retried while X'X is singular, improved until a
// pass gains nothing.
ExchangeResult coordinateExchange(const model::Model& model, int runs, Objective objective, std::mt19937& rng,
                                  const StepObserver& observe = {});

// `starts` starts, start k on its own stream seeded by (seed, k) so that the
// plan depends on neither the order nor the sharing of the starts; the best
// kept. std::invalid_argument when runs < the model's columns.
ExchangeResult randomStarts(const model::Model& model, int runs, Objective objective, int starts, uint32_t seed);

}  // namespace vxhost::optimal
