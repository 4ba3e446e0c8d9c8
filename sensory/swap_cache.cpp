#include "sensory/swap_cache.h"

#include "sensory/order_balance.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orders {

namespace {
// Positions the cache keeps, one per judge and product: 256 MB at most.
constexpr double kMostPlaces = 1 << 26;
}  // namespace

SwapCache::SwapCache(int P, int R, int J, double lambda) : P_(P), R_(R), J_(J), lambda_(lambda) {}

bool SwapCache::serves(int P, int R, int J, double lambda, const matrixInt* JRMat) {
    // Both weights whole multiples of 2^-10, and every weighted sum of
    // squares (at most (J R)^2 each) exact below 2^52.
    const double position = std::ldexp(lambda, 10), carryOver = std::ldexp(1 - lambda, 10);
    if (!std::isfinite(position) || position != std::floor(position) || carryOver != std::floor(carryOver))
        return false;
    const double cells = static_cast<double>(J) * R;
    if (std::fmax(std::fabs(position), std::fabs(carryOver)) * cells * cells >= std::ldexp(1.0, 52)) return false;
    if (static_cast<double>(J) * P > kMostPlaces || static_cast<double>(J) * R * (R - 1) / 2 > kMostPlaces / 2)
        return false;
    std::vector<int> seenIn(static_cast<std::size_t>(P) + 1, 0);
    for (int j = 1; j <= J; ++j)
        for (int r = 1; r <= R; ++r) {
            const int x = JRMat->vbget(j, r);
            if (x < 1 || x > P || seenIn[static_cast<std::size_t>(x)] == j) return false;
            seenIn[static_cast<std::size_t>(x)] = j;
        }
    return true;
}

void SwapCache::bump(int& cell, int by, long long& sum) {
    sum += 2LL * cell * by + 1;  // (c +- 1)^2 - c^2
    cell += by;
}

void SwapCache::countJudge(int j, int sign) {
    for (int r = 0; r < R_; ++r) bump(K(at(j, r), r), sign, positionSum_);
    for (int r = 0; r + 1 < R_; ++r)
        if (at(j, r) != at(j, r + 1)) bump(S(at(j, r), at(j, r + 1)), sign, carryOverSum_);
}

SwapCache::Best SwapCache::score(int j, int r1, int r2) const {
    const int* row = &order_[static_cast<std::size_t>(j) * R_];
    const Sums d = swapChange(R_, DirectCounts{positions_.data(), carryOver_.data(), P_},
                              [row](int r) { return row[r - 1]; }, r1 + 1, r2 + 1);
    Best b{r1, r2, d.position, d.carryOver, 0.0};
    b.key = (1 - lambda_) * static_cast<double>(d.carryOver) + lambda_ * static_cast<double>(d.position);
    return b;
}

bool SwapCache::before(const Best& a, const Best& b) {
    if (a.key != b.key) return a.key < b.key;
    return a.r1 != b.r1 ? a.r1 < b.r1 : a.r2 < b.r2;
}

double& SwapCache::key(int j, int r1, int r2) {
    // Swaps in scan order: (r1, r2) follows the R - 1 - r swaps of every r < r1.
    const std::size_t before = static_cast<std::size_t>(r1) * (2 * R_ - r1 - 1) / 2;
    return keys_[static_cast<std::size_t>(j) * swapsPerJudge_ + before + static_cast<std::size_t>(r2 - r1 - 1)];
}

void SwapCache::pickBest(int j) {
    work_ += static_cast<double>(swapsPerJudge_);
    Best best;
    double least = 0;
    for (int r1 = 0; r1 + 1 < R_; ++r1)
        for (int r2 = r1 + 1; r2 < R_; ++r2)
            if (best.r2 == 0 || key(j, r1, r2) < least) {
                best.r1 = r1, best.r2 = r2;
                least = key(j, r1, r2);
            }
    if (best.r2 != 0) best = score(j, best.r1, best.r2);
    best_[static_cast<std::size_t>(j)] = best;
}

void SwapCache::rescoreAll(int j) {
    work_ += static_cast<double>(swapsPerJudge_);
    for (int r1 = 0; r1 + 1 < R_; ++r1)
        for (int r2 = r1 + 1; r2 < R_; ++r2) key(j, r1, r2) = score(j, r1, r2).key;
    pickBest(j);
}

bool SwapCache::Changed::has(const Best& b) const {
    for (int r : rows)
        if (r == b.r1 || r == b.r2) return true;
    for (const auto& [r1, r2] : pairs)
        if (r1 == b.r1 && r2 == b.r2) return true;
    return false;
}

void SwapCache::rescore(const Changed& c) {
    Best& cached = best_[static_cast<std::size_t>(c.judge)];
    if (cached.r2 == 0) return;
    Best best = cached;
    bool worse = false;
    if (c.has(cached)) {
        best = score(c.judge, cached.r1, cached.r2);
        worse = best.key > cached.key;
    }
    auto consider = [&](int r1, int r2) {
        ++work_;
        const Best s = score(c.judge, r1, r2);
        key(c.judge, r1, r2) = s.key;
        if (before(s, best)) best = s;
    };
    for (int r : c.rows)
        for (int u = 0; u < R_; ++u)
            if (u != r) consider(std::min(r, u), std::max(r, u));
    for (const auto& [r1, r2] : c.pairs) consider(r1, r2);
    // The best swap got worse: another, unchanged one may now lead.
    if (worse) return pickBest(c.judge);
    cached = best;
}

SwapCache::Changed& SwapCache::changedOf(int j) {
    int& index = visit_[static_cast<std::size_t>(j)];
    if (index < 0) {
        index = static_cast<int>(used_++);
        if (changed_.size() < used_) changed_.emplace_back();
        Changed& c = changed_[static_cast<std::size_t>(index)];
        c.judge = j;
        c.rows.clear();
        c.pairs.clear();
    }
    return changed_[static_cast<std::size_t>(index)];
}

// The swap of positions r and u of judge j, when it is one.
void SwapCache::pair(int j, int r, int u) {
    if (u < 0 || u >= R_ || u == r) return;
    changedOf(j).pairs.emplace_back(std::min(r, u), std::max(r, u));
}

void SwapCache::recount(const matrixInt* JRMat) {
    const auto cells = static_cast<std::size_t>(J_) * R_;
    work_ += static_cast<double>(cells);
    order_.assign(cells, 0);
    for (int j = 0; j < J_; ++j)
        for (int r = 0; r < R_; ++r) at(j, r) = JRMat->vbget(j + 1, r + 1);
    positions_.assign(static_cast<std::size_t>(P_) * R_, 0);
    carryOver_.assign(static_cast<std::size_t>(P_) * (P_ + 1), 0);
    positionSum_ = carryOverSum_ = 0;
    holders_.assign(static_cast<std::size_t>(P_) + 1, {});
    placeOf_.assign(static_cast<std::size_t>(J_) * P_, -1);
    for (int j = 0; j < J_; ++j) {
        countJudge(j, +1);
        for (int r = 0; r < R_; ++r) {
            holders_[static_cast<std::size_t>(at(j, r))].push_back(j);
            place(j, at(j, r)) = r;
        }
    }
    best_.assign(static_cast<std::size_t>(J_), Best{});
    swapsPerJudge_ = static_cast<std::size_t>(R_) * (R_ - 1) / 2;
    keys_.assign(static_cast<std::size_t>(J_) * swapsPerJudge_, 0.0);
    for (int j = 0; j < J_; ++j) rescoreAll(j);
    visit_.assign(static_cast<std::size_t>(J_), -1);
    counted_ = true;
}

Swap SwapCache::steepest(const matrixInt* JRMat, double* best) {
    if (!counted_) recount(JRMat);
    work_ += J_;
    int chosen = -1;
    for (int j = 0; j < J_; ++j) {
        const Best& b = best_[static_cast<std::size_t>(j)];
        if (b.r2 != 0 && (chosen < 0 || b.key < best_[static_cast<std::size_t>(chosen)].key)) chosen = j;
    }
    if (chosen < 0) return {};
    const Best& b = best_[static_cast<std::size_t>(chosen)];
    *best = criterion({positionSum_ + b.position, carryOverSum_ + b.carryOver}, lambda_);
    return {chosen + 1, b.r1 + 1, b.r2 + 1};
}

void SwapCache::swapped(int j, int r1, int r2) {
    const int judge = j - 1, p1 = r1 - 1, p2 = r2 - 1;
    const int a = at(judge, p1), b = at(judge, p2);
    // The carry-over cells around the two positions, before and after.
    std::vector<std::pair<int, int>> links;
    auto noteLinks = [&] {
        for (int r : {p1 - 1, p1, p2 - 1, p2})
            if (r >= 0 && r + 1 < R_) links.emplace_back(at(judge, r), at(judge, r + 1));
    };
    noteLinks();
    countJudge(judge, -1);
    std::swap(at(judge, p1), at(judge, p2));
    countJudge(judge, +1);
    noteLinks();
    place(judge, a) = p2;
    place(judge, b) = p1;
    rescoreAll(judge);

    used_ = 0;
    // Position counts of a and b at p1 and p2: a judge holding x at s reads
    // K(x, s) and K(x, u) when it swaps s with u.
    for (int x : {a, b})
        for (int holder : holders_[static_cast<std::size_t>(x)]) {
            ++work_;
            if (holder == judge) continue;
            const int s = place(holder, x);
            for (int r : {p1, p2}) {
                if (s == r) {
                    changedOf(holder).rows.push_back(s);
                } else {
                    pair(holder, s, r);
                }
            }
        }
    // A carry-over count y -> z is read by every swap that moves y or z
    // while they stand side by side, and otherwise by the swaps that bring
    // one next to the other or exchange them.
    for (const auto& [y, z] : links)
        for (int holder : holders_[static_cast<std::size_t>(y)]) {
            ++work_;
            if (holder == judge) continue;
            const int sy = place(holder, y), sz = place(holder, z);
            if (sz < 0) continue;
            if (sz == sy + 1) {
                changedOf(holder).rows.push_back(sy);
                changedOf(holder).rows.push_back(sz);
                continue;
            }
            for (int u : {sz - 1, sz, sz + 1}) pair(holder, sy, u);
            for (int u : {sy - 1, sy, sy + 1}) pair(holder, sz, u);
        }
    for (std::size_t i = 0; i < used_; ++i) {
        const Changed& c = changed_[i];
        rescore(c);
        visit_[static_cast<std::size_t>(c.judge)] = -1;
    }
}

}  // namespace orders
