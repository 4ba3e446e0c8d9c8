#include "host/optimal/model.h"

#include <Eigen/Dense>

#include <cmath>
#include <limits>

namespace vxhost {

int modelColumns(const std::vector<int>& levels) {
    int p = 1;
    for (int s : levels) p += s - 1;
    return p;
}

void modelRow(const std::vector<int>& levels, int icode, const int* runLevels, double* row) {
    row[0] = 1.0;
    int c = 1;
    for (std::size_t j = 0; j < levels.size(); ++j) {
        const int s = levels[j], l = runLevels[j];
        const bool allMinus = icode == 1 ? l == s : l == 1;
        const int one = icode == 1 ? l - 1 : l - 2;  // the column holding 1, counted within the factor
        for (int k = 0; k < s - 1; ++k) row[c + k] = allMinus ? -1.0 : (k == one ? 1.0 : 0.0);
        c += s - 1;
    }
}

namespace {

// ln det of a symmetric positive definite p x p matrix (its lower triangle,
// row by row) by Cholesky; -inf when a pivot is not positive relative to the
// diagonal's scale.
double logDetCholesky(const std::vector<double>& a, int p) {
    using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
    const Eigen::Map<const RowMajor> m(a.data(), p, p);
    const Eigen::LLT<RowMajor, Eigen::Lower> llt(m);
    const Eigen::VectorXd pivots = llt.matrixLLT().diagonal();
    if (llt.info() != Eigen::Success || !((pivots.array().square() > 1e-10 * m.diagonal().maxCoeff()).all()))
        return -std::numeric_limits<double>::infinity();
    return 2.0 * pivots.array().log().sum();
}

}  // namespace

double logDetInformation(const LevelPlan& plan, int runs, const std::vector<int>& levels, int icode) {
    const int p = modelColumns(levels);
    const std::size_t f = levels.size();
    std::vector<double> m(static_cast<std::size_t>(p) * p, 0.0), row(static_cast<std::size_t>(p));
    std::vector<int> run(f);
    for (int r = 0; r < runs; ++r) {
        for (std::size_t j = 0; j < f; ++j) run[j] = plan[j * runs + r];
        modelRow(levels, icode, run.data(), row.data());
        for (int a = 0; a < p; ++a)
            for (int b = 0; b <= a; ++b) m[static_cast<std::size_t>(a) * p + b] += row[a] * row[b];
    }
    return logDetCholesky(m, p);
}

double normedD(double logDet, int runs, int p) {
    if (!std::isfinite(logDet)) return 0.0;
    return std::exp((logDet - p * std::log(static_cast<double>(runs))) / p);
}

double orthogonalBound(const std::vector<int>& levels) {
    double logDet = 0.0;
    for (int s : levels) logDet += (2.0 - s) * std::log(static_cast<double>(s));
    return std::exp(logDet / modelColumns(levels));
}

}  // namespace vxhost
