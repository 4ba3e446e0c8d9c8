// The sensory design driver: a design in which each of iJ judges tastes iR
// of iP products, by cyclic squares or by the search over incidence
// matrices with the most even replications, with both criteria reported.
#pragma once

#include "boundary/export.h"
#include "services/matrix.h"

// iUseCyclic -1 (tested for -1): the cyclic route, which fills JPMat and
// JRMat. Otherwise, for iCritType 1 or 2, the search route fills JPMat
// (JRMat untouched) and sets *FoundExact. *maxcrit receives the criterion
// iCritType names (1: D-type, 2: A-type) and *ocrit2 the other one, both of
// the returned design. Returns 0.
VX_CORE int RunGetOptimalDesign(int iJ, int iP, int iR, int iCritType, short iUseCyclic, short iTimeStop,
                                double iMaxSeconds, matrixInt* JPMat, matrixInt* JRMat, double* maxcrit,
                                double* ocrit2, short* FoundExact, int* ioSeed, short* ioSeedInit, int* oSeed);
// The most even split of n servings over iP products into marginals
// (iP x 1): the first n mod iP products get one more, none fewer than 1.
VX_CORE void GetBestMarginals(int n, int iP, matrix* marginals);
