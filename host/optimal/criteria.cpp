#include "host/optimal/criteria.h"

#include "host/model/region.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace vxhost::optimal {

namespace {

constexpr double kSingularPivot = 1e-12;
// Points the coordinate ascent starts from: the best of the grid, or random
// points where even the coarsest grid is too large.
constexpr int kAscentStarts = 8;
constexpr int kMostAscentPasses = 50;
// The midpoint rule's points x columns^2, where the region is constrained.
constexpr double kMomentWork = 5e7;

Eigen::MatrixXd treatmentsOnly(const model::Model& model, const Eigen::MatrixXd& S) {
    const Eigen::VectorXd mask = model.treatmentColumns();
    return mask.asDiagonal() * S * mask.asDiagonal();
}

double predictionVariance(const model::Model& model, const Eigen::MatrixXd& Minv, const std::vector<double>& point) {
    const Eigen::VectorXd x = model.row(point);
    return x.dot(Minv * x);
}

// From `point`, each coordinate in turn moved to where the variance is
// largest along it, until a pass gains nothing.
double ascended(const model::Model& model, const model::Region& region, const Eigen::MatrixXd& Minv,
                std::vector<double> point) {
    double best = predictionVariance(model, Minv, point);
    for (int pass = 0; pass < kMostAscentPasses; ++pass) {
        const double before = best;
        for (std::size_t j = 0; j < point.size(); ++j) {
            const model::AlongCoordinate along = region.bestAlong(point, j, [&](double v) {
                std::vector<double> moved = point;
                moved[j] = v;
                return predictionVariance(model, Minv, moved);
            });
            if (along.score > best) best = along.score, point[j] = along.value;
        }
        if (!(best > before * (1.0 + 1e-12))) break;
    }
    return best;
}

std::vector<std::vector<double>> ascentStarts(const model::Model& model, const model::Region& region,
                                              const Eigen::MatrixXd& Minv, double gridWork) {
    const std::size_t f = model.factors().size();
    const double p = model.columns();
    const std::vector<double> grid = region.grid(std::max(1.0, gridWork / (p * p)));
    std::vector<std::vector<double>> starts;
    if (grid.empty()) {
        std::mt19937 rng(0);
        for (int k = 0; k < kAscentStarts; ++k)
            if (std::optional<std::vector<double>> point = region.randomPoint(rng)) starts.push_back(std::move(*point));
        return starts;
    }
    const Eigen::MatrixXd C = model.matrix(grid);
    const Eigen::VectorXd spv = (C * Minv).cwiseProduct(C).rowwise().sum();
    std::vector<Eigen::Index> order(static_cast<std::size_t>(spv.size()));
    std::iota(order.begin(), order.end(), 0);
    const std::size_t kept = std::min<std::size_t>(order.size(), kAscentStarts);
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(kept), order.end(),
                      [&](Eigen::Index a, Eigen::Index b) { return spv(a) > spv(b); });
    for (std::size_t k = 0; k < kept; ++k)
        starts.emplace_back(grid.begin() + order[k] * static_cast<std::ptrdiff_t>(f),
                            grid.begin() + (order[k] + 1) * static_cast<std::ptrdiff_t>(f));
    return starts;
}

}  // namespace

std::optional<Inverse> inverseOf(const Eigen::MatrixXd& S) {
    const Eigen::LLT<Eigen::MatrixXd> llt(S);
    if (llt.info() != Eigen::Success) return std::nullopt;
    const Eigen::VectorXd pivots = llt.matrixLLT().diagonal();
    if (!(pivots.minCoeff() * pivots.minCoeff() > kSingularPivot * S.diagonal().maxCoeff())) return std::nullopt;
    return Inverse{llt.solve(Eigen::MatrixXd::Identity(S.rows(), S.cols())), 2.0 * pivots.array().log().sum()};
}

Eigen::MatrixXd regionMoments(const model::Model& model, const model::Region& region) {
    if (!region.constrained()) return treatmentsOnly(model, model.moments());
    const double p = model.columns();
    const Eigen::MatrixXd C = model.matrix(region.midpoints(std::max(1.0, kMomentWork / (p * p))));
    if (C.rows() == 0) return Eigen::MatrixXd::Zero(model.columns(), model.columns());
    return treatmentsOnly(model, C.transpose() * C / static_cast<double>(C.rows()));
}

double largestPredictionVariance(const model::Model& model, const model::Region& region, const Eigen::MatrixXd& Minv,
                                 double gridWork) {
    const Eigen::MatrixXd T = treatmentsOnly(model, Minv);
    double best = 0.0;
    for (const std::vector<double>& start : ascentStarts(model, region, T, gridWork))
        best = std::max(best, ascended(model, region, T, start));
    return best;
}

Criteria criteriaOf(const model::Model& model, const model::Region& region, const Eigen::MatrixXd& X,
                    const Eigen::MatrixXd& W) {
    Criteria c;
    const double p = model.columns();
    if (X.rows() < 1 || X.cols() != model.columns()) return c;
    const std::optional<Inverse> inv = inverseOf(X.transpose() * X / static_cast<double>(X.rows()));
    if (!inv) return c;
    c.singular = false;
    c.D = std::exp(inv->logDet / p);
    const Eigen::VectorXd treatments = model.treatmentColumns();
    c.A = inv->matrix.diagonal().dot(treatments) / treatments.sum();
    c.I = (inv->matrix * W).trace();
    c.G = largestPredictionVariance(model, region, inv->matrix);
    return c;
}

}  // namespace vxhost::optimal
