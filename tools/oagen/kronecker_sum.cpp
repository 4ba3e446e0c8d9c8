#include "tools/oagen/kronecker_sum.h"

namespace oagen {

DifferenceMatrix kroneckerSum(const DifferenceMatrix& d1, const DifferenceMatrix& d2, int p) {
    const std::size_t r2 = d2.size(), c2 = d2.front().size();
    DifferenceMatrix d(d1.size() * r2, std::vector<int>(d1.front().size() * c2));
    for (std::size_t i = 0; i < d.size(); ++i)
        for (std::size_t j = 0; j < d[i].size(); ++j) d[i][j] = (d1[i / r2][j / c2] + d2[i % r2][j % c2]) % p;
    return d;
}

DifferenceMatrix primeMultiplication(int p) {
    DifferenceMatrix d(static_cast<std::size_t>(p), std::vector<int>(static_cast<std::size_t>(p)));
    for (int a = 0; a < p; ++a)
        for (int b = 0; b < p; ++b) d[a][b] = a * b % p;
    return d;
}

}  // namespace oagen
