#include "sensory/block_enumeration.h"

#include "services/combination.h"

namespace sensory {

void setBlock(int iP, int iR, double c, matrixInt* comb) {
    comb->fill(0);
    // A zeroed comb stands before the first block, except for single
    // products, where it already is block 1.
    cKurtzbergJump(iP, iR, iR == 1 ? c - 1 : c, comb);
}

double blockRank(const matrixInt* M, int row, int iP, int iR, matrixInt* comb) {
    comb->fill(0);
    int k = 0;
    for (int p = 1; p <= iP && k < iR; ++p)
        if (M->vbget(row, p) == 1) comb->vbset(++k, p - 1);
    return k == iR ? cKurtzbergGetPosition(iP, iR, comb) : 0.0;
}

}  // namespace sensory
