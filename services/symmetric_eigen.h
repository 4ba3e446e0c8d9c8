// Eigenvalues of a symmetric matrix without its eigenvectors, on storage the
// caller keeps, for loops that score many matrices of one size.
#pragma once

#include "services/dense.h"

#include <vector>

namespace linalg {

struct Tridiagonal {
    std::vector<double> d;  // diagonal
    std::vector<double> e;  // subdiagonal, e[i] couples i - 1 and i; e[0] = 0
};

// The eigenvalues of the symmetric matrix that the lower triangle of the
// square A defines, into work.d (largest first when decreasing). A is
// overwritten; once work has held a matrix of this size nothing is
// allocated. Returns false when A is not square, holds a non-finite value or
// the iteration failed (work.d is then unspecified).
bool symmetricEigenvalues(Dense& A, Tridiagonal& work, bool decreasing);

}  // namespace linalg
