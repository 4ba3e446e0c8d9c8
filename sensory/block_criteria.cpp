#include "sensory/block_criteria.h"

#include "sensory/running_moments.h"
#include "services/numeric.h"

#include <algorithm>
#include <cmath>

namespace sensory {

namespace {
// An efficiency factor at or below this is zero: the design is disconnected.
constexpr double kZero = 1e-12;
}  // namespace

bool DesignScorer::efficiencyFactors(const matrixInt* JPMat, int iJ, int iP, int iR, int iRep) {
    if (iP < 2 || JPMat == nullptr) return false;
    if (info_.rows != iP) info_ = linalg::Dense(iP, iP);
    std::fill(info_.cells.begin(), info_.cells.end(), 0.0);
    scale_.assign(static_cast<std::size_t>(iP), 0.0);

    // Lambda = JPMat' JPMat over its lower triangle, one judge at a time from
    // the products that judge holds.
    for (int j = 1; j <= iJ; ++j) {
        rowProducts_.clear();
        rowValues_.clear();
        for (int p = 1; p <= iP; ++p) {
            const int v = JPMat->vbget(j, p);
            if (v == 0) continue;
            rowProducts_.push_back(p - 1);
            rowValues_.push_back(v);
            scale_[static_cast<std::size_t>(p - 1)] += v;
        }
        for (std::size_t a = 0; a < rowProducts_.size(); ++a)
            for (std::size_t b = 0; b <= a; ++b)
                info_(rowProducts_[a], rowProducts_[b]) += static_cast<double>(rowValues_[a]) * rowValues_[b];
    }
    for (int p = 0; p < iP; ++p) scale_[static_cast<std::size_t>(p)] = num::sqr(iRep > 0 ? iRep : scale_[static_cast<std::size_t>(p)]);

    // A = I - Lambda / (k s_p s_q), lower triangle.
    for (int p = 0; p < iP; ++p) {
        const double sp = scale_[static_cast<std::size_t>(p)];
        for (int q = 0; q < p; ++q) info_(p, q) = -info_(p, q) / (iR * sp * scale_[static_cast<std::size_t>(q)]);
        info_(p, p) = 1.0 - info_(p, p) / (iR * (sp * sp));
    }
    if (!linalg::symmetricEigenvalues(info_, eigen_, true)) return false;
    return eigen_.d[static_cast<std::size_t>(iP - 2)] > kZero;
}

double DesignScorer::criterion(int iCritType, const matrixInt* JPMat, int iJ, int iP, int iR, int iRep) {
    if (!efficiencyFactors(JPMat, iJ, iP, iR, iRep)) return num::kNoValue;
    double sum = 0.0;
    for (int i = 0; i < iP - 1; ++i) {
        const double e = eigen_.d[static_cast<std::size_t>(i)];
        sum += iCritType == kDType ? std::log(e) : 1.0 / e;
    }
    return iCritType == kDType ? std::exp(sum / (iP - 1)) : (iP - 1) / sum;
}

double DesignScorer::score(int iCritType, const matrixInt* JPMat, int iJ, int iP, int iR) {
    if (JPMat == nullptr) return num::kNoValue;
    double first = 0.0;
    bool allEqual = true;
    for (int p = 1; p <= iP; ++p) {
        double r = 0.0;
        for (int j = 1; j <= iJ; ++j) r += JPMat->vbget(j, p);
        if (p == 1) first = r;
        if (p > 1 && r != first) allEqual = false;
        if (r == 0.0) return num::kNoValue;
    }
    const int iRep = allEqual && std::fabs(first) < 2147483648.0 ? static_cast<int>(first) : 0;
    return criterion(iCritType, JPMat, iJ, iP, iR, iRep);
}

}  // namespace sensory

double TraceDesignLng(matrixInt* JPMat, int iJ, int iP, int iR, int iRep) {
    return sensory::DesignScorer().criterion(2, JPMat, iJ, iP, iR, iRep);
}

double DetDesignLng(matrixInt* JPMat, int iJ, int iP, int iR, int iRep) {
    return sensory::DesignScorer().criterion(1, JPMat, iJ, iP, iR, iRep);
}

void GetCritFromOJPMatBase(int iCritType, matrixInt* JPMat, int iJ, int iP, int iR, double* crit) {
    if (crit != nullptr) *crit = sensory::DesignScorer().score(iCritType, JPMat, iJ, iP, iR);
}

void GetMeanVarScalarProducts(matrixInt* JPMat, int nCols, int iFirst, int iLast, double* mean, double* var) {
    sensory::RunningMoments moments;
    for (int i = iFirst; i <= iLast - 1 && JPMat != nullptr; ++i) {
        double shared = 0;  // cells are 0/1 in a design, but any int is summed without overflow
        for (int c = 1; c <= nCols; ++c) shared += static_cast<double>(JPMat->vbget(i, c)) * JPMat->vbget(iLast, c);
        moments.add(shared);
    }
    if (mean != nullptr) *mean = moments.mean;
    if (var != nullptr) *var = moments.variance();
}
