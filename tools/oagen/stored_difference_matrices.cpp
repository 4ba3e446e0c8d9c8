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
        // D(21, 21, 3) over Z_3: OA(63, 3^21 21), which holds the published
        // 3^12 21. The search asked for three by three blocks of 7 x 7
        // circulants (Z_7 acting alike on the rows and columns of every block),
        // 63 unknowns instead of 441, and was solved within seconds; adding a
        // constant to a row or a column keeps every difference uniform, which
        // made the first row and column zero.
        {3, 1,
         {"000000000000000000000", "012222011020021100121", "010111202122022210100", "021011212010002102212",
          "022101220002101121120", "022210221101012020011", "022221101211200110200", "001202201001120212112",
          "020120012201211202110", "011201022210111220002", "010012120211000222121", "002112102200011011222",
          "001022110102212120102", "001210111222102201020", "001110022021220121201", "012000000222112112211",
          "010122021012202011012", "010201210121210001222", "021020200110221211021", "022102112112120002001",
          "000021121120121022210"}},
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
