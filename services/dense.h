// Column-major scratch storage for the numerical kernels behind the M_
// functions. Indices are 0-based and unchecked so the inner loops stay plain;
// a kernel reads its inputs into Dense copies, works on them, and only then
// hands the result to the caller's container. Because the output is written
// last, an output argument may safely be one of the inputs.
#pragma once

#include "services/matrix.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace linalg {

struct Dense {
    int rows = 0;
    int cols = 0;
    std::vector<double> cells;

    Dense() = default;
    Dense(int r, int c, double v = 0.0);

    double& operator()(int r, int c) { return cells[index(r, c)]; }
    double operator()(int r, int c) const { return cells[index(r, c)]; }
    double* column(int c) { return cells.data() + index(0, c); }
    const double* column(int c) const { return cells.data() + index(0, c); }

    bool square() const { return rows == cols; }
    // Largest magnitude of any cell (0 for an empty one).
    double maxAbs() const;
    bool allFinite() const;
    // Copies the lower triangle over the upper one (square matrices only).
    void symmetriseFromLower();

    static Dense identity(int n);
    // The whole container; a null pointer gives an empty 0 x 0 copy.
    static Dense copyOf(const matrix* A);
    // Resizes out to this shape (matCheck) and copies every cell into it.
    void storeInto(matrix*& out) const;

private:
    std::size_t index(int r, int c) const {
        return static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(r);
    }
};

// Overwrites the lower triangle of the symmetric n x n matrix a, read from
// its lower triangle alone, with its Cholesky factor L (a = L L'), one
// column at a time; the upper triangle is left as it was. Before column j
// is divided by the square root of its pivot, accept(j, pivot, diagonal)
// judges that pivot (diagonal: a(j, j) as it came); a false stops the
// factor there. Returns the number of columns factored, n on success.
template <class Accept>
int CholeskyInPlace(Dense& a, Accept accept) {
    const int n = a.rows;
    for (int j = 0; j < n; ++j) {
        double* aj = a.column(j);
        const double diagonal = aj[j];
        // Column j less the contributions of the columns already done.
        for (int k = 0; k < j; ++k) {
            const double t = a(j, k);
            const double* ak = a.column(k);
            for (int i = j; i < n; ++i) aj[i] -= ak[i] * t;
        }
        if (!accept(j, aj[j], diagonal)) return j;
        const double ljj = std::sqrt(aj[j]);
        aj[j] = ljj;
        for (int i = j + 1; i < n; ++i) aj[i] /= ljj;
    }
    return n;
}

// The magnitude at or below which a pivot of an n x n elimination, in a
// column whose entries are of size `scale`, cannot be told apart from
// accumulated rounding, so the matrix counts as singular.
double roundoffFloor(int n, double scale);

}  // namespace linalg
