#include "services/run_sheet.h"

#include "services/counting.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"
#include "services/random.h"

#include <algorithm>
#include <memory>

namespace runsheet {

namespace {

int SheetRows(const Sheet& sheet) { return rowsHeld(sheet.plan, sheet.nplan); }
int SheetCols(const Sheet& sheet) { return colsHeld(sheet.plan, sheet.pplan); }

int ResponsesInColumns(int columns, int nFac, int nRes) {
    const long long room = static_cast<long long>(columns) - kBookkeepingColumns - std::max(nFac, 0);
    return static_cast<int>(std::clamp<long long>(room, 0, std::max(nRes, 0)));
}

void MarkUnmeasuredAndNumber(const Sheet& sheet, int B) {
    const int nRes = ResponsesInColumns(SheetCols(sheet), sheet.nFac, sheet.nRes);
    for (int r : oneTo(B)) {
        for (int j = 1; j <= nRes; ++j) sheet.plan->vbset(r, ResponseColumn(sheet.nFac, j), num::kNoValue);
        sheet.plan->vbset(r, kStandardOrderColumn, r);
        sheet.plan->vbset(r, kReplicateColumn, 1);
    }
}

// A random permutation of 1..B lands in column 1 of the first B rows (the
// first B elements of the column-major sheet); sorting on it shuffles the
// runs together with their bookkeeping.
void Randomise(const Sheet& sheet, int B, int* ioSeed, short iSeedInit, int* oSeed) {
    Random1toN(B, sheet.plan, ioSeed, iSeedInit, oSeed);
    if (B >= 2) SortQMatrixCol(sheet.plan, SheetRows(sheet), SheetCols(sheet), kRunOrderColumn, 1, B, 0);
}

void NumberRuns(const Sheet& sheet, int B) {
    for (int r : oneTo(B)) sheet.plan->vbset(r, kRunOrderColumn, r);
}

void Replicate(const Sheet& sheet, int B) {
    const int rows = SheetRows(sheet);
    const int cols = SheetCols(sheet);
    matrix* copied = nullptr;
    M_CopyBlock(sheet.plan, 1, B, 1, cols, copied);
    const std::unique_ptr<matrix> block(copied);
    for (int n = 2; n <= sheet.nRep; ++n) {
        const long long first = static_cast<long long>(n - 1) * B + 1;
        if (first > rows) break;  // the sheet holds no more replicates
        const int top = static_cast<int>(first);
        M_PasteBlock(block.get(), B, cols, sheet.plan, top, 1);
        // 64-bit: on a one-column sheet of INT32_MAX rows top + B passes 32 bits.
        for (long long r = top; r < first + B && r <= rows; ++r)
            sheet.plan->vbset(static_cast<int>(r), kReplicateColumn, n);
    }
}

}  // namespace

int FactorsInSheet(const matrix* plan, int nFac) {
    return std::clamp(nFac, 0, std::max(0, plan->cols() - kBookkeepingColumns));
}

int ResponsesInSheet(const matrix* plan, int nFac, int nRes) { return ResponsesInColumns(plan->cols(), nFac, nRes); }

int FirstReplicateRows(const Sheet& sheet) { return std::max(0, std::min(sheet.nblock, SheetRows(sheet))); }

void FinishRunSheet(const Sheet& sheet, short IsRand, int* ioSeed, short iSeedInit, int* oSeed) {
    const int B = FirstReplicateRows(sheet);
    MarkUnmeasuredAndNumber(sheet, B);
    if (IsRand == -1) Randomise(sheet, B, ioSeed, iSeedInit, oSeed);
    NumberRuns(sheet, B);
    if (sheet.nRep > 1 && B > 0) Replicate(sheet, B);
}

}  // namespace runsheet
