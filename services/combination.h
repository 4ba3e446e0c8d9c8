// Ranking of the k-subsets of {0..n-1} in lexicographic order.
//
// A subset is held ascending, 0-based, in a k x 1 comb; positions count from
// 1 and travel as doubles. The all-zero comb stands before the first subset.
// For k = 1 the all-zero comb cannot be told from the first subset {0}, so
// it is read as that subset (position 1): advancing from it gives {1}, and n
// advances from a reset comb visit {1}, ..., {n-1}, {0}, every subset once
// per cycle. For k >= 2 the all-zero comb is position 0, so advancing gives
// the first subset and a jump by count lands on position count. Advancing
// past the last subset wraps to the first.
#pragma once

#include "services/matrix.h"

double cKurtzbergGetPosition(int n, int k, const matrixInt* comb);
void cKurtzbergJump(int n, int k, double count, matrixInt* comb);
void cKurtzberg(int n, int k, matrixInt* comb);
