#include "tools/oagen/projected_multiplication.h"

namespace oagen {

namespace {

// The digit-wise sum of a and b as t base-p digits.
int addDigits(int a, int b, int p, int t) {
    int sum = 0;
    for (int i = 0, place = 1; i < t; ++i, place *= p, a /= p, b /= p) sum += ((a % p + b % p) % p) * place;
    return sum;
}

int power(int p, int n) {
    int r = 1;
    while (n-- > 0) r *= p;
    return r;
}

}  // namespace

Array expandOverGroup(const std::vector<std::vector<int>>& d, int p, int t) {
    const int s = power(p, t);
    const int r = static_cast<int>(d.size());
    const int c = static_cast<int>(d.front().size());
    Array a{r * s, {}};
    for (int j = 0; j < c; ++j) {
        Column col{s, std::vector<int>(static_cast<std::size_t>(r * s))};
        for (int i = 0; i < r; ++i)
            for (int g = 0; g < s; ++g) col.values[i * s + g] = addDigits(d[i][j], g, p, t);
        a.columns.push_back(col);
    }
    Column row{r, std::vector<int>(static_cast<std::size_t>(r * s))};
    for (int run = 0; run < r * s; ++run) row.values[run] = run / s;
    a.columns.push_back(row);
    return a;
}

Array projectedMultiplication(int q, int t) {
    int p = 2;
    while (q % p != 0) ++p;
    int m = 0;
    for (int rest = q; rest > 1; rest /= p) ++m;
    if (t < 1 || t > m) return {};
    const std::vector<std::vector<int>> products = galoisProducts(q);
    std::vector<std::vector<int>> d = products;
    const int drop = power(p, m - t);
    for (auto& row : d)
        for (int& v : row) v /= drop;
    return expandOverGroup(d, p, t);
}

}  // namespace oagen
