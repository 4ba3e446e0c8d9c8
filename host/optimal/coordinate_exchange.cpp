#include "host/optimal/coordinate_exchange.h"

#include "host/optimal/criteria.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vxhost {

LevelPlan balancedRandomPlan(const std::vector<int>& levels, int runs, std::mt19937& rng) {
    LevelPlan plan;
    for (int s : levels) {
        std::vector<int> column(static_cast<std::size_t>(runs));
        for (int r = 0; r < runs; ++r) column[r] = r % s + 1;
        std::shuffle(column.begin(), column.end(), rng);
        plan.insert(plan.end(), column.begin(), column.end());
    }
    return plan;
}

namespace {

// The plan's model matrix X (runs x p, row-major), its inverse information
// matrix V = (X'X)^-1 and ln det(X'X), kept in step as coordinates change.
class Exchange {
public:
    Exchange(const std::vector<int>& levels, int runs, int icode, LevelPlan plan)
        : levels_(levels), runs_(runs), icode_(icode), p_(modelColumns(levels)), plan_(std::move(plan)) {
        for (std::size_t j = 0, c = 1; j < levels.size(); c += levels[j] - 1, ++j) firstColumn_.push_back(c);
    }

    // X, V and the log-determinant afresh; false when X'X is singular.
    bool refresh() {
        x_.assign(static_cast<std::size_t>(runs_) * p_, 0.0);
        std::vector<int> run(levels_.size());
        for (int r = 0; r < runs_; ++r) {
            for (std::size_t j = 0; j < levels_.size(); ++j) run[j] = level(r, j);
            modelRow(levels_, icode_, run.data(), &x_[static_cast<std::size_t>(r) * p_]);
        }
        std::vector<double> m(static_cast<std::size_t>(p_) * p_, 0.0);
        for (int r = 0; r < runs_; ++r) {
            const double* row = &x_[static_cast<std::size_t>(r) * p_];
            for (int a = 0; a < p_; ++a)
                for (int b = 0; b < p_; ++b) m[static_cast<std::size_t>(a) * p_ + b] += row[a] * row[b];
        }
        return invert(m);
    }

    // One pass over every run and factor; true when some change was kept.
    bool pass() {
        bool improved = false;
        for (int r = 0; r < runs_; ++r) {
            runProducts(r);
            for (std::size_t j = 0; j < levels_.size(); ++j)
                if (improveCoordinate(r, j)) {
                    improved = true;
                    runProducts(r);
                }
        }
        return improved;
    }

    double logDet() const { return logDet_; }
    const LevelPlan& plan() const { return plan_; }

private:
    int level(int r, std::size_t j) const { return plan_[j * runs_ + r]; }

    // V and ln det from m by Cholesky.
    bool invert(const std::vector<double>& m) {
        const std::optional<optimal::Inverse> inv = optimal::inverseOf(Eigen::Map<const Eigen::MatrixXd>(m.data(), p_, p_));
        if (!inv) return false;
        v_.assign(inv->matrix.data(), inv->matrix.data() + static_cast<std::ptrdiff_t>(p_) * p_);
        logDet_ = inv->logDet;
        return true;
    }

    // u = V x and x'Vx for the row of run r, shared by its factors' trials.
    void runProducts(int r) {
        const double* x = &x_[static_cast<std::size_t>(r) * p_];
        u_.assign(static_cast<std::size_t>(p_), 0.0);
        for (int a = 0; a < p_; ++a) {
            const double* va = &v_[static_cast<std::size_t>(a) * p_];
            for (int b = 0; b < p_; ++b) u_[a] += va[b] * x[b];
        }
        xvx_ = 0.0;
        for (int a = 0; a < p_; ++a) xvx_ += x[a] * u_[a];
    }

    // Factor j of run r moved to the level that raises det(X'X) most, when
    // that gains. The new row y differs from the run's row x only in the
    // factor's own columns, so with u = V x and e = y - x:
    //   y'Vy = x'Vx + 2 e'u + e'Ve,  x'Vy = x'Vx + e'u,
    // and det(X'X - xx' + yy') / det(X'X) = (1 + y'Vy)(1 - x'Vx) + (x'Vy)^2.
    bool improveCoordinate(int r, std::size_t j) {
        const int s = levels_[j];
        if (s < 2) return false;
        const double* x = &x_[static_cast<std::size_t>(r) * p_];
        const std::vector<double>& u = u_;
        const double xvx = xvx_;
        const std::size_t c0 = firstColumn_[j];
        const int width = s - 1;
        std::vector<int> run(levels_.size());
        for (std::size_t k = 0; k < levels_.size(); ++k) run[k] = level(r, k);
        std::vector<double> y(static_cast<std::size_t>(p_)), e(static_cast<std::size_t>(width));
        double bestRatio = 1.0 + 1e-10;
        int bestLevel = 0;
        for (int l = 1; l <= s; ++l) {
            if (l == run[j]) continue;
            run[j] = l;
            modelRow(levels_, icode_, run.data(), y.data());
            for (int k = 0; k < width; ++k) e[k] = y[c0 + k] - x[c0 + k];
            double eu = 0.0, eve = 0.0;
            for (int a = 0; a < width; ++a) {
                eu += e[a] * u[c0 + a];
                for (int b = 0; b < width; ++b) eve += e[a] * v_[(c0 + a) * p_ + c0 + b] * e[b];
            }
            const double yvy = xvx + 2.0 * eu + eve, xvy = xvx + eu;
            const double ratio = (1.0 + yvy) * (1.0 - xvx) + xvy * xvy;
            if (ratio > bestRatio) bestRatio = ratio, bestLevel = l;
        }
        if (bestLevel == 0) return false;
        run[j] = bestLevel;
        modelRow(levels_, icode_, run.data(), y.data());
        replaceRow(r, y, bestRatio);
        plan_[j * runs_ + r] = bestLevel;
        return true;
    }

    // Row r of X becomes y: V follows by two Sherman-Morrison steps (add y,
    // then remove the old row), ln det by the ratio already known.
    void replaceRow(int r, const std::vector<double>& y, double ratio) {
        double* x = &x_[static_cast<std::size_t>(r) * p_];
        rankOne(y.data(), +1.0);
        rankOne(x, -1.0);
        std::copy(y.begin(), y.end(), x);
        logDet_ += std::log(ratio);
    }

    // V = (M + sign z z')^-1 from V = M^-1.
    void rankOne(const double* z, double sign) {
        std::vector<double> w(static_cast<std::size_t>(p_), 0.0);
        for (int a = 0; a < p_; ++a)
            for (int b = 0; b < p_; ++b) w[a] += v_[static_cast<std::size_t>(a) * p_ + b] * z[b];
        double zvz = 0.0;
        for (int a = 0; a < p_; ++a) zvz += z[a] * w[a];
        const double scale = sign / (1.0 + sign * zvz);
        for (int a = 0; a < p_; ++a)
            for (int b = 0; b < p_; ++b) v_[static_cast<std::size_t>(a) * p_ + b] -= scale * w[a] * w[b];
    }

    std::vector<int> levels_;
    int runs_, icode_, p_;
    LevelPlan plan_;
    std::vector<std::size_t> firstColumn_;
    std::vector<double> x_, v_, u_;
    double logDet_ = 0.0, xvx_ = 0.0;
};

}  // namespace

CoordinateResult coordinateExchange(const std::vector<int>& levels, int runs, int icode, std::mt19937& rng,
                                    const std::optional<LevelPlan>& start) {
    constexpr int kRegularStartTries = 20;
    for (int attempt = 0; attempt < kRegularStartTries; ++attempt) {
        Exchange ex(levels, runs, icode, start && attempt == 0 ? *start : balancedRandomPlan(levels, runs, rng));
        if (!ex.refresh()) continue;
        // Each pass starts from a fresh inverse, so rounding from the
        // rank-one steps never piles up across passes.
        while (ex.pass() && ex.refresh()) {
        }
        ex.refresh();
        return {ex.plan(), ex.logDet()};
    }
    return {balancedRandomPlan(levels, runs, rng), -std::numeric_limits<double>::infinity()};
}

}  // namespace vxhost
