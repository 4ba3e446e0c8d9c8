// Reports on a finished sensory design: the balance of its presentation
// orders and the concurrences of its blocks, and the long table of
// observations an analysis of variance reads.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Adds the position counts (Rmat, P x R) and carry-over counts (Smat,
// P x (P+1)) of JRMat (J x R) to the arrays as passed, writes the EAMs and
// their bounds into MDMat (2 x 2; bounds always as computed) and adds the
// concurrences of JPMat (J x P) into ConcMat (P x P), the no-value constant
// above its diagonal. Pass the count arrays and ConcMat as zeros.
VX_CORE_CXX void ComputeQuality(int iJ, int iP, int iR, matrixInt* JRMat, matrixInt* JPMat, matrixInt* Rmat,
                                matrixInt* Smat, matrix* MDMat, matrix* ConcMat);
// Unfolds values (J x (R * NBS), occasion s in columns (s-1)R+1..sR) into
// table, one row per observation: (occasion,) judge, position, value, the
// occasion column only when NBS >= 2; row ((s-1)J + j-1)R + r. NBS < 1
// writes nothing.
VX_CORE void PrepareANOVAtable(int iJ, int iR, int NBS, matrixInt* values, matrix* table);
