// Cholesky factorisation A = L L', one column of L at a time from the
// lower triangle of A (the upper triangle is not read).
#include "services/dense.h"
#include "services/matrix_ops.h"

#include <cmath>

using linalg::Dense;

bool M_CholDecomp(const matrix* A, matrix*& L) {
    if (A == nullptr || A->rows() != A->cols()) {
        Dense().storeInto(L);
        return false;
    }
    Dense l = Dense::copyOf(A);
    const int n = l.rows;
    // Positive definite means a positive remainder; one lost in the rounding
    // relative to A(j, j) (which bounds column j of a positive semidefinite
    // matrix) is a singular matrix, not a regular one.
    const int factored = linalg::CholeskyInPlace(
        l, [n](int, double pivot, double diagonal) { return pivot > linalg::roundoffFloor(n, diagonal); });
    // Above the diagonal, and from the column where A stopped being positive
    // definite on, the factor holds zeros: a failed factor shows a zero on
    // its diagonal there.
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < (j < factored ? j : n); ++i) l(i, j) = 0.0;
    l.storeInto(L);
    return factored == n;
}
