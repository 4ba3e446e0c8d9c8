// Column-major scratch storage for the numerical kernels behind the M_
// functions. Indices are 0-based and unchecked so the inner loops stay plain;
// a kernel reads its inputs into Dense copies, works on them, and only then
// hands the result to the caller's container. Because the output is written
// last, an output argument may safely be one of the inputs.
#pragma once

#include "services/matrix.h"

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

// The magnitude at or below which a pivot of an n x n elimination, in a
// column whose entries are of size `scale`, cannot be told apart from
// accumulated rounding, so the matrix counts as singular.
double roundoffFloor(int n, double scale);

}  // namespace linalg
