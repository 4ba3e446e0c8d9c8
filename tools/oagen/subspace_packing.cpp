#include "tools/oagen/subspace_packing.h"

namespace oagen {

Array subspacePacking32() {
    const std::vector<std::vector<int>> times = galoisProducts(8);
    const int alpha = 2;  // x, the coefficients (0, 1, 0) read with c0 most significant
    Array a{32, {}};
    for (int g = 0; g < 8; ++g) {
        Column c{4, std::vector<int>(32)};
        for (int r = 0; r < 32; ++r) {
            const int u1 = r >> 4, u2 = (r >> 3) & 1, w = r & 7;
            const int b1 = u1 ^ parity(static_cast<unsigned>(g & w));
            const int b2 = u2 ^ parity(static_cast<unsigned>(times[g][alpha] & w));
            c.values[r] = 2 * b1 + b2;
        }
        a.columns.push_back(c);
    }
    Column w{8, std::vector<int>(32)};
    for (int r = 0; r < 32; ++r) w.values[r] = r & 7;
    a.columns.push_back(w);
    return a;
}

}  // namespace oagen
