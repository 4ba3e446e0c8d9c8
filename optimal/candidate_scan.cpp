#include "optimal/candidate_scan.h"

#include <algorithm>
#include <cmath>

namespace optimal {

// ----- coding ---------------------------------------------------------------------

CandidateCoding::CandidateCoding(int nbFact, const matrixInt* FactMod, int icode, int p) : icode_(icode), p_(p) {
    int column = 1, offset = 1;
    for (int j = 1; j <= nbFact; ++j) {
        const int L = std::max(1, FactMod->vbget(j, 1));
        levels_.push_back(L);
        offset_.push_back(offset);
        firstColumn_.push_back(column);
        // Saturated: counts this large describe no plan, and are refused before any scan.
        offset = static_cast<int>(std::min<long long>(static_cast<long long>(offset) + L, 1LL << 30));
        column = static_cast<int>(std::min<long long>(static_cast<long long>(column) + L - 1, 1LL << 30));
    }
}

void CandidateCoding::decode(int code, std::vector<int>& digits) const {
    digits.resize(levels_.size());
    int rest = code;
    for (std::size_t j = 0; j < levels_.size(); ++j) {
        digits[j] = rest % levels_[j];
        rest /= levels_[j];
    }
}

void CandidateCoding::row(const std::vector<int>& digits, double* x) const {
    std::fill(x, x + p_, 0.0);
    forEachEntry(-1, 0, [x](int c, double v) { x[c] = v; });
    rewriteFactors(digits, factors() - 1, x);
}

void CandidateCoding::rewriteFactors(const std::vector<int>& digits, int upTo, double* x) const {
    for (int j = 0; j <= upTo; ++j) {
        const int end = std::min(p_, firstColumn_[j] + levels_[j] - 1);
        for (int c = firstColumn_[j]; c < end; ++c) x[c] = 0.0;
        forEachEntry(j, digits[j], [x](int c, double v) { x[c] = v; });
    }
}

// ----- walk and exclusions ------------------------------------------------------------

CandidateWalk::CandidateWalk(const CandidateCoding& coding, int nfullplan)
    : coding_(coding), code_(nfullplan), changed_(coding.factors() - 1) {
    coding.decode(std::max(0, nfullplan), digits_);
}

void CandidateWalk::next() {
    --code_;
    // Mixed-radix decrement: a digit at 0 wraps to its top and borrows.
    int j = 0;
    const int G = coding_.factors();
    while (j < G && digits_[j] == 0) {
        digits_[j] = coding_.levels(j) - 1;
        ++j;
    }
    if (j < G) --digits_[j];
    changed_ = std::min(j, G - 1);
}

ExcludedCodes::ExcludedCodes(const matrixInt* iopt, int n, int nfullplan) : nfullplan_(nfullplan) {
    for (int i = 1; i <= n; ++i) add(iopt->vbget(i, 1));
}

void ExcludedCodes::add(int code) {
    if (nfullplan_ < 1) return;
    int key = static_cast<int>(((static_cast<long long>(code) % nfullplan_) + nfullplan_) % nfullplan_);
    if (key == 0) key = nfullplan_;
    keys_.insert(std::upper_bound(keys_.begin(), keys_.end(), key, std::greater<int>()), key);
}

bool ExcludedCodes::contains(int code) {
    while (cursor_ < keys_.size() && keys_[cursor_] > code) ++cursor_;
    return cursor_ < keys_.size() && keys_[cursor_] == code;
}

// ----- variances ----------------------------------------------------------------------

double QuadraticForm(const matrix* W, const double* x, int p) {
    const double* w = W->data();
    double q = 0.0;
    for (int c = 0; c < p; ++c) {
        if (x[c] == 0.0) continue;
        const double* col = w + static_cast<std::size_t>(c) * W->rows();
        double s = 0.0;
        for (int r = 0; r < p; ++r) s += col[r] * x[r];
        q += x[c] * s;
    }
    return q;
}

double SolvedSquare(const matrix* L, const double* x, int p) {
    std::vector<double> z(static_cast<std::size_t>(p));
    const double* l = L->data();
    const std::size_t ld = static_cast<std::size_t>(L->rows());
    double zz = 0.0;
    for (int i = 0; i < p; ++i) {
        double s = x[i];
        for (int k = 0; k < i; ++k) s -= l[k * ld + i] * z[k];
        z[i] = s / l[i * ld + i];
        zz += z[i] * z[i];
    }
    return zz;
}

namespace {

// The candidate's row is kept dense and rewritten factor by factor as the
// walk moves; each evaluation costs one O(p^2) form or solve.
class DenseVariance : public CandidateVariance {
public:
    DenseVariance(const CandidateCoding& coding, const matrix* M, bool factor)
        : coding_(coding), M_(M), factor_(factor), x_(static_cast<std::size_t>(coding.columns())) {}
    void moved(int changed) override { dirty_ = std::max(dirty_, changed); }
    double value(const std::vector<int>& digits) override {
        if (dirty_ == kAll) {
            coding_.row(digits, x_.data());
        } else if (dirty_ >= 0) {
            coding_.rewriteFactors(digits, dirty_, x_.data());
        }
        dirty_ = -1;
        const int p = coding_.columns();
        return factor_ ? SolvedSquare(M_, x_.data(), p) : QuadraticForm(M_, x_.data(), p);
    }

private:
    static constexpr int kAll = 1 << 30;
    const CandidateCoding& coding_;
    const matrix* M_;
    bool factor_;
    std::vector<double> x_;
    int dirty_ = kAll;
};

// x'Wx = sum over factor pairs (g, h) of a_g' W a_h, a_g the model entries
// of factor g at its level. The products of every pair of levels are
// tabulated once per W. The walk moves factor j only every L_1...L_(j-1)
// steps, so what involves only slower factors is kept: pairs(j), the pairs
// within factors j..G (G being the constant), and cross(j, m, l), the
// products of level l of factor j with factors m..G. A step that moves
// digits 0..m recomputes those from m down, each sum afresh in one fixed
// order; the usual step costs O(1).
class TabulatedVariance : public CandidateVariance {
public:
    TabulatedVariance(const CandidateCoding& coding, const matrix* W)
        : coding_(coding), K_(coding.levelIndexCount()), G_(coding.factors()),
          table_(static_cast<std::size_t>(K_) * K_) {
        const int p = coding.columns();
        std::vector<double> w(static_cast<std::size_t>(p));
        auto eachLevel = [&](auto visit) {
            visit(-1, 0, 0);
            for (int j = 0; j < G_; ++j)
                for (int d = 0; d < coding.levels(j); ++d) visit(j, d, coding.levelIndex(j, d));
        };
        eachLevel([&](int j, int d, int a) {
            std::fill(w.begin(), w.end(), 0.0);
            coding.forEachEntry(j, d, [&](int c, double v) {
                const double* col = W->data() + static_cast<std::size_t>(c) * W->rows();
                for (int r = 0; r < p; ++r) w[r] += v * col[r];
            });
            eachLevel([&](int h, int e, int b) {
                double t = 0.0;
                coding.forEachEntry(h, e, [&](int c, double v) { t += v * w[c]; });
                at(a, b) = t;
            });
        });
        for (int j = 0; j < G_; ++j) Lmax_ = std::max(Lmax_, coding.levels(j));
        index_.assign(static_cast<std::size_t>(G_) + 1, 0);
        pairs_.assign(static_cast<std::size_t>(G_) + 1, at(0, 0));
        cross_.assign(static_cast<std::size_t>(G_) * (G_ + 1) * Lmax_, 0.0);
        for (int j = 0; j < G_; ++j)
            for (int l = 0; l < coding.levels(j); ++l) cross(j, G_, l) = at(coding.levelIndex(j, l), 0);
        dirty_ = G_ - 1;
    }
    void moved(int changed) override { dirty_ = std::max(dirty_, changed); }
    double value(const std::vector<int>& digits) override {
        if (G_ == 0) return pairs_[0];
        for (int j = dirty_; j >= 1; --j) index_[j] = coding_.levelIndex(j, digits[j]);
        for (int m = dirty_; m >= 1; --m)
            for (int j = 0; j < m; ++j)
                for (int l = 0; l < coding_.levels(j); ++l)
                    cross(j, m, l) = at(coding_.levelIndex(j, l), index_[m]) + cross(j, m + 1, l);
        for (int j = dirty_; j >= 1; --j) pairs_[j] = pairs_[j + 1] + withSlower(j, digits[j]);
        dirty_ = -1;
        return pairs_[1] + withSlower(0, digits[0]);
    }

private:
    double& at(int a, int b) { return table_[static_cast<std::size_t>(a) * K_ + b]; }
    double& cross(int j, int m, int l) { return cross_[(static_cast<std::size_t>(j) * (G_ + 1) + m) * Lmax_ + l]; }
    // Factor j at digit d with itself and with every slower factor.
    double withSlower(int j, int d) {
        const int a = coding_.levelIndex(j, d);
        return at(a, a) + 2.0 * cross(j, j + 1, d);
    }

    const CandidateCoding& coding_;
    int K_, G_, Lmax_ = 1;
    std::vector<double> table_;
    std::vector<int> index_;
    std::vector<double> pairs_, cross_;
    int dirty_;
};

// Beyond this many levels in all the table would outweigh the forms it saves.
constexpr int kMaxTabulatedLevels = 1024;

}  // namespace

std::unique_ptr<CandidateVariance> CandidateVariance::throughInverse(const CandidateCoding& coding, const matrix* W) {
    const int K = coding.levelIndexCount();
    if (K > kMaxTabulatedLevels || K > 4 * coding.columns() + 64)
        return std::make_unique<DenseVariance>(coding, W, false);
    return std::make_unique<TabulatedVariance>(coding, W);
}

std::unique_ptr<CandidateVariance> CandidateVariance::throughFactor(const CandidateCoding& coding, const matrix* L) {
    return std::make_unique<DenseVariance>(coding, L, true);
}

CandidateProducts::CandidateProducts(const CandidateCoding& coding, const std::vector<std::vector<double>>& u)
    : coding_(coding), R_(u.size()), dirty_(coding.factors() - 1) {
    const int G = coding.factors();
    table_.assign(static_cast<std::size_t>(coding.levelIndexCount()) * R_, 0.0);
    auto tabulate = [&](int j, int d, int a) {
        double* row = table_.data() + static_cast<std::size_t>(a) * R_;
        coding.forEachEntry(j, d, [&](int c, double v) {
            for (std::size_t k = 0; k < R_; ++k) row[k] += v * u[k][c];
        });
    };
    tabulate(-1, 0, 0);
    for (int j = 0; j < G; ++j)
        for (int d = 0; d < coding.levels(j); ++d) tabulate(j, d, coding.levelIndex(j, d));
    partial_.assign(static_cast<std::size_t>(G + 1) * R_, 0.0);
    std::copy(table_.begin(), table_.begin() + static_cast<std::ptrdiff_t>(R_),
              partial_.begin() + static_cast<std::ptrdiff_t>(G * R_));
}

const double* CandidateProducts::values(const std::vector<int>& digits) {
    // partial row j sums the factors j..G (G being the constant).
    for (int j = dirty_; j >= 0; --j) {
        const double* t = table_.data() + static_cast<std::size_t>(coding_.levelIndex(j, digits[j])) * R_;
        const double* above = partial_.data() + static_cast<std::size_t>(j + 1) * R_;
        double* here = partial_.data() + static_cast<std::size_t>(j) * R_;
        for (std::size_t k = 0; k < R_; ++k) here[k] = above[k] + t[k];
    }
    dirty_ = -1;
    return partial_.data();
}

// ----- level coverage --------------------------------------------------------------------

LevelCoverage::LevelCoverage(const CandidateCoding& coding, const matrixInt* FactMod)
    : coding_(coding), shown_(static_cast<std::size_t>(coding.factors())) {
    for (int j = 1; j <= coding.factors(); ++j) required_.push_back(FactMod->vbget(j, 1));
}

LevelCoverage::LevelCoverage(const CandidateCoding& coding, const matrixInt* FactMod, const LevelCounts& counts,
                             const matrix* PlanDisp, int skipped)
    : LevelCoverage(coding, FactMod) {
    for (int j = 0; j < coding_.factors(); ++j) {
        const LevelCounts::Factor& f = counts.factors_[static_cast<std::size_t>(j)];
        const double own = PlanDisp->vbget(skipped, j + 5);
        auto& s = shown_[static_cast<std::size_t>(j)];
        for (const auto& [value, n] : f.counts)
            if (n > 1 || value != own) s.push_back(value);
        s.insert(s.end(), static_cast<std::size_t>(std::max(0, f.unordered - (std::isnan(own) ? 1 : 0))),
                 std::nan(""));
    }
}

LevelCounts::LevelCounts(const CandidateCoding& coding, const matrix* PlanDisp, int N)
    : factors_(static_cast<std::size_t>(coding.factors())) {
    for (int j = 0; j < coding.factors(); ++j) {
        Factor& f = factors_[static_cast<std::size_t>(j)];
        for (int r = 1; r <= N; ++r) {
            const double v = PlanDisp->vbget(r, j + 5);
            if (std::isnan(v))
                ++f.unordered;
            else
                ++f.counts[v];
        }
    }
}

void LevelCoverage::addValue(int j, double v) {
    auto& s = shown_[j];
    if (std::find(s.begin(), s.end(), v) == s.end()) s.push_back(v);
}

void LevelCoverage::addDisplayRow(const matrix* PlanDisp, int r) {
    for (int j = 0; j < coding_.factors(); ++j) addValue(j, PlanDisp->vbget(r, j + 5));
}

void LevelCoverage::addDigits(const std::vector<int>& digits) {
    for (int j = 0; j < coding_.factors(); ++j) addValue(j, digits[j] + 1);
}

bool LevelCoverage::prepare() {
    missingOne_.clear();
    for (int j = 0; j < coding_.factors(); ++j) {
        const long long missing = static_cast<long long>(required_[j]) - static_cast<long long>(shown_[j].size());
        if (missing >= 2) return false;
        if (missing < 1) continue;
        std::vector<char> adds(static_cast<std::size_t>(coding_.levels(j)));
        for (int d = 0; d < coding_.levels(j); ++d) {
            const auto& s = shown_[j];
            adds[d] = std::find(s.begin(), s.end(), d + 1.0) == s.end();
        }
        missingOne_.emplace_back(j, std::move(adds));
    }
    return true;
}

bool LevelCoverage::completedBy(const std::vector<int>& digits) const {
    for (const auto& [j, adds] : missingOne_)
        if (!adds[digits[j]]) return false;
    return true;
}

}  // namespace optimal
