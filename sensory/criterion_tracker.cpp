#include "sensory/criterion_tracker.h"

#include "sensory/block_criteria.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace sensory {

namespace {

std::size_t at(long long i) { return static_cast<std::size_t>(i); }

// Pivots of the factorisation at or below this mean a disconnected design.
constexpr double kZeroPivot = 1e-12;

}  // namespace

CriterionTracker::CriterionTracker(int P, int R, int iCritType)
    : P_(P), R_(R), iCritType_(iCritType), inverse_(P, P), scale_(at(P)), x_(at(2LL * P)) {}

bool CriterionTracker::reset(const ExchangeDesign& d) {
    double total = 0;
    for (int p = 0; p < P_; ++p) total += d.conc(p, p);
    for (int p = 0; p < P_; ++p) scale_[at(p)] = std::sqrt(static_cast<double>(d.conc(p, p)));
    for (int p = 0; p < P_; ++p)
        for (int q = 0; q < P_; ++q) {
            const double sp = scale_[at(p)], sq = scale_[at(q)];
            cell(p, q) = (p == q ? 1.0 : 0.0) - d.conc(p, q) / (R_ * sp * sq) + sp * sq / total;
        }
    updates_ = 0;
    return invert();
}

double CriterionTracker::tryExchange(const ExchangeDesign& d, int a, int b) {
    support_.clear();
    for (std::size_t s = 0; s < d.outside(); ++s) {
        if (d.outsideI(s) != a) support_.push_back({d.outsideI(s), -1.0 / (R_ * scale_[at(d.outsideI(s))]), 0.0});
        if (d.outsideJ(s) != b) support_.push_back({d.outsideJ(s), 1.0 / (R_ * scale_[at(d.outsideJ(s))]), 0.0});
    }
    support_.push_back({a, 0.0, -1.0 / scale_[at(a)]});
    support_.push_back({b, 0.0, 1.0 / scale_[at(b)]});
    double g00 = 0, g01 = 0, g11 = 0;
    for (const Entry& e : support_)
        for (const Entry& f : support_) {
            const double m = cell(e.p, f.p);
            g00 += e.w * m * f.w;
            g01 += e.w * m * f.d;
            g11 += e.d * m * f.d;
        }
    // S = C + U' M^-1 U with C = [0 1; 1 0]; det(M') = -det(M) det(S).
    s00_ = g00, s01_ = 1.0 + g01, s11_ = g11;
    det_ = s00_ * s11_ - s01_ * s01_;
    if (!(-det_ > kZeroPivot)) return -std::numeric_limits<double>::infinity();
    nextLogDet_ = logDet_ + std::log(-det_);
    nextTrace_ = trace_;
    if (iCritType_ != kDType) {
        solveColumns();
        double t00 = 0, t01 = 0, t11 = 0;
        for (int p = 0; p < P_; ++p) {
            t00 += x(p, 0) * x(p, 0);
            t01 += x(p, 0) * x(p, 1);
            t11 += x(p, 1) * x(p, 1);
        }
        nextTrace_ -= (s11_ * t00 - 2.0 * s01_ * t01 + s00_ * t11) / det_;
    }
    return criterionOf(nextLogDet_, nextTrace_);
}

void CriterionTracker::accept(const ExchangeDesign& d) {
    if (++updates_ >= kRebuildPeriod) {
        reset(d);
        return;
    }
    if (iCritType_ == kDType) solveColumns();  // the A-type score solved them already
    const double i00 = s11_ / det_, i01 = -s01_ / det_, i11 = s00_ / det_;
    for (int p = 0; p < P_; ++p) {
        const double y0 = x(p, 0) * i00 + x(p, 1) * i01, y1 = x(p, 0) * i01 + x(p, 1) * i11;
        for (int q = 0; q < P_; ++q) cell(p, q) -= y0 * x(q, 0) + y1 * x(q, 1);
    }
    logDet_ = nextLogDet_;
    trace_ = nextTrace_;
}

double CriterionTracker::criterionOf(double logDet, double trace) const {
    return iCritType_ == kDType ? std::exp(logDet / (P_ - 1)) : (P_ - 1) / (trace - 1.0);
}

double& CriterionTracker::cell(int p, int q) { return inverse_(p, q); }
double CriterionTracker::cell(int p, int q) const { return inverse_(p, q); }
double& CriterionTracker::x(int p, int c) { return x_[at(2LL * p + c)]; }

// X = M^-1 U from the support of U.
void CriterionTracker::solveColumns() {
    for (int p = 0; p < P_; ++p) {
        double y0 = 0, y1 = 0;
        for (const Entry& e : support_) {
            y0 += cell(p, e.p) * e.w;
            y1 += cell(p, e.p) * e.d;
        }
        x(p, 0) = y0;
        x(p, 1) = y1;
    }
}

// M (in inverse_) replaced by its inverse through its Cholesky factor;
// also sets the log-determinant and the trace.
bool CriterionTracker::invert() {
    logDet_ = 0;
    const auto connected = [this](int, double pivot, double) {
        if (!(pivot > kZeroPivot)) return false;
        logDet_ += std::log(pivot);
        return true;
    };
    if (linalg::CholeskyInPlace(inverse_, connected) < P_) return false;
    auto l = [this](int i, int j) -> double& { return inverse_(i, j); };
    // L^-1 into the upper triangle's mirror: column c of L^-1 solved forward.
    inverseFactor_.assign(at(static_cast<long long>(P_) * P_), 0.0);
    auto li = [&](int i, int j) -> double& { return inverseFactor_[at(static_cast<long long>(i) * P_ + j)]; };
    for (int c = 0; c < P_; ++c)
        for (int i = c; i < P_; ++i) {
            double s = i == c ? 1.0 : 0.0;
            for (int k = c; k < i; ++k) s -= l(i, k) * li(k, c);
            li(i, c) = s / l(i, i);
        }
    // M^-1 = L^-T L^-1.
    trace_ = 0;
    for (int p = 0; p < P_; ++p)
        for (int q = 0; q <= p; ++q) {
            double s = 0;
            for (int k = p; k < P_; ++k) s += li(k, p) * li(k, q);
            l(p, q) = s;
            l(q, p) = s;
            if (p == q) trace_ += s;
        }
    return true;
}

}  // namespace sensory
