#include "host/model/region.h"

#include <algorithm>
#include <cmath>

namespace vxhost::model {

namespace {

constexpr int kGridSteps = 40;          // 0.05 apart on [-1, 1]
constexpr int kGoldenSteps = 30;        // shrink the bracket by 0.618^30, below 1e-6 of a step
constexpr int kRejectionTries = 1000;   // random draws before a thin region falls back on its grid
constexpr double kFallbackGrid = 1e5;   // the most grid points kept for that
const double kGolden = (std::sqrt(5.0) - 1.0) / 2.0;

AlongCoordinate bestLevel(const Factor& f, const std::function<double(double)>& score) {
    AlongCoordinate best{0.0, -INFINITY};
    for (double v : f.levelValues())
        if (const double s = score(v); s > best.score) best = {v, s};
    return best;
}

// Golden-section search for the highest score on [a, b], starting from the
// best known point.
AlongCoordinate refined(double a, double b, AlongCoordinate best, const std::function<double(double)>& score) {
    double c = b - kGolden * (b - a), d = a + kGolden * (b - a);
    double sc = score(c), sd = score(d);
    for (int i = 0; i < kGoldenSteps; ++i) {
        if (sc > sd) {
            b = d, d = c, sd = sc;
            c = b - kGolden * (b - a), sc = score(c);
        } else {
            a = c, c = d, sc = sd;
            d = a + kGolden * (b - a), sd = score(d);
        }
    }
    if (sc > best.score) best = {c, sc};
    if (sd > best.score) best = {d, sd};
    return best;
}

}  // namespace

AlongCoordinate bestAlong(const Factor& f, const std::function<double(double)>& score) {
    if (f.discrete()) return bestLevel(f, score);
    AlongCoordinate best{0.0, -INFINITY};
    const double step = 2.0 / kGridSteps;
    for (int i = 0; i <= kGridSteps; ++i)
        if (const double v = -1.0 + i * step, s = score(v); s > best.score) best = {v, s};
    return refined(std::fmax(-1.0, best.value - step), std::fmin(1.0, best.value + step), best, score);
}

std::vector<double> randomPoint(const std::vector<Factor>& factors, std::mt19937& rng) {
    std::vector<double> point;
    for (const Factor& f : factors) {
        if (f.discrete()) {
            point.push_back(f.levelValues()[std::uniform_int_distribution<int>(0, f.levelCount - 1)(rng)]);
        } else {
            point.push_back(std::uniform_real_distribution<double>(-1.0, 1.0)(rng));
        }
    }
    return point;
}

namespace {

// Every combination of one value per factor, the last factor fastest.
std::vector<double> combinations(const std::vector<std::vector<double>>& values) {
    std::vector<double> points;
    std::vector<std::size_t> at(values.size(), 0);
    while (true) {
        for (std::size_t j = 0; j < values.size(); ++j) points.push_back(values[j][at[j]]);
        std::size_t j = values.size();
        while (j > 0 && ++at[j - 1] == values[j - 1].size()) at[--j] = 0;
        if (j == 0) return points;
    }
}

// The discrete factors at their levels and the continuous ones at
// value(i, n), i < n, with n the largest of `counts` that keeps the grid
// within mostPoints; empty when even the first is too many.
std::vector<double> grid(const std::vector<Factor>& factors, double mostPoints, const std::vector<int>& counts,
                         double (*value)(int i, int n)) {
    double discrete = 1.0;
    int continuous = 0;
    for (const Factor& f : factors) {
        if (f.discrete()) discrete *= f.levelCount;
        else ++continuous;
    }
    std::size_t chosen = 0;
    if (discrete * std::pow(counts[0], continuous) > mostPoints) return {};
    while (continuous > 0 && chosen + 1 < counts.size() && discrete * std::pow(counts[chosen + 1], continuous) <= mostPoints)
        ++chosen;
    const int n = counts[chosen];
    std::vector<std::vector<double>> values;
    for (const Factor& f : factors) {
        if (f.discrete()) {
            values.push_back(f.levelValues());
            continue;
        }
        values.emplace_back();
        for (int i = 0; i < n; ++i) values.back().push_back(value(i, n));
    }
    return combinations(values);
}

}  // namespace

std::vector<double> regionGrid(const std::vector<Factor>& factors, double mostPoints) {
    std::vector<int> odd;
    for (int n = 3; n <= kGridSteps + 1; n += 2) odd.push_back(n);
    return grid(factors, mostPoints, odd, [](int i, int n) { return -1.0 + 2.0 * i / (n - 1); });
}

std::vector<double> midpointGrid(const std::vector<Factor>& factors, double mostPoints) {
    std::vector<int> counts;
    for (int n = 2; n <= 200; ++n) counts.push_back(n);
    return grid(factors, mostPoints, counts, [](int i, int n) { return -1.0 + (2.0 * i + 1.0) / n; });
}

// ----- the region ---------------------------------------------------------------------

Region::Region(std::vector<Factor> factors, std::vector<LinearConstraint> constraints, std::vector<Exclusion> exclusions)
    : factors_(std::move(factors)), constraints_(std::move(constraints)), exclusions_(std::move(exclusions)) {
    if (constrained()) fallbackPoints_ = grid(kFallbackGrid);
}

bool Region::contains(const double* point) const {
    for (const LinearConstraint& c : constraints_)
        if (!c.holds(point)) return false;
    for (const Exclusion& e : exclusions_)
        if (e.excludes(point)) return false;
    return true;
}

std::pair<double, double> Region::linearInterval(const std::vector<double>& point, std::size_t j) const {
    double lo = -1.0, hi = 1.0;
    for (const LinearConstraint& c : constraints_) {
        const double a = j < c.coefficients.size() ? c.coefficients[j] : 0.0;
        if (a == 0.0) continue;
        double rest = 0.0;
        for (std::size_t k = 0; k < c.coefficients.size(); ++k)
            if (k != j) rest += c.coefficients[k] * point[k];
        const double end = (c.bound - rest) / a;
        if (a > 0) hi = std::min(hi, end);
        else lo = std::max(lo, end);
    }
    return {lo, hi};
}

AlongCoordinate Region::bestAlong(const std::vector<double>& point, std::size_t j,
                                  const std::function<double(double)>& score) const {
    const Factor& f = factors_[j];
    if (!constrained()) return model::bestAlong(f, score);
    std::vector<double> moved = point;
    auto feasibleScore = [&](double v) {
        moved[j] = v;
        return contains(moved) ? score(v) : -INFINITY;
    };
    if (f.discrete()) {
        const AlongCoordinate best = model::bestAlong(f, feasibleScore);
        return best.score == -INFINITY ? AlongCoordinate{point[j], -INFINITY} : best;
    }
    const auto [lo, hi] = linearInterval(point, j);
    AlongCoordinate best{point[j], -INFINITY};
    if (!(lo <= hi)) return best;
    const double step = 2.0 / kGridSteps;
    auto consider = [&](double v) {
        if (const double s = feasibleScore(v); s > best.score) best = {v, s};
    };
    consider(lo);
    for (int i = 0; i <= kGridSteps; ++i)
        if (const double v = -1.0 + i * step; v > lo && v < hi) consider(v);
    consider(hi);
    if (best.score == -INFINITY) return {point[j], -INFINITY};
    return refined(std::max(lo, best.value - step), std::min(hi, best.value + step), best, feasibleScore);
}

std::optional<std::vector<double>> Region::randomPoint(std::mt19937& rng) const {
    for (int t = 0; t < kRejectionTries; ++t) {
        std::vector<double> p = model::randomPoint(factors_, rng);
        if (contains(p)) return p;
    }
    const std::size_t f = factors_.size(), count = f == 0 ? 0 : fallbackPoints_.size() / f;
    if (count == 0) return std::nullopt;
    const std::size_t k = std::uniform_int_distribution<std::size_t>(0, count - 1)(rng);
    return std::vector<double>(fallbackPoints_.begin() + static_cast<std::ptrdiff_t>(k * f),
                               fallbackPoints_.begin() + static_cast<std::ptrdiff_t>((k + 1) * f));
}

std::vector<double> Region::inside(std::vector<double> points) const {
    if (!constrained() || factors_.empty()) return points;
    const std::size_t f = factors_.size();
    std::size_t kept = 0;
    for (std::size_t at = 0; at < points.size(); at += f)
        if (contains(points.data() + at)) {
            std::copy(points.begin() + static_cast<std::ptrdiff_t>(at), points.begin() + static_cast<std::ptrdiff_t>(at + f),
                      points.begin() + static_cast<std::ptrdiff_t>(kept));
            kept += f;
        }
    points.resize(kept);
    return points;
}

std::vector<double> Region::grid(double mostPoints) const { return inside(regionGrid(factors_, mostPoints)); }

std::vector<double> Region::midpoints(double mostPoints) const { return inside(midpointGrid(factors_, mostPoints)); }

}  // namespace vxhost::model
