#include "tools/oagen/crossed_rows.h"

#include <algorithm>
#include <cstddef>

namespace oagen {

namespace {

std::vector<const Column*> columnsWith(const Array& a, int levels) {
    std::vector<const Column*> out;
    for (const Column& c : a.columns)
        if (c.levels == levels) out.push_back(&c);
    return out;
}

bool constant(const std::vector<std::vector<int>>& d, std::size_t l) {
    return std::all_of(d.begin(), d.end(), [&](const std::vector<int>& row) { return row[l] == d.front()[l]; });
}

}  // namespace

Array crossedRows(const Array& left, const std::vector<std::vector<int>>& d, const Array& right) {
    const std::vector<const Column*> threes = columnsWith(right, 3);
    const int r = left.runs, s = right.runs;
    if (r == 0 || s == 0 || static_cast<int>(d.size()) != r || threes.empty()) return {};
    const int runs = r * s;
    Array a{runs, {}};
    for (const Column* x : columnsWith(left, 2))
        for (const Column* y : columnsWith(right, 2))
            a.columns.push_back(columnOf(2, runs, [&](int run) { return x->values[run / s] ^ y->values[run % s]; }));
    const Column& e = *threes.front();
    for (std::size_t l = 0; l < d.front().size(); ++l)
        if (!constant(d, l))
            a.columns.push_back(columnOf(3, runs, [&](int run) { return (d[run / s][l] + e.values[run % s]) % 3; }));
    a.columns.push_back(columnOf(r, runs, [&](int run) { return run / s; }));
    a.columns.push_back(columnOf(s, runs, [&](int run) { return run % s; }));
    return a;
}

}  // namespace oagen
