// Moore-Penrose inverse through the singular value decomposition, computed by
// one-sided Jacobi rotations (Hestenes): plane rotations of pairs of columns
// until all columns are mutually orthogonal. It needs no tridiagonal stage,
// works for any shape and keeps small singular values accurate.
#include "services/dense.h"
#include "services/matrix_ops.h"

#include <cfloat>
#include <cmath>

using linalg::Dense;

namespace {

// Sweeps converge quadratically once the columns are nearly orthogonal; a
// matrix that has not settled after this many is taken as settled enough.
constexpr int kMaxSweeps = 60;

// Rotates column pairs of W (m x n, m >= n) until they are orthogonal, so that
// W = U S with orthonormal U and diagonal S, and applies the same rotations
// to V (n x n), which starts as the identity: then A = U S V'.
void orthogonaliseColumns(Dense& W, Dense& V) {
    const int m = W.rows, n = W.cols;
    for (int sweep = 0; sweep < kMaxSweeps; ++sweep) {
        bool rotated = false;
        for (int p = 0; p < n - 1; ++p) {
            for (int q = p + 1; q < n; ++q) {
                double* wp = W.column(p);
                double* wq = W.column(q);
                double alpha = 0.0, beta = 0.0, gamma = 0.0;
                for (int i = 0; i < m; ++i) {
                    alpha += wp[i] * wp[i];
                    beta += wq[i] * wq[i];
                    gamma += wp[i] * wq[i];
                }
                if (!(std::fabs(gamma) > DBL_EPSILON * std::sqrt(alpha) * std::sqrt(beta))) continue;
                rotated = true;
                // The rotation that zeroes the off-diagonal entry of the 2 x 2
                // Gram matrix [alpha gamma; gamma beta], smaller angle chosen.
                const double zeta = (beta - alpha) / (2.0 * gamma);
                const double t = std::copysign(1.0, zeta) / (std::fabs(zeta) + std::hypot(1.0, zeta));
                const double c = 1.0 / std::hypot(1.0, t);
                const double s = c * t;
                auto rotate = [c, s](double* x, double* y, int len) {
                    for (int i = 0; i < len; ++i) {
                        const double xi = x[i];
                        x[i] = c * xi - s * y[i];
                        y[i] = s * xi + c * y[i];
                    }
                };
                rotate(wp, wq, m);
                rotate(V.column(p), V.column(q), n);
            }
        }
        if (!rotated) return;
    }
}

// Pseudo-inverse of a matrix with at least as many rows as columns.
Dense pseudoInverseTall(const Dense& A, double tol) {
    Dense W = A;
    Dense V = Dense::identity(A.cols);
    orthogonaliseColumns(W, V);

    // Column j of W is sigma_j u_j, so A+ = sum_j v_j u_j' / sigma_j
    //                                     = sum_j v_j w_j' / sigma_j^2.
    std::vector<double> sigmaSq(static_cast<std::size_t>(W.cols), 0.0);
    double largest = 0.0;
    for (int j = 0; j < W.cols; ++j) {
        const double* wj = W.column(j);
        for (int i = 0; i < W.rows; ++i) sigmaSq[j] += wj[i] * wj[i];
        largest = std::fmax(largest, std::sqrt(sigmaSq[j]));
    }
    Dense P(A.cols, A.rows);
    for (int j = 0; j < W.cols; ++j) {
        const double sigma = std::sqrt(sigmaSq[j]);
        if (!(sigma > tol * largest) || !(sigma > 0.0)) continue;
        const double* wj = W.column(j);
        const double* vj = V.column(j);
        for (int k = 0; k < P.cols; ++k) {
            const double f = wj[k] / sigmaSq[j];
            double* pk = P.column(k);
            for (int i = 0; i < P.rows; ++i) pk[i] += vj[i] * f;
        }
    }
    return P;
}

Dense transposed(const Dense& A) {
    Dense T(A.cols, A.rows);
    for (int c = 0; c < A.cols; ++c)
        for (int r = 0; r < A.rows; ++r) T(c, r) = A(r, c);
    return T;
}

}  // namespace

void M_InvGeneralized(const matrix* A, matrix*& Aplus, double tol) {
    const Dense a = Dense::copyOf(A);
    // (A')+ = (A+)', so a wide matrix goes through its transpose.
    const Dense plus = a.rows >= a.cols ? pseudoInverseTall(a, tol) : transposed(pseudoInverseTall(transposed(a), tol));
    plus.storeInto(Aplus);
}
