// The starting plan of an optimal design: random, built sequentially after a
// short random start, or given by the user as level labels.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

namespace optimal {
// OptiplanInit's refusals. Nothing is drawn and no array is written.
inline constexpr int kImpossibleSizes = -1;
// The redraws (nalgo 1) or restarts (nalgo 2) ran out without a plan that
// shows every level with a computable criterion; the arrays hold the last try.
inline constexpr int kNoPlanFound = -2;
// The bounds: random draws in all (each a cheap level check), draws whose
// information matrix was computed and found singular (each O(N p^2 + p^3)),
// and sequential starts (each N scans of the candidates). A valid regular
// plan that these miss is vanishingly unlikely.
inline constexpr int kMaxRandomDraws = 20000;
inline constexpr int kMaxSingularDraws = 200;
// The random draws stop as well once their work passes this many steps:
// N x nbFact per draw checked for levels, N p^2 + p^3 per information
// matrix computed. Only plans of hundreds of model columns reach it (about
// 2 s here), where 200 singular draws would take minutes.
inline constexpr double kMaxRandomDrawWork = 6e9;
inline constexpr int kMaxSequentialStarts = 10;
}  // namespace optimal

// nalgo 1: nthres distinct random candidates, redrawn until the first
// nthres - 1 runs show every level and the criterion is not S. nalgo 2: a
// random start of min(5, nthres / 2) runs, then the candidate that most
// raises the criterion run after run (ties to the highest code, counted in
// nbrOpt), restarted when the finished plan's criterion is S. nalgo 3: the
// plan of labels Q. Leaves the model matrix, display plan, codes, criterion
// history, flags, V and L for OptiplanIterate. Seeds: after nalgo 1 or 2,
// ioSeed holds the state to continue from and oSeed the seed of the run.
// Returns 0; for nalgo 1 and 2 kImpossibleSizes when icrit is not 1 or 2,
// nthres < 1, nthres > nfullplan, nthres < nPlanLine, a level count is below
// 1, the level counts code into other than nPlanLine model columns,
// nfullplan exceeds the full factorial or falls short of a factor's last
// level (as the run count does once it stops short of the full factorial),
// or nthres x nfullplan pairs exceed kMostExchangePairs (nalgo 2:
// kMostSequentialPairs, each pair through L counting nPlanLine pairs);
// kNoPlanFound when the bound on redraws or restarts is reached.
VX_CORE int OptiplanInit(int nbFact, matrixInt* FactMod, Smatrix* Cats, short UseCategories, int icode, int icrit,
                         short accelerate, short DoChol, int nalgo, int nthres, int nfullplan, int nPlanLine,
                         int* ioSeed, short iSeedInit, int* oSeed, Smatrix* Q, matrix* PlanOpt, matrix* PlanDisp,
                         matrixInt* iopt, matrix* critvalopt, matrixInt* nbrOpt, matrix* delta, matrix* Vopt,
                         matrix* Chol);
