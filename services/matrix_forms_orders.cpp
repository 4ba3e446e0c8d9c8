// Argument forms of the block copy and the transpose that the presentation
// orders and the resolvable arrangements call: a copy between two existing
// containers at given offsets, and a transpose into the caller's container.
#include "services/matrix_ops.h"

#include <algorithm>

void M_Duplicate(const matrixInt* A, int rows, int cols, matrixInt* B, int ar0, int ac0, int br0, int bc0) {
    if (A == nullptr || B == nullptr) return;
    // Only the part of the block inside B is visited, so an oversized block
    // costs no more than B itself.
    const long long firstRow = std::max(0LL, 1LL - br0), firstCol = std::max(0LL, 1LL - bc0);
    const long long endRow = std::min<long long>(rows, static_cast<long long>(B->rows()) - br0 + 1);
    const long long endCol = std::min<long long>(cols, static_cast<long long>(B->cols()) - bc0 + 1);
    for (long long c = firstCol; c < endCol; ++c)
        for (long long i = firstRow; i < endRow; ++i)
            B->vbset(static_cast<int>(br0 + i), static_cast<int>(bc0 + c),
                     A->vbget(static_cast<int>(ar0 + i), static_cast<int>(ac0 + c)));
}

void M_Transpose(const matrixInt* A, int rows, int cols, matrix*& out) {
    matrix* transposed = M_Transpose(A, rows, cols);
    delete out;
    out = transposed;
}
