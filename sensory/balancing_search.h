// Balancing of a searched design: a tabu search for equal replications
// and equal pair concurrences, the balanced incomplete block design that
// reaches the efficiency bound where the criterion-driven exchange stalls
// just below it.
#pragma once

#include "sensory/seed_stream.h"
#include "services/matrix.h"

namespace sensory {

// Whether nRows blocks of iR of iP products can be balanced at all:
// replication r = nRows·iR/iP and concurrence λ = r(iR−1)/(iP−1) whole,
// nRows ≥ iP (Fisher) and 2 ≤ iR < iP.
bool balancedDesignPossible(int nRows, int iP, int iR);

struct BalancingBudget {
    short iTimeStop;  // -1: the clock bounds the search as well as its move count
    double budget;    // clock days x 100000 from the search's own start
};

// Searches nRows x iP designs with iR products per row, every product in r
// rows, by exchanges of one product between two rows, for one whose pairs
// all meet λ times. Starts from `design` when its replications are already
// all r, otherwise from the cyclic equal-replication design. A design
// whose rows are distinct blocks of iR stays so: it is the start, its
// replications evened out by single replacements that repeat no block, and
// no exchange may repeat one (false when the evening out fails). On success
// `design` receives the balanced design and the result is true; otherwise
// `design` is left as it was. Draws continue `seeds`.
bool balanceDesign(int nRows, int iP, int iR, const BalancingBudget& time, matrixInt* design, SeedStream& seeds);

}  // namespace sensory
