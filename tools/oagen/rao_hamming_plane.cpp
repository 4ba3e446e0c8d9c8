#include "tools/oagen/rao_hamming_plane.h"

namespace oagen {

Array raoHammingWithPlane(int p, int n) {
    if (n < 3) return {};
    Array a = raoHamming(p, n);
    a.columns.erase(a.columns.begin(), a.columns.begin() + p + 1);
    Column plane{p * p, std::vector<int>(static_cast<std::size_t>(a.runs))};
    for (int r = 0; r < a.runs; ++r) plane.values.at(static_cast<std::size_t>(r)) = r % (p * p);
    a.columns.push_back(plane);
    return a;
}

}  // namespace oagen
