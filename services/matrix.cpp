#include "services/matrix.h"

void matrix::copyMatTo(short* dst) const {
    if (dst == nullptr) return;
    for (int i = 0; i < count(); ++i) dst[i] = static_cast<short>(data_[i]);
}

Smatrix::Smatrix(int rows, int cols)
    : rows_(rows > 0 && cols > 0 ? rows : 0), cols_(rows_ ? cols : 0), cells_(static_cast<std::size_t>(rows_) * cols_) {}

Smatrix::Smatrix(int rows, int cols, const BSTR* src) : Smatrix(rows, cols) {
    if (src == nullptr) return;
    for (std::size_t i = 0; i < cells_.size(); ++i) cells_[i] = bstrToString(src[i]);
}

bool Smatrix::inside(int r, int c) const { return indexIn(r, rows_) && indexIn(c, cols_); }

std::u16string Smatrix::vbget(int r, int c) const {
    return inside(r, c) ? cells_[static_cast<std::size_t>(c - 1) * rows_ + (r - 1)] : std::u16string();
}

void Smatrix::vbset(int r, int c, const std::u16string& v) {
    if (inside(r, c)) cells_[static_cast<std::size_t>(c - 1) * rows_ + (r - 1)] = v;
}

std::u16string Smatrix::vbget(int i) const {
    return static_cast<unsigned>(i) - 1u < cells_.size() ? cells_[static_cast<std::size_t>(i - 1)] : std::u16string();
}

void Smatrix::vbset(int i, const std::u16string& v) {
    if (static_cast<unsigned>(i) - 1u < cells_.size()) cells_[static_cast<std::size_t>(i - 1)] = v;
}

void Smatrix::copyMatTo(BSTR* dst) const {
    if (dst == nullptr) return;
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        SysFreeString(dst[i]);
        dst[i] = stringToBstr(cells_[i]);
    }
}

void Smatrix::copyMatTo(Smatrix* dst) const {
    if (dst == nullptr) return;
    const std::size_t n = cells_.size() < dst->cells_.size() ? cells_.size() : dst->cells_.size();
    for (std::size_t i = 0; i < n; ++i) dst->cells_[i] = cells_[i];
}

namespace {
template <class M, class T>
void reshapeAndFill(M*& ref, int rows, int cols, T v) {
    if (ref == nullptr || ref->rows() != rows || ref->cols() != cols) {
        delete ref;
        ref = new M(rows, cols, v);
    } else {
        ref->fill(v);
    }
}
}  // namespace

void matCheck(matrix*& ref, int rows, int cols, double v) { reshapeAndFill(ref, rows, cols, v); }
void matCheck(matrixInt*& ref, int rows, int cols, int v) { reshapeAndFill(ref, rows, cols, v); }
