// The candidate set of an optimal design, the full factorial of qualitative
// factors, and the plan encodings: candidate codes, model rows, display rows
// and level labels.
#pragma once

#include "optimal/selectors.h"
#include "services/export.h"
#include "services/matrix.h"

// Decodes candidate code `code` (mixed radix of the level counts FactMod,
// factor 1 least significant) into row `row` of the model matrix X
// (columns 1..p: the constant, then the coded factors, icode 1 or 2),
// the level vector levels (nbFact x 1) and the level columns 5.. of PlanDisp.
// A level count below 1 decodes as a single level.
VX_CORE void EnumToExp(int nbFact, matrixInt* FactMod, int icode, int code, matrix* X, matrix* levels,
                       matrix* PlanDisp, int row, int p);

namespace optimal {
// Visits the level l (1..L) of every factor j = 1..nbFact of candidate
// `code`: its digits in the mixed radix of the level counts, factor 1 least
// significant; a level count below 1 counts as one level, and a negative
// code's remainders give levels below 1 as they are. visit(j, L, l).
template <class Visit>
void ForEachLevelOf(int nbFact, const matrixInt* FactMod, int code, Visit visit) {
    int rest = code;
    for (int j = 1; j <= nbFact; ++j) {
        const int L = FactMod->vbget(j, 1) < 1 ? 1 : FactMod->vbget(j, 1);
        visit(j, L, rest % L + 1);
        rest /= L;
    }
}
// The effects coding of level l (1..L) of a factor of L levels, as the
// non-zero entries among the first `held` of its L - 1 columns (a matrix
// holds no more, whatever L the host named): visit(offset, value). icode 1
// codes the last level -1 in every column, icode 2 the first; any other
// level has a single 1. Other icodes code nothing.
template <class Visit>
void ForEachCodedEntry(int L, int l, int icode, int held, Visit visit) {
    if (!IsCoding(icode)) return;
    const int columns = held < L - 1 ? held : L - 1;
    if ((icode == kLastLevelNegative && l == L) || (icode == kFirstLevelNegative && l == 1)) {
        for (int k = 0; k < columns; ++k) visit(k, -1.0);
        return;
    }
    const int hot = icode == kLastLevelNegative ? l - 1 : l - 2;
    if (hot >= 0 && hot < columns) visit(hot, 1.0);
}
// Only the level columns 5.. of row `row` of PlanDisp, as EnumToExp writes them.
void DecodeLevels(int nbFact, const matrixInt* FactMod, int code, matrix* PlanDisp, int row);
}  // namespace optimal

// codes(r) := the candidate code (0..nfullplan-1) of run r of the labelled
// plan Q (nRows x nbFact). Labels are Cats(j, l) when UseCategories is -1,
// else the decimal level number; a label matching no level adds nothing.
VX_CORE void PlanToComb(int nbFact, matrixInt* FactMod, short UseCategories, Smatrix* Cats, int nRows, Smatrix* Q,
                        matrixInt* codes);

// -1 when rows 1..nRows of plan (laid out like PlanDisp) show at least
// FactMod(j) distinct values in every factor column, else 0.
VX_CORE short ValidPlan(int nbFact, matrixInt* FactMod, matrix* plan, int nRows);

// out(1..k) := k draws from 1..N, made distinct by linear probing with
// wrap-around, seeds as M_GenerateRandom01. When k > N the values past the
// N distinct ones repeat (there is nothing left to probe); N < 1 writes
// nothing.
VX_CORE_CXX void Randomkfrom1toN(int N, matrix* out, int k, int* ioSeed, short iSeedInit, int* oSeed);

// 0 when code equals one of list(1..n), -1 otherwise.
VX_CORE short IsUnusedComb(int code, matrixInt* list, int n);
VX_CORE short IsUnusedCombWithouti(int code, matrixInt* list, int n);
