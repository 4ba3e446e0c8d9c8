// The reference the tests judge printed figures by: plain Gauss-Jordan in
// long double, written apart from the host's Eigen-based code.
#pragma once

#include <cmath>
#include <utility>
#include <vector>

namespace vxdoe_test {

using Row = std::vector<long double>;
using Rows = std::vector<Row>;

// The moments X'X / n of the n rows of X.
inline Rows moments(const Rows& X) {
    const std::size_t p = X[0].size();
    Rows M(p, Row(p, 0));
    for (const Row& x : X)
        for (std::size_t i = 0; i < p; ++i)
            for (std::size_t j = 0; j < p; ++j) M[i][j] += x[i] * x[j] / X.size();
    return M;
}

// The inverse of a by Gauss-Jordan with partial pivoting, and its determinant.
struct Inverted {
    Rows inverse;
    long double det = 1;
};

inline Inverted gaussJordan(Rows a) {
    const std::size_t n = a.size();
    Inverted r{Rows(n, Row(n, 0)), 1};
    for (std::size_t i = 0; i < n; ++i) r.inverse[i][i] = 1;
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t pivot = c;
        for (std::size_t i = c + 1; i < n; ++i)
            if (std::fabs(a[i][c]) > std::fabs(a[pivot][c])) pivot = i;
        if (pivot != c) std::swap(a[pivot], a[c]), std::swap(r.inverse[pivot], r.inverse[c]), r.det = -r.det;
        const long double d = a[c][c];
        r.det *= d;
        if (d == 0) return r;
        for (std::size_t j = 0; j < n; ++j) a[c][j] /= d, r.inverse[c][j] /= d;
        for (std::size_t i = 0; i < n; ++i)
            if (i != c && a[i][c] != 0) {
                const long double f = a[i][c];
                for (std::size_t j = 0; j < n; ++j) a[i][j] -= f * a[c][j], r.inverse[i][j] -= f * r.inverse[c][j];
            }
    }
    return r;
}

inline long double quadratic(const Rows& m, const Row& x) {
    long double s = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t j = 0; j < x.size(); ++j) s += x[i] * m[i][j] * x[j];
    return s;
}

}  // namespace vxdoe_test
