#include "tools/oagen/stored_difference_matrices.h"

namespace oagen {

const std::vector<StoredDifferenceMatrix>& storedDifferenceMatrices() {
    static const std::vector<StoredDifferenceMatrix> matrices = {
        // D(12, 12, 4) over (Z_2)^2: OA(48, 4^12 12).
        {2, 2,
         {"000000000000", "012132303012", "023312310201", "012320011323", "031301212032", "020031231213",
          "003111223320", "011203123203", "032013130122", "001222331130", "020123102331", "033230022111"}},
        // D(15, 9, 3) over Z_3: OA(45, 3^9 15).
        {3, 1,
         {"000000000", "002001212", "011020021", "002120120", "010020112", "020211121", "022102011",
          "011202220", "001112100", "021110202", "011211012", "020221000", "020122211", "012202102",
          "002011221"}},
    };
    return matrices;
}

std::vector<std::vector<int>> entriesOf(const StoredDifferenceMatrix& d) {
    std::vector<std::vector<int>> m;
    for (const std::string& row : d.rows) {
        std::vector<int> values;
        for (char c : row) values.push_back(c <= '9' ? c - '0' : c - 'a' + 10);
        m.push_back(values);
    }
    return m;
}

}  // namespace oagen
