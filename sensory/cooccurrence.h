// Co-occurrence of products in the rows of a judge x product incidence
// matrix, and the concurrence variance that scores how evenly pairs meet.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Adds the co-occurrences of rows firstRow..lastRow of JPMat into the lower
// triangle of cooc: cooc(a, b), b <= a, counts the rows tasting both a and b,
// cooc(a, a) the rows tasting a. cooc is not cleared first; firstRow >
// lastRow adds nothing.
VX_CORE void GetCooccurrenceMat(matrixInt* JPMat, int iP, int firstRow, int lastRow, matrix* cooc);
// Takes the co-occurrences of one row back out of cooc.
VX_CORE void ResetCooccurrenceMat(matrixInt* JPMat, int iP, int row, matrix* cooc);
// Population variance of the cells strictly below the diagonal of cooc
// (NaN for iP < 2: there are no pairs).
VX_CORE void GetVarCoMat(matrix* cooc, int iP, double* var);
