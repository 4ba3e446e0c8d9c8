// The search's view of the candidate set: candidate codes walked from
// nfullplan down to 1 with their level digits decoded on the fly, the model
// row of a digit vector, and the variance x'M^-1 x of every candidate
// evaluated cheaply while the walk moves.
#pragma once

#include "optimal/candidates.h"
#include "services/matrix.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

namespace optimal {

// Level digits (0-based, factor 1 first) and model columns of the candidates.
class CandidateCoding {
public:
    CandidateCoding(int nbFact, const matrixInt* FactMod, int icode, int p);

    int factors() const { return static_cast<int>(levels_.size()); }
    int levels(int j) const { return levels_[j]; }
    int columns() const { return p_; }
    // Index of (factor j, digit d) among all levels, the constant being 0.
    int levelIndex(int j, int d) const { return offset_[j] + d; }
    int levelIndexCount() const { return offset_.empty() ? 1 : offset_.back() + levels_.back(); }

    // Digits of a code by repeated remainder, as EnumToExp decodes it.
    void decode(int code, std::vector<int>& digits) const;
    // Calls f(column, value) (0-based column < p) for the non-zero model
    // entries of factor j at digit d; factor -1 is the constant column.
    template <class F>
    void forEachEntry(int j, int d, F f) const;
    // x(0..p-1) := the model row of the digits.
    void row(const std::vector<int>& digits, double* x) const;
    // Rewrites the columns of factors 0..upTo in x for the digits.
    void rewriteFactors(const std::vector<int>& digits, int upTo, double* x) const;

private:
    std::vector<int> levels_, offset_, firstColumn_;
    int icode_, p_;
};

// Walks codes nfullplan, nfullplan - 1, ..., 1 keeping their digits; after
// each step changed() is the highest digit index that moved.
class CandidateWalk {
public:
    CandidateWalk(const CandidateCoding& coding, int nfullplan);
    bool valid() const { return code_ >= 1; }
    void next();
    int code() const { return code_; }
    const std::vector<int>& digits() const { return digits_; }
    int changed() const { return changed_; }

private:
    const CandidateCoding& coding_;
    std::vector<int> digits_;
    int code_, changed_;
};

// Candidate codes a scan must skip: the plan's own codes compared modulo
// nfullplan (a code 0 names candidate nfullplan), plus the ones added.
class ExcludedCodes {
public:
    ExcludedCodes(const matrixInt* iopt, int n, int nfullplan);
    void add(int code);
    // Codes must be asked in decreasing order between two rewind() calls.
    bool contains(int code);
    void rewind() { cursor_ = 0; }

private:
    int nfullplan_;
    std::vector<int> keys_;  // decreasing
    std::size_t cursor_ = 0;
};

// Something computed from the walk's digits, brought up to date lazily.
class FollowsWalk {
public:
    virtual ~FollowsWalk() = default;
    // Digits 0..changed differ from those last evaluated.
    virtual void moved(int changed) = 0;
};

// The variance of the walk's current candidate relative to a plan whose
// inverse information matrix W or Cholesky factor L is given.
class CandidateVariance : public FollowsWalk {
public:
    virtual double value(const std::vector<int>& digits) = 0;

    // Through W by a table of level-pair products (or a dense quadratic form
    // when the levels are too many for the table); W is read once here.
    static std::unique_ptr<CandidateVariance> throughInverse(const CandidateCoding& coding, const matrix* W);
    // z'z with L z = x; L is read at every evaluation.
    static std::unique_ptr<CandidateVariance> throughFactor(const CandidateCoding& coding, const matrix* L);
};

// The products x'u_k of the walk's candidate row with fixed vectors u_k,
// tabulated per level and summed over the factors like the variances.
class CandidateProducts : public FollowsWalk {
public:
    CandidateProducts(const CandidateCoding& coding, const std::vector<std::vector<double>>& u);
    void moved(int changed) override { dirty_ = std::max(dirty_, changed); }
    // x'u_k for every k, valid until the next call.
    const double* values(const std::vector<int>& digits);

private:
    const CandidateCoding& coding_;
    std::size_t R_;
    std::vector<double> table_, partial_;  // level x k; factor x k
    int dirty_;
};

// Levels shown by a set of display rows, and whether one more candidate
// makes every factor show all its levels (ValidPlan on the rows plus it).
class LevelCoverage {
public:
    LevelCoverage(const CandidateCoding& coding, const matrixInt* FactMod);
    // The levels rows 1..N show but for row `skipped`, from their counts:
    // one pass over the levels shown rather than over the other rows.
    LevelCoverage(const CandidateCoding& coding, const matrixInt* FactMod, const class LevelCounts& counts,
                  const matrix* PlanDisp, int skipped);
    void addDisplayRow(const matrix* PlanDisp, int r);
    void addDigits(const std::vector<int>& digits);
    // Fixes the shown levels; false when no single candidate can complete them.
    bool prepare();
    bool completedBy(const std::vector<int>& digits) const;

private:
    void addValue(int j, double v);
    const CandidateCoding& coding_;
    std::vector<int> required_;
    std::vector<std::vector<double>> shown_;
    std::vector<std::pair<int, std::vector<char>>> missingOne_;  // factor, digits that add its missing level
};

// How often each level value stands in rows 1..N of a display plan, per
// factor. Values are compared as stored, as ValidPlan compares them; a value
// that is not a number equals none, so each one counts apart.
class LevelCounts {
public:
    LevelCounts(const CandidateCoding& coding, const matrix* PlanDisp, int N);

private:
    friend class LevelCoverage;
    struct Factor {
        std::map<double, int> counts;
        int unordered = 0;  // values that are not numbers
    };
    std::vector<Factor> factors_;
};

template <class F>
void CandidateCoding::forEachEntry(int j, int d, F f) const {
    if (j < 0) {
        if (p_ >= 1) f(0, 1.0);
        return;
    }
    const int c = firstColumn_[j];
    ForEachCodedEntry(levels_[j], d + 1, icode_, p_ - c, [&](int k, double v) { f(c + k, v); });
}

// x'Wx of a dense row (p x p W), and z'z with L z = x.
double QuadraticForm(const matrix* W, const double* x, int p);
double SolvedSquare(const matrix* L, const double* x, int p);

// Visits the candidates nfullplan down to 1 that are not excluded; visit
// reads what follows the walk only when it needs it.
template <class Visit>
void ScanFreeCandidates(const CandidateCoding& coding, int nfullplan, ExcludedCodes& excluded,
                        std::initializer_list<FollowsWalk*> followers, Visit visit) {
    excluded.rewind();
    for (CandidateWalk walk(coding, nfullplan); walk.valid(); walk.next()) {
        for (FollowsWalk* f : followers) f->moved(walk.changed());
        if (!excluded.contains(walk.code())) visit(walk);
    }
}

}  // namespace optimal
