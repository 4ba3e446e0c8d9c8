#include "sensory/quality.h"

#include "sensory/order_balance.h"

#include <algorithm>
#include <cstdint>

void ComputeQuality(int iJ, int iP, int iR, matrixInt* JRMat, matrixInt* JPMat, matrixInt* Rmat, matrixInt* Smat,
                    matrix* MDMat, matrix* ConcMat) {
    if (JRMat == nullptr || JPMat == nullptr || Rmat == nullptr || Smat == nullptr || MDMat == nullptr ||
        ConcMat == nullptr)
        return;
    orders::addOrderCounts(iP, iR, iJ, JRMat, Rmat, Smat);
    orders::writeBalance(orders::balanceOf(iP, iR, iJ, Rmat, Smat), false, MDMat);
    orders::addConcurrences(JPMat, iP, iJ, ConcMat);
}

void PrepareANOVAtable(int iJ, int iR, int NBS, matrixInt* values, matrix* table) {
    if (values == nullptr || table == nullptr || iJ < 1 || iR < 1 || NBS < 1) return;  // no row to make
    const bool occasions = NBS >= 2;
    const int first = occasions ? 2 : 1;
    // Row k + 1 is observation k = ((s-1)J + j-1)R + r-1. The table's rows
    // bound the loop, not the counts: a table of no row (INT32_MAX judges of
    // no position, or a count product past 32 bits) ends the call at once.
    const long long perOccasion = static_cast<long long>(iJ) * iR;
    for (long long k = 0; k < table->rows() && k / perOccasion < NBS; ++k) {
        const int at = static_cast<int>(k + 1);
        const long long s = k / perOccasion + 1;
        const int j = static_cast<int>(k % perOccasion / iR) + 1;
        const int r = static_cast<int>(k % iR) + 1;
        const long long column = (s - 1) * iR + r;
        if (occasions) table->vbset(at, 1, static_cast<double>(s));
        table->vbset(at, first, j);
        table->vbset(at, first + 1, r);
        table->vbset(at, first + 2, values->vbget(j, static_cast<int>(std::min<long long>(column, INT32_MAX))));
    }
}
