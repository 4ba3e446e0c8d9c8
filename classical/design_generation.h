// The run sheet of a response-surface design.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Writes the design sized by PlanDimension into plan (nplan x pplan, pplan =
// nFac + nRes + 4) for Mode 2: the runs of one replicate in coded units, the
// centre runs flagged 1 in column 4, every response cell set to the no-value
// constant, optionally converted to the factors' scales (DoOrigScale exactly
// -1, rounded to whole numbers when DoRound is exactly -1), optionally in
// random order (IsRand exactly -1), then replicated nRep times. MinF and MaxF
// are nFac x 1. Other modes write nothing. Returns 0.
VX_CORE int PlanGenerate(int Mode, int PlanID, int nFac, int nRes, int nCenter, int nRep, short IsRand, short DoRound,
                         short DoOrigScale, int nplan, int pplan, int nblock, matrix* MinF, matrix* MaxF, matrix* plan,
                         int* ioSeed, short iSeedInit, int* oSeed);
