// Gaussian elimination with partial pivoting: the LU factorisation behind the
// determinant and its logarithm, and the Gauss-Jordan inverse.
#include "services/dense.h"
#include "services/matrix_ops.h"

#include <cmath>
#include <utility>

using linalg::Dense;

namespace {

// Row at or below k holding the largest magnitude in column k.
int pivotRow(const Dense& a, int k) {
    int best = k;
    for (int r = k + 1; r < a.rows; ++r)
        if (std::fabs(a(r, k)) > std::fabs(a(best, k))) best = r;
    return best;
}

void swapRows(Dense& a, int r1, int r2) {
    if (r1 == r2) return;
    for (int c = 0; c < a.cols; ++c) std::swap(a(r1, c), a(r2, c));
}

// Diagonal of U in PA = LU, and whether P swaps an odd number of rows.
struct LuPivots {
    std::vector<double> diagonal;
    bool oddSwaps = false;
    bool singular = false;
};

// Factors a square matrix, stopping at the first pivot that is lost in the
// rounding of the elimination (or is not a number).
LuPivots factorLu(const matrix* A) {
    LuPivots lu;
    Dense a = Dense::copyOf(A);
    if (A == nullptr || A->rows() != A->cols()) {
        lu.singular = true;
        return lu;
    }
    const int n = a.rows;
    const double floor = linalg::roundoffFloor(n, a.maxAbs());
    for (int k = 0; k < n; ++k) {
        const int p = pivotRow(a, k);
        if (!(std::fabs(a(p, k)) > floor)) {
            lu.singular = true;
            return lu;
        }
        if (p != k) {
            swapRows(a, p, k);
            lu.oddSwaps = !lu.oddSwaps;
        }
        const double pivot = a(k, k);
        lu.diagonal.push_back(pivot);
        // Column k below the pivot becomes the multipliers of L; each later
        // column then loses its multiple of row k.
        double* multipliers = a.column(k);
        for (int r = k + 1; r < n; ++r) multipliers[r] /= pivot;
        for (int c = k + 1; c < n; ++c) {
            const double t = a(k, c);
            if (t == 0.0) continue;
            double* col = a.column(c);
            for (int r = k + 1; r < n; ++r) col[r] -= multipliers[r] * t;
        }
    }
    return lu;
}

}  // namespace

double M_Determinant(const matrix* A, bool* singular) {
    const LuPivots lu = factorLu(A);
    if (singular) *singular = lu.singular;
    if (lu.singular) return 0.0;
    double det = lu.oddSwaps ? -1.0 : 1.0;
    for (double u : lu.diagonal) det *= u;
    return det;
}

double M_LogDeterminant(const matrix* A, bool* singular) {
    const LuPivots lu = factorLu(A);
    if (singular) *singular = lu.singular;
    if (lu.singular) return 0.0;
    // Summing logarithms keeps large matrices clear of overflow and underflow.
    double logDet = 0.0;
    for (double u : lu.diagonal) logDet += std::log(std::fabs(u));
    return logDet;
}

void inverse1(const matrix* A, matrix*& Ainv, double tol, bool* failed) {
    auto fail = [&] {
        if (failed) *failed = true;
    };
    if (A == nullptr || A->rows() != A->cols()) return fail();
    Dense a = Dense::copyOf(A);
    const int n = a.rows;
    Dense inv = Dense::identity(n);
    // Reduce [A | I] to [I | A^-1], row operations applied to both halves.
    std::vector<double> factors(static_cast<std::size_t>(n));
    auto eliminate = [&](Dense& m, int k, int firstCol) {
        for (int c = firstCol; c < m.cols; ++c) {
            double* col = m.column(c);
            const double t = col[k];
            if (t == 0.0) continue;
            for (int r = 0; r < n; ++r)
                if (r != k) col[r] -= factors[r] * t;
        }
    };
    for (int k = 0; k < n; ++k) {
        const int p = pivotRow(a, k);
        if (!(std::fabs(a(p, k)) > tol)) return fail();
        swapRows(a, p, k);
        swapRows(inv, p, k);
        const double scale = 1.0 / a(k, k);
        for (int c = k; c < n; ++c) a(k, c) *= scale;
        for (int c = 0; c < n; ++c) inv(k, c) *= scale;
        for (int r = 0; r < n; ++r) factors[r] = a(r, k);
        eliminate(a, k, k);
        eliminate(inv, k, 0);
    }
    if (failed) *failed = false;
    inv.storeInto(Ainv);
}
