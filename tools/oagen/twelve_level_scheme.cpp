#include "tools/oagen/twelve_level_scheme.h"

#include <array>

namespace oagen {

int addInZ2xZ6(int x, int y) { return 6 * ((x / 6 + y / 6) % 2) + (x % 6 + y % 6) % 6; }

Array differenceScheme144() {
    static const std::array<std::array<int, 12>, 4> orthomorphisms = {{
        {0, 2, 1, 6, 8, 7, 10, 9, 11, 4, 3, 5},
        {0, 3, 8, 10, 1, 9, 2, 6, 5, 7, 11, 4},
        {0, 4, 10, 9, 7, 1, 11, 5, 3, 2, 8, 6},
        {0, 8, 6, 4, 3, 10, 9, 11, 2, 5, 1, 7},
    }};
    const auto entry = [&](int g, int j) { return j == 0 ? 0 : j == 1 ? g : orthomorphisms[j - 2][g]; };
    Array a{144, {}};
    for (int j = 0; j < 6; ++j)
        a.columns.push_back(columnOf(12, 144, [&](int run) { return addInZ2xZ6(entry(run / 12, j), run % 12); }));
    a.columns.push_back(columnOf(12, 144, [](int run) { return run / 12; }));
    return a;
}

}  // namespace oagen
