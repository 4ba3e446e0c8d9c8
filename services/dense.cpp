#include "services/dense.h"

#include <cfloat>
#include <cmath>

namespace linalg {

Dense::Dense(int r, int c, double v)
    : rows(r > 0 && c > 0 ? r : 0), cols(rows ? c : 0), cells(static_cast<std::size_t>(rows) * cols, v) {}

double Dense::maxAbs() const {
    double m = 0.0;
    for (double v : cells) m = std::fmax(m, std::fabs(v));
    return m;
}

bool Dense::allFinite() const {
    for (double v : cells)
        if (!std::isfinite(v)) return false;
    return true;
}

void Dense::symmetriseFromLower() {
    if (!square()) return;
    for (int c = 1; c < cols; ++c)
        for (int r = 0; r < c; ++r) (*this)(r, c) = (*this)(c, r);
}

Dense Dense::identity(int n) {
    Dense I(n, n);
    for (int i = 0; i < I.rows; ++i) I(i, i) = 1.0;
    return I;
}

Dense Dense::copyOf(const matrix* A) {
    if (A == nullptr) return Dense();
    Dense d(A->rows(), A->cols());
    const double* src = A->data();
    for (std::size_t i = 0; i < d.cells.size(); ++i) d.cells[i] = src[i];
    return d;
}

void Dense::storeInto(matrix*& out) const {
    matCheck(out, rows, cols, 0.0);
    double* dst = out->data();
    for (std::size_t i = 0; i < cells.size(); ++i) dst[i] = cells[i];
}

// The residue that a singular information matrix X'X leaves in its last
// pivot grows with the number of runs summed into it: measured at up to
// about 30 n eps for 100 runs per column, while regular matrices of
// condition up to 1e13 keep every pivot above 300 n eps. 32 sits between.
constexpr double kRoundoffMultiple = 32.0;

double roundoffFloor(int n, double scale) { return kRoundoffMultiple * static_cast<double>(n) * DBL_EPSILON * scale; }

}  // namespace linalg
