// Products and weighted sums. The kernels read the raw column-major blocks
// (columns are contiguous, so every inner loop walks memory in order) and
// build the result in scratch that is stored only at the end, so out may be
// one of the inputs.
#include "services/dense.h"
#include "services/matrix_ops.h"

#include <algorithm>

using linalg::Dense;

namespace {

// The first n elements of v as a plain array, with the bounded read's -1 for
// any element past the end of v.
std::vector<double> firstElements(const matrix* v, int n) {
    std::vector<double> x(n > 0 ? static_cast<std::size_t>(n) : 0, -1.0);
    if (v != nullptr)
        for (int i = 0; i < n; ++i) x[i] = v->vbget(i + 1);
    return x;
}

const double* columnOf(const matrix* A, int c) { return A->data() + static_cast<std::size_t>(c) * A->rows(); }

double dot(const double* a, const double* b, int n) {
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += a[i] * b[i];
    return s;
}

}  // namespace

void M_ProductTrAA(const matrix* A, matrix*& out) {
    Dense g(A ? A->cols() : 0, A ? A->cols() : 0);
    // Entry (i, j) of A'A is the dot product of columns i and j.
    for (int j = 0; j < g.cols; ++j)
        for (int i = j; i < g.cols; ++i) g(i, j) = dot(columnOf(A, i), columnOf(A, j), A->rows());
    g.symmetriseFromLower();
    g.storeInto(out);
}

void M_ProductATrA(const matrix* A, matrix*& out) {
    Dense g(A ? A->rows() : 0, A ? A->rows() : 0);
    // AA' is the sum over columns k of the outer products a_k a_k'; only the
    // lower triangle is accumulated.
    for (int k = 0; g.rows > 0 && k < A->cols(); ++k) {
        const double* ak = columnOf(A, k);
        for (int j = 0; j < g.rows; ++j) {
            const double w = ak[j];
            double* gj = g.column(j);
            for (int i = j; i < g.rows; ++i) gj[i] += ak[i] * w;
        }
    }
    g.symmetriseFromLower();
    g.storeInto(out);
}

void M_ProductBV(const matrix* B, const matrix* v, matrix*& out) {
    Dense y(B ? B->rows() : 0, 1);
    const std::vector<double> x = firstElements(v, y.rows > 0 ? B->cols() : 0);
    for (int c = 0; c < static_cast<int>(x.size()); ++c) {
        const double* bc = columnOf(B, c);
        for (int r = 0; r < y.rows; ++r) y(r, 0) += bc[r] * x[c];
    }
    y.storeInto(out);
}

double M_ProductTrVBV(const matrix* v, const matrix* B) {
    if (B == nullptr || B->empty()) return 0.0;
    const std::vector<double> x = firstElements(v, std::max(B->rows(), B->cols()));
    double q = 0.0;
    for (int c = 0; c < B->cols(); ++c) q += x[c] * dot(columnOf(B, c), x.data(), B->rows());
    return q;
}

double V_ProductTrV1V2(const matrix* v1, const matrix* v2, int n) {
    const std::vector<double> x = firstElements(v1, n), y = firstElements(v2, n);
    return dot(x.data(), y.data(), static_cast<int>(x.size()));
}

void M_Sums1As2B(double s, const matrix* A, double t, const matrix* B, matrix*& out) {
    Dense sum = Dense::copyOf(A);
    for (int c = 0; c < sum.cols; ++c)
        for (int r = 0; r < sum.rows; ++r) sum(r, c) = s * sum(r, c) + t * (B ? B->vbget(r + 1, c + 1) : -1.0);
    sum.storeInto(out);
}
