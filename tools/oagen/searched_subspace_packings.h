// 64- and 128-run parents of Kuhfeld's catalogue of parent arrays that mix
// planes with lines in GF(2)^6 and GF(2)^7, some beside a 4-space (the
// 16-level column): 2^a 4^b 8^c in 64, and 2^a 4^b 8^c (16) in 128. A plane
// cannot be split into lines, so these packings need lines that cross where
// planes would lie; a randomized search here found each one, and it is kept
// as the masks of its subspaces' bases, which the table checks for strength 2
// when it is built.
#pragma once

#include "tools/oagen/constructions.h"

#include <vector>

namespace oagen {

// The 22 packings as arrays (`packedSubspaces`), 64 runs first.
std::vector<Array> searchedSubspacePackings();

}  // namespace oagen
