#include "sensory/concurrence_targeting.h"

#include "sensory/even_counts.h"
#include "sensory/row_exchange.h"
#include "sensory/search_clock.h"
#include "services/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace sensory {

namespace {

// The concurrence search ends after this much work (products compared
// while scoring exchanges), the criterion walk after this many
// multiply-adds of its factorisations: an untimed call stays well under a
// tenth of a second and reproducible from its seed.
constexpr long long kScoredWork = 3'000'000;
constexpr double kCriterionWork = 30e6;
// The concurrence search also ends after this many moves without a lower
// sum: with uneven replications the least value may be out of reach.
constexpr long long kStallMoves = 200;
// Rounds of both searches from the given design: each round's draws take
// it to another design of least concurrences, and the walks share the work.
constexpr int kRounds = 6;
// Steps between two readings of the clock in a timed search.
constexpr long long kClockPeriod = 16;
// A product that leaves a row stays out of it for kTenure moves plus a
// random part of up to kTenureSpread.
constexpr int kTenure = 2;
constexpr int kTenureSpread = 8;
// The walk accepts a worse design with probability exp(loss / temperature),
// the temperature falling geometrically from the first value to the last.
// The A-criterion, a harmonic mean, moves further than the D-criterion for
// the same exchange when an eigenvalue is small, so its walk starts hotter:
// colder, either walk settles in the first good basin on some seeds (12
// products, 18 judges, 4 each); the D walk started as hot as the A walk
// no longer settles in the best one.
constexpr double kFirstTemperatureD = 7e-5;
constexpr double kFirstTemperatureA = 2e-4;
constexpr double kLastTemperature = 1e-7;
// Cyclic candidates are enumerated only up to this many.
constexpr double kCyclicCandidates = 500000;
// Pivots of the factorisation at or below this mean a disconnected design.
constexpr double kZeroPivot = 1e-12;

std::size_t at(long long i) { return static_cast<std::size_t>(i); }
long long sqr(long long x) { return x * x; }

// A design of J rows of R products held for exchanges: each row's
// products, the incidence and the concurrences (replications on the
// diagonal), with the sum over pairs of squared concurrences.
class ExchangeDesign {
public:
    ExchangeDesign(int J, int P, int R)
        : J_(J), P_(P), R_(R), blocks_(at(static_cast<long long>(J) * R)), member_(at(static_cast<long long>(J) * P)),
          conc_(at(static_cast<long long>(P) * P)) {}

    // Loads `design` when every row holds R products and the replications
    // are within one of each other; otherwise row j takes the R products
    // after the ones row j-1 took, mod P. Returns whether `design` was taken.
    bool load(const matrixInt* design) {
        const bool usable = evenlyReplicated(design);
        for (int j = 0; j < J_; ++j) {
            int k = 0;
            for (int p = 0; p < P_ && usable; ++p)
                if (design->vbget(j + 1, p + 1) == 1) block(j, k++) = p;
            for (; k < R_; ++k) block(j, k) = static_cast<int>((static_cast<long long>(j) * R_ + k) % P_);
        }
        recount();
        return usable;
    }

    void writeTo(matrixInt* design) const {
        for (int j = 0; j < J_; ++j)
            for (int p = 0; p < P_; ++p) design->vbset(j + 1, p + 1, member(j, p));
    }

    const std::vector<int>& blocks() const { return blocks_; }
    void restore(const std::vector<int>& blocks) {
        blocks_ = blocks;
        recount();
    }

    long long sumOfSquares() const { return sumOfSquares_; }
    int conc(int p, int q) const { return conc_[at(static_cast<long long>(p) * P_ + q)]; }

    // The products of row i not in row j and of row j not in row i, with
    // the part of each exchange's change that depends on one product alone.
    void prepareRows(int i, int j) {
        listOutside(i, j);
        gainI_.clear();
        gainJ_.clear();
        for (int a : outsideI_) gainI_.push_back(sumOver(outsideJ_, a) - sumOver(outsideI_, a));
        for (int b : outsideJ_) gainJ_.push_back(sumOver(outsideI_, b) - sumOver(outsideJ_, b));
    }
    // The two lists alone, for scoring single exchanges with changeOf.
    void listOutside(int i, int j) {
        outsideI_.clear();
        outsideJ_.clear();
        for (int k = 0; k < R_; ++k) {
            if (member(j, block(i, k)) == 0) outsideI_.push_back(block(i, k));
            if (member(i, block(j, k)) == 0) outsideJ_.push_back(block(j, k));
        }
    }
    std::size_t outside() const { return outsideI_.size(); }
    int outsideI(std::size_t s) const { return outsideI_[s]; }
    int outsideJ(std::size_t t) const { return outsideJ_[t]; }
    // The change of the sum of squares when the prepared rows exchange
    // outsideI(s) and outsideJ(t): the pairs of each with the other row's
    // products rise by one, those with its own row's fall by one.
    long long change(std::size_t s, std::size_t t) const {
        const long long m = static_cast<long long>(outside());
        return 2 * (gainI_[s] + gainJ_[t] - 2LL * conc(outsideI_[s], outsideJ_[t]) + 2 * (m - 1));
    }

    // change() for one exchange of the listed rows, without the gains of the others.
    long long changeOf(std::size_t s, std::size_t t) const {
        const int a = outsideI_[s], b = outsideJ_[t];
        const long long m = static_cast<long long>(outside());
        const long long gainA = sumOver(outsideJ_, a) - sumOver(outsideI_, a);
        const long long gainB = sumOver(outsideI_, b) - sumOver(outsideJ_, b);
        return 2 * (gainA + gainB - 2LL * conc(a, b) + 2 * (m - 1));
    }

    // Row i gives a to row j and takes b from it.
    void exchange(int i, int j, int a, int b) {
        moveProduct(i, a, b);
        moveProduct(j, b, a);
    }

    // Whether no two rows hold the same products.
    bool distinctBlocks() const {
        std::vector<std::vector<int>> sorted;
        for (int j = 0; j < J_; ++j) {
            std::vector<int> row(blocks_.begin() + static_cast<long>(j) * R_, blocks_.begin() + static_cast<long>(j + 1) * R_);
            std::sort(row.begin(), row.end());
            sorted.push_back(std::move(row));
        }
        std::sort(sorted.begin(), sorted.end());
        return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
    }

private:
    int& block(int j, int k) { return blocks_[at(static_cast<long long>(j) * R_ + k)]; }
    int block(int j, int k) const { return blocks_[at(static_cast<long long>(j) * R_ + k)]; }
    char& member(int j, int p) { return member_[at(static_cast<long long>(j) * P_ + p)]; }
    char member(int j, int p) const { return member_[at(static_cast<long long>(j) * P_ + p)]; }

    bool evenlyReplicated(const matrixInt* design) const {
        const auto replication = replicationsOfBlocksOfR(design, J_, P_, R_);
        if (!replication) return false;
        const auto [least, most] = std::minmax_element(replication->begin(), replication->end());
        return *most - *least <= 1;
    }

    void recount() {
        std::fill(member_.begin(), member_.end(), 0);
        std::fill(conc_.begin(), conc_.end(), 0);
        for (int j = 0; j < J_; ++j)
            for (int k = 0; k < R_; ++k) {
                member(j, block(j, k)) = 1;
                for (int l = 0; l <= k; ++l) addConcurrence(block(j, k), block(j, l), 1);
            }
        sumOfSquares_ = 0;
        for (int p = 0; p < P_; ++p)
            for (int q = 0; q < p; ++q) sumOfSquares_ += sqr(conc(p, q));
    }

    // Concurrences of p with the products of `set` other than p.
    long long sumOver(const std::vector<int>& set, int p) const {
        long long s = 0;
        for (int x : set)
            if (x != p) s += conc(p, x);
        return s;
    }

    void addConcurrence(int p, int q, int by) {
        if (p != q) sumOfSquares_ += 2LL * conc(p, q) * by + 1;
        conc_[at(static_cast<long long>(p) * P_ + q)] += by;
        if (p != q) conc_[at(static_cast<long long>(q) * P_ + p)] += by;
    }

    // Row j gives up `out` and takes `in`; the replications on the diagonal follow.
    void moveProduct(int j, int out, int in) {
        moveProductInRow(*this, j, out, in, R_);
        addConcurrence(out, out, -1);
        addConcurrence(in, in, 1);
    }
    template <class Design>
    friend void sensory::moveProductInRow(Design&, int, int, int, int);

    int J_, P_, R_;
    std::vector<int> blocks_;
    std::vector<char> member_;
    std::vector<int> conc_;
    long long sumOfSquares_ = 0;
    std::vector<int> outsideI_, outsideJ_;
    std::vector<long long> gainI_, gainJ_;
};

// The criterion of an exchange design, kept up to date exchange by
// exchange. With s_p the square root of product p's replication, the
// normalised information matrix A = I - S^-1 Lambda S^-1 / k has s as its
// null vector; adding v v' (v = s / |s|) turns that zero into a one and
// leaves the efficiency factors, so M = A + v v' has their product as its
// determinant and the sum of their inverses plus one as the trace of its
// inverse. An exchange keeps every replication and changes Lambda by
// w d' + d w' (d = e_b - e_a, w the difference of the two rows without a
// and b), a symmetric update of rank two: the determinant lemma and the
// Woodbury identity score it from a few cells of M^-1 and apply it in
// O(P^2), with M^-1 rebuilt from time to time against rounding.
class CriterionTracker {
public:
    CriterionTracker(int P, int R)
        : P_(P), R_(R), inverse_(at(static_cast<long long>(P) * P)), scale_(at(P)), x_(at(2LL * P)) {}

    // Rebuilds M^-1 from the design; false when the design is disconnected.
    bool reset(const ExchangeDesign& d) {
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

    double value(int iCritType) const { return criterionOf(iCritType, logDet_, trace_); }

    // The criterion after row i gives a to row j and takes b (rows prepared
    // in d); -infinity when the exchange would disconnect the design.
    double tryExchange(int iCritType, const ExchangeDesign& d, int a, int b) {
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
        if (iCritType != 1) {
            solveColumns();
            double t00 = 0, t01 = 0, t11 = 0;
            for (int p = 0; p < P_; ++p) {
                t00 += x(p, 0) * x(p, 0);
                t01 += x(p, 0) * x(p, 1);
                t11 += x(p, 1) * x(p, 1);
            }
            nextTrace_ -= (s11_ * t00 - 2.0 * s01_ * t01 + s00_ * t11) / det_;
        }
        return criterionOf(iCritType, nextLogDet_, nextTrace_);
    }

    // Applies the exchange last tried; the design must now hold it.
    void accept(int iCritType, const ExchangeDesign& d) {
        if (++updates_ >= kRebuildPeriod) {
            reset(d);
            return;
        }
        if (iCritType == 1) solveColumns();
        const double i00 = s11_ / det_, i01 = -s01_ / det_, i11 = s00_ / det_;
        for (int p = 0; p < P_; ++p) {
            const double y0 = x(p, 0) * i00 + x(p, 1) * i01, y1 = x(p, 0) * i01 + x(p, 1) * i11;
            for (int q = 0; q < P_; ++q) cell(p, q) -= y0 * x(q, 0) + y1 * x(q, 1);
        }
        logDet_ = nextLogDet_;
        trace_ = nextTrace_;
        if (iCritType == 1) trace_ = traceOfInverse();
    }

private:
    // Exchanges between two rebuilds of M^-1.
    static constexpr int kRebuildPeriod = 64;

    struct Entry {
        int p;
        double w, d;  // the two columns of U at product p
    };

    double criterionOf(int iCritType, double logDet, double trace) const {
        return iCritType == 1 ? std::exp(logDet / (P_ - 1)) : (P_ - 1) / (trace - 1.0);
    }
    double& cell(int p, int q) { return inverse_[at(static_cast<long long>(p) * P_ + q)]; }
    double cell(int p, int q) const { return inverse_[at(static_cast<long long>(p) * P_ + q)]; }
    double& x(int p, int c) { return x_[at(2LL * p + c)]; }
    double traceOfInverse() const {
        double t = 0;
        for (int p = 0; p < P_; ++p) t += cell(p, p);
        return t;
    }

    // X = M^-1 U from the support of U.
    void solveColumns() {
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
    bool invert() {
        std::vector<double>& L = inverse_;
        auto l = [&](int i, int j) -> double& { return L[at(static_cast<long long>(i) * P_ + j)]; };
        logDet_ = 0;
        for (int j = 0; j < P_; ++j) {
            double d = l(j, j);
            for (int k = 0; k < j; ++k) d -= l(j, k) * l(j, k);
            if (!(d > kZeroPivot)) return false;
            l(j, j) = std::sqrt(d);
            logDet_ += std::log(d);
            for (int i = j + 1; i < P_; ++i) {
                double s = l(i, j);
                for (int k = 0; k < j; ++k) s -= l(i, k) * l(j, k);
                l(i, j) = s / l(j, j);
            }
        }
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

    int P_, R_;
    std::vector<double> inverse_, scale_, x_, inverseFactor_;
    std::vector<Entry> support_;
    double logDet_ = 0, trace_ = 0, nextLogDet_ = 0, nextTrace_ = 0;
    double s00_ = 0, s01_ = 0, s11_ = 0, det_ = 0;
    int updates_ = 0;
};

// Cyclic designs as candidates: initial blocks developed mod P, each into
// P rows (a full orbit) or, for even P and R, a block fixed by adding P/2
// into P/2 rows (a half orbit), as many of each as fill the J rows. Every
// product is served equally often, pair concurrences depend only on the
// difference of the two products, and the concurrence matrix is
// circulant: its eigenvalues are the cosine sums of its first row, so a
// candidate is scored in O(P^2). Among the candidates of least sum of
// squared concurrences the best criterion is kept.
class CyclicFamily {
public:
    CyclicFamily(int J, int P, int R) : J_(J), P_(P), R_(R) {
        if (R < 2 || R >= P || num::Cnk(P - 1, R - 1) > kCyclicCandidates) return;
        fullBlocks_ = subsetsWithZero(P - 1, R - 1);
        full_ = differenceCounts(fullBlocks_, 1);
        if (P % 2 == 0 && R % 2 == 0 && num::Cnk(P / 2 - 1, R / 2 - 1) <= kCyclicCandidates) {
            for (std::vector<int> b : subsetsWithZero(P / 2 - 1, R / 2 - 1)) {
                const std::size_t n = b.size();
                for (std::size_t i = 0; i < n; ++i) b.push_back(b[i] + P / 2);
                halfBlocks_.push_back(b);
            }
            half_ = differenceCounts(halfBlocks_, 2);
        }
        cosines_.resize(at(static_cast<long long>(P) * P));
        for (int j = 0; j < P; ++j)
            for (int d = 0; d < P; ++d) cosines_[at(static_cast<long long>(j) * P + d)] = std::cos(2.0 * kPi * j * d / P);
    }

    // The best candidate's rows into blocks (J x R); false when the shape
    // has no cyclic candidates within reach or none is connected.
    bool best(int iCritType, std::vector<int>& blocks) {
        if (full_.empty()) return false;
        for (int fullOrbits = J_ / P_; fullOrbits >= 0; --fullOrbits) {
            const int rest = J_ - fullOrbits * P_;
            if (rest == 0) {
                search(iCritType, fullOrbits, 0);
            } else if (!half_.empty() && rest % (P_ / 2) == 0) {
                search(iCritType, fullOrbits, rest / (P_ / 2));
            }
        }
        if (!(bestCrit_ > -std::numeric_limits<double>::infinity())) return false;
        blocks.clear();
        for (std::size_t k = 0; k < chosen_.size(); ++k)
            develop(k < chosenFull_ ? fullBlocks_[chosen_[k]] : halfBlocks_[chosen_[k]], k < chosenFull_ ? P_ : P_ / 2,
                    blocks);
        return true;
    }

private:
    // Every pick of fullOrbits full-orbit and halfOrbits half-orbit blocks,
    // each kind in non-decreasing order (the order of orbits does not
    // matter), when there are few enough.
    void search(int iCritType, int fullOrbits, int halfOrbits) {
        const double count = std::pow(static_cast<double>(full_.size()), fullOrbits) *
                             std::pow(static_cast<double>(half_.size()), halfOrbits);
        if (fullOrbits + halfOrbits == 0 || count > kCyclicCandidates) return;
        std::vector<std::size_t> pick(at(fullOrbits + halfOrbits), 0);
        std::vector<int> lambda(at(P_));
        const double r = (fullOrbits * R_ + halfOrbits * (R_ / 2)) * 1.0;
        do {
            std::fill(lambda.begin(), lambda.end(), 0);
            for (std::size_t k = 0; k < pick.size(); ++k) {
                const std::vector<int>& c = k < at(fullOrbits) ? full_[pick[k]] : half_[pick[k]];
                for (int d = 0; d < P_; ++d) lambda[at(d)] += c[at(d)];
            }
            long long ss = 0;
            for (int d = 1; d < P_; ++d) ss += sqr(lambda[at(d)]);
            if (ss > least_) continue;
            if (ss < least_) bestCrit_ = -std::numeric_limits<double>::infinity();
            least_ = ss;
            const double c = criterion(iCritType, lambda, r);
            if (c > bestCrit_) {
                bestCrit_ = c;
                chosen_ = pick;
                chosenFull_ = at(fullOrbits);
            }
        } while (advance(pick, at(fullOrbits)));
    }

    // The next pick: each kind's indices non-decreasing; false after the last.
    bool advance(std::vector<std::size_t>& pick, std::size_t fullOrbits) const {
        for (int i = static_cast<int>(pick.size()) - 1; i >= 0; --i) {
            const std::size_t n = at(i) < fullOrbits ? full_.size() : half_.size();
            if (pick[at(i)] + 1 >= n) continue;
            ++pick[at(i)];
            const std::size_t end = at(i) < fullOrbits ? fullOrbits : pick.size();
            for (std::size_t k = at(i) + 1; k < end; ++k) pick[k] = pick[at(i)];
            for (std::size_t k = std::max(end, at(i) + 1); k < pick.size(); ++k) pick[k] = 0;
            return true;
        }
        return false;
    }

    // Every set of 0 and `size` of 1..top, increasing.
    static std::vector<std::vector<int>> subsetsWithZero(int top, int size) {
        std::vector<std::vector<int>> out;
        std::vector<int> c(at(size));
        for (int i = 0; i < size; ++i) c[at(i)] = i + 1;
        for (;;) {
            std::vector<int> b{0};
            b.insert(b.end(), c.begin(), c.end());
            out.push_back(b);
            int i = size - 1;
            while (i >= 0 && c[at(i)] == top - size + 1 + i) --i;
            if (i < 0) break;
            ++c[at(i)];
            for (int k = i + 1; k < size; ++k) c[at(k)] = c[at(k - 1)] + 1;
        }
        return out;
    }

    // For each block, how many ordered pairs of its products differ by d
    // mod P, divided by `per` (a half-orbit block meets each pair twice).
    std::vector<std::vector<int>> differenceCounts(const std::vector<std::vector<int>>& blocks, int per) const {
        std::vector<std::vector<int>> counts;
        for (const auto& b : blocks) {
            std::vector<int> c(at(P_), 0);
            for (int x : b)
                for (int y : b)
                    if (x != y) ++c[at(((y - x) % P_ + P_) % P_)];
            for (int& v : c) v /= per;
            counts.push_back(c);
        }
        return counts;
    }

    // The efficiency factors 1 - mu_j / (R r), mu_j = r + sum_d lambda(d) cos(2 pi j d / P).
    double criterion(int iCritType, const std::vector<int>& lambda, double r) const {
        double sum = 0;
        for (int j = 1; j < P_; ++j) {
            double mu = r;
            for (int d = 1; d < P_; ++d) mu += lambda[at(d)] * cosines_[at(static_cast<long long>(j) * P_ + d)];
            const double e = 1.0 - mu / (R_ * r);
            if (!(e > kZeroPivot)) return -std::numeric_limits<double>::infinity();
            sum += iCritType == 1 ? std::log(e) : 1.0 / e;
        }
        return iCritType == 1 ? std::exp(sum / (P_ - 1)) : (P_ - 1) / sum;
    }

    // Rows i = 0..rows-1 holding block + i mod P.
    void develop(const std::vector<int>& block, int rows, std::vector<int>& blocks) const {
        for (int i = 0; i < rows; ++i)
            for (int x : block) blocks.push_back((x + i) % P_);
    }

    static constexpr double kPi = 3.14159265358979323846;
    int J_, P_, R_;
    std::vector<std::vector<int>> fullBlocks_, halfBlocks_;  // initial blocks of each kind
    std::vector<std::vector<int>> full_, half_;              // their difference counts
    std::vector<double> cosines_;
    long long least_ = std::numeric_limits<long long>::max();
    double bestCrit_ = -std::numeric_limits<double>::infinity();
    std::vector<std::size_t> chosen_;
    std::size_t chosenFull_ = 0;
};

class ConcurrenceTargeting {
public:
    ConcurrenceTargeting(int J, int P, int R, int iCritType, const TargetingBudget& time, SeedStream& seeds)
        : J_(J), P_(P), R_(R), iCritType_(iCritType), time_(time), seeds_(seeds), design_(J, P, R),
          tracker_(P, R), tabuUntil_(at(static_cast<long long>(J) * P), 0),
          least_(leastSumOfSquares(static_cast<long long>(P) * (P - 1) / 2,
                                   static_cast<long long>(J) * R * (R - 1) / 2)) {}

    // The best design found from `start`, into `start`; false when none could
    // be scored.
    bool run(matrixInt* start, bool keepDistinct) {
        started_ = clockNow();
        for (int round = 0; round < kRounds; ++round) {
            design_.load(start);
            if (round > 0) kick();
            std::fill(tabuUntil_.begin(), tabuUntil_.end(), 0);
            evenConcurrences();
            design_.restore(leastBlocks_);
            maximiseCriterion(keepDistinct);
        }
        // The best cyclic candidate competes too, and the walk goes on from it.
        std::vector<int> cyclic;
        if (CyclicFamily(J_, P_, R_).best(iCritType_, cyclic)) {
            design_.restore(cyclic);
            if (tracker_.reset(design_) && (!keepDistinct || design_.distinctBlocks()))
                keepIfBest(tracker_.value(iCritType_));
            maximiseCriterion(keepDistinct);
        }
        if (!(best_ > -std::numeric_limits<double>::infinity())) return false;
        design_.restore(bestBlocks_);
        design_.writeTo(start);
        return true;
    }

private:
    bool outOfTime(long long step) const {
        return time_.iTimeStop == -1 && step % kClockPeriod == 0 && scaledElapsedSince(started_) > time_.budget;
    }
    int drawBelow(int n) { return std::min(n - 1, static_cast<int>(seeds_.uniform() * n)); }

    // J random exchanges, so that each round sets out from elsewhere.
    void kick() {
        for (int n = 0; n < J_; ++n) {
            const int i = drawBelow(J_), j = (i + 1 + drawBelow(J_ - 1)) % J_;
            design_.listOutside(i, j);
            if (design_.outside() == 0) continue;
            const std::size_t s = at(drawBelow(static_cast<int>(design_.outside())));
            const std::size_t t = at(drawBelow(static_cast<int>(design_.outside())));
            design_.exchange(i, j, design_.outsideI(s), design_.outsideJ(t));
        }
    }

    // Tabu search towards the least sum of squared concurrences; the design
    // of least sum found is kept in leastBlocks_.
    void evenConcurrences() {
        long long scored = 0, least = design_.sumOfSquares(), lastGain = 0;
        leastBlocks_ = design_.blocks();
        for (long long move = 1; least > least_ && scored < kScoredWork && move - lastGain <= kStallMoves && !outOfTime(move);
             ++move) {
            const Exchange e = bestExchange(move, least, scored);
            if (e.i < 0) continue;  // every exchange tabu: wait for one to expire
            design_.exchange(e.i, e.j, e.a, e.b);
            tabuUntil(e.i, e.a) = move + kTenure + static_cast<long long>(seeds_.uniform() * kTenureSpread);
            tabuUntil(e.j, e.b) = move + kTenure + static_cast<long long>(seeds_.uniform() * kTenureSpread);
            if (design_.sumOfSquares() < least) {
                least = design_.sumOfSquares();
                leastBlocks_ = design_.blocks();
                lastGain = move;
            }
        }
    }

    struct Exchange {
        int i = -1, j = -1, a = -1, b = -1;
        long long change = std::numeric_limits<long long>::max();
    };

    // The best exchange that is not tabu, or that is but would go below the
    // least sum so far; among equals each has the same chance.
    Exchange bestExchange(long long move, long long least, long long& scored) {
        Exchange best;
        int ties = 0;
        for (int i = 0; i < J_ && scored < kScoredWork; ++i)
            for (int j = i + 1; j < J_; ++j) {
                design_.prepareRows(i, j);
                const std::size_t m = design_.outside();
                scored += R_ + static_cast<long long>(m * m);
                for (std::size_t s = 0; s < m; ++s)
                    for (std::size_t t = 0; t < m; ++t) {
                        const long long change = design_.change(s, t);
                        if (change > best.change) continue;
                        const int a = design_.outsideI(s), b = design_.outsideJ(t);
                        const bool tabu = tabuUntil(i, b) > move || tabuUntil(j, a) > move;
                        if (tabu && design_.sumOfSquares() + change >= least) continue;
                        if (change < best.change) ties = 0;
                        if (++ties > 1 && seeds_.uniform() * ties >= 1.0) continue;
                        best = Exchange{i, j, a, b, change};
                    }
            }
        return best;
    }

    // An annealed walk over the exchanges that keep the sum of squared
    // concurrences where it is (or lower it), scored by the criterion; the
    // best design seen is kept in bestBlocks_.
    bool maximiseCriterion(bool keepDistinct) {
        if (!tracker_.reset(design_)) return false;
        double current = tracker_.value(iCritType_);
        if (!keepDistinct || design_.distinctBlocks()) keepIfBest(current);
        const long long steps = walkSteps() / kRounds;
        double temperature = iCritType_ == 1 ? kFirstTemperatureD : kFirstTemperatureA;
        const double cooling = std::pow(kLastTemperature / temperature, 1.0 / static_cast<double>(steps));
        long long attempts = 0;
        for (long long n = 0; n < steps && attempts < 8 * steps && !outOfTime(attempts); ++attempts) {
            const int i = drawBelow(J_), j = (i + 1 + drawBelow(J_ - 1)) % J_;
            design_.listOutside(i, j);
            if (design_.outside() == 0) continue;
            const std::size_t s = at(drawBelow(static_cast<int>(design_.outside())));
            const std::size_t t = at(drawBelow(static_cast<int>(design_.outside())));
            if (design_.changeOf(s, t) > 0) continue;
            const int a = design_.outsideI(s), b = design_.outsideJ(t);
            const double next = tracker_.tryExchange(iCritType_, design_, a, b);
            ++n;
            temperature *= cooling;
            if (next >= current || seeds_.uniform() < std::exp((next - current) / temperature)) {
                design_.exchange(i, j, a, b);
                tracker_.accept(iCritType_, design_);
                current = next;
                if (next > best_ && (!keepDistinct || design_.distinctBlocks())) keepIfBest(next);
            }
        }
        return best_ > -std::numeric_limits<double>::infinity();
    }

    // Steps of the walk: a fixed amount of work, each step scoring an
    // exchange and possibly applying it to M^-1.
    long long walkSteps() const {
        const double perStep = 4.0 * P_ * P_ + 16.0 * R_ * R_;
        return std::max(1LL, static_cast<long long>(kCriterionWork / perStep));
    }

    void keepIfBest(double c) {
        if (!(c > best_)) return;
        best_ = c;
        bestBlocks_ = design_.blocks();
    }

    long long& tabuUntil(int j, int p) { return tabuUntil_[at(static_cast<long long>(j) * P_ + p)]; }

    int J_, P_, R_, iCritType_;
    TargetingBudget time_;
    SeedStream& seeds_;
    ExchangeDesign design_;
    CriterionTracker tracker_;
    std::vector<long long> tabuUntil_;
    long long least_;  // the least sum of squared concurrences whole counts allow
    double started_ = 0;
    double best_ = -std::numeric_limits<double>::infinity();
    std::vector<int> leastBlocks_, bestBlocks_;
};

// Whether the rows of `design` are distinct sets of products.
bool hasDistinctRows(int nRows, int iP, const matrixInt* design) {
    std::vector<std::vector<int>> rows(at(nRows), std::vector<int>(at(iP)));
    for (int j = 0; j < nRows; ++j)
        for (int p = 0; p < iP; ++p) rows[at(j)][at(p)] = design->vbget(j + 1, p + 1);
    std::sort(rows.begin(), rows.end());
    return std::adjacent_find(rows.begin(), rows.end()) == rows.end();
}

}  // namespace

bool targetConcurrences(int nRows, int iP, int iR, int iCritType, const TargetingBudget& time, matrixInt* design,
                        double* crit, SeedStream& seeds, DesignScorer& scorer) {
    if (design == nullptr || crit == nullptr || nRows < 2 || iP < 2 || iR < 2 || iR >= iP) return false;
    matrixInt candidate(nRows, iP, 0);
    design->copyMatTo(&candidate);
    ConcurrenceTargeting search(nRows, iP, iR, iCritType, time, seeds);
    if (!search.run(&candidate, hasDistinctRows(nRows, iP, design))) return false;
    const double reached = scorer.score(iCritType, &candidate, nRows, iP, iR);
    if (!(reached > *crit)) return false;
    candidate.copyMatTo(design);
    *crit = reached;
    return true;
}

}  // namespace sensory
