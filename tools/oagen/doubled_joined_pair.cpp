#include "tools/oagen/doubled_joined_pair.h"

#include <cstddef>

namespace oagen {

namespace {

// 0 and 1 by turns over the runs of each cell of (f, g): equal counts on
// every cell met an even number of times.
std::vector<int> halvingOfEachCell(const Column& f, const Column& g) {
    std::vector<int> met(static_cast<std::size_t>(f.levels * g.levels), 0), half;
    for (std::size_t r = 0; r < f.values.size(); ++r)
        half.push_back(met[static_cast<std::size_t>(f.values[r] * g.levels + g.values[r])]++ % 2);
    return half;
}

// Column c as it stands in both copies.
Column repeated(const Column& c) {
    const int runs = static_cast<int>(c.values.size());
    return columnOf(c.levels, 2 * runs, [&](int run) { return c.values[static_cast<std::size_t>(run % runs)]; });
}

// Column c over both copies, its run r shifted to the other copy's half
// of the levels where shift(r) is 1.
Column joinedToTheCopy(const Column& c, const std::vector<int>& shift) {
    const int runs = static_cast<int>(c.values.size());
    return columnOf(2 * c.levels, 2 * runs, [&](int run) {
        const auto r = static_cast<std::size_t>(run % runs);
        return (run / runs + shift[r]) % 2 * c.levels + c.values[r];
    });
}

}  // namespace

Array doubledJoinedPair(const Array& b, int first, int second) {
    const int columns = static_cast<int>(b.columns.size());
    if (first < 0 || second < 0 || first >= columns || second >= columns || first == second) return {};
    const Column& f = b.columns[static_cast<std::size_t>(first)];
    const Column& g = b.columns[static_cast<std::size_t>(second)];
    if (b.runs <= 0 || b.runs % (2 * f.levels * g.levels) != 0) return {};
    Array out{2 * b.runs, {}};
    for (int c = 0; c < columns; ++c)
        if (c != first && c != second)
            out.columns.push_back(repeated(b.columns[static_cast<std::size_t>(c)]));
    out.columns.push_back(joinedToTheCopy(f, std::vector<int>(static_cast<std::size_t>(b.runs), 0)));
    out.columns.push_back(joinedToTheCopy(g, halvingOfEachCell(f, g)));
    return out;
}

}  // namespace oagen
