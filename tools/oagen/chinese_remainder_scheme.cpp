#include "tools/oagen/chinese_remainder_scheme.h"

#include <cstddef>

namespace oagen {

namespace {

bool joinedIn(const std::vector<std::pair<int, int>>& joined, int column, bool first) {
    for (const auto& [x, y] : joined)
        if ((first ? x : y) == column) return true;
    return false;
}

}  // namespace

Array chineseRemainderScheme(const std::vector<std::vector<int>>& two, const std::vector<std::vector<int>>& three,
                             const std::vector<std::pair<int, int>>& joined) {
    const int r = static_cast<int>(two.size());
    if (r == 0 || three.size() != two.size()) return {};
    const int runs = 6 * r;
    Array a{runs, {}};
    const auto column = [&](int levels, auto value) {
        a.columns.push_back(columnOf(levels, runs, [&](int run) { return value(run / 6, run % 6); }));
    };
    const auto mod2 = [&](int x) { return [&, x](int i, int g) { return (two[i][x] + g) % 2; }; };
    const auto mod3 = [&](int y) { return [&, y](int i, int g) { return (three[i][y] + g) % 3; }; };
    for (int x = 0; x < static_cast<int>(two.front().size()); ++x)
        if (!joinedIn(joined, x, true)) column(2, mod2(x));
    for (int y = 0; y < static_cast<int>(three.front().size()); ++y)
        if (!joinedIn(joined, y, false)) column(3, mod3(y));
    // 3 u + 4 v is u mod 2 and v mod 3.
    for (const std::pair<int, int>& pair : joined)
        column(6, [&, x = pair.first, y = pair.second](int i, int g) {
            return (3 * mod2(x)(i, g) + 4 * mod3(y)(i, g)) % 6;
        });
    column(r, [](int i, int) { return i; });
    return a;
}

Array chineseRemainderScheme72() {
    std::vector<std::vector<int>> two;
    for (const std::vector<int>& row : normalisedHadamard(12)) {
        two.emplace_back();
        for (int h : row) two.back().push_back((1 - h) / 2);
    }
    const std::vector<std::vector<int>> d = differenceMatrix12();
    std::vector<std::vector<int>> three;
    for (int i : {3, 1, 7, 10, 5, 8, 6, 0, 2, 11, 9, 4}) three.push_back(d[static_cast<std::size_t>(i)]);
    return chineseRemainderScheme(two, three, {{0, 7}, {5, 0}, {6, 2}, {7, 4}, {8, 9}, {10, 5}});
}

}  // namespace oagen
