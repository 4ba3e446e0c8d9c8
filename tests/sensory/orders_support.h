// Host-side sensory designs for the order and arrangement tests: flat
// column-major arrays as the host holds them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orders_test {

// Judge j (0-based) tastes products j, j+1, ..., j+R-1 (mod P), 1-based.
inline std::vector<int32_t> cyclicIncidence(int J, int P, int R) {
    std::vector<int32_t> jp(static_cast<std::size_t>(J) * P, 0);
    for (int j = 0; j < J; ++j)
        for (int k = 0; k < R; ++k) jp[static_cast<std::size_t>((j + k) % P) * J + j] = 1;
    return jp;
}

// The products of row j of a J x cols table, in column order.
inline std::vector<int32_t> row(const std::vector<int32_t>& m, int J, int cols, int j) {
    std::vector<int32_t> r;
    for (int c = 0; c < cols; ++c) r.push_back(m[static_cast<std::size_t>(c) * J + j]);
    return r;
}

inline std::vector<int32_t> sortedRow(const std::vector<int32_t>& m, int J, int cols, int j) {
    std::vector<int32_t> r = row(m, J, cols, j);
    std::sort(r.begin(), r.end());
    return r;
}

// The products row j of the incidence marks.
inline std::vector<int32_t> productsOf(const std::vector<int32_t>& jp, int J, int P, int j) {
    std::vector<int32_t> r;
    for (int p = 0; p < P; ++p)
        if (jp[static_cast<std::size_t>(p) * J + j] == 1) r.push_back(p + 1);
    return r;
}

inline bool isNoValue(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits == 0xFFEFFFFFFFFFFFE2ULL;
}

// Everything Cpp_GetBestRanking returns.
struct Ranking {
    int J, P, R;
    std::vector<int32_t> jp, jr, rmat, smat;
    std::vector<double> md, conc;
    int32_t seed = 12345, oSeed = 0;
    int16_t seedInit = -1;
    Ranking(int j, int p, int r, std::vector<int32_t> incidence)
        : J(j), P(p), R(r), jp(std::move(incidence)), jr(static_cast<std::size_t>(j) * r, 0),
          rmat(static_cast<std::size_t>(p) * r, 0), smat(static_cast<std::size_t>(p) * (p + 1), 0), md(4, 0.0),
          conc(static_cast<std::size_t>(p) * p, 0.0) {}
};

}  // namespace orders_test
