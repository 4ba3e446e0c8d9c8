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
    for (std::size_t c = 0; c < a.columns.size(); ++c) {
        if (static_cast<int>(c) == rowColumn || static_cast<int>(c) == joinColumn) continue;
        Column col{a.columns[c].levels, std::vector<int>(static_cast<std::size_t>(runs))};
        for (int run = 0; run < runs; ++run) col.values[run] = a.columns[c].values[run % a.runs];
        out.columns.push_back(std::move(col));
    }
    for (std::size_t c = 0; c < b.columns.size(); ++c) {
        if (static_cast<int>(c) == copyColumn) continue;
        Column col{b.columns[c].levels, std::vector<int>(static_cast<std::size_t>(runs))};
        for (int run = 0; run < runs; ++run) {
            const int t = run / a.runs, x = run % a.runs;
            col.values[run] = b.columns[c].values[rowsOf[t][row.values[x]]];
        }
        out.columns.push_back(std::move(col));
    }
    Column last{copies * joined.levels, std::vector<int>(static_cast<std::size_t>(runs))};
    for (int run = 0; run < runs; ++run) last.values[run] = run / a.runs * joined.levels + joined.values[run % a.runs];
    out.columns.push_back(std::move(last));
    return out;
}

}  // namespace oagen
