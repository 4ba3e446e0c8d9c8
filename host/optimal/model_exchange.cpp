#include "host/optimal/model_exchange.h"

#include "host/model/region.h"
#include "host/optimal/criteria.h"

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

namespace vxhost::optimal {

namespace {

// A change is kept when it lowers the loss by more than this share (D: its
// log), so that rounding never cycles.
constexpr double kLeastGain = 1e-9;
// A trial whose determinant ratio falls below this would make X'X singular.
constexpr double kLeastRatio = 1e-10;
constexpr int kRegularStartTries = 50;
constexpr int kMostPasses = 200;
constexpr double kLeastPassGain = 1e-6;

// What changing row x of X into row y does: X'X - xx' + yy' has
// determinant ratio r = (1 + y'Vy)(1 - x'Vx) + (x'Vy)^2 (V = (X'X)^-1). By
// Woodbury, with U = [y x] and K = [[1 + y'Vy, x'Vy], [x'Vy, x'Vx - 1]]
// (det K = -r), the new inverse is V - VU K^-1 U'V, so with Q = V B V
// trace(V B) falls by trace(K^-1 U'QU) = fall / r, with
// fall = -((x'Vx - 1) y'Qy - 2 x'Vy x'Qy + (1 + y'Vy) x'Qx).
struct Trial {
    double ratio = 0.0;
    double fall = 0.0;  // of the trace criteria only
};

class Exchange {
public:
    // B weighs the inverse in the trace criteria (A, I); D does not read it.
    Exchange(const PlanProblem& problem, Objective objective, const Eigen::MatrixXd& B, const StepObserver& observe,
             std::vector<double> points)
        : model_(problem.model), region_(problem.region), runs_(problem.runs),
          keptRuns_(static_cast<int>(problem.kept.size() / problem.model.factors().size())),
          objective_(objective == Objective::G ? Objective::D : objective), B_(B), observe_(observe),
          points_(std::move(points)) {}

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

    // One pass over every coordinate the search may move; true when one
    // changed. Stops early, changed or not, once the deadline has passed.
    bool pass(Clock::time_point deadline) {
        bool changed = false;
        for (int r = keptRuns_; r < runs_ && Clock::now() < deadline; ++r)
            for (std::size_t j = 0; j < model_.factors().size(); ++j)
                if (!model_.factors()[j].block) changed = improveCoordinate(r, j) || changed;
        return changed;
    }

    double loss() const { return objective_ == Objective::D ? -logDet_ : trace_; }
    // The share by which the loss has fallen since it was `before`, as
    // gain() measures a trial's.
    double gainSince(double before) const {
        return objective_ == Objective::D ? before - loss() : (before - loss()) / before;
    }
    const std::vector<double>& points() const { return points_; }

private:
    void afterInverse() {
        if (objective_ == Objective::D) return;
        trace_ = (V_ * B_).trace();
        Q_ = V_ * B_ * V_;
    }

    std::vector<double> point(int r) const {
        const std::size_t f = model_.factors().size();
        return {points_.begin() + static_cast<std::ptrdiff_t>(r * f), points_.begin() + static_cast<std::ptrdiff_t>((r + 1) * f)};
    }

    // What a trial needs of the row x it replaces, the same for every
    // value tried along one coordinate: V x, Q x and their forms.
    struct Leaving {
        Eigen::VectorXd x, vx, qx;
        double xvx = 0.0, xqx = 0.0;
    };
    Leaving leaving(int r) const {
        Leaving l;
        l.x = X_.row(r).transpose();
        l.vx = V_ * l.x;
        l.xvx = l.x.dot(l.vx);
        if (objective_ != Objective::D) l.qx = Q_ * l.x, l.xqx = l.x.dot(l.qx);
        return l;
    }

    // V y and the quadratic forms of the change from x to y.
    struct Products {
        Eigen::VectorXd vy;
        double yvy, xvy, xvx;
        double ratio() const { return (1.0 + yvy) * (1.0 - xvx) + xvy * xvy; }
    };
    Products products(const Leaving& l, const Eigen::VectorXd& y) const {
        Products p{V_ * y, 0.0, 0.0, l.xvx};
        p.yvy = y.dot(p.vy), p.xvy = l.x.dot(p.vy);
        return p;
    }

    Trial trial(const Leaving& l, const Eigen::VectorXd& y) const {
        const Products p = products(l, y);
        Trial t{p.ratio(), 0.0};
        if (objective_ != Objective::D) {
            const Eigen::VectorXd qy = Q_ * y;
            const double yqy = y.dot(qy), xqy = l.qx.dot(y);
            t.fall = -((p.xvx - 1.0) * yqy - 2.0 * p.xvy * xqy + (1.0 + p.yvy) * l.xqx);
        }
        return t;
    }

    // The share by which the trial lowers the loss; -inf for one that would
    // leave X'X singular.
    double gain(const Trial& t) const {
        if (!(t.ratio > kLeastRatio)) return -INFINITY;
        return objective_ == Objective::D ? std::log(t.ratio) : t.fall / t.ratio / trace_;
    }

    // Along a continuous coordinate of degree m in the model, the row y(v)
    // is a polynomial of degree m in v, so the determinant ratio and the
    // trace's fall are polynomials of degree 2m: 2m + 1 exact trials at Chebyshev nodes give both, and the
    // search along the coordinate runs on them at a cost independent of p.
    // The value it picks is scored exactly again before it is taken.
    struct AlongPolynomials {
        Eigen::VectorXd ratio, fall;  // coefficients of v^0, v^1, ...
    };
    static double horner(const Eigen::VectorXd& c, double v) {
        double s = 0.0;
        for (Eigen::Index k = c.size() - 1; k >= 0; --k) s = s * v + c(k);
        return s;
    }
    AlongPolynomials polynomialsAlong(const Leaving& l, std::vector<double> moved, std::size_t j) const {
        const int n = 2 * model_.highestPower(j) + 1;
        Eigen::MatrixXd vandermonde(n, n);
        Eigen::VectorXd ratio(n), fall(n);
        for (int i = 0; i < n; ++i) {
            const double v = std::cos(std::numbers::pi * (2 * i + 1) / (2.0 * n));
            for (int k = 0; k < n; ++k) vandermonde(i, k) = std::pow(v, k);
            moved[j] = v;
            const Trial t = trial(l, model_.row(moved));
            ratio(i) = t.ratio;
            fall(i) = t.fall;
        }
        const Eigen::PartialPivLU<Eigen::MatrixXd> lu(vandermonde);
        return {lu.solve(ratio), lu.solve(fall)};
    }

    bool improveCoordinate(int r, std::size_t j) {
        std::vector<double> moved = point(r);
        const Leaving l = leaving(r);
        const auto exact = [&](double v) {
            moved[j] = v;
            return gain(trial(l, model_.row(moved)));
        };
        model::AlongCoordinate best;
        if (model_.factors()[j].discrete()) {
            best = region_.bestAlong(moved, j, exact);
        } else {
            const AlongPolynomials along = polynomialsAlong(l, moved, j);
            best = region_.bestAlong(moved, j, [&](double v) {
                return gain(Trial{horner(along.ratio, v), horner(along.fall, v)});
            });
            if (best.score > kLeastGain) best.score = exact(best.value);
        }
        if (!(best.score > kLeastGain)) return false;
        moved[j] = best.value;
        replaceRow(r, l, model_.row(moved));
        points_[static_cast<std::size_t>(r) * model_.factors().size() + j] = best.value;
        if (observe_) observe_(ExchangeStep{points_, V_, logDet_});
        return true;
    }

    void replaceRow(int r, const Leaving& l, const Eigen::VectorXd& y) {
        const Products p = products(l, y);
        const double ratio = p.ratio();
        Eigen::Matrix2d Kinv;
        Kinv << p.xvx - 1.0, -p.xvy, -p.xvy, 1.0 + p.yvy;
        Kinv /= -ratio;
        Eigen::MatrixXd VU(V_.rows(), 2);
        VU << p.vy, l.vx;
        V_ -= VU * Kinv * VU.transpose();
        logDet_ += std::log(ratio);
        X_.row(r) = y.transpose();
        afterInverse();
    }

    const model::Model& model_;
    const model::Region& region_;
    int runs_, keptRuns_;
    Objective objective_;
    const Eigen::MatrixXd& B_;
    const StepObserver& observe_;
    std::vector<double> points_;
    Eigen::MatrixXd X_, V_, Q_;
    double logDet_ = 0.0, trace_ = 0.0;
};

// The kept runs, then a random point of the region for each other run, in
// its block when the model has blocks.
std::vector<double> startingPlan(const PlanProblem& problem, std::mt19937& rng) {
    std::vector<double> points = problem.kept;
    const std::size_t f = problem.model.factors().size();
    for (std::size_t r = problem.kept.size() / f; r < static_cast<std::size_t>(problem.runs); ++r) {
        std::optional<std::vector<double>> p = problem.region.randomPoint(rng);
        if (!p) throw std::invalid_argument("no point of the factors' ranges meets every constraint and exclusion");
        if (!problem.blockOf.empty()) p->back() = problem.blockOf[r - problem.kept.size() / f];
        points.insert(points.end(), p->begin(), p->end());
    }
    return points;
}

// The B of the trace criteria: the treatments' identity for A, W for I.
Eigen::MatrixXd weightsOf(const PlanProblem& problem, Objective objective) {
    if (objective == Objective::A) return problem.model.treatmentColumns().asDiagonal();
    if (objective == Objective::I) return regionMoments(problem.model, problem.region);
    return {};
}

ExchangeResult exchangeFrom(const PlanProblem& problem, Objective objective, const Eigen::MatrixXd& B,
                            std::mt19937& rng, Clock::time_point deadline, const StepObserver& observe) {
    for (int attempt = 0; attempt < kRegularStartTries; ++attempt) {
        Exchange ex(problem, objective, B, observe, startingPlan(problem, rng));
        if (!ex.refresh()) continue;
        // Each pass starts from a fresh inverse, so rounding from the
        // updates never piles up across passes. Coordinate moves on a smooth
        // criterion close in on its optimum ever more slowly (a trace
        // criterion over a hundred passes): a pass that gains less than
        // kLeastPassGain ends the start.
        for (int pass = 0; pass < kMostPasses; ++pass) {
            const double before = ex.loss();
            if (!ex.pass(deadline) || !ex.refresh() || !(ex.gainSince(before) > kLeastPassGain)) break;
        }
        ex.refresh();
        return {ex.points(), true, ex.loss(), 1};
    }
    return {startingPlan(problem, rng), false, INFINITY, 1};
}

// max x'M^-1 x over the region, M = X'X / N, from a grid coarse enough
// that a start's G costs about what its exchange did.
constexpr double kSearchGridWork = 1e5;
double gOf(const PlanProblem& problem, const std::vector<double>& points) {
    const Eigen::MatrixXd X = problem.model.matrix(points);
    const std::optional<Inverse> inv = inverseOf(X.transpose() * X / static_cast<double>(X.rows()));
    return inv ? largestPredictionVariance(problem.model, problem.region, inv->matrix, kSearchGridWork) : INFINITY;
}

void checkProblem(const PlanProblem& problem) {
    const model::Model& m = problem.model;
    const std::size_t f = m.factors().size();
    if (problem.runs < m.columns())
        throw std::invalid_argument(std::to_string(problem.runs) + " runs for " + std::to_string(m.columns()) +
                                    " model columns (need at least as many runs as columns)");
    const std::size_t kept = problem.kept.size() / f;
    if (problem.kept.size() % f != 0 || kept > static_cast<std::size_t>(problem.runs))
        throw std::invalid_argument(std::to_string(kept) + " kept runs for a plan of " + std::to_string(problem.runs));
    const bool blocked = m.factors().back().block;
    if (blocked != !problem.blockOf.empty() ||
        (blocked && problem.blockOf.size() != static_cast<std::size_t>(problem.runs) - kept))
        throw std::invalid_argument("a blocked model needs a block for each run that is not kept");
}

// The best start so far and its number.
struct BestStart {
    ExchangeResult result;
    int k = -1;
    bool beatenBy(const ExchangeResult& r, int start) const {
        if (!r.regular) return k < 0;
        if (k < 0 || !result.regular) return true;
        return r.loss < result.loss || (r.loss == result.loss && start < k);
    }
};

}  // namespace

ExchangeResult coordinateExchange(const PlanProblem& problem, Objective objective, std::mt19937& rng,
                                  Clock::time_point deadline, const StepObserver& observe) {
    checkProblem(problem);
    ExchangeResult r = exchangeFrom(problem, objective, weightsOf(problem, objective), rng, deadline, observe);
    if (objective == Objective::G && r.regular) r.loss = gOf(problem, r.points);
    return r;
}

ExchangeResult searchPlan(const PlanProblem& problem, Objective objective, const SearchSettings& settings) {
    checkProblem(problem);
    const Eigen::MatrixXd B = weightsOf(problem, objective);
    const bool fixed = settings.starts > 0;
    const Clock::time_point deadline =
        fixed ? Clock::time_point::max()
              : Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(settings.seconds));
    std::atomic<int> next{0}, made{0}, running{0};
    std::mutex guard;
    std::condition_variable finished;
    BestStart best;
    std::exception_ptr failure;
    std::atomic<bool> failed{false};

    const auto work = [&] {
        try {
            for (int k; !failed && (k = next++, fixed ? k < settings.starts : k == 0 || Clock::now() < deadline);) {
                std::seed_seq seq{settings.seed, static_cast<uint32_t>(k)};
                std::mt19937 rng(seq);
                ExchangeResult r = exchangeFrom(problem, objective, B, rng, deadline, {});
                if (objective == Objective::G && r.regular) r.loss = gOf(problem, r.points);
                const std::lock_guard<std::mutex> lock(guard);
                ++made;
                if (best.beatenBy(r, k)) best = {std::move(r), k};
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(guard);
            if (!failure) failure = std::current_exception();
            failed = true;
        }
        const std::lock_guard<std::mutex> lock(guard);
        --running;
        finished.notify_all();
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < std::max(1, settings.threads); ++t) {
        ++running;
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            --running;  // the machine gives fewer threads than asked: search on those it gave
            break;
        }
    }
    if (pool.empty()) {
        ++running;
        work();
    }
    {
        std::unique_lock<std::mutex> lock(guard);
        while (running > 0) {
            finished.wait_for(lock, std::chrono::milliseconds(200));
            if (settings.progress && running > 0 && best.k >= 0) settings.progress(made, best.result.loss);
        }
    }
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
    best.result.starts = made;
    return best.result;
}

}  // namespace vxhost::optimal
