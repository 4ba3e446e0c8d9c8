// Eigen-decomposition of a symmetric matrix: Householder reduction to
// tridiagonal form, then the implicit QL iteration with Wilkinson shifts on
// the tridiagonal matrix, accumulating every rotation into the eigenvectors.
// The eigenvalues alone skip both accumulations, which is most of the work.
#include "services/symmetric_eigen.h"

#include "services/matrix_ops.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numeric>

using linalg::Dense;

namespace {

// Each eigenvalue normally settles within a few QL sweeps; one that has not
// after this many is taken as a failed iteration.
constexpr int kMaxSweepsPerEigenvalue = 60;

using Tridiagonal = linalg::Tridiagonal;

// sqrt(a^2 + b^2). The library's hypot guards every call against overflow
// and underflow at a cost the QL sweeps feel; the plain formula is exact
// enough wherever the squares stay well inside the doubles' range.
double norm2(double a, double b) {
    constexpr double kSafe = 1e150, kTiny = 1e-150;
    const double fa = std::fabs(a), fb = std::fabs(b);
    if (fa < kSafe && fb < kSafe && (fa > kTiny || fb > kTiny)) return std::sqrt(a * a + b * b);
    return std::hypot(a, b);
}

void accumulateReflections(Dense& V, Tridiagonal& t);

// The two inner loops of the reduction, on raw columns that cannot overlap,
// so the compiler keeps them in registers; the order of the operations is
// that of the plain loops.
// g + sum of col[k] d[k] over from <= k < to, adding col[k] f to e[k] on the way.
double dotAndAxpy(const double* __restrict col, const double* __restrict d, double* __restrict e, int from, int to,
                  double g, double f) {
    for (int k = from; k < to; ++k) {
        g += col[k] * d[k];
        e[k] += col[k] * f;
    }
    return g;
}
// col[k] -= f e[k] + g d[k] over from <= k < to.
void subtractRankTwo(double* __restrict col, const double* __restrict d, const double* __restrict e, int from, int to,
                     double f, double g) {
    for (int k = from; k < to; ++k) col[k] -= (f * e[k] + g * d[k]);
}

// Reduces the symmetric matrix held in V to tridiagonal form T = Q'AQ by
// Householder reflections, into t; with `accumulate` Q is left in V,
// otherwise V is left holding the reflections.
void householderTridiagonalise(Dense& V, Tridiagonal& t, bool accumulate) {
    const int n = V.rows;
    t.d.assign(n, 0.0);
    t.e.assign(n, 0.0);
    std::vector<double>& d = t.d;
    std::vector<double>& e = t.e;
    for (int j = 0; j < n; ++j) d[j] = V(n - 1, j);

    for (int i = n - 1; i > 0; --i) {
        // Reflect row i so that only its subdiagonal entry survives left of the
        // diagonal; scaling first guards the norm against under- and overflow.
        double scale = 0.0, h = 0.0;
        for (int k = 0; k < i; ++k) scale += std::fabs(d[k]);
        if (scale == 0.0) {
            e[i] = d[i - 1];
            for (int j = 0; j < i; ++j) {
                d[j] = V(i - 1, j);
                V(i, j) = 0.0;
                V(j, i) = 0.0;
            }
        } else {
            for (int k = 0; k < i; ++k) {
                d[k] /= scale;
                h += d[k] * d[k];
            }
            double f = d[i - 1];
            double g = f > 0 ? -std::sqrt(h) : std::sqrt(h);
            e[i] = scale * g;
            h -= f * g;
            d[i - 1] = f - g;
            for (int j = 0; j < i; ++j) e[j] = 0.0;

            // p = A u / h, accumulated in e.
            for (int j = 0; j < i; ++j) {
                f = d[j];
                V(j, i) = f;
                g = dotAndAxpy(V.column(j), d.data(), e.data(), j + 1, i, e[j] + V(j, j) * f, f);
                e[j] = g;
            }
            f = 0.0;
            for (int j = 0; j < i; ++j) {
                e[j] /= h;
                f += e[j] * d[j];
            }
            // q = p - K u, then A := A - u q' - q u' on the lower triangle.
            const double hh = f / (h + h);
            for (int j = 0; j < i; ++j) e[j] -= hh * d[j];
            for (int j = 0; j < i; ++j) {
                f = d[j];
                g = e[j];
                subtractRankTwo(V.column(j), d.data(), e.data(), j, i, f, g);
                d[j] = V(i - 1, j);
                V(i, j) = 0.0;
            }
        }
        d[i] = h;
    }
    if (accumulate) {
        accumulateReflections(V, t);
    } else {
        // The reduction leaves T's diagonal on V's.
        for (int j = 0; j < n; ++j) d[j] = V(j, j);
    }
    e[0] = 0.0;
}

// Turns the reflections the reduction left in V into Q, collecting T's
// diagonal on the way.
void accumulateReflections(Dense& V, Tridiagonal& t) {
    const int n = V.rows;
    std::vector<double>& d = t.d;
    for (int i = 0; i < n - 1; ++i) {
        V(n - 1, i) = V(i, i);
        V(i, i) = 1.0;
        const double h = d[i + 1];
        if (h != 0.0) {
            for (int k = 0; k <= i; ++k) d[k] = V(k, i + 1) / h;
            for (int j = 0; j <= i; ++j) {
                double g = 0.0;
                for (int k = 0; k <= i; ++k) g += V(k, i + 1) * V(k, j);
                for (int k = 0; k <= i; ++k) V(k, j) -= g * d[k];
            }
        }
        for (int k = 0; k <= i; ++k) V(k, i + 1) = 0.0;
    }
    for (int j = 0; j < n; ++j) {
        d[j] = V(n - 1, j);
        V(n - 1, j) = 0.0;
    }
    V(n - 1, n - 1) = 1.0;
}

// Diagonalises the tridiagonal matrix by implicit QL sweeps, applying each
// plane rotation to the columns of V when there is one. Afterwards t.d holds
// the eigenvalues.
bool diagonaliseQl(Tridiagonal& t, Dense* V) {
    const int n = static_cast<int>(t.d.size());
    std::vector<double>& d = t.d;
    std::vector<double>& e = t.e;
    for (int i = 1; i < n; ++i) e[i - 1] = e[i];
    e[n - 1] = 0.0;

    double shiftSum = 0.0, tst1 = 0.0;
    for (int l = 0; l < n; ++l) {
        // Find the first negligible subdiagonal entry at or after l; the block
        // l..m is then unreduced.
        tst1 = std::max(tst1, std::fabs(d[l]) + std::fabs(e[l]));
        int m = l;
        while (m < n - 1 && std::fabs(e[m]) > DBL_EPSILON * tst1) ++m;

        int sweeps = 0;
        while (m > l && std::fabs(e[l]) > DBL_EPSILON * tst1) {
            if (++sweeps > kMaxSweepsPerEigenvalue) return false;
            // Wilkinson shift from the leading 2 x 2 block.
            double g = d[l];
            double p = (d[l + 1] - g) / (2.0 * e[l]);
            double r = norm2(p, 1.0);
            if (p < 0) r = -r;
            d[l] = e[l] / (p + r);
            d[l + 1] = e[l] * (p + r);
            const double dl1 = d[l + 1];
            double h = g - d[l];
            for (int i = l + 2; i < n; ++i) d[i] -= h;
            shiftSum += h;

            // Chase the bulge from m up to l with plane rotations.
            p = d[m];
            double c = 1.0, c2 = 1.0, c3 = 1.0, s = 0.0, s2 = 0.0;
            const double el1 = e[l + 1];
            for (int i = m - 1; i >= l; --i) {
                c3 = c2;
                c2 = c;
                s2 = s;
                g = c * e[i];
                h = c * p;
                r = norm2(p, e[i]);
                e[i + 1] = s * r;
                s = e[i] / r;
                c = p / r;
                p = c * d[i] - s * g;
                d[i + 1] = h + s * (c * g + s * d[i]);
                if (V == nullptr) continue;
                double* vi = V->column(i);
                double* vi1 = V->column(i + 1);
                for (int k = 0; k < n; ++k) {
                    h = vi1[k];
                    vi1[k] = s * vi[k] + c * h;
                    vi[k] = c * vi[k] - s * h;
                }
            }
            p = -s * s2 * c3 * el1 * e[l] / dl1;
            e[l] = s * p;
            d[l] = c * p;
        }
        d[l] += shiftSum;
        e[l] = 0.0;
    }
    return true;
}

}  // namespace

bool M_Eigen(const matrix* A, matrix*& values, matrix*& vectors, bool decreasing) {
    const int n = (A != nullptr && A->rows() == A->cols()) ? A->rows() : 0;
    // The lower triangle defines the symmetric matrix; the upper is not read.
    Dense V = Dense::copyOf(A);
    V.symmetriseFromLower();
    bool ok = A != nullptr && A->rows() == A->cols() && V.allFinite();
    Tridiagonal t;
    if (ok && n > 0) {
        householderTridiagonalise(V, t, true);
        ok = diagonaliseQl(t, &V) && V.allFinite() &&
             std::all_of(t.d.begin(), t.d.end(), [](double x) { return std::isfinite(x); });
    }
    if (!ok) {
        // Zeros rather than half-finished values on failure.
        Dense(n, 1).storeInto(values);
        Dense(n, n).storeInto(vectors);
        return false;
    }

    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return decreasing ? t.d[a] > t.d[b] : t.d[a] < t.d[b];
    });
    Dense sortedValues(n, 1), sortedVectors(n, n);
    for (int j = 0; j < n; ++j) {
        sortedValues(j, 0) = t.d[order[j]];
        std::copy(V.column(order[j]), V.column(order[j]) + n, sortedVectors.column(j));
    }
    sortedValues.storeInto(values);
    sortedVectors.storeInto(vectors);
    return true;
}

namespace linalg {

bool symmetricEigenvalues(Dense& A, Tridiagonal& work, bool decreasing) {
    if (!A.square() || !A.allFinite()) return false;
    if (A.rows == 0) {
        work.d.clear();
        return true;
    }
    householderTridiagonalise(A, work, false);
    if (!diagonaliseQl(work, nullptr)) return false;
    for (double x : work.d)
        if (!std::isfinite(x)) return false;
    if (decreasing) {
        std::sort(work.d.begin(), work.d.end(), std::greater<double>());
    } else {
        std::sort(work.d.begin(), work.d.end());
    }
    return true;
}

}  // namespace linalg
