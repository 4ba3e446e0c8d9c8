// The starting plan of an optimal design: random, built sequentially after a
// short random start, or given by the user as level labels.
#pragma once

#include "boundary/export.h"
#include "services/matrix.h"

// nalgo 1: nthres distinct random candidates, redrawn until the first
// nthres - 1 runs show every level and the criterion is not S. nalgo 2: a
// random start of min(5, nthres / 2) runs, then the candidate that most
// raises the criterion run after run (ties to the highest code, counted in
// nbrOpt), restarted when the finished plan's criterion is S. nalgo 3: the
// plan of labels Q. Leaves the model matrix, display plan, codes, criterion
// history, flags, V and L for OptiplanIterate. Seeds: after nalgo 1 or 2,
// ioSeed holds the state to continue from and oSeed the seed of the run.
// Returns 0.
VX_CORE int OptiplanInit(int nbFact, matrixInt* FactMod, Smatrix* Cats, short UseCategories, int icode, int icrit,
                         short accelerate, short DoChol, int nalgo, int nthres, int nfullplan, int nPlanLine,
                         int* ioSeed, short iSeedInit, int* oSeed, Smatrix* Q, matrix* PlanOpt, matrix* PlanDisp,
                         matrixInt* iopt, matrix* critvalopt, matrixInt* nbrOpt, matrix* delta, matrix* Vopt,
                         matrix* Chol);
