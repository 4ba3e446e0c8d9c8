#include "tools/oagen/six_level_splits.h"

#include <cstddef>

namespace oagen {

namespace {

int mod3(int x) { return ((x % 3) + 3) % 3; }

// The halves each row of D falls in, one value per split.
std::vector<std::vector<int>> cellsOfSchemeRows(const std::vector<SixLevelSplit>& splits, std::size_t rows) {
    std::vector<std::vector<int>> cells(rows);
    for (std::size_t i = 0; i < rows; ++i)
        for (const SixLevelSplit& s : splits) cells[i].push_back(s.half[i] - '0');
    return cells;
}

// d_j - d_l takes each value of Z_3 equally often on the rows of each half.
bool uniformOnHalves(const std::vector<std::vector<int>>& d, const SixLevelSplit& s, int l) {
    int seen[2][3] = {};
    for (std::size_t i = 0; i < d.size(); ++i)
        ++seen[s.half[i] - '0'][mod3(d[i][static_cast<std::size_t>(s.schemeColumn)] - d[i][static_cast<std::size_t>(l)])];
    for (const auto& half : seen)
        if (half[0] != half[1] || half[1] != half[2]) return false;
    return true;
}

bool kept(const std::vector<std::vector<int>>& d, const std::vector<SixLevelSplit>& splits, int l) {
    for (const SixLevelSplit& s : splits)
        if (s.schemeColumn == l || !uniformOnHalves(d, s, l)) return false;
    return true;
}

bool validSplits(const std::vector<std::vector<int>>& d, const Array& base, const std::vector<SixLevelSplit>& splits) {
    if (d.empty() || base.runs != static_cast<int>(d.size()) || splits.size() > base.columns.size()) return false;
    for (std::size_t u = 0; u < splits.size(); ++u) {
        const int j = splits[u].schemeColumn;
        if (base.columns[u].levels != 2 || splits[u].half.size() != d.size() || j < 0 ||
            j >= static_cast<int>(d.front().size()))
            return false;
    }
    return true;
}

}  // namespace

Array sixLevelFromSplits(const std::vector<std::vector<int>>& d, const Array& base,
                         const std::vector<SixLevelSplit>& splits) {
    if (!validSplits(d, base, splits)) return {};
    const Array matched = rowsReading(base, cellsOfSchemeRows(splits, d.size()));
    if (matched.runs == 0) return {};
    const int rows = static_cast<int>(d.size()), runs = 3 * rows;
    Array a{runs, {}};
    for (std::size_t c = splits.size(); c < base.columns.size(); ++c)
        a.columns.push_back(columnOf(base.columns[c].levels, runs, [&](int r) { return matched.columns[c].values[r / 3]; }));
    const auto schemeValue = [&](int r, int j) { return mod3(d[r / 3][j] + r % 3); };
    for (int l = 0; l < static_cast<int>(d.front().size()); ++l)
        if (kept(d, splits, l)) a.columns.push_back(columnOf(3, runs, [&](int r) { return schemeValue(r, l); }));
    for (const SixLevelSplit& s : splits)
        a.columns.push_back(
            columnOf(6, runs, [&](int r) { return 3 * (s.half[r / 3] - '0') + schemeValue(r, s.schemeColumn); }));
    return a;
}

std::vector<Array> sixLevelSplitArrays36() {
    const std::vector<SixLevelSplit> one = {{"100011100101", 6}};
    const std::vector<SixLevelSplit> two = {{"111100001001", 0}, {"100101101010", 7}};
    const std::vector<std::vector<int>> d = differenceMatrix12();
    std::vector<Array> arrays;
    for (const std::vector<SixLevelSplit>& splits : {one, two})
        for (const Array& base : {paleyTypeOne(11), signedWords12()}) arrays.push_back(sixLevelFromSplits(d, base, splits));
    return arrays;
}

}  // namespace oagen
