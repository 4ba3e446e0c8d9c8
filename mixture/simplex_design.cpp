#include "mixture/simplex_design.h"

#include "mixture/counts.h"
#include "mixture/index_tuples.h"
#include "services/numeric.h"

#include <algorithm>
#include <vector>

namespace {

// ----- sizes --------------------------------------------------------------------

// C(n, k) exactly, or kCountOverflow once it passes the 32-bit range. The
// running value C(n, i) grows with i (k is at most n / 2), so the loop ends
// within about 31 steps whatever n is.
int32_t binomialCount(long long n, long long k) {
    k = std::min(k, n - k);
    long long value = 1;
    for (long long i = 1; i <= k; ++i) {
        value = value * (n - k + i) / i;  // exact: C(n-k+i, i) * i = C(n-k+i-1, i-1) * (n-k+i)
        if (value > INT32_MAX) return mixture::kCountOverflow;
    }
    return static_cast<int32_t>(value);
}

// (q+m-1)! / (q-1)! / m!, truncated, taking n! as 1 for n <= 1. Evaluated
// exactly: the quotient of the factorials in double loses the last unit
// (q = 2, m = 23 gives 23.999...) and overflows past 170!.
int32_t latticeRows(int q, int m) {
    // Outside q >= 1, m >= 0 the quotient is below 1 unless every factorial
    // in it is 1.
    if (q < 1 || m < 0) return (q <= 2 && m <= 1 && static_cast<long long>(q) + m <= 2) ? 1 : 0;
    return binomialCount(static_cast<long long>(q) + m - 1, m);
}

int32_t centroidRows(int q) { return mixture::truncatedCount(num::pow(2.0, q) - 1.0); }

int32_t augmentedCentroidRows(int q) { return mixture::truncatedCount(q + num::pow(2.0, q) - 1.0); }

// ----- writing rows --------------------------------------------------------------

// Appends design rows from row 1 on. Only the first q columns are design
// columns; the container's own bounds decide what is kept.
class DesignRows {
public:
    DesignRows(matrix* design, int q) : design_(design), q_(q), width_(std::min(q, design->cols())) {}

    bool full() const { return next_ > design_->rows(); }
    int components() const { return q_; }

    // Starts the next row with every component at `level` and returns it.
    int append(double level) {
        const int row = static_cast<int>(next_++);
        for (int c = 1; c <= width_; ++c) design_->vbset(row, c, level);
        return row;
    }
    void set(int row, int component, double value) { design_->vbset(row, component, value); }

private:
    matrix* design_;
    int q_;
    int width_;
    long long next_ = 1;  // may pass the last row of an array of INT32_MAX rows
};

// ----- simplex lattice ---------------------------------------------------------------

// A lattice point (a_1, ..., a_q), a_i >= 0 summing to m, held by its
// non-zero parts in increasing component order. Kept sparse so that a huge
// q costs nothing beyond the rows actually written: each step adds at most
// one part.
struct Part {
    int component;
    int units;  // a_i: the proportion is a_i / m
};
using LatticePoint = std::vector<Part>;

// Moves to the next point in decreasing lexicographic order of (a_1, ..., a_q):
// one unit leaves the rightmost non-zero a_j with j < q, and a_(j+1) takes it
// together with everything a_q held. False after (0, ..., 0, m).
bool nextLatticePoint(LatticePoint& point, int q) {
    int lastUnits = 0;
    if (!point.empty() && point.back().component == q) {
        lastUnits = point.back().units;
        point.pop_back();
    }
    if (point.empty()) return false;
    Part& pivot = point.back();
    const int receiver = pivot.component + 1;
    if (--pivot.units == 0) point.pop_back();
    point.push_back({receiver, lastUnits + 1});
    return true;
}

void appendLatticeRow(DesignRows& rows, const LatticePoint& point, int m) {
    const int row = rows.append(0.0);
    for (const Part& part : point) rows.set(row, part.component, static_cast<double>(part.units) / m);
}

// Two components of degree 1 to 4 keep their customary order: the vertices
// first, then the inner points. Each entry is a_1; a_2 = m - a_1.
const std::vector<int>& binaryLatticeOrder(int m) {
    static const std::vector<int> orders[] = {{1, 0}, {2, 0, 1}, {3, 0, 1, 2}, {4, 0, 1, 3, 2}};
    return orders[m - 1];
}

void writeBinaryLattice(DesignRows& rows, int m) {
    for (int a1 : binaryLatticeOrder(m)) {
        if (rows.full()) return;
        appendLatticeRow(rows, {{1, a1}, {2, m - a1}}, m);
    }
}

void writeLattice(DesignRows& rows, int m) {
    if (m < 1) return;  // degree 0 would divide 0 by 0 in every cell
    if (rows.components() == 2 && m <= 4) return writeBinaryLattice(rows, m);
    LatticePoint point{{1, m}};
    do {
        if (rows.full()) return;
        appendLatticeRow(rows, point, m);
    } while (nextLatticePoint(point, rows.components()));
}

// ----- simplex centroid ----------------------------------------------------------------

// Every blend of s components in equal parts 1/s, subsets in lexicographic order.
void writeBlends(DesignRows& rows, int s) {
    if (rows.full()) return;
    std::vector<int> subset = mixture::firstIncreasingTuple(s, rows.components());
    if (subset.empty()) return;
    do {
        if (rows.full()) return;
        const int row = rows.append(0.0);
        for (int component : subset) rows.set(row, component, 1.0 / s);
    } while (mixture::nextIncreasingTuple(subset, rows.components()));
}

// The pure components, the blends of two, three, ... components, and last
// the overall centroid: every non-empty subset once.
void writeCentroid(DesignRows& rows) {
    const int q = rows.components();
    for (int s = 1; s < q && !rows.full(); ++s) writeBlends(rows, s);
    if (!rows.full()) rows.append(1.0 / q);
}

// For each vertex, the point halfway between it and the overall centroid.
void writeHalfwayPoints(DesignRows& rows) {
    const int q = rows.components();
    for (int i = 1; i <= q && !rows.full(); ++i) {
        const int row = rows.append(0.5 / q);
        rows.set(row, i, (q + 1.0) * 0.5 / q);
    }
}

}  // namespace

void DOEMixGetSizeoSimplex(int q, int m, int type, int32_t* oRows, int32_t* oCols) {
    if (oCols != nullptr) *oCols = q;
    if (oRows == nullptr) return;
    switch (type) {
        case kSimplexLattice: *oRows = latticeRows(q, m); break;
        case kSimplexCentroid: *oRows = centroidRows(q); break;
        case kAugmentedSimplexCentroid: *oRows = augmentedCentroidRows(q); break;
        default: break;
    }
}

void DOEMixSimplex(int q, int m, int type, matrix* design) {
    if (design == nullptr || q < 1) return;
    DesignRows rows(design, q);
    switch (type) {
        case kSimplexLattice: writeLattice(rows, m); break;
        case kSimplexCentroid: writeCentroid(rows); break;
        case kAugmentedSimplexCentroid:
            writeCentroid(rows);
            writeHalfwayPoints(rows);
            break;
        default: break;
    }
}
