// Block copies, duplicates and reshaping copies. Every read and write goes
// through the containers' bounded access, so cells that fall outside a
// container read as -1 and writes to them are dropped, as everywhere else.
#include "services/dense.h"
#include "services/matrix_ops.h"

#include <algorithm>
#include <climits>

using linalg::Dense;

namespace {

// Number of indices in lo..hi, or 0 when the range is empty or would not fit
// a container dimension.
int spanLength(int lo, int hi) {
    const long long n = static_cast<long long>(hi) - lo + 1;
    return (n > 0 && n <= INT_MAX) ? static_cast<int>(n) : 0;
}

template <class M>
M* duplicate(const M* A) {
    if (A == nullptr) return new M(0, 0, 0);
    M* copy = new M(A->rows(), A->cols(), 0);
    std::copy(A->data(), A->data() + A->count(), copy->data());
    return copy;
}

}  // namespace

void M_CopyBlock(const matrix* A, int r1, int r2, int c1, int c2, matrix*& B) {
    Dense block(spanLength(r1, r2), spanLength(c1, c2));
    for (int c = 0; c < block.cols; ++c)
        for (int r = 0; r < block.rows; ++r) block(r, c) = A ? A->vbget(r1 + r, c1 + c) : -1.0;
    block.storeInto(B);
}

void M_PasteBlock(const matrix* B, int rows, int cols, matrix* A, int r0, int c0) {
    if (A == nullptr || B == nullptr) return;
    // Pasting a container onto itself must read the block before overwriting it.
    const Dense source = Dense::copyOf(B);
    auto sourceCell = [&](int r, int c) {
        return (r <= source.rows && c <= source.cols) ? source(r - 1, c - 1) : -1.0;
    };
    // Only block cells that land inside A are visited, so an oversized block
    // costs no more than A itself.
    const long long rFirst = std::max(1LL, 1LL - r0 + 1), cFirst = std::max(1LL, 1LL - c0 + 1);
    const long long rLast = std::min<long long>(rows, static_cast<long long>(A->rows()) - r0 + 1);
    const long long cLast = std::min<long long>(cols, static_cast<long long>(A->cols()) - c0 + 1);
    for (long long c = cFirst; c <= cLast; ++c)
        for (long long r = rFirst; r <= rLast; ++r)
            A->vbset(static_cast<int>(r0 + r - 1), static_cast<int>(c0 + c - 1),
                     sourceCell(static_cast<int>(r), static_cast<int>(c)));
}

matrix* M_Duplicate(const matrix* A) { return duplicate(A); }
matrixInt* M_Duplicate(const matrixInt* A) { return duplicate(A); }

matrix* V_Duplicate(const matrix* v, int n) {
    matrix* copy = new matrix(n, 1, 0.0);
    for (int i = 1; i <= copy->rows(); ++i) copy->vbset(i, v ? v->vbget(i) : -1.0);
    return copy;
}

matrix* M_RemoveRow(const matrix* A, int r) {
    if (A == nullptr) return new matrix(0, 0, 0.0);
    const bool removes = r >= 1 && r <= A->rows();
    matrix* out = new matrix(removes ? A->rows() - 1 : A->rows(), A->cols(), 0.0);
    for (int c = 1; c <= out->cols(); ++c)
        for (int i = 1; i <= out->rows(); ++i) out->vbset(i, c, A->vbget(removes && i >= r ? i + 1 : i, c));
    return out;
}

matrix* M_Transpose(const matrixInt* A, int rows, int cols) {
    matrix* out = new matrix(cols, rows, 0.0);
    for (int c = 1; c <= out->cols(); ++c)
        for (int r = 1; r <= out->rows(); ++r) out->vbset(r, c, A ? A->vbget(c, r) : -1);
    return out;
}
