#include "tools/oagen/joined_copies.h"

namespace oagen {

namespace {

// rowsOf[t][rho]: the rho-th row of b whose column `copyColumn` is t; empty
// when some level is not met exactly r times.
std::vector<std::vector<int>> rowsByCopy(const Array& b, int copyColumn, int r) {
    const Column& h = b.columns[static_cast<std::size_t>(copyColumn)];
    std::vector<std::vector<int>> rowsOf(static_cast<std::size_t>(h.levels));
    for (int u = 0; u < b.runs; ++u) rowsOf[static_cast<std::size_t>(h.values[u])].push_back(u);
    for (const std::vector<int>& rows : rowsOf)
        if (static_cast<int>(rows.size()) != r) return {};
    return rowsOf;
}

// Column c read, for every run, at the row `rowOf(run)` gives.
template <typename RowOf>
Column readAt(const Column& c, int runs, RowOf rowOf) {
    Column out{c.levels, std::vector<int>(static_cast<std::size_t>(runs))};
    for (int run = 0; run < runs; ++run) out.values[run] = c.values[rowOf(run)];
    return out;
}

}  // namespace

Array joinedCopies(const Array& a, int rowColumn, int joinColumn, const Array& b, int copyColumn) {
    const Column& row = a.columns[static_cast<std::size_t>(rowColumn)];
    const Column& joined = a.columns[static_cast<std::size_t>(joinColumn)];
    const int copies = b.columns[static_cast<std::size_t>(copyColumn)].levels;
    if (rowColumn == joinColumn || b.runs != copies * row.levels) return {};
    const std::vector<std::vector<int>> rowsOf = rowsByCopy(b, copyColumn, row.levels);
    if (rowsOf.empty()) return {};

    const int runs = copies * a.runs;
    Array out{runs, {}};
    const auto runOfA = [&](int run) { return run % a.runs; };
    const auto rowOfB = [&](int run) { return rowsOf[run / a.runs][row.values[run % a.runs]]; };
    for (std::size_t c = 0; c < a.columns.size(); ++c)
        if (static_cast<int>(c) != rowColumn && static_cast<int>(c) != joinColumn)
            out.columns.push_back(readAt(a.columns[c], runs, runOfA));
    for (std::size_t c = 0; c < b.columns.size(); ++c)
        if (static_cast<int>(c) != copyColumn) out.columns.push_back(readAt(b.columns[c], runs, rowOfB));
    Column last{copies * joined.levels, std::vector<int>(static_cast<std::size_t>(runs))};
    for (int run = 0; run < runs; ++run) last.values[run] = run / a.runs * joined.levels + joined.values[run % a.runs];
    out.columns.push_back(std::move(last));
    return out;
}

}  // namespace oagen
