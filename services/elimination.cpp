// Gaussian elimination with partial pivoting: the LU factorisation behind the
// determinant and its logarithm, and the Gauss-Jordan inverse.
#include "services/dense.h"
#include "services/matrix_ops.h"

#include <algorithm>
#include <cmath>
#include <numbers>
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

// det(A) = (-1)^swaps * mantissa * 2^exponent: the product of the pivots and
// of the row scales, kept as a mantissa and a binary exponent so that it
// neither overflows nor underflows before the caller asks for it.
struct LuDeterminant {
    bool singular = false;
    bool negative = false;
    double mantissa = 1.0;
    long long exponent = 0;

    void multiply(double x) {
        int e = 0;
        mantissa = std::frexp(mantissa * x, &e);
        exponent += e;
    }
};

// Largest magnitude in row r.
double rowMax(const Dense& a, int r) {
    double m = 0.0;
    for (int c = 0; c < a.cols; ++c) m = std::fmax(m, std::fabs(a(r, c)));
    return m;
}

// LU factorisation with partial pivoting, keeping only what the determinant
// needs. Each row is first scaled by a power of two (exact) to bring its
// largest entry into [1, 2), and each pivot is then judged against the
// largest entry of its column, so that neither row nor column scaling of A
// makes a regular matrix look singular.
LuDeterminant factorLu(const matrix* A) {
    LuDeterminant lu;
    Dense a = Dense::copyOf(A);
    if (A == nullptr || A->rows() != A->cols() || !a.allFinite()) {
        lu.singular = true;
        return lu;
    }
    const int n = a.rows;
    for (int r = 0; r < n; ++r) {
        const double m = rowMax(a, r);
        if (m == 0.0) {
            lu.singular = true;
            return lu;
        }
        // Multiplying by a power of two is exact; the exponent stops at -1023,
        // whose reciprocal is still a double.
        const int e = std::max(std::ilogb(m), -1023);
        const double scale = std::ldexp(1.0, -e);
        for (int c = 0; c < n; ++c) a(r, c) *= scale;
        lu.exponent += e;
    }
    std::vector<double> pivotFloor(static_cast<std::size_t>(n));
    for (int c = 0; c < n; ++c) {
        double m = 0.0;
        for (int r = 0; r < n; ++r) m = std::fmax(m, std::fabs(a(r, c)));
        pivotFloor[c] = linalg::roundoffFloor(n, m);
    }

    for (int k = 0; k < n; ++k) {
        const int p = pivotRow(a, k);
        if (!(std::fabs(a(p, k)) > pivotFloor[k])) {
            lu.singular = true;
            return lu;
        }
        if (p != k) {
            swapRows(a, p, k);
            lu.negative = !lu.negative;
        }
        const double pivot = a(k, k);
        lu.multiply(pivot);
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
    const LuDeterminant lu = factorLu(A);
    if (singular) *singular = lu.singular;
    if (lu.singular) return 0.0;
    // ldexp saturates to +-inf or 0 where the determinant leaves the doubles.
    const long long e = std::clamp<long long>(lu.exponent, -100000, 100000);
    const double det = std::ldexp(lu.mantissa, static_cast<int>(e));
    return lu.negative ? -det : det;
}

double M_LogDeterminant(const matrix* A, bool* singular) {
    const LuDeterminant lu = factorLu(A);
    if (singular) *singular = lu.singular;
    if (lu.singular) return 0.0;
    return std::log(std::fabs(lu.mantissa)) + static_cast<double>(lu.exponent) * std::numbers::ln2;
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
