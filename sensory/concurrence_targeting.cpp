#include "sensory/concurrence_targeting.h"

#include "sensory/concurrence_searches.h"
#include "sensory/cyclic_family.h"
#include "sensory/even_counts.h"
#include "services/numeric.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

namespace sensory {

namespace {

// Rounds of both searches from the given design: each round's draws take
// it to another design of least concurrences, and the walks share the work.
constexpr int kRounds = 6;

std::size_t at(long long i) { return static_cast<std::size_t>(i); }

class ConcurrenceTargeting {
public:
    ConcurrenceTargeting(int J, int P, int R, int iCritType, const TargetingBudget& time, SeedStream& seeds)
        : J_(J), P_(P), R_(R), iCritType_(iCritType), clock_(time), seeds_(seeds), design_(J, P, R), tabu_(J, P, R),
          walk_(J, P, R, iCritType),
          least_(leastSumOfSquares(static_cast<long long>(P) * (P - 1) / 2,
                                   static_cast<long long>(J) * R * (R - 1) / 2)) {}

    // The best design found from `start`, into `start`; false when none could
    // be scored.
    bool run(matrixInt* start, bool keepDistinct) {
        const long long steps = walk_.stepsOfWork() / kRounds;
        for (int round = 0; round < kRounds; ++round) {
            design_.load(start);
            if (round > 0) kick();
            design_.restore(tabu_.run(design_, least_, clock_, seeds_));
            walk_.run(design_, steps, keepDistinct, clock_, seeds_, best_);
        }
        // The best cyclic candidate competes too, and the walk goes on from it.
        std::vector<int> cyclic;
        if (CyclicFamily(J_, P_, R_).best(iCritType_, cyclic)) {
            design_.restore(cyclic);
            walk_.run(design_, steps, keepDistinct, clock_, seeds_, best_);
        }
        if (!(best_.value > -std::numeric_limits<double>::infinity())) return false;
        design_.restore(best_.blocks);
        design_.writeTo(start);
        return true;
    }

private:
    // J random exchanges, so that each round sets out from elsewhere.
    void kick() {
        RandomExchange e{};
        for (int n = 0; n < J_; ++n)
            if (drawExchange(design_, J_, seeds_, e)) design_.exchange(e.i, e.j, design_.outsideI(e.s), design_.outsideJ(e.t));
    }

    int J_, P_, R_, iCritType_;
    TargetingClock clock_;
    SeedStream& seeds_;
    ExchangeDesign design_;
    ConcurrenceTabuSearch tabu_;
    CriterionWalk walk_;
    long long least_;  // the least sum of squared concurrences whole counts allow
    BestDesign best_;
};

// Whether the rows of `design` are distinct sets of products.
bool hasDistinctRows(int nRows, int iP, const matrixInt* design) {
    std::vector<std::vector<int>> rows(at(nRows), std::vector<int>(at(iP)));
    for (int j = 0; j < nRows; ++j)
        for (int p = 0; p < iP; ++p) rows[at(j)][at(p)] = design->vbget(j + 1, p + 1);
    std::sort(rows.begin(), rows.end());
    return std::adjacent_find(rows.begin(), rows.end()) == rows.end();
}

}  // namespace

bool targetConcurrences(int nRows, int iP, int iR, int iCritType, const TargetingBudget& time, matrixInt* design,
                        double* crit, SeedStream& seeds, DesignScorer& scorer) {
    if (design == nullptr || crit == nullptr || nRows < 2 || iR < 2 || iR >= iP) return false;
    matrixInt candidate(nRows, iP, 0);
    design->copyMatTo(&candidate);
    ConcurrenceTargeting search(nRows, iP, iR, iCritType, time, seeds);
    if (!search.run(&candidate, hasDistinctRows(nRows, iP, design))) return false;
    const double reached = scorer.score(iCritType, &candidate, nRows, iP, iR);
    if (!num::ExceedsBeyondTie(reached, *crit)) return false;  // a relabelling of `design` gains nothing
    candidate.copyMatTo(design);
    *crit = reached;
    return true;
}

}  // namespace sensory
