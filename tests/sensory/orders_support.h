// Host-side sensory designs for the order and arrangement tests: flat
// column-major arrays as the host holds them.
#pragma once

#include "boundary/VORNEXDO1M.h"
#include "sensory/presentation_orders.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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

inline bool isNoValue(double v) { return std::bit_cast<uint64_t>(v) == 0xFFEFFFFFFFFFFFE2ULL; }

// Plain counts of an order, get(j, r) the product of judge j at position r
// (both 1-based): products at positions, ordered neighbours.
struct OrderCounts {
    std::vector<std::vector<long long>> position, follows;  // [p][r], [a][b]; 1-based
    long long positionSS = 0, carrySS = 0;
    template <class Get>
    OrderCounts(int P, int R, int J, Get get)
        : position(P + 1, std::vector<long long>(R + 1, 0)), follows(P + 1, std::vector<long long>(P + 1, 0)) {
        // A cell holding no product number (a judge given fewer than R
        // products keeps 0 there) stands at no position and follows nothing.
        auto isProduct = [P](int x) { return x >= 1 && x <= P; };
        for (int j = 1; j <= J; ++j)
            for (int r = 1; r <= R; ++r) {
                const int a = get(j, r);
                if (!isProduct(a)) continue;
                ++position[a][r];
                if (r < R && isProduct(get(j, r + 1)) && get(j, r + 1) != a) ++follows[a][get(j, r + 1)];
            }
        for (const auto& row : position)
            for (long long c : row) positionSS += c * c;
        for (const auto& row : follows)
            for (long long c : row) carrySS += c * c;
    }
    double criterion(double lambda) const { return lambda * positionSS + (1 - lambda) * carrySS; }
    // Every count within one of every other of its kind: the EAM bound.
    static bool even(const std::vector<std::vector<long long>>& m, bool skipDiagonal) {
        long long lo = 1LL << 60, hi = -1;
        for (std::size_t a = 1; a < m.size(); ++a)
            for (std::size_t b = 1; b < m[a].size(); ++b)
                if (!(skipDiagonal && a == b)) lo = std::min(lo, m[a][b]), hi = std::max(hi, m[a][b]);
        return hi - lo <= 1;
    }
    bool positionsEven() const { return even(position, false); }
    bool atBounds() const { return positionsEven() && even(follows, true); }
};

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
    void rank(double lambda, int iter, VARIANT_BOOL check = 0, VARIANT_BOOL flag = 0, double limit = 0.0) {
        Cpp_GetBestRanking(P, R, J, jp.data(), lambda, iter, check, flag, limit, jr.data(), rmat.data(), smat.data(),
                           md.data(), conc.data(), &seed, &seedInit, &oSeed);
    }
};

// The library's passes alone on the host's arrays, without the completion stage that may follow them.
// jrRows x jrCols is the order array's shape as passed.
inline void rankByPassesOnly(Ranking& x, double lambda, int iter, short check = 0, short flag = 0, double limit = 0.0,
                             int jrRows = 0, int jrCols = 0) {
    matrixInt jp(x.J, x.P, x.jp.data(), true), jr(jrRows ? jrRows : x.J, jrCols ? jrCols : x.R, x.jr.data(), true),
        rm(x.P, x.R, x.rmat.data(), true), sm(x.P, x.P + 1, x.smat.data(), true);
    matrix md(2, 2, x.md.data(), true), conc(x.P, x.P, x.conc.data(), true);
    orders::rankByPassesOnly(x.P, x.R, x.J, &jp, lambda, iter, check, flag, limit, &jr, &rm, &sm, &md, &conc, &x.seed,
                             &x.seedInit, &x.oSeed);
}

}  // namespace orders_test
