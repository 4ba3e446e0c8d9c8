// The host's table of orthogonal arrays up to 144 runs, beyond the library's
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

inline constexpr int kExtendedMaxRuns = 144;

// Rao-Hamming arrays over GF(q), q <= 11; the difference-scheme arrays and
// their expansions; the mixed arrays of 12 to 36 runs; the Hadamard arrays
// and their fold-overs; one 4-, 8- or 16-level flat in a Hadamard product;
// the doublings with contraction of the 12- to 72-run mixed arrays. Ordered
// by runs, then as listed. Throws std::logic_error when an array fails the
// strength-2 check, so that a faulty construction fails the build.
std::vector<NamedArray> buildExtendedTable();

// The table as C++ source for the host library (see host/optimal/array_table.h).
void writeExtendedTable(std::ostream& out, const std::vector<NamedArray>& table);

}  // namespace oagen
