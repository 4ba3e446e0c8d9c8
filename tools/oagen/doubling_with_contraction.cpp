#include "tools/oagen/doubling_with_contraction.h"

#include <set>

namespace oagen {

namespace {

// D = (1 - S_(t-1) (x) H_m) / 2 with H_m normalised: row r m + rho, column
// g m + v holds par(r & g) xor the bit of H_m[rho][v].
std::vector<std::vector<int>> binaryProduct(int t, int m) {
    const SignMatrix h = normalisedHadamard(m);
    if (h.empty()) return {};
    const int blocks = 1 << (t - 1);
    std::vector<std::vector<int>> d(static_cast<std::size_t>(blocks * m), std::vector<int>(static_cast<std::size_t>(blocks * m)));
    for (int r = 0; r < blocks; ++r)
        for (int rho = 0; rho < m; ++rho)
            for (int g = 0; g < blocks; ++g)
                for (int v = 0; v < m; ++v)
                    d[r * m + rho][g * m + v] = parity(static_cast<unsigned>(r & g)) ^ (h[rho][v] < 0 ? 1 : 0);
    return d;
}

// The column of D that reads par(bits & g') where bit 0 of bits is column
// (0, 1) and bit b >= 1 is column (2^(b-1), 0): the product of those
// generators, column (g' >> 1, g' & 1).
int closedColumn(int gPrime, int m) { return (gPrime >> 1) * m + (gPrime & 1); }

}  // namespace

Array doubleWithContraction(const Array& b, int beta, int t) {
    const int runs = b.runs;
    const int values = 1 << t;
    if (t < 1 || t > 3 || beta < 0 || beta >= static_cast<int>(b.columns.size()) ||
        b.columns[static_cast<std::size_t>(beta)].levels != values || runs % values != 0)
        return {};
    const int m = runs >> (t - 1);
    const std::vector<std::vector<int>> d = binaryProduct(t, m);
    if (d.empty()) return {};
    const std::vector<int>& target = b.columns[static_cast<std::size_t>(beta)].values;
    // Each value of the generator bits, and of beta, takes M / 2^t rows: D's
    // rows with bits u go to B's rows with beta = u, in order.
    std::vector<std::vector<int>> rowsWithBits(static_cast<std::size_t>(values));
    for (int i = 0; i < runs; ++i) {
        int bits = 0;
        for (int bit = 0; bit < t; ++bit) bits |= d[i][bit == 0 ? closedColumn(1, m) : closedColumn(1 << bit, m)] << bit;
        rowsWithBits[static_cast<std::size_t>(bits)].push_back(i);
    }
    std::vector<int> rowFor(static_cast<std::size_t>(runs), -1);
    std::vector<std::size_t> next(static_cast<std::size_t>(values), 0);
    for (int i = 0; i < runs; ++i) {
        std::vector<int>& pool = rowsWithBits[static_cast<std::size_t>(target[i])];
        std::size_t& k = next[static_cast<std::size_t>(target[i])];
        if (k >= pool.size()) return {};  // beta is not balanced
        rowFor[i] = pool[k++];
    }
    std::set<int> closed;
    for (int g = 0; g < values; ++g) closed.insert(closedColumn(g, m));
    Array out{2 * runs, {}};
    for (int j = 0; j < runs; ++j) {
        if (closed.count(j)) continue;
        Column c{2, std::vector<int>(static_cast<std::size_t>(2 * runs))};
        for (int i = 0; i < runs; ++i)
            for (int g = 0; g < 2; ++g) c.values[2 * i + g] = d[rowFor[i]][j] ^ g;
        out.columns.push_back(c);
    }
    for (int c = 0; c < static_cast<int>(b.columns.size()); ++c) {
        if (c == beta) continue;
        Column doubled{b.columns[c].levels, std::vector<int>(static_cast<std::size_t>(2 * runs))};
        for (int r = 0; r < 2 * runs; ++r) doubled.values[r] = b.columns[c].values[r / 2];
        out.columns.push_back(doubled);
    }
    Column merged{2 * values, std::vector<int>(static_cast<std::size_t>(2 * runs))};
    for (int r = 0; r < 2 * runs; ++r) merged.values[r] = values * (r % 2) + target[r / 2];
    out.columns.push_back(merged);
    return out;
}

}  // namespace oagen
