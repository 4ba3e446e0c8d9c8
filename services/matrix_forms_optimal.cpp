// Argument lists the optimal designs call, over the foundation's kernels.
#include "services/matrix_ops.h"
#include "services/scratch.h"

#include <cmath>

void inverse1(const matrix* A, matrix*& Ainv, double tol, short* flag) {
    bool failed = false;
    inverse1(A, Ainv, tol, &failed);
    if (flag) *flag = failed ? -1 : 0;
}

int M_InvGeneralized(const matrix* A, int n, matrix*& Aplus, double tol) {
    Scratch<matrix> block;
    M_CopyBlock(A, 1, n, 1, n, block.p);
    M_InvGeneralized(block, Aplus, tol);
    // A+ A projects onto the row space of A, so its trace is the rank.
    double trace = 0.0;
    for (int i = 1; i <= n; ++i)
        for (int k = 1; k <= n; ++k) trace += Aplus->vbget(i, k) * block->vbget(k, i);
    return static_cast<int>(std::lround(trace));
}
