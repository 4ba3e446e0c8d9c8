// Taking a plan back from the worksheet: the runs the user edited, the
// measured responses and the coded factor values.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Result codes of ComparePlan.
namespace compare_plan {
inline constexpr int kUnchanged = 5;       // every run at its own row, no value changed
inline constexpr int kReordered = 4;       // some run found at another row, no value changed
inline constexpr int kValuesChanged = 3;   // at least one factor value taken over
inline constexpr int kNoReferenceColumn = -10;
// -f: no column is headed with the name of factor f.
}  // namespace compare_plan

// Finds the factor columns of the edited table Xbis (nplan x pxbis) by their
// headers StrX (pxbis x 1) matching the factor names LgNameF (nFac x 1)
// exactly, and the standard-order column by the header RefStr (1 x 1); then
// for every run of X (nplan x pplan, standard order in column 2, factors in
// columns 5..4+nFac) and every row of Xbis carrying its standard-order
// number, takes over changed factor values and flags -1 in changes
// (nplan x (nFac + 4)) every factor of a run that moved or changed. The
// outcome is in *oChanges; a missing column leaves X and changes untouched.
VX_CORE void ComparePlan(int nplan, int nFac, matrix* X, matrix* Xbis, int pxbis, Smatrix* StrX, Smatrix* LgNameF,
                         Smatrix* RefStr, int* oChanges, matrix* changes);

// Codes the factor values of X (columns 5..4+nFac) to -1..+1 with MinF and
// MaxF (nFac x 1) into Xnorm (nplan x nFac) and copies the responses Y
// (nplan x nRes) into X's response columns. MinF = MaxF gives the IEEE
// quotient (infinite or NaN).
VX_CORE void UpdatePlan(int nplan, int nFac, int nRes, matrix* Y, matrix* X, matrix* Xnorm, matrix* MinF,
                        matrix* MaxF);
