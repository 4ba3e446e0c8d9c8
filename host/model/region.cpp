#include "host/model/region.h"

#include <cmath>

namespace vxhost::model {

namespace {

constexpr int kGridSteps = 40;          // 0.05 apart on [-1, 1]
constexpr int kGoldenSteps = 30;        // shrink the bracket by 0.618^30, below 1e-6 of a step
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

std::vector<double> regionGrid(const std::vector<Factor>& factors, double mostPoints) {
    double discrete = 1.0;
    int continuous = 0;
    for (const Factor& f : factors) {
        if (f.discrete()) discrete *= f.levelCount;
        else ++continuous;
    }
    int n = 3;
    if (discrete * std::pow(n, continuous) > mostPoints) return {};
    while (continuous > 0 && n < kGridSteps + 1 && discrete * std::pow(n + 2, continuous) <= mostPoints) n += 2;
    std::vector<std::vector<double>> values;
    for (const Factor& f : factors) {
        if (f.discrete()) {
            values.push_back(f.levelValues());
            continue;
        }
        values.emplace_back();
        for (int i = 0; i < n; ++i) values.back().push_back(-1.0 + 2.0 * i / (n - 1));
    }
    // Every combination, the last factor fastest.
    std::vector<double> points;
    std::vector<std::size_t> at(values.size(), 0);
    while (true) {
        for (std::size_t j = 0; j < values.size(); ++j) points.push_back(values[j][at[j]]);
        std::size_t j = values.size();
        while (j > 0 && ++at[j - 1] == values[j - 1].size()) at[--j] = 0;
        if (j == 0) return points;
    }
}

}  // namespace vxhost::model
