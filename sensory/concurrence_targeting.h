// Designs for shapes that admit no balanced incomplete block design: the
// most even structure a design can still have (replications within one of
// each other, pair concurrences within one of each other: a regular-graph
// design when replications are equal), and among such designs the one of
// highest criterion.
#pragma once

#include "sensory/block_criteria.h"
#include "sensory/seed_stream.h"
#include "services/matrix.h"

namespace sensory {

struct TargetingBudget {
    short iTimeStop;  // -1: the clock bounds the search as well as its work
    double budget;    // clock days x 100000 from the stage's own start
};

// Searches nRows x iP designs with iR products per row. A tabu search over
// exchanges of one product between two rows, which keep every replication,
// brings the sum of squared pair concurrences to its least value; a walk
// over the exchanges that keep it there then maximises the criterion
// iCritType (1: D-type, otherwise A-type). It starts from `design` when its
// replications are within one, otherwise from the cyclic design that
// serves the products in turn. When the best design found scores above
// *crit (the criterion of `design` as DesignScorer scores it) by more than
// a tie, it replaces `design` and *crit, and the result is true; a design whose blocks are
// distinct is only replaced by one whose blocks are distinct. Bounded by a
// fixed amount of work, and with iTimeStop -1 by the budget as well; draws
// continue `seeds`.
bool targetConcurrences(int nRows, int iP, int iR, int iCritType, const TargetingBudget& time, matrixInt* design,
                        double* crit, SeedStream& seeds, DesignScorer& scorer);

}  // namespace sensory
