// The host's table of orthogonal arrays up to 100 runs, beyond the library's
// catalogue: the parents themselves (every column they have) rather than
// entries cut to a pattern, since a host picks columns for its factors.
#pragma once

#include "tools/oagen/constructions.h"

#include <string>
#include <vector>

namespace oagen {

struct NamedArray {
    std::string name;  // how it was built, shown to the user
    Array array;
};

inline constexpr int kExtendedMaxRuns = 100;

// Rao-Hamming arrays over GF(q), q <= 9; the difference-scheme arrays and
// their expansions; the mixed arrays of 12 to 36 runs; the Hadamard arrays
// the constructions reach. Ordered by runs, then as listed.
std::vector<NamedArray> buildExtendedTable();

// The table as C++ source for the host library (see host/optimal/array_table.h).
void writeExtendedTable(std::ostream& out, const std::vector<NamedArray>& table);

}  // namespace oagen
