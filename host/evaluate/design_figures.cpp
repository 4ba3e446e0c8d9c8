#include "host/evaluate/design_figures.h"

#include <Eigen/Dense>

#include <cmath>
#include <limits>

namespace vxhost {

namespace {

using Matrix = Eigen::MatrixXd;

Matrix toEigen(const ModelMatrix& m) {
    Matrix e(m.rows, m.cols);
    for (int r = 0; r < m.rows; ++r)
        for (int c = 0; c < m.cols; ++c) e(r, c) = m.at(r, c);
    return e;
}

// A symmetric positive semi-definite matrix counts as singular when its
// smallest eigenvalue is below this share of its largest: past it, inverses
// carry no correct digit worth printing.
constexpr double kSingularRatio = 1e-12;

// The inverse of a symmetric positive definite S, or nothing when S is
// singular by the ratio above.
std::optional<Matrix> inverseOf(const Matrix& S) {
    if (S.rows() == 0) return Matrix(0, 0);
    const Eigen::SelfAdjointEigenSolver<Matrix> eig(S);
    if (eig.info() != Eigen::Success) return std::nullopt;
    const Eigen::VectorXd& values = eig.eigenvalues();  // increasing
    if (!(values(0) > kSingularRatio * values(values.size() - 1))) return std::nullopt;
    return Matrix(eig.eigenvectors() * values.cwiseInverse().asDiagonal() * eig.eigenvectors().transpose());
}

// The columns past the intercept that vary over the plan's runs, with
// their centred and unit-scaled values.
struct Standardised {
    std::vector<int> columns;
    Matrix Z;  // runs x columns.size()
};

Standardised standardise(const Matrix& X) {
    Standardised s;
    const int n = static_cast<int>(X.rows());
    std::vector<Eigen::VectorXd> kept;
    for (int c = 1; c < X.cols(); ++c) {
        const Eigen::VectorXd centred = X.col(c).array() - X.col(c).mean();
        const double norm = centred.norm();
        if (!(norm > 1e-12 * std::sqrt(static_cast<double>(n)) * X.col(c).cwiseAbs().maxCoeff())) continue;
        s.columns.push_back(c);
        kept.push_back(centred / norm);
    }
    s.Z.resize(n, static_cast<Eigen::Index>(kept.size()));
    for (std::size_t k = 0; k < kept.size(); ++k) s.Z.col(static_cast<Eigen::Index>(k)) = kept[k];
    return s;
}

// Correlations closer than this are the same.
constexpr double kTie = 1e-12;

void addCorrelations(const Matrix& X, DesignFigures& f) {
    const Standardised s = standardise(X);
    const Matrix R = s.Z.transpose() * s.Z;  // the correlation matrix of the varying columns
    const int k = static_cast<int>(s.columns.size());
    // Pairs that tie (every pair within a balanced factor, say) differ only
    // by rounding: the first of them is kept, whichever the last bits favour.
    for (int i = 0; i < k; ++i)
        for (int j = i + 1; j < k; ++j)
            if (!f.largestCorrelation || std::fabs(R(i, j)) > std::fabs(f.largestCorrelation->value) + kTie)
                f.largestCorrelation = ColumnCorrelation{R(i, j), s.columns[i], s.columns[j]};
    f.vif.assign(static_cast<std::size_t>(X.cols() > 0 ? X.cols() - 1 : 0), std::nullopt);
    if (const std::optional<Matrix> inverse = inverseOf(R))
        for (int i = 0; i < k; ++i) f.vif[static_cast<std::size_t>(s.columns[i] - 1)] = (*inverse)(i, i);
}

}  // namespace

DesignFigures evaluateDesign(const ModelMatrix& plan, const ModelMatrix& candidates) {
    DesignFigures f;
    if (plan.rows < 1 || plan.cols < 1) return f;
    const Matrix X = toEigen(plan);
    addCorrelations(X, f);
    const Matrix M = X.transpose() * X / static_cast<double>(plan.rows);
    const std::optional<Matrix> Minv = inverseOf(M);
    if (!Minv) return f;
    f.singular = false;
    const Eigen::LLT<Matrix> factor(M);
    const double p = plan.cols;
    f.D = std::exp(2.0 * factor.matrixL().toDenseMatrix().diagonal().array().log().sum() / p);
    f.A = Minv->trace() / p;
    if (candidates.rows > 0 && candidates.cols == plan.cols) {
        const Matrix C = toEigen(candidates);
        const Eigen::VectorXd spv = (C * *Minv).cwiseProduct(C).rowwise().sum();
        f.G = spv.maxCoeff();
        f.meanSPV = spv.mean();
    }
    return f;
}

double gEfficiency(const DesignFigures& f, int p) {
    return f.G && *f.G > 0 ? 100.0 * p / *f.G : std::numeric_limits<double>::quiet_NaN();
}

double orthogonalA(const std::vector<int>& levels) {
    double trace = 1.0;
    int p = 1;
    for (int s : levels) {
        if (s < 2) continue;
        trace += static_cast<double>(s) * (s - 2) + 1;
        p += s - 1;
    }
    return trace / p;
}

}  // namespace vxhost
