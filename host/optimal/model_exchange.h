// Coordinate exchange (Meyer and Nachtsheim, 1995) over a model of numeric
// and categorical factors: one coordinate of one run changes at a time, a
// continuous one to its best value along [-1, 1] (within the region), a
// discrete one to its best level, and passes repeat until none gains. Each
// trial is scored exactly by the rank-two update of the run's row (along a
// continuous coordinate at a few nodes, the criterion between them by the
// polynomials they determine), and an accepted change updates (X'X)^-1 and
// ln det(X'X) in place of a fresh inverse.
#pragma once

#include "host/model/model.h"
#include "host/model/region.h"

#include <Eigen/Dense>

#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace vxhost::optimal {

// G has no exchange of its own: its starts are searched for D, whose
// optima the equivalence theorem ties to G's, and the start of least G kept.
enum class Objective { D, A, I, G };

// The plan asked for: `runs` points of the region, of which the first are
// the kept runs as given; in a blocked model (a block factor last) each run
// past them sits in the block `blockOf` gives.
struct PlanProblem {
    const model::Model& model;
    const model::Region& region;
    int runs = 0;
    std::vector<double> kept;  // kept runs, one after another, factors() values each
    std::vector<int> blockOf;  // one level per run past the kept ones; empty without blocks
};

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
    // for A (B the treatments' identity) and I (B = W), G itself for G.
    double loss = INFINITY;
    int starts = 0;  // how many starts the search made
};

using Clock = std::chrono::steady_clock;

// One start: random points, retried while X'X is singular, improved until a
// pass gains nothing or the deadline passes.
ExchangeResult coordinateExchange(const PlanProblem& problem, Objective objective, std::mt19937& rng,
                                  Clock::time_point deadline = Clock::time_point::max(),
                                  const StepObserver& observe = {});

struct SearchSettings {
    uint32_t seed = 0;
    int starts = 0;         // exactly this many; 0: as many as `seconds` allows, at least one
    double seconds = 2.0;   // the budget when starts is 0
    int threads = 1;
    // On the calling thread about five times a second: starts made, best loss.
    std::function<void(int, double)> progress;
};

// Independent starts on `threads` threads, start k on its own stream seeded
// by (seed, k), the least loss kept (the lower k on a tie): with a fixed
// number of starts the plan depends on neither the thread count nor the
// order the starts finish in. std::invalid_argument when the problem cannot
// be searched (fewer runs than columns, kept runs of the wrong shape).
ExchangeResult searchPlan(const PlanProblem& problem, Objective objective, const SearchSettings& settings);

}  // namespace vxhost::optimal
