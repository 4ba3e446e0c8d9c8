// The table behind a response-surface chart of two factors.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Tabulates the second-order model Coeff (x1, x2, x1^2, x2^2, x1*x2,
// constant; x coded in [-1, 1]) on a grid with a step of a twentieth of each
// factor's range from MinF to MaxF (elements 1 and 2), whatever indMax is:
// OutTable (indMax x indMax) gets the no-value constant in cell (1, 1),
// factor 1's values along row 1, factor 2's down column 1 and the
// predictions inside. *ominY and *omaxY receive the smallest and largest
// prediction, widened by 2% of their own value for charting. When the table
// has no grid point (indMax <= 1) they stay at +1.79769313486231e308 and the
// no-value constant.
VX_CORE void SurfaceCalcTable(int indMax, matrix* OutTable, matrix* MinF, matrix* MaxF, matrix* Coeff, double* ominY,
                              double* omaxY);
