// The sensory design driver: a design in which each of iJ judges tastes iR
// of iP products, by cyclic squares or by the search over incidence
// matrices with the most even replications, with both criteria reported.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// The most products a design may have. Every criterion is taken from the
// eigenvalues of a P x P matrix: at 200 products each such matrix holds
// 320 kB and its eigenvalues take about 10 ms, and a search scores designs
// hundreds of times; the time grows as P^3 (0.15 s at 500, hours of
// searching beyond) and the matrices as P^2.
constexpr int kMostDesignProducts = 200;
// What the driver returns for more products than that, before allocating anything.
constexpr int kTooManyProducts = -2;

// Whether the driver can take the shape: 1 when it describes a design of
// at most kMostDesignProducts products; 0 when it describes none (iJ, iP or
// iR below 1, or iR above iP), after writing the no-value constant to both
// criteria; kTooManyProducts otherwise, writing nothing.
VX_CORE int ScreenDesignRequest(int iJ, int iP, int iR, double* maxcrit, double* ocrit2);

// iUseCyclic -1 (tested for -1): the cyclic route, which fills JPMat and
// JRMat. Otherwise, for iCritType 1 or 2, the search route fills JPMat
// (JRMat untouched) and sets *FoundExact. *maxcrit receives the criterion
// iCritType names (1: D-type, 2: A-type) and *ocrit2 the other one, both of
// the returned design. Returns 0, or what ScreenDesignRequest refuses the
// shape with.
VX_CORE int RunGetOptimalDesign(int iJ, int iP, int iR, int iCritType, short iUseCyclic, short iTimeStop,
                                double iMaxSeconds, matrixInt* JPMat, matrixInt* JRMat, double* maxcrit,
                                double* ocrit2, short* FoundExact, int* ioSeed, short* ioSeedInit, int* oSeed);
// The most even split of n servings over iP products into marginals
// (iP x 1): the first n mod iP products get one more, none fewer than 1.
VX_CORE void GetBestMarginals(int n, int iP, matrix* marginals);
