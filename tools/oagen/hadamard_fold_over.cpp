#include "tools/oagen/hadamard_fold_over.h"

namespace oagen {

// For a fixed row i the two runs show opposite signs in every two-level
// column, which balances each of them against i. Two columns j and l agree
// in n/2 rows of H: each agreeing row gives (+, +) and (-, -) once, each
// differing row (+, -) and (-, +) once.
Array hadamardFoldOver(int n) {
    const SignMatrix h = normalisedHadamard(n);
    if (h.empty()) return {};
    Array a{2 * n, {}};
    for (int j = 0; j < n; ++j) {
        Column c{2, std::vector<int>(static_cast<std::size_t>(2 * n))};
        for (int i = 0; i < n; ++i)
            for (int flip = 0; flip < 2; ++flip) c.values[2 * i + flip] = (h[i][j] < 0) != (flip == 1) ? 1 : 0;
        a.columns.push_back(c);
    }
    Column row{n, std::vector<int>(static_cast<std::size_t>(2 * n))};
    for (int r = 0; r < 2 * n; ++r) row.values[r] = r / 2;
    a.columns.push_back(row);
    return a;
}

}  // namespace oagen
