#include "tools/oagen/subspace_packing.h"

#include <stdexcept>

namespace oagen {

Array subspacePacking32() {
    const std::vector<std::vector<int>> times = galoisProducts(8);
    const int alpha = 2;  // x, the coefficients (0, 1, 0) read with c0 most significant
    Array a{32, {}};
    for (int g = 0; g < 8; ++g) {
        Column c{4, std::vector<int>(32)};
        for (int r = 0; r < 32; ++r) {
            const int u1 = r >> 4, u2 = (r >> 3) & 1, w = r & 7;
            const int b1 = u1 ^ parity(static_cast<unsigned>(g & w));
            const int b2 = u2 ^ parity(static_cast<unsigned>(times[g][alpha] & w));
            c.values[r] = 2 * b1 + b2;
        }
        a.columns.push_back(c);
    }
    Column w{8, std::vector<int>(32)};
    for (int r = 0; r < 32; ++r) w.values[r] = r & 7;
    a.columns.push_back(w);
    return a;
}

namespace {

// The column of one subspace: digit j (most significant first) is the run's
// parity under basis mask j.
Column subspaceColumn(int runs, const std::vector<int>& basis) {
    return columnOf(1 << basis.size(), runs, [&](int r) {
        int value = 0;
        for (int b : basis) value = 2 * value + parity(static_cast<unsigned>(r & b));
        return value;
    });
}

// Marks the nonzero vectors of span(basis) in `used`, refusing a dependent
// basis or a vector already taken by another subspace.
void claimSpan(const std::vector<int>& basis, std::vector<bool>& used) {
    std::vector<int> span{0};
    for (int b : basis) {
        const std::size_t half = span.size();
        for (std::size_t i = 0; i < half; ++i) {
            const int v = span[i] ^ b;
            if (v <= 0 || v >= static_cast<int>(used.size()) || used[v])
                throw std::invalid_argument("subspaces must be independent and meet only in 0");
            used[v] = true;
            span.push_back(v);
        }
    }
}

}  // namespace

Array packedSubspaces(int n, const std::vector<std::vector<int>>& bases) {
    const int runs = 1 << n;
    std::vector<bool> used(runs, false);
    for (const std::vector<int>& basis : bases) claimSpan(basis, used);
    Array a{runs, {}};
    for (int v = 1; v < runs; ++v)
        if (!used[v]) a.columns.push_back(subspaceColumn(runs, {v}));
    for (std::size_t k = 1; k <= static_cast<std::size_t>(n); ++k)  // by dimension, a basis having at most n masks
        for (const std::vector<int>& basis : bases)
            if (basis.size() == k) a.columns.push_back(subspaceColumn(runs, basis));
    return a;
}

}  // namespace oagen
