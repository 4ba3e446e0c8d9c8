#include "tools/oagen/copy_joined_scheme.h"

#include <cstddef>

namespace oagen {

namespace {

// (phi, d_l) takes each of the s p value pairs equally often over the rows.
bool uniformPair(const std::vector<std::vector<int>>& d, int p, const std::vector<int>& phi, int s, std::size_t l) {
    std::vector<int> seen(static_cast<std::size_t>(s * p), 0);
    for (std::size_t i = 0; i < d.size(); ++i) ++seen[static_cast<std::size_t>(p * phi[i] + d[i][l])];
    for (int n : seen)
        if (n * s * p != static_cast<int>(d.size())) return false;
    return true;
}

// baseRow[i]: b's rows with t = v, in order, for the rows with phi = v;
// empty when the counts differ.
std::vector<int> matchRows(const std::vector<int>& phi, const Column& t) {
    std::vector<std::vector<int>> free(static_cast<std::size_t>(t.levels));
    for (int x = static_cast<int>(t.values.size()) - 1; x >= 0; --x)
        free[static_cast<std::size_t>(t.values[static_cast<std::size_t>(x)])].push_back(x);
    std::vector<int> baseRow;
    for (int v : phi) {
        if (v < 0 || v >= t.levels || free[static_cast<std::size_t>(v)].empty()) return {};
        baseRow.push_back(free[static_cast<std::size_t>(v)].back());
        free[static_cast<std::size_t>(v)].pop_back();
    }
    return baseRow;
}

}  // namespace

Array copyJoinedScheme(const std::vector<std::vector<int>>& d, int p, const std::vector<int>& phi, const Array& b,
                       int t) {
    const int r = static_cast<int>(d.size());
    if (b.runs != r || phi.size() != d.size() || t < 0 || t >= static_cast<int>(b.columns.size())) return {};
    const Column& joined = b.columns[static_cast<std::size_t>(t)];
    const std::vector<int> baseRow = matchRows(phi, joined);
    if (baseRow.empty()) return {};  // also when D has no rows
    const int runs = p * r;
    Array a{runs, {}};
    const auto column = [&](int levels, auto value) {
        a.columns.push_back(columnOf(levels, runs, [&](int run) { return value(run / p, run % p); }));
    };
    for (std::size_t c = 0; c < b.columns.size(); ++c)
        if (c != static_cast<std::size_t>(t))
            column(b.columns[c].levels,
                   [&](int i, int) { return b.columns[c].values[static_cast<std::size_t>(baseRow[i])]; });
    for (std::size_t l = 0; l < d.front().size(); ++l)
        if (uniformPair(d, p, phi, joined.levels, l)) column(p, [&](int i, int g) { return (d[i][l] + g) % p; });
    column(p * joined.levels, [&](int i, int g) { return p * phi[static_cast<std::size_t>(i)] + g; });
    return a;
}

}  // namespace oagen
