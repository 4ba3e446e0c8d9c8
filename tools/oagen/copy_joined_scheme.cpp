#include "tools/oagen/copy_joined_scheme.h"

#include <cstddef>

namespace oagen {

namespace {

// (d_m, d_l) takes each of the p^2 value pairs equally often over the rows.
bool uniformPair(const std::vector<std::vector<int>>& d, int p, std::size_t m, std::size_t l) {
    std::vector<int> seen(static_cast<std::size_t>(p * p), 0);
    for (const std::vector<int>& row : d) ++seen[static_cast<std::size_t>(p * row[m] + row[l])];
    for (int n : seen)
        if (n * p * p != static_cast<int>(d.size())) return false;
    return true;
}

// baseRow[i]: b's rows with t = v, in order, for D's rows with d_m = v;
// empty when the counts differ.
std::vector<int> matchRows(const std::vector<std::vector<int>>& d, std::size_t m, const Column& t, int p) {
    std::vector<std::vector<int>> free(static_cast<std::size_t>(p));
    for (int x = static_cast<int>(t.values.size()) - 1; x >= 0; --x)
        free[static_cast<std::size_t>(t.values[static_cast<std::size_t>(x)])].push_back(x);
    std::vector<int> baseRow;
    for (const std::vector<int>& row : d) {
        if (row[m] < 0 || row[m] >= p) return {};
        std::vector<int>& pool = free[static_cast<std::size_t>(row[m])];
        if (pool.empty()) return {};
        baseRow.push_back(pool.back());
        pool.pop_back();
    }
    return baseRow;
}

}  // namespace

Array copyJoinedScheme(const std::vector<std::vector<int>>& d, int p, int m, const Array& b, int t) {
    const int r = static_cast<int>(d.size());
    if (r == 0 || b.runs != r || m < 0 || m >= static_cast<int>(d.front().size()) || t < 0 ||
        t >= static_cast<int>(b.columns.size()) || b.columns[static_cast<std::size_t>(t)].levels != p)
        return {};
    const std::size_t jm = static_cast<std::size_t>(m);
    const std::vector<int> baseRow = matchRows(d, jm, b.columns[static_cast<std::size_t>(t)], p);
    if (baseRow.empty()) return {};
    const int runs = p * r;
    Array a{runs, {}};
    const auto column = [&](int levels, auto value) {
        Column c{levels, std::vector<int>(static_cast<std::size_t>(runs))};
        for (int run = 0; run < runs; ++run) c.values[static_cast<std::size_t>(run)] = value(run / p, run % p);
        a.columns.push_back(std::move(c));
    };
    for (std::size_t c = 0; c < b.columns.size(); ++c)
        if (c != static_cast<std::size_t>(t))
            column(b.columns[c].levels, [&](int i, int) { return b.columns[c].values[static_cast<std::size_t>(baseRow[i])]; });
    for (std::size_t l = 0; l < d.front().size(); ++l)
        if (l != jm && uniformPair(d, p, jm, l))
            column(p, [&](int i, int g) { return (d[i][l] + g) % p; });
    column(p * p, [&](int i, int g) { return p * d[i][jm] + g; });
    return a;
}

}  // namespace oagen
