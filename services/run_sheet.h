// The run sheet shared by the classical and the screening designs: one row
// per run, four bookkeeping columns (run order, standard order, replicate,
// centre flag), then one column per factor and one per response.
//
// A design fills the factor cells of its first replicate; FinishRunSheet
// then does the bookkeeping common to every design, so both kinds of sheet
// number, randomise and replicate their runs in exactly the same way.
#pragma once

#include "services/matrix.h"

namespace runsheet {

inline constexpr int kRunOrderColumn = 1;
inline constexpr int kStandardOrderColumn = 2;
inline constexpr int kReplicateColumn = 3;
inline constexpr int kCentreFlagColumn = 4;
inline constexpr int kBookkeepingColumns = 4;

// Column of factor f (1-based) and of response r (1-based) of a sheet with
// nFac factors. A negative factor count counts as none, so responses never
// land on the bookkeeping columns.
inline int FactorColumn(int f) { return kBookkeepingColumns + f; }
inline int ResponseColumn(int nFac, int r) { return kBookkeepingColumns + (nFac > 0 ? nFac : 0) + r; }

// Factors of nFac that have a column in plan: a count past the sheet's width
// would only spin over skipped writes. Never negative.
int FactorsInSheet(const matrix* plan, int nFac);

// Responses of nRes that have a column in plan, likewise.
int ResponsesInSheet(const matrix* plan, int nFac, int nRes);

// The shape of one sheet as the host declared it.
struct Sheet {
    matrix* plan;  // nplan x pplan
    int nplan;
    int pplan;
    int nblock;  // runs of one replicate
    int nFac;
    int nRes;
    int nRep;
};

// Rows of the first replicate that actually lie in the sheet: nblock, cut to
// the sheet's rows (and 0 when nblock is not positive).
int FirstReplicateRows(const Sheet& sheet);

// On the first replicate's rows: every response cell gets the no-value
// constant (not yet measured), column 2 the standard order, column 3 replicate
// 1. When IsRand is exactly -1 the rows are put in a random order (seed rule of
// Random1toN, passed straight through). Column 1 then numbers the runs 1..B,
// and replicates 2..nRep repeat the first replicate's rows, in the same order,
// below it. Nothing outside the sheet is written.
void FinishRunSheet(const Sheet& sheet, short IsRand, int* ioSeed, short iSeedInit, int* oSeed);

}  // namespace runsheet
