#include "host/optimal/model_exchange.h"

#include "host/model/region.h"
#include "host/optimal/criteria.h"

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

namespace vxhost::optimal {

namespace {

// A change is kept when it lowers the loss by more than this share (D: its
// log), so that rounding never cycles.
constexpr double kLeastGain = 1e-9;
// A trial whose determinant ratio falls below this would make X'X singular.
constexpr double kLeastRatio = 1e-10;
constexpr int kRegularStartTries = 50;
constexpr int kMostPasses = 200;

// What changing row x of X into row y does: X'X - xx' + yy' has
// determinant ratio r = (1 + y'Vy)(1 - x'Vx) + (x'Vy)^2 (V = (X'X)^-1). By
// Woodbury, with U = [y x] and K = [[1 + y'Vy, x'Vy], [x'Vy, x'Vx - 1]]
// (det K = -r), the new inverse is V - VU K^-1 U'V, so with Q = V B V
// trace(V B) falls by trace(K^-1 U'QU).
struct Trial {
    double ratio = 0.0;
    double traceDrop = 0.0;
};

class Exchange {
public:
    Exchange(const model::Model& model, int runs, Objective objective, const StepObserver& observe,
             std::vector<double> points)
        : model_(model), runs_(runs), objective_(objective), observe_(observe), points_(std::move(points)) {
        if (objective_ == Objective::I) B_ = model_.moments();
        else B_ = Eigen::MatrixXd::Identity(model_.columns(), model_.columns());
    }

    // X, V, ln det and the trace afresh; false when X'X is singular.
    bool refresh() {
        X_ = model_.matrix(points_);
        const std::optional<Inverse> inv = inverseOf(X_.transpose() * X_);
        if (!inv) return false;
        V_ = inv->matrix;
        logDet_ = inv->logDet;
        afterInverse();
        return true;
    }

    // One pass over every coordinate of every run; true when one changed.
    bool pass() {
        bool changed = false;
        for (int r = 0; r < runs_; ++r)
            for (std::size_t j = 0; j < model_.factors().size(); ++j) changed = improveCoordinate(r, j) || changed;
        return changed;
    }

    double loss() const { return objective_ == Objective::D ? -logDet_ : trace_; }
    const std::vector<double>& points() const { return points_; }
    const Eigen::MatrixXd& inverse() const { return V_; }
    double logDet() const { return logDet_; }

private:
    void afterInverse() {
        trace_ = (V_ * B_).trace();
        if (objective_ != Objective::D) Q_ = V_ * B_ * V_;
    }

    std::vector<double> point(int r) const {
        const std::size_t f = model_.factors().size();
        return {points_.begin() + static_cast<std::ptrdiff_t>(r * f), points_.begin() + static_cast<std::ptrdiff_t>((r + 1) * f)};
    }

    // V y, V x and the quadratic forms of the change from x to y.
    struct Products {
        Eigen::VectorXd vy, vx;
        double yvy, xvy, xvx;
        double ratio() const { return (1.0 + yvy) * (1.0 - xvx) + xvy * xvy; }
    };
    Products products(const Eigen::VectorXd& x, const Eigen::VectorXd& y) const {
        Products p{V_ * y, V_ * x, 0.0, 0.0, 0.0};
        p.yvy = y.dot(p.vy), p.xvy = x.dot(p.vy), p.xvx = x.dot(p.vx);
        return p;
    }

    Trial trial(const Eigen::VectorXd& x, const Eigen::VectorXd& y) const {
        const Products p = products(x, y);
        Trial t{p.ratio(), 0.0};
        if (objective_ != Objective::D && t.ratio > kLeastRatio) {
            const Eigen::VectorXd qy = Q_ * y;
            const double yqy = y.dot(qy), xqy = x.dot(qy), xqx = x.dot(Q_ * x);
            t.traceDrop = ((p.xvx - 1.0) * yqy - 2.0 * p.xvy * xqy + (1.0 + p.yvy) * xqx) / -t.ratio;
        }
        return t;
    }

    // The share by which the trial lowers the loss; -inf for one that would
    // leave X'X singular.
    double gain(const Trial& t) const {
        if (!(t.ratio > kLeastRatio)) return -INFINITY;
        return objective_ == Objective::D ? std::log(t.ratio) : t.traceDrop / trace_;
    }

    bool improveCoordinate(int r, std::size_t j) {
        std::vector<double> moved = point(r);
        const Eigen::VectorXd x = X_.row(r).transpose();
        const model::AlongCoordinate best = model::bestAlong(model_.factors()[j], [&](double v) {
            moved[j] = v;
            return gain(trial(x, model_.row(moved)));
        });
        if (!(best.score > kLeastGain)) return false;
        moved[j] = best.value;
        replaceRow(r, x, model_.row(moved));
        points_[static_cast<std::size_t>(r) * model_.factors().size() + j] = best.value;
        if (observe_) observe_(ExchangeStep{points_, V_, logDet_});
        return true;
    }

    void replaceRow(int r, const Eigen::VectorXd& x, const Eigen::VectorXd& y) {
        const Products p = products(x, y);
        const double ratio = p.ratio();
        Eigen::Matrix2d Kinv;
        Kinv << p.xvx - 1.0, -p.xvy, -p.xvy, 1.0 + p.yvy;
        Kinv /= -ratio;
        Eigen::MatrixXd VU(V_.rows(), 2);
        VU << p.vy, p.vx;
        V_ -= VU * Kinv * VU.transpose();
        logDet_ += std::log(ratio);
        X_.row(r) = y.transpose();
        afterInverse();
    }

    const model::Model& model_;
    int runs_;
    Objective objective_;
    const StepObserver& observe_;
    std::vector<double> points_;
    Eigen::MatrixXd B_, X_, V_, Q_;
    double logDet_ = 0.0, trace_ = 0.0;
};

std::vector<double> randomPlan(const model::Model& model, int runs, std::mt19937& rng) {
    std::vector<double> points;
    for (int r = 0; r < runs; ++r) {
        const std::vector<double> p = model::randomPoint(model.factors(), rng);
        points.insert(points.end(), p.begin(), p.end());
    }
    return points;
}

}  // namespace

ExchangeResult coordinateExchange(const model::Model& model, int runs, Objective objective, std::mt19937& rng,
                                  const StepObserver& observe) {
    for (int attempt = 0; attempt < kRegularStartTries; ++attempt) {
        Exchange ex(model, runs, objective, observe, randomPlan(model, runs, rng));
        if (!ex.refresh()) continue;
        // Each pass starts from a fresh inverse, so rounding from the
        // updates never piles up across passes.
        for (int pass = 0; pass < kMostPasses && ex.pass() && ex.refresh(); ++pass) {
        }
        ex.refresh();
        return {ex.points(), true, ex.loss()};
    }
    return {randomPlan(model, runs, rng), false, INFINITY};
}

ExchangeResult randomStarts(const model::Model& model, int runs, Objective objective, int starts, uint32_t seed) {
    if (runs < model.columns())
        throw std::invalid_argument(std::to_string(runs) + " runs for " + std::to_string(model.columns()) +
                                    " model columns (need at least as many runs as columns)");
    ExchangeResult best;
    for (int k = 0; k < starts; ++k) {
        std::seed_seq seq{seed, static_cast<uint32_t>(k)};
        std::mt19937 rng(seq);
        ExchangeResult r = coordinateExchange(model, runs, objective, rng);
        if (r.regular && (!best.regular || r.loss < best.loss)) best = std::move(r);
    }
    return best;
}

}  // namespace vxhost::optimal
