// The best swap of every judge, kept from one step of the order search's
// descent to the next. A swap within one judge changes the position counts
// of its two products and the carry-over counts around the two positions.
// Another judge's swap reads a changed count only when it moves a product
// whose position count changed to or from that position, or brings the
// two products of a changed carry-over count next to each other (or
// parts them): only those swaps are rescored. The step then takes the
// first judge's best swap of least criterion: the same swap as a scan of
// every candidate.
#pragma once

#include "services/matrix.h"

#include <utility>
#include <vector>

namespace orders {

struct Swap {
    int judge = 0, r1 = 0, r2 = 0;
    bool found() const { return judge > 0; }
};

class SwapCache {
public:
    SwapCache(int P, int R, int J, double lambda);

    // Whether the cache picks exactly the swap a full scan picks for this
    // order. The scan compares criteria in doubles; the cache compares the
    // changes of the criteria, which is the same only while every value
    // involved is exact: a weight of at most 10 binary places and sums of
    // squares small enough that no product rounds. Every row must also hold
    // distinct product numbers 1..P only, and the cache (J x P positions,
    // J R (R - 1) / 2 swap scores) must stay below 256 MB each.
    static bool serves(int P, int R, int J, double lambda, const matrixInt* JRMat);

    // The order changed beyond the swaps reported: recount it at the next step.
    void invalidate() { counted_ = false; }
    // The first of the least-criterion swaps of JRMat; *best receives its
    // criterion and is left alone when there is no swap to make (R = 1).
    Swap steepest(const matrixInt* JRMat, double* best);
    // Positions r1 < r2 of judge j (1-based) were just swapped in the order.
    void swapped(int j, int r1, int r2);
    // The work done since the last call, in swaps scored: each swap scored
    // or its stored score read, each order cell counted, each judge whose
    // best swap is compared and each holder of a moved product visited.
    double takeWork() { return std::exchange(work_, 0.0); }

private:
    struct Best {
        int r1 = 0, r2 = 0;  // 0-based; r2 = 0 when the judge has no swap
        long long position = 0, carryOver = 0;
        double key = 0;
    };
    // The swaps of one judge a swap elsewhere may have changed: every swap
    // moving one of `rows`, and `pairs`.
    struct Changed {
        int judge;
        std::vector<int> rows;
        std::vector<std::pair<int, int>> pairs;
        bool has(const Best& b) const;
    };
    int& at(int j, int r) { return order_[static_cast<std::size_t>(j) * R_ + r]; }
    int& K(int x, int r) { return positions_[static_cast<std::size_t>(r) * P_ + x - 1]; }
    int& S(int from, int to) { return carryOver_[static_cast<std::size_t>(to) * P_ + from - 1]; }
    int& place(int j, int x) { return placeOf_[static_cast<std::size_t>(j) * P_ + x - 1]; }
    void recount(const matrixInt* JRMat);
    // Adds (sign +1) or removes (-1) judge j's order in the counts and sums.
    void countJudge(int j, int sign);
    void bump(int& cell, int by, long long& sum);
    Best score(int j, int r1, int r2) const;
    static bool before(const Best& a, const Best& b);
    double& key(int j, int r1, int r2);
    void rescoreAll(int j);
    // The first swap of least key from the stored keys of judge j.
    void pickBest(int j);
    void rescore(const Changed& c);
    Changed& changedOf(int j);
    void pair(int j, int r, int u);

    int P_, R_, J_;
    double lambda_;
    bool counted_ = false;
    std::vector<int> order_;                  // J x R, row by row
    std::vector<int> placeOf_;                // J x P: position of each product in each judge's order, -1 none
    std::vector<int> positions_, carryOver_;  // the counts, laid out as Rmat and Smat
    long long positionSum_ = 0, carryOverSum_ = 0;
    std::vector<Best> best_;                  // per judge
    std::vector<double> keys_;                // per judge, every swap's criterion change, in scan order
    std::size_t swapsPerJudge_ = 0;
    std::vector<std::vector<int>> holders_;   // per product, the judges holding it
    std::vector<int> visit_;                  // per judge, its index in changed_ this step, -1 none
    std::vector<Changed> changed_;            // the first used_ entries hold this step's
    std::size_t used_ = 0;
    double work_ = 0;
};

}  // namespace orders
