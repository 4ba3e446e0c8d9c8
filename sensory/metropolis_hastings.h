// Metropolis-Hastings refinement of a judge x product design: each move
// gives one judge a new block and a partner judge the difference, so every
// product keeps its replication; worse moves pass with a probability that
// shrinks with the loss. With few possible blocks the proposals learn which
// blocks helped each row.
#pragma once

#include "services/export.h"
#include "sensory/block_criteria.h"
#include "sensory/seed_stream.h"
#include "services/matrix.h"

// Up to 10 sweeps over the nRows rows of rest (iP products, blocks of iR;
// C = Cnk(iP, iR)). *crit holds rest's criterion on entry and the best one
// reached on return; rest receives every new best. *stop becomes -1 after
// one sweep when iTimeStop is 0, or when iTimeStop is -1 and the clock read
// against start (days x 100000) exceeds budget. iDistinctBlocks (tested
// against 0) keeps every row on a block no other row holds. Returns 0.
VX_CORE int MetropolisHastings(int nRows, int iP, int iR, double C, int iCritType, double start, short iTimeStop,
                               double budget, matrixInt* rest, double* crit, short* stop, short iDistinctBlocks,
                               int* ioSeed, short* ioSeedInit, int* oSeed);

namespace sensory {

struct RefineBudget {
    double start;     // clock reading the search began at
    short iTimeStop;  // 0: one sweep; -1: until the budget is spent
    double budget;    // in days x 100000
};

int metropolisHastings(int nRows, int iP, int iR, double C, int iCritType, const RefineBudget& time, matrixInt* rest,
                       double* crit, short* stop, bool distinctBlocks, SeedStream& seeds, DesignScorer& scorer);

}  // namespace sensory
