#include "sensory/order_completion.h"

#include "sensory/even_counts.h"
#include "sensory/order_balance.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace orders {

namespace {

// Orders larger than this are left to the swap search alone: the
// arrangement's alternating paths grow with the panel.
constexpr long long kLargestOrder = 100000;
// The tabu search ends after scoring this many candidate swaps, which keeps
// an untimed call short and reproducible from its seed.
constexpr long long kScoredSwaps = 2'000'000;
// Moves without a better order before the search starts again from a fresh
// arrangement.
constexpr long long kStallMoves = 400;
// Moves between two readings of the clock.
constexpr long long kClockPeriod = 16;
// A product moved out of a position may not return to it for kTenure moves
// plus a random part of up to kTenureSpread.
constexpr int kTenure = 2;
constexpr int kTenureSpread = 6;

std::size_t at(long long i) { return static_cast<std::size_t>(i); }

// An order whose rows hold distinct products 1..P, read into judge-major
// cells; false when some row does not.
bool readOrder(int P, int R, int J, const matrixInt* JRMat, std::vector<int>& cells) {
    if (JRMat->rows() < J || JRMat->cols() < R) return false;
    cells.assign(at(static_cast<long long>(J) * R), 0);
    std::vector<int> seenIn(at(P) + 1, -1);
    for (int j = 0; j < J; ++j)
        for (int r = 0; r < R; ++r) {
            const int p = JRMat->vbget(j + 1, r + 1);
            if (p < 1 || p > P || seenIn[at(p)] == j) return false;
            seenIn[at(p)] = j;
            cells[at(static_cast<long long>(j) * R + r)] = p;
        }
    return true;
}

void writeOrder(int R, int J, const std::vector<int>& cells, matrixInt* JRMat) {
    for (int j = 0; j < J; ++j)
        for (int r = 0; r < R; ++r) JRMat->vbset(j + 1, r + 1, cells[at(static_cast<long long>(j) * R + r)]);
}

// A random permutation of 0..n-1 (the identity without draws).
std::vector<int> drawnOrder(int n, const std::function<double()>& uniform) {
    std::vector<int> order(at(n));
    for (int i = 0; i < n; ++i) order[at(i)] = i;
    for (int i = n - 1; i > 0 && uniform; --i)
        std::swap(order[at(i)], order[at(std::min(i, static_cast<int>(uniform() * (i + 1))))]);
    return order;
}

// Proper edge colouring of the bipartite graph judges x product copies with
// R colours. Each product is split into copies of at most R edges, so no
// vertex has more than R edges and R colours suffice (König); a product then
// meets every colour floor(r/R) or ceil(r/R) times. An edge whose two ends
// miss different colours a and b takes a after the a/b path from its
// product end has its colours swapped: the path cannot reach the judge,
// which has no edge of colour a.
class EquitableColouring {
public:
    EquitableColouring(int P, int R, int J, const std::vector<int>& cells) : R_(R), cells_(cells) {
        std::vector<int> replication(at(P) + 1, 0);
        for (int p : cells) ++replication[at(p)];
        firstCopy_.assign(at(P) + 1, 0);
        int copies = 0;
        for (int p = 1; p <= P; ++p) {
            firstCopy_[at(p)] = J + copies;
            copies += (replication[at(p)] + R - 1) / R;
        }
        edgeAt_.assign(at(static_cast<long long>(J + copies) * R), -1);
        end_.assign(cells.size(), 0);
        colour_.assign(cells.size(), -1);
    }

    // Colours the edges judge by judge in the given order and writes each
    // judge's products at the positions of their colours.
    void colour(const std::vector<int>& judges, std::vector<int>& cells) {
        std::vector<int> used(firstCopy_.size(), 0);
        for (int j : judges)
            for (int k = 0; k < R_; ++k) {
                const int e = j * R_ + k, p = cells_[at(e)];
                end_[at(e)] = firstCopy_[at(p)] + used[at(p)]++ / R_;
                colourEdge(e, j);
            }
        for (std::size_t e = 0; e < cells_.size(); ++e)
            cells[e / at(R_) * at(R_) + at(colour_[e])] = cells_[e];
    }

private:
    int& slot(int vertex, int c) { return edgeAt_[at(static_cast<long long>(vertex) * R_ + c)]; }
    int freeColour(int vertex) {
        int c = 0;
        while (slot(vertex, c) != -1) ++c;
        return c;
    }
    int otherEnd(int e, int vertex) const { return vertex == judgeOf(e) ? end_[at(e)] : judgeOf(e); }
    int judgeOf(int e) const { return e / R_; }
    void setColour(int e, int c) {
        colour_[at(e)] = c;
        slot(judgeOf(e), c) = e;
        slot(end_[at(e)], c) = e;
    }

    void colourEdge(int e, int judge) {
        const int copy = end_[at(e)];
        const int a = freeColour(judge), b = freeColour(copy);
        if (slot(copy, a) != -1) swapAlongPath(copy, a, b);
        setColour(e, a);
    }

    void swapAlongPath(int from, int a, int b) {
        path_.clear();
        for (int x = from, c = a, e; (e = slot(x, c)) != -1; c = c == a ? b : a) {
            path_.push_back(e);
            x = otherEnd(e, x);
        }
        for (int e : path_) {
            slot(judgeOf(e), colour_[at(e)]) = -1;
            slot(end_[at(e)], colour_[at(e)]) = -1;
        }
        for (int e : path_) setColour(e, colour_[at(e)] == a ? b : a);
    }

    int R_;
    const std::vector<int>& cells_;
    std::vector<int> firstCopy_;  // vertex of each product's first copy
    std::vector<int> edgeAt_;     // vertex x colour: the edge of that colour, -1 when free
    std::vector<int> end_;        // product copy of each edge (edge = judge x R + slot)
    std::vector<int> colour_;
    std::vector<int> path_;
};

void arrange(int P, int R, int J, std::vector<int>& cells, const std::function<double()>& uniform) {
    const std::vector<int> products = cells;
    EquitableColouring(P, R, J, products).colour(drawnOrder(J, uniform), cells);
}

// One candidate swap of positions r1 < r2 in judge j, with the change of
// the search's objective.
struct Move {
    int j = -1, r1 = 0, r2 = 0;
    double change = std::numeric_limits<double>::infinity();
};

// An order with its position counts K (P x R) and carry-over counts
// (P x (P+1), column 1 unused here) kept up to date move by move, laid out
// as the swap score reads them.
class CountedOrder {
public:
    CountedOrder(int P, int R, int J, std::vector<int> cells)
        : P_(P), R_(R), J_(J), cells_(std::move(cells)), K_(at(static_cast<long long>(P) * R), 0),
          S_(at(static_cast<long long>(P) * (P + 1)), 0) {
        for (int j = 0; j < J_; ++j) count(j, 1);
    }

    const std::vector<int>& cells() const { return cells_; }
    void reset(const std::vector<int>& cells) {
        for (int j = 0; j < J_; ++j) count(j, -1);
        cells_ = cells;
        for (int j = 0; j < J_; ++j) count(j, 1);
    }
    const Sums& sums() const { return sums_; }
    int product(int j, int r) const { return cells_[at(static_cast<long long>(j) * R_ + r - 1)]; }

    Sums swapChange(int j, int r1, int r2) const {
        return orders::swapChange(R_, DirectCounts{K_.data(), S_.data(), P_}, [&](int r) { return product(j, r); },
                                  r1, r2);
    }

    void swap(int j, int r1, int r2) {
        count(j, -1);
        std::swap(cells_[at(static_cast<long long>(j) * R_ + r1 - 1)], cells_[at(static_cast<long long>(j) * R_ + r2 - 1)]);
        count(j, 1);
    }

private:
    // Adds (by = 1) or removes (by = -1) judge j's counts and their squares.
    void count(int j, int by) {
        for (int r = 1; r <= R_; ++r) bump(K_[at(static_cast<long long>(r - 1) * P_ + product(j, r) - 1)], by, sums_.position);
        for (int r = 1; r < R_; ++r)
            bump(S_[at(static_cast<long long>(product(j, r + 1)) * P_ + product(j, r) - 1)], by, sums_.carryOver);
    }
    static void bump(int& cell, int by, long long& sumOfSquares) {
        sumOfSquares += 2LL * cell * by + 1;
        cell += by;
    }

    int P_, R_, J_;
    std::vector<int> cells_, K_, S_;
    Sums sums_;
};

// How good an order is: the host's criterion, then the bounds it misses.
// An order at both bounds has the least criterion any order can have, so
// reaching them is never traded for a worse criterion. Lower is better.
struct Standing {
    double criterion = 0;
    int missed = 0;
    bool operator<(const Standing& o) const {
        return criterion != o.criterion ? criterion < o.criterion : missed < o.missed;
    }
};

class CarryOverSearch {
public:
    CarryOverSearch(int P, int R, int J, double lambda, const CompletionLimits& limits)
        : P_(P), R_(R), J_(J), lambda_(lambda), limits_(limits),
          leastPosition_(sensory::leastSumOfSquares(static_cast<long long>(P) * R, static_cast<long long>(R) * J)),
          leastCarryOver_(sensory::leastSumOfSquares(static_cast<long long>(P) * (P - 1), static_cast<long long>(R - 1) * J)),
          tabuUntil_(at(static_cast<long long>(J) * P), 0), tabuPosition_(at(static_cast<long long>(J) * P), 0) {}

    Standing standing(const Sums& s) const {
        return {criterion(s, lambda_), (s.position > leastPosition_) + (s.carryOver > leastCarryOver_)};
    }

    // Tabu search from `start`; `best` holds the best order seen and its standing.
    void run(std::vector<int> start, std::vector<int>& best, Standing& bestStanding) {
        CountedOrder order(P_, R_, J_, std::move(start));
        bestStanding_ = standing(order.sums());
        best = order.cells();
        long long scored = 0, lastGain = 0;
        for (long long move = 1; bestStanding_.missed > 0 && scored < kScoredSwaps; ++move) {
            if (move % kClockPeriod == 0 && limits_.deadlinePassed && limits_.deadlinePassed()) break;
            if (move - lastGain > kStallMoves) {
                std::vector<int> fresh = best;
                arrange(P_, R_, J_, fresh, limits_.uniform);
                order.reset(fresh);
                lastGain = move;
            }
            const Move m = bestMove(order, move, scored);
            if (m.j < 0) continue;
            tabu(m.j, order.product(m.j, m.r1), m.r1, move);
            tabu(m.j, order.product(m.j, m.r2), m.r2, move);
            order.swap(m.j, m.r1, m.r2);
            const Standing now = standing(order.sums());
            if (now < bestStanding_) {
                bestStanding_ = now;
                best = order.cells();
                lastGain = move;
            }
        }
        bestStanding = bestStanding_;
    }

private:
    long long& until(int j, int p) { return tabuUntil_[at(static_cast<long long>(j) * P_ + p - 1)]; }
    int& vacated(int j, int p) { return tabuPosition_[at(static_cast<long long>(j) * P_ + p - 1)]; }
    void tabu(int j, int p, int left, long long move) {
        vacated(j, p) = left;
        until(j, p) = move + kTenure + static_cast<long long>(limits_.uniform() * kTenureSpread);
    }
    bool isTabu(int j, int p, int to, long long move) { return until(j, p) > move && vacated(j, p) == to; }

    // The best swap that is not tabu, or that is but would beat the best
    // order; one draw per tie gives equals the same chance.
    Move bestMove(const CountedOrder& order, long long move, long long& scored) {
        Move best;
        int ties = 0;
        const double now = criterion(order.sums(), lambda_);
        for (int j = 0; j < J_; ++j)
            for (int r1 = 1; r1 < R_; ++r1)
                for (int r2 = r1 + 1; r2 <= R_; ++r2) {
                    ++scored;
                    const Sums d = order.swapChange(j, r1, r2);
                    const double change = criterion({order.sums().position + d.position, order.sums().carryOver + d.carryOver}, lambda_) - now;
                    if (change > best.change) continue;
                    const bool tabu = isTabu(j, order.product(j, r1), r2, move) || isTabu(j, order.product(j, r2), r1, move);
                    if (tabu && !aspires(order.sums(), d)) continue;
                    if (change < best.change) ties = 0;
                    if (++ties > 1 && limits_.uniform() * ties >= 1.0) continue;
                    best = Move{j, r1, r2, change};
                }
        return best;
    }

    // A tabu swap is taken when it leads to an order better than the best.
    bool aspires(const Sums& s, const Sums& d) const {
        const Sums after{s.position + d.position, s.carryOver + d.carryOver};
        return standing(after) < bestStanding_;
    }

    int P_, R_, J_;
    double lambda_;
    const CompletionLimits& limits_;
    long long leastPosition_, leastCarryOver_;
    std::vector<long long> tabuUntil_;
    std::vector<int> tabuPosition_;
    Standing bestStanding_;
};

bool tooLarge(int P, int R, int J) {
    return static_cast<long long>(J) * R > kLargestOrder || static_cast<long long>(P) * P > kLargestOrder * 10;
}

}  // namespace

bool arrangePositions(int P, int R, int J, matrixInt* JRMat, const std::function<double()>& uniform) {
    std::vector<int> cells;
    if (JRMat == nullptr || P < 1 || R < 1 || J < 1 || tooLarge(P, R, J) || !readOrder(P, R, J, JRMat, cells))
        return false;
    arrange(P, R, J, cells, uniform);
    writeOrder(R, J, cells, JRMat);
    return true;
}

bool completeOrder(int P, int R, int J, double lambda, matrixInt* JRMat, const CompletionLimits& limits) {
    std::vector<int> cells;
    if (JRMat == nullptr || P < 2 || R < 2 || J < 1 || !std::isfinite(lambda) || tooLarge(P, R, J) ||
        !readOrder(P, R, J, JRMat, cells))
        return false;
    CarryOverSearch search(P, R, J, lambda, limits);
    const Standing given = search.standing(CountedOrder(P, R, J, cells).sums());
    std::vector<int> start = cells, best;
    arrange(P, R, J, start, limits.uniform);
    Standing reached;
    search.run(std::move(start), best, reached);
    if (!(reached < given)) return false;
    writeOrder(R, J, best, JRMat);
    return true;
}

}  // namespace orders
