#include "tools/oagen/chinese_remainder_scheme.h"

#include <cstddef>

namespace oagen {

namespace {

bool joinedIn(const std::vector<std::pair<int, int>>& joined, int column, bool first) {
    for (const auto& [x, y] : joined)
        if ((first ? x : y) == column) return true;
    return false;
}

// The scheme's columns, the 4-level one (when asked for) before the row.
Array joinedColumns(const std::vector<std::vector<int>>& two, const std::vector<std::vector<int>>& three,
                    const std::vector<std::pair<int, int>>& joined, FourLevelPair four) {
    const int r = static_cast<int>(two.size());
    if (r == 0 || three.size() != two.size()) return {};
    const int width = static_cast<int>(two.front().size());
    const bool withFour = four.first >= 0;
    if (withFour && (four.first == four.second || four.second < 0 || four.first >= width || four.second >= width ||
                     joinedIn(joined, four.first, true) || joinedIn(joined, four.second, true)))
        return {};
    const int runs = 6 * r;
    Array a{runs, {}};
    const auto column = [&](int levels, auto value) {
        a.columns.push_back(columnOf(levels, runs, [&](int run) { return value(run / 6, run % 6); }));
    };
    const auto mod2 = [&](int x) { return [&, x](int i, int g) { return (two[i][x] + g) % 2; }; };
    const auto mod3 = [&](int y) { return [&, y](int i, int g) { return (three[i][y] + g) % 3; }; };
    for (int x = 0; x < width; ++x)
        if (!joinedIn(joined, x, true) && !(withFour && (x == four.first || x == four.second))) column(2, mod2(x));
    for (int y = 0; y < static_cast<int>(three.front().size()); ++y)
        if (!joinedIn(joined, y, false)) column(3, mod3(y));
    // 3 u + 4 v is u mod 2 and v mod 3.
    for (const std::pair<int, int>& pair : joined)
        column(6, [&, x = pair.first, y = pair.second](int i, int g) {
            return (3 * mod2(x)(i, g) + 4 * mod3(y)(i, g)) % 6;
        });
    if (withFour)
        column(4, [&](int i, int g) { return 2 * mod2(four.first)(i, g) + mod2(four.second)(i, g); });
    column(r, [](int i, int) { return i; });
    return a;
}

}  // namespace

Array chineseRemainderScheme(const std::vector<std::vector<int>>& two, const std::vector<std::vector<int>>& three,
                             const std::vector<std::pair<int, int>>& joined) {
    return joinedColumns(two, three, joined, {});
}

Array chineseRemainderScheme(const std::vector<std::vector<int>>& two, const std::vector<std::vector<int>>& three,
                             const std::vector<std::pair<int, int>>& joined, FourLevelPair four, const Array& rows) {
    const Array a = joinedColumns(two, three, joined, four);
    if (a.runs == 0 || four.first < 0 || rows.runs != static_cast<int>(two.size()) || rows.columns.empty() ||
        rows.columns.front().levels != 2)
        return {};
    std::vector<std::vector<int>> sums;
    for (const std::vector<int>& row : two) sums.push_back({row[four.first] ^ row[four.second]});
    const Array matched = rowsReading(rows, sums);
    if (matched.runs == 0) return {};
    Array out = expandColumn(a, static_cast<int>(a.columns.size()) - 1, matched);
    out.columns.erase(out.columns.end() - static_cast<std::ptrdiff_t>(matched.columns.size()));
    return out;
}

namespace {

// OA(12, 2^11)'s Hadamard matrix, (1 - h) / 2, and D(12,12,3) with its rows
// reordered so that six pairs join.
std::vector<std::vector<int>> hadamardBits12() {
    std::vector<std::vector<int>> two;
    for (const std::vector<int>& row : normalisedHadamard(12)) {
        two.emplace_back();
        for (int h : row) two.back().push_back((1 - h) / 2);
    }
    return two;
}

std::vector<std::vector<int>> reorderedScheme12() {
    const std::vector<std::vector<int>> d = differenceMatrix12();
    std::vector<std::vector<int>> three;
    for (int i : {3, 1, 7, 10, 5, 8, 6, 0, 2, 11, 9, 4}) three.push_back(d[static_cast<std::size_t>(i)]);
    return three;
}

const std::vector<std::pair<int, int>> kSixPairs = {{0, 7}, {5, 0}, {6, 2}, {7, 4}, {8, 9}, {10, 5}};

}  // namespace

Array chineseRemainderScheme72() { return chineseRemainderScheme(hadamardBits12(), reorderedScheme12(), kSixPairs); }

std::vector<Array> chineseRemainderSchemes72WithFourLevel() {
    const std::vector<std::vector<int>> two = hadamardBits12(), three = reorderedScheme12();
    const std::vector<std::pair<int, int>> fivePairs(kSixPairs.begin(), kSixPairs.end() - 1);
    std::vector<Array> arrays;
    for (const Array& rows : {paleyTypeOne(11), signedWords12(), differenceScheme12()})
        arrays.push_back(chineseRemainderScheme(two, three, kSixPairs, {1, 2}, rows));
    for (const Array& rows : {paleyTypeOne(11), signedWords12()})
        arrays.push_back(chineseRemainderScheme(two, three, fivePairs, {1, 2}, rows));
    return arrays;
}

}  // namespace oagen
