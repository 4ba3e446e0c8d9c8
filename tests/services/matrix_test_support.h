// Small helpers shared by the matrix-function tests: reproducible matrices
// and element-wise comparisons with a scaled tolerance.
#pragma once

#include "services/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>

namespace mtest {

using Owned = std::unique_ptr<matrix>;

// An output argument (matrix*&) that the function under test allocates or
// reuses, freed when the test ends.
struct Out {
    explicit Out(matrix* m = nullptr) : p(m) {}
    Out(const Out&) = delete;
    Out& operator=(const Out&) = delete;
    ~Out() { delete p; }
    operator matrix*&() { return p; }
    const matrix& operator*() const { return *p; }
    matrix* operator->() const { return p; }
    matrix* p;
};

// A matrix from its rows, written as they read.
inline Owned fromRows(std::initializer_list<std::initializer_list<double>> rows) {
    const int nr = static_cast<int>(rows.size());
    const int nc = nr ? static_cast<int>(rows.begin()->size()) : 0;
    Owned m(new matrix(nr, nc, 0.0));
    int r = 1;
    for (const auto& row : rows) {
        int c = 1;
        for (double v : row) m->vbset(r, c++, v);
        ++r;
    }
    return m;
}

// Uniform values in [-1, 1) from a fixed linear congruential stream.
inline Owned randomMatrix(int rows, int cols, std::uint64_t seed) {
    Owned m(new matrix(rows, cols, 0.0));
    std::uint64_t s = seed * 2654435761u + 1;
    for (int i = 0; i < m->count(); ++i) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        m->data()[i] = static_cast<double>(s >> 11) / 4503599627370496.0 - 1.0;
    }
    return m;
}

inline Owned product(const matrix& A, const matrix& B) {
    Owned C(new matrix(A.rows(), B.cols(), 0.0));
    for (int i = 1; i <= A.rows(); ++i)
        for (int j = 1; j <= B.cols(); ++j) {
            double s = 0.0;
            for (int k = 1; k <= A.cols(); ++k) s += A.vbget(i, k) * B.vbget(k, j);
            C->vbset(i, j, s);
        }
    return C;
}

inline Owned transpose(const matrix& A) {
    Owned T(new matrix(A.cols(), A.rows(), 0.0));
    for (int i = 1; i <= A.rows(); ++i)
        for (int j = 1; j <= A.cols(); ++j) T->vbset(j, i, A.vbget(i, j));
    return T;
}

// A well-conditioned symmetric positive definite matrix G'G + n I.
inline Owned spd(int n, std::uint64_t seed) {
    Owned G = randomMatrix(n, n, seed);
    Owned A = product(*transpose(*G), *G);
    for (int i = 1; i <= n; ++i) A->vbset(i, i, A->vbget(i, i) + n);
    return A;
}

inline double maxAbs(const matrix& A) {
    double m = 0.0;
    for (int i = 0; i < A.count(); ++i) m = std::fmax(m, std::fabs(A.data()[i]));
    return m;
}

// Same shape and every element within tol * max(1, largest magnitude of B).
inline ::testing::AssertionResult closeTo(const matrix& A, const matrix& B, double tol) {
    if (A.rows() != B.rows() || A.cols() != B.cols())
        return ::testing::AssertionFailure() << "shape " << A.rows() << "x" << A.cols() << " vs " << B.rows() << "x"
                                             << B.cols();
    const double bound = tol * std::fmax(1.0, maxAbs(B));
    for (int c = 1; c <= A.cols(); ++c)
        for (int r = 1; r <= A.rows(); ++r)
            if (!(std::fabs(A.vbget(r, c) - B.vbget(r, c)) <= bound))
                return ::testing::AssertionFailure() << "(" << r << "," << c << "): " << A.vbget(r, c) << " vs "
                                                     << B.vbget(r, c);
    return ::testing::AssertionSuccess();
}

inline Owned identity(int n) {
    Owned I(new matrix(n, n, 0.0));
    for (int i = 1; i <= n; ++i) I->vbset(i, i, 1.0);
    return I;
}

}  // namespace mtest
