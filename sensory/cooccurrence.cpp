#include "sensory/cooccurrence.h"

#include <algorithm>

namespace {

// Adds step to cooc(a, b) for every pair b <= a of products tasted in row.
void addRowPairs(const matrixInt* JPMat, int iP, int row, double step, matrix* cooc) {
    for (int a = 1; a <= iP; ++a) {
        if (JPMat->vbget(row, a) != 1) continue;
        for (int b = 1; b <= a; ++b)
            if (JPMat->vbget(row, b) == 1) cooc->vbset(a, b, cooc->vbget(a, b) + step);
    }
}

}  // namespace

void GetCooccurrenceMat(matrixInt* JPMat, int iP, int firstRow, int lastRow, matrix* cooc) {
    if (JPMat == nullptr || cooc == nullptr) return;
    // Rows past the matrix hold nothing: bound the loop by what it holds.
    if (lastRow > JPMat->rows()) lastRow = JPMat->rows();
    if (iP > JPMat->cols()) iP = JPMat->cols();
    for (int row = firstRow < 1 ? 1 : firstRow; row <= lastRow; ++row) addRowPairs(JPMat, iP, row, 1.0, cooc);
}

void ResetCooccurrenceMat(matrixInt* JPMat, int iP, int row, matrix* cooc) {
    if (JPMat == nullptr || cooc == nullptr) return;
    if (iP > JPMat->cols()) iP = JPMat->cols();
    addRowPairs(JPMat, iP, row, -1.0, cooc);
}

void GetVarCoMat(matrix* cooc, int iP, double* var) {
    if (var == nullptr) return;
    // Welford's running mean and sum of squared deviations, cells taken
    // column by column below the diagonal, row 2 first.
    // Cells past the matrix hold nothing to count: bound the loop by it.
    if (cooc == nullptr) iP = 0;
    else iP = std::min({iP, cooc->rows(), cooc->cols()});
    double mean = 0.0, m2 = 0.0, n = 0.0;
    for (int i = 2; i <= iP; ++i)
        for (int j = 1; j < i; ++j) {
            const double x = cooc->vbget(i, j);
            n += 1.0;
            const double d = x - mean;
            mean += d / n;
            m2 += (1.0 - 1.0 / n) * d * d;
        }
    *var = m2 / n;  // 0/0 = NaN when there are no pairs
}
