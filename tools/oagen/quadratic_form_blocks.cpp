#include "tools/oagen/quadratic_form_blocks.h"

#include <cstddef>

namespace oagen {

DifferenceMatrix quadraticFormBlocks(int q, const std::vector<FormCoefficients>& coefficients) {
    int n = 0;
    while (n * n < static_cast<int>(coefficients.size())) ++n;
    if (q <= 0 || n == 0 || n * n != static_cast<int>(coefficients.size())) return {};
    DifferenceMatrix d(static_cast<std::size_t>(n * q), std::vector<int>(static_cast<std::size_t>(n * q)));
    for (int i = 0; i < n * q; ++i)
        for (int j = 0; j < n * q; ++j) {
            const int e = i / q, a = i % q, f = j / q, b = j % q;
            const auto& [alpha, beta, gamma] = coefficients[static_cast<std::size_t>(e * n + f)];
            const int v = alpha * a * a + beta * a * b + gamma * b * b;
            d[i][j] = ((v % q) + q) % q;
        }
    return d;
}

DifferenceMatrix doubledField(int q, int kappa) {
    return quadraticFormBlocks(q, {{0, 1, 0}, {1, 1, kappa}, {1, 1, kappa}, {0, -1, 0}});
}

DifferenceMatrix differenceMatrix20() {
    // Row e of the list is row block e, across the column blocks f.
    return quadraticFormBlocks(5, {{0, 1, 0}, {2, 1, 0}, {4, 1, 0}, {1, 1, 0},  //
                                   {0, 1, 3}, {1, 3, 4}, {3, 2, 1}, {4, 4, 2},  //
                                   {0, 1, 2}, {4, 2, 3}, {3, 1, 4}, {2, 2, 4},  //
                                   {0, 1, 1}, {2, 1, 1}, {1, 2, 2}, {3, 3, 3}});
}

}  // namespace oagen
