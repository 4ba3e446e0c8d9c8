// Completion of presentation orders that the swap search leaves above the
// balance bounds. Every judge's positions are first arranged as a Youden
// square would have them: an equitable colouring of the judge x product
// incidence graph with R colours, one per position, puts every product
// floor(r/R) or ceil(r/R) times at every position (r its replication). A
// tabu search over swaps within one judge's order then lowers the
// carry-over counts towards their bound, and the order it keeps misses no
// more bounds than the arrangement it started from.
#pragma once

#include "services/matrix.h"

#include <functional>

namespace orders {

struct CompletionLimits {
    // One uniform draw in [0, 1) from the caller's seed stream.
    std::function<double()> uniform;
    // True once the caller's time budget is spent (never, untimed).
    std::function<bool()> deadlinePassed;
};

// Tries to bring the J x R order JRMat, whose rows hold R distinct product
// numbers in 1..P, to both balance bounds. JRMat is replaced only by an
// order of lower criterion lambda x position + (1 - lambda) x carry-over
// sum of squares, or of the same criterion and fewer bounds missed. The search
// ends at both bounds, after a fixed amount of work, or at the deadline.
// Returns whether JRMat was replaced. Orders it cannot read (a row with a
// repeated or foreign product) and orders of more than 100000 cells are
// left alone.
bool completeOrder(int P, int R, int J, double lambda, matrixInt* JRMat, const CompletionLimits& limits);

// The equitable arrangement alone: rewrites the J x R order so that every
// judge keeps its products and every product takes each position floor(r/R)
// or ceil(r/R) times. Judges are visited in an order drawn from `uniform`.
// Returns false, leaving JRMat alone, when the order cannot be read.
bool arrangePositions(int P, int R, int J, matrixInt* JRMat, const std::function<double()>& uniform);

}  // namespace orders
