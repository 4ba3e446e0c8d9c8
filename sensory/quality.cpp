#include "sensory/quality.h"

#include "sensory/order_balance.h"

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
    if (values == nullptr || table == nullptr) return;  // counts below one make no row
    const bool occasions = NBS >= 2;
    // Rows come in order, so the table's last row ends the work.
    long long row = 0;
    for (int s = 1; s <= NBS; ++s)
        for (int j = 1; j <= iJ; ++j)
            for (int r = 1; r <= iR; ++r) {
                if (++row > table->rows()) return;
                const int at = static_cast<int>(row);
                const int first = occasions ? 2 : 1;
                if (occasions) table->vbset(at, 1, s);
                table->vbset(at, first, j);
                table->vbset(at, first + 1, r);
                table->vbset(at, first + 2, values->vbget(j, static_cast<int>((s - 1LL) * iR + r)));
            }
}
