// Stable sorting of a range of rows by one key column.
#include "services/matrix_ops.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <type_traits>
#include <vector>

namespace {

// Ranks NaN after every number in both directions, so the comparison stays a
// strict weak order whatever the keys hold.
template <class T>
bool before(T a, T b, bool ascending) {
    if constexpr (std::is_floating_point_v<T>) {
        if (std::isnan(a) || std::isnan(b)) return !std::isnan(a) && std::isnan(b);
    }
    return ascending ? a < b : b < a;
}

template <class T>
void sortRows(MultiDimArray<T>* A, int rows, int cols, int key, int from, int to, int order) {
    if (A == nullptr) return;
    // Only cells inside both the stated shape and the container can move.
    const int first = std::max(from, 1);
    const int last = std::min({to, rows, A->rows()});
    const int width = std::min(cols, A->cols());
    if (last <= first || key < 1 || key > width) return;

    const int n = last - first + 1;
    std::vector<int> perm(static_cast<std::size_t>(n));
    std::iota(perm.begin(), perm.end(), first);
    std::stable_sort(perm.begin(), perm.end(),
                     [&](int a, int b) { return before(A->vbget(a, key), A->vbget(b, key), order == 0); });

    // Row first + i of the result is row perm[i] of the original.
    std::vector<T> column(static_cast<std::size_t>(n));
    for (int c = 1; c <= width; ++c) {
        for (int i = 0; i < n; ++i) column[i] = A->vbget(perm[i], c);
        for (int i = 0; i < n; ++i) A->vbset(first + i, c, column[i]);
    }
}

}  // namespace

void SortQMatrixCol(matrix* A, int rows, int cols, int key, int from, int to, int order) {
    sortRows(A, rows, cols, key, from, to, order);
}

void SortQMatrixCol(matrixInt* A, int rows, int cols, int key, int from, int to, int order) {
    sortRows(A, rows, cols, key, from, to, order);
}
