#include "tools/oagen/one_flat.h"

namespace oagen {

// The rows of S_k (x) H_m are orthogonal, so its columns are. The new
// column Y is uniform, and the flat's columns are exactly its nontrivial
// characters; a kept column x times any character of Y is another column
// of the product, of mean 0, so x is independent of Y.
Array oneFlat(int k, int m) {
    const SignMatrix h = normalisedHadamard(m);
    if (h.empty() || k < 1 || m < 4) return {};
    const int blocks = 1 << k;
    const int runs = blocks * m;
    Array a{runs, {}};
    for (int g = 0; g < blocks; ++g)
        for (int v = 0; v < m; ++v) {
            if (v <= 1) continue;  // (0, 0) is constant, the other columns of v = 0 and 1 the flat
            Column c{2, std::vector<int>(static_cast<std::size_t>(runs))};
            for (int r = 0; r < blocks; ++r)
                for (int rho = 0; rho < m; ++rho)
                    c.values[r * m + rho] = parity(static_cast<unsigned>(r & g)) ^ (h[rho][v] < 0 ? 1 : 0);
            a.columns.push_back(c);
        }
    Column y{2 * blocks, std::vector<int>(static_cast<std::size_t>(runs))};
    for (int r = 0; r < blocks; ++r)
        for (int rho = 0; rho < m; ++rho) y.values[r * m + rho] = 2 * r + (h[rho][1] < 0 ? 1 : 0);
    a.columns.push_back(y);
    return a;
}

}  // namespace oagen
