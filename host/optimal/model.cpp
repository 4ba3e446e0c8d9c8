#include "host/optimal/model.h"

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

// ln det of a symmetric positive definite p x p matrix by Cholesky; -inf
// when a pivot is not positive (relative to the diagonal's scale).
double logDetCholesky(std::vector<double> a, int p) {
    double scale = 0.0;
    for (int i = 0; i < p; ++i) scale = std::fmax(scale, a[static_cast<std::size_t>(i) * p + i]);
    double logDet = 0.0;
    for (int j = 0; j < p; ++j) {
        double* aj = &a[static_cast<std::size_t>(j) * p];
        double d = aj[j];
        for (int k = 0; k < j; ++k) d -= aj[k] * aj[k];
        if (!(d > 1e-10 * scale)) return -std::numeric_limits<double>::infinity();
        const double pivot = std::sqrt(d);
        aj[j] = pivot;
        logDet += 2.0 * std::log(pivot);
        for (int i = j + 1; i < p; ++i) {
            double* ai = &a[static_cast<std::size_t>(i) * p];
            double v = ai[j];
            for (int k = 0; k < j; ++k) v -= ai[k] * aj[k];
            ai[j] = v / pivot;
        }
    }
    return logDet;
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
