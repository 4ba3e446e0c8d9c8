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
    const Dense a = Dense::copyOf(A);
    const int n = a.rows;
    // Columns not reached stay zero, so a failed factor shows a zero on its
    // diagonal at the first column where A stopped being positive definite.
    Dense l(n, n);
    for (int j = 0; j < n; ++j) {
        // Column j of A less the contributions of the columns already done.
        double* lj = l.column(j);
        for (int i = j; i < n; ++i) lj[i] = a(i, j);
        for (int k = 0; k < j; ++k) {
            const double t = l(j, k);
            const double* lk = l.column(k);
            for (int i = j; i < n; ++i) lj[i] -= lk[i] * t;
        }
        // Positive definite means a positive remainder; one lost in the
        // rounding relative to A(j, j) (which bounds column j of a positive
        // semidefinite matrix) is a singular matrix, not a regular one.
        if (!(lj[j] > linalg::roundoffFloor(n, a(j, j)))) {
            for (int i = j; i < n; ++i) lj[i] = 0.0;
            l.storeInto(L);
            return false;
        }
        const double ljj = std::sqrt(lj[j]);
        lj[j] = ljj;
        for (int i = j + 1; i < n; ++i) lj[i] /= ljj;
    }
    l.storeInto(L);
    return true;
}
