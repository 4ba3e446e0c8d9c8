// Aggregated desirability of several responses.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Maps every response value Y(i, j) (n x nRes) to an individual desirability
// in [0, 1] by the response's goal (Goal(j) truncated: 0 smaller is better,
// 1 hit the range LeftTarget..RightTarget, 2 larger is better, anything else
// 0) and limits Lower <= LeftTarget <= RightTarget <= Upper, and writes their
// weighted geometric mean per observation into Yagg (n x 1). The rising side
// is raised to spara and the falling side to tpara when IsSpara, resp.
// IstPara, is exactly -1; the weights apply when isweight is exactly -1
// (otherwise every weight is 1). All vectors are nRes x 1.
VX_CORE void Ymulticrit(matrix* Y, int n, int nRes, matrix* Goal, matrix* Lower, matrix* LeftTarget,
                        matrix* RightTarget, matrix* Upper, short IsSpara, short IstPara, short isweight,
                        matrix* spara, matrix* tpara, matrix* weight, matrix* Yagg);
