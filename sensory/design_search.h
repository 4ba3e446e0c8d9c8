// The search route of the sensory designs: the judge x product incidence
// with given replications that maximises a block-design criterion.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Fills JPMat (iJ x iP, blocks of iR) so that product p is served about
// marginals(p) times: whole replicates of every block, then judges given
// disjoint groups of products, then the rest by a greedy fill over distinct
// blocks (fewer than 1000 possible blocks) or repeated randomised fills, then
// the Metropolis-Hastings refinement. iTimeStop -1 searches until half of
// iMaxSeconds (clock days x 100000) has passed or the design is proved
// optimal; any other value makes one untimed pass. When the searched rows
// are not proved optimal but could form a balanced incomplete block design,
// a balancing search looks for one (a bounded number of moves, and with
// iTimeStop -1 at most half of iMaxSeconds more) and returns it, proved
// optimal, when it succeeds. *maxcrit receives the
// criterion (1: D-type, 2: A-type) of the returned design, *FoundExact -1
// when the searched rows reached the balanced-design bound and 0 when they
// were searched without reaching it (untouched when nothing was searched).
// Seed triple with the flag by pointer. Returns 0.
VX_CORE int GetJPMatForMarg(int iJ, int iP, int iR, int iCritType, short iTimeStop, double iMaxSeconds,
                            matrix* marginals, matrixInt* JPMat, double* maxcrit, short* FoundExact, int* ioSeed,
                            short* ioSeedInit, int* oSeed);
