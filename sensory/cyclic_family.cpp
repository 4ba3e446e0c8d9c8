#include "sensory/cyclic_family.h"

#include "sensory/block_criteria.h"
#include "services/numeric.h"

#include <cmath>

namespace sensory {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Efficiency factors at or below this mean a disconnected design.
constexpr double kZeroPivot = 1e-12;

std::size_t at(long long i) { return static_cast<std::size_t>(i); }
long long sqr(long long x) { return x * x; }

}  // namespace

CyclicFamily::CyclicFamily(int J, int P, int R) : J_(J), P_(P), R_(R) {
    if (R < 2 || R >= P || num::Cnk(P - 1, R - 1) > kCyclicCandidates) return;
    fullBlocks_ = subsetsWithZero(P - 1, R - 1);
    full_ = differenceCounts(fullBlocks_, 1);
    // Half of the products and of a block: no more initial blocks than above.
    if (P % 2 == 0 && R % 2 == 0) {
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

bool CyclicFamily::best(int iCritType, std::vector<int>& blocks) {
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

// Every pick of fullOrbits full-orbit and halfOrbits half-orbit blocks,
// each kind in non-decreasing order (the order of orbits does not
// matter), when there are few enough.
void CyclicFamily::search(int iCritType, int fullOrbits, int halfOrbits) {
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
bool CyclicFamily::advance(std::vector<std::size_t>& pick, std::size_t fullOrbits) const {
    for (int i = static_cast<int>(pick.size()) - 1; i >= 0; --i) {
        const std::size_t n = at(i) < fullOrbits ? full_.size() : half_.size();
        if (pick[at(i)] + 1 >= n) continue;
        ++pick[at(i)];
        // The rest of this kind follows it; the half orbits after a
        // full one start again from their first pick.
        const std::size_t end = at(i) < fullOrbits ? fullOrbits : pick.size();
        for (std::size_t k = at(i) + 1; k < end; ++k) pick[k] = pick[at(i)];
        for (std::size_t k = end; k < pick.size(); ++k) pick[k] = 0;
        return true;
    }
    return false;
}

// Every set of 0 and `size` of 1..top, increasing.
std::vector<std::vector<int>> CyclicFamily::subsetsWithZero(int top, int size) {
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
std::vector<std::vector<int>> CyclicFamily::differenceCounts(const std::vector<std::vector<int>>& blocks, int per) const {
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
double CyclicFamily::criterion(int iCritType, const std::vector<int>& lambda, double r) const {
    double sum = 0;
    for (int j = 1; j < P_; ++j) {
        double mu = r;
        for (int d = 1; d < P_; ++d) mu += lambda[at(d)] * cosines_[at(static_cast<long long>(j) * P_ + d)];
        const double e = 1.0 - mu / (R_ * r);
        if (!(e > kZeroPivot)) return -std::numeric_limits<double>::infinity();
        sum += iCritType == kDType ? std::log(e) : 1.0 / e;
    }
    return iCritType == kDType ? std::exp(sum / (P_ - 1)) : (P_ - 1) / sum;
}

// Rows i = 0..rows-1 holding block + i mod P.
void CyclicFamily::develop(const std::vector<int>& block, int rows, std::vector<int>& blocks) const {
    for (int i = 0; i < rows; ++i)
        for (int x : block) blocks.push_back((x + i) % P_);
}

}  // namespace sensory
