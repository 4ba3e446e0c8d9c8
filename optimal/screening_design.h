// The run sheet of a screening design of qualitative factors.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// For Mode 1 only: with PlanID 1 fills the factor columns of every row of
// plan (nplan x pplan) with the full factorial of the level counts NbCat
// (nFac x 1; levels 1-based, factor 1 fastest, repeating cyclically past the
// factorial's size); any other PlanID keeps the caller's factor columns.
// Then, on the first nblock rows: responses set to the no-value constant,
// standard order, replicate 1, a random run order when IsRand is exactly -1,
// run numbers, and nRep replicates. Column 4 is not written. Returns 0.
VX_CORE int ScreeningPlanGenerate(int Mode, int PlanID, int nFac, int nRes, int nRep, short IsRand, int nplan,
                                  int pplan, int nblock, matrixInt* NbCat, matrix* plan, int* ioSeed, short iSeedInit,
                                  int* oSeed);
