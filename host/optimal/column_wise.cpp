#include "host/optimal/column_wise.h"

#include <algorithm>
#include <numeric>

namespace vxhost {

int64_t twiceJ2Bound(const std::vector<int>& levels, int runs) {
    const int64_t n = runs, m = static_cast<int64_t>(levels.size());
    int64_t sumLevels = 0, sumLess = 0;
    for (int s : levels) sumLevels += s, sumLess += s - 1;
    return (n * m) * (n * m) + n * n * sumLess - n * sumLevels * sumLevels;
}

int64_t j2(const LevelPlan& plan, int runs, const std::vector<int>& levels) {
    int64_t total = 0;
    for (int i = 0; i < runs; ++i)
        for (int k = i + 1; k < runs; ++k) {
            int64_t delta = 0;
            for (std::size_t c = 0; c < levels.size(); ++c)
                if (plan[c * runs + i] == plan[c * runs + k]) delta += levels[c];
            total += delta * delta;
        }
    return total;
}

namespace {

// The weighted coincidences delta_ij of the columns built so far, and J2.
class Coincidences {
public:
    explicit Coincidences(int runs) : n_(runs), delta_(static_cast<std::size_t>(runs) * runs, 0) {}

    int64_t at(int i, int k) const { return delta_[static_cast<std::size_t>(i) * n_ + k]; }
    void add(int i, int k, int64_t w) {
        delta_[static_cast<std::size_t>(i) * n_ + k] += w;
        delta_[static_cast<std::size_t>(k) * n_ + i] += w;
    }
    // Every pair that coincides on `column` gains weight w.
    void addColumn(const std::vector<int>& column, int64_t w) {
        for (int i = 0; i < n_; ++i)
            for (int k = i + 1; k < n_; ++k)
                if (column[i] == column[k]) add(i, k, w);
    }
    int64_t j2() const {
        int64_t total = 0;
        for (int i = 0; i < n_; ++i)
            for (int k = i + 1; k < n_; ++k) total += at(i, k) * at(i, k);
        return total;
    }

private:
    int n_;
    std::vector<int64_t> delta_;
};

// The change of J2 when entries a and b (of different levels) of the newest
// column swap, the coincidences already counting that column with weight w.
// Run a leaves the runs j sharing its level (delta_aj - w) and joins those
// sharing b's (delta_aj + w); b moves the other way.
int64_t swapChange(const Coincidences& d, const std::vector<int>& column, int a, int b, int64_t w) {
    int64_t change = 0;
    for (int j = 0; j < static_cast<int>(column.size()); ++j) {
        if (j == a || j == b) continue;
        if (column[j] == column[a]) change += 2 * w * w + 2 * w * (d.at(b, j) - d.at(a, j));
        else if (column[j] == column[b]) change += 2 * w * w + 2 * w * (d.at(a, j) - d.at(b, j));
    }
    return change;
}

void swapEntries(Coincidences& d, std::vector<int>& column, int a, int b, int64_t w) {
    for (int j = 0; j < static_cast<int>(column.size()); ++j) {
        if (j == a || j == b) continue;
        if (column[j] == column[a]) d.add(a, j, -w), d.add(b, j, w);
        else if (column[j] == column[b]) d.add(a, j, w), d.add(b, j, -w);
    }
    std::swap(column[a], column[b]);
}

// Steepest descent on J2 by swaps within the new column.
void descend(Coincidences& d, std::vector<int>& column, int64_t w) {
    const int n = static_cast<int>(column.size());
    for (;;) {
        int64_t best = 0;
        int bestA = -1, bestB = -1;
        for (int a = 0; a < n; ++a)
            for (int b = a + 1; b < n; ++b) {
                if (column[a] == column[b]) continue;
                const int64_t change = swapChange(d, column, a, b, w);
                if (change < best) best = change, bestA = a, bestB = b;
            }
        if (bestA < 0) return;
        swapEntries(d, column, bestA, bestB, w);
    }
}

std::vector<int> balancedColumn(int s, int runs, std::mt19937& rng) {
    std::vector<int> column(static_cast<std::size_t>(runs));
    for (int r = 0; r < runs; ++r) column[r] = r % s + 1;
    std::shuffle(column.begin(), column.end(), rng);
    return column;
}

}  // namespace

ColumnWiseResult columnWise(const std::vector<int>& levels, int runs, std::mt19937& rng, int restarts,
                            const std::function<bool()>& stop) {
    // Factors of more levels first: they are the hardest to place.
    std::vector<std::size_t> order(levels.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return levels[a] > levels[b]; });
    Coincidences built(runs);
    std::vector<int> builtLevels;
    std::vector<std::vector<int>> columns(levels.size());
    for (std::size_t f : order) {
        const int s = levels[f];
        builtLevels.push_back(s);
        const int64_t target = twiceJ2Bound(builtLevels, runs);
        std::vector<int> best;
        int64_t bestJ2 = 0;
        for (int attempt = 0; attempt < std::max(restarts, 1); ++attempt) {
            if (attempt > 0 && stop && stop()) break;
            Coincidences d = built;
            std::vector<int> column = balancedColumn(s, runs, rng);
            d.addColumn(column, s);
            descend(d, column, s);
            const int64_t value = d.j2();
            if (best.empty() || value < bestJ2) best = column, bestJ2 = value;
            if (2 * value == target) break;
        }
        built.addColumn(best, s);
        columns[f] = std::move(best);
    }
    ColumnWiseResult result;
    for (const std::vector<int>& c : columns) result.plan.insert(result.plan.end(), c.begin(), c.end());
    result.orthogonal = 2 * built.j2() == twiceJ2Bound(builtLevels, runs);
    return result;
}

}  // namespace vxhost
