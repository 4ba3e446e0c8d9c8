// Run and column counts of the full factorial of qualitative factors, which
// the host uses to size the arrays of the optimal-design calls.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Columns of the main-effects model: the constant plus FactMod(i) - 1 per
// factor. 1 when nbFact < 1.
VX_CORE int GetnColPlan(int nbFact, matrixInt* FactMod);

// Runs of the full factorial, the product of the level counts. 1 when
// nbFact < 1. The product stops at the first partial product above
// 214748364 and returns it; a product past the 32-bit range comes back as
// INT32_MAX (or INT32_MIN below it, which only negative level counts reach).
VX_CORE int GetFullPlanLines(int nbFact, matrixInt* FactMod);
