// Exchange iterations that improve an optimal plan: exhaustive exchange of
// one run (nalgo 11) or a Fedorov-type exchange escalating from one to three
// simultaneous exchanges (nalgo 12).
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Accepts exchanges while one gains at least Convergence, at most MaxIter
// of them, continuing from critvalopt(StartIter) and the plan's flag
// delta(nthres); the criterion after the k-th goes to
// critvalopt(StartIter + k), their number to *onbrIter. PlanOpt, PlanDisp,
// iopt, Vopt and Chol are left describing the final plan. An nfullplan
// beyond the full factorial counts as its size: the codes past it name the
// same candidates again; one that leaves a factor's last level out of
// reach accepts nothing. Returns 0, or kScanTooLarge, with nothing
// changed, when one pass would score more pairs than kMostExchangePairs.
namespace optimal {
inline constexpr int kScanTooLarge = -1;
}
VX_CORE int OptiplanIterate(int nbFact, matrixInt* FactMod, int icode, int icrit, short accelerate, short DoChol,
                            int nalgo, int nthres, int nfullplan, int nPlanLine, int MaxIter, int StartIter,
                            double Convergence, int* onbrIter, matrix* PlanOpt, matrix* PlanDisp, matrixInt* iopt,
                            matrix* critvalopt, matrix* delta, matrix* Vopt, matrix* Chol);
