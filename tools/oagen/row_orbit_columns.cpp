#include "tools/oagen/row_orbit_columns.h"

#include <string>

namespace oagen {

namespace {

bool isPermutation(const std::vector<int>& p) {
    std::vector<bool> seen(p.size(), false);
    for (int x : p) {
        if (x < 0 || x >= static_cast<int>(p.size()) || seen[static_cast<std::size_t>(x)]) return false;
        seen[static_cast<std::size_t>(x)] = true;
    }
    return true;
}

}  // namespace

Array columnsClosedUnder(const std::vector<int>& permutation, const std::vector<std::string>& generators,
                         const std::vector<Column>& fixed) {
    const int runs = static_cast<int>(permutation.size());
    if (!isPermutation(permutation)) return {};
    Array a{runs, {}};
    for (const std::string& g : generators) {
        if (static_cast<int>(g.size()) != runs) return {};
        Column c{2, {}};
        for (char ch : g) {
            if (ch != '0' && ch != '1') return {};
            c.values.push_back(ch - '0');
        }
        const std::vector<int> first = c.values;
        do {
            a.columns.push_back(c);
            std::vector<int> image(c.values.size());
            for (int r = 0; r < runs; ++r) image[static_cast<std::size_t>(permutation[r])] = c.values[r];
            c.values = image;
        } while (c.values != first);
    }
    a.columns.insert(a.columns.end(), fixed.begin(), fixed.end());
    return a;
}

Array blockRotatedArray36() {
    // Run r is run r % 12 of block r / 12, in the generators as in the array.
    std::vector<int> move(36);
    for (int r = 0; r < 36; ++r) {
        const int block = r / 12, i = r % 12;
        move[r] = 12 * ((block + 1) % 3) + (i < 9 ? (i + 1) % 9 : i);
    }
    return columnsClosedUnder(move,
                              {"011101100100011010101100110100011001", "001100011110011010100101001110100110",
                               "010110001101100000111101001000111011"},
                              {columnOf(3, 36, [](int r) { return r / 12; })});
}

Array besideColumn(const Array& a, const Column& added) {
    Array out{a.runs, {}};
    for (const Column& c : a.columns)
        if (hasStrengthTwo(Array{a.runs, {c, added}})) out.columns.push_back(c);
    out.columns.push_back(added);
    return out;
}

Array blockRotatedArray36With(int levels) {
    std::string second;
    if (levels == 3) second = "120201012120222000111201111222000120";
    if (levels == 6) second = "135403250421531304052142043520315142";
    if (second.empty()) return {};
    return besideColumn(blockRotatedArray36(), columnOf(levels, 36, [&](int r) { return second[r] - '0'; }));
}

}  // namespace oagen
