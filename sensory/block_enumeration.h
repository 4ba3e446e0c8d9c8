// Blocks of a design by their number: the iR-subsets of iP products,
// numbered 1..Cnk(iP, iR) in the combination enumeration. Every search that
// walks or draws blocks goes through these, so that the first block is the
// same subset for every block size (the enumeration's reset state is the
// subset {0} itself when a block holds one product).
#pragma once

#include "services/matrix.h"

namespace sensory {

// Block c of the enumeration into comb (iR x 1, 0-based products); block
// numbers past the last wrap round to the first.
void setBlock(int iP, int iR, double c, matrixInt* comb);
// The number of the block row `row` of M holds (its first iR products); 0
// when it holds fewer.
double blockRank(const matrixInt* M, int row, int iP, int iR, matrixInt* comb);

}  // namespace sensory
