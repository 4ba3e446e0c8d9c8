// What the initial plan and the exchange iterations share: the host's plan
// arrays, the candidate coding, and the work inverse and factor that follow
// runs entering and leaving a trial plan.
#pragma once

#include "optimal/candidate_scan.h"
#include "services/matrix.h"

#include <memory>
#include <vector>

namespace optimal {

// The largest scan one call may make, in (run, candidate) pairs. An exchange
// pass scores up to N x candidates pairs and the sequential start scans
// every candidate for each run it adds; nothing else bounds what one pass
// or one start costs, so larger requests are refused before any work. A
// pair through the inverse costs a few nanoseconds at most; the routes that
// cost more count as more pairs (ScanWeight).
inline constexpr double kMostExchangePairs = 8e9;
inline constexpr double kMostSequentialPairs = 2.5e8;

// What one scanned pair costs on a route, in pairs through the inverse: a
// triangular solve through L per candidate counts p, a full determinant of
// the exchanged plan p^3.
enum class PairCost { ThroughInverse, ThroughFactor, FullDeterminant };
double ScanWeight(PairCost cost, int p);
// Whether N runs against `candidates` candidates at that cost stay within `most`.
bool ScanFits(int N, long long candidates, PairCost cost, int p, double most);

struct PlanArrays {
    int nbFact;
    matrixInt* FactMod;
    int icode, icrit;
    short accelerate, DoChol;
    int N, nfullplan, p;
    matrix *PlanOpt, *PlanDisp;
    matrixInt* iopt;
    matrix *Vopt, *Chol;

    // True when every container holds the shape its sizes promise, so the
    // kernels may read their blocks directly.
    bool shapesHold() const;
    // True when the codes 1..nfullplan, read as 0..nfullplan - 1, show every
    // level of every factor. A count that stopped short of the full
    // factorial (past 32 bits) leaves the last factors at their first level,
    // and no plan drawn from it can be regular.
    bool reachesEveryLevel() const;
};

class SearchPlan {
public:
    explicit SearchPlan(const PlanArrays& a);
    const PlanArrays& arrays() const { return a_; }
    const CandidateCoding& coding() const { return coding_; }

    // Model row r of PlanOpt, dense.
    std::vector<double> runRow(int r) const;
    // Decodes code into row r of PlanOpt and PlanDisp and sets iopt(r).
    void place(int code, int r);
    // Only its levels into PlanDisp, and iopt(r): a draw is judged on its
    // levels before its model rows are worth writing.
    void placeLevels(int code, int r);
    // The model row of code as a 1 x p matrix (decoded by EnumToExp).
    const matrix* candidateRow(int code);

private:
    PlanArrays a_;
    CandidateCoding coding_;
    std::unique_ptr<matrix> row_, levels_, display_;
};

// A trial plan's inverse W and factor L, carried by rank-one updates. W is
// updated only when carryW, L only when it exists.
class TrialInverse {
public:
    TrialInverse(const matrix* W, const matrix* L, int p, bool carryW);
    TrialInverse(const TrialInverse& other);
    TrialInverse& operator=(const TrialInverse& other);

    matrix* W() const { return W_.get(); }
    matrix* L() const { return L_.get(); }
    void enter(SearchPlan& plan, int code);
    void leave(const SearchPlan& plan, int run);
    // Variance of a dense row: through L when throughL, else through W.
    double variance(const double* x, bool throughL) const;
    std::unique_ptr<CandidateVariance> candidates(const CandidateCoding& coding, bool throughL) const;

private:
    void update(const matrix* X, int row, bool add);
    std::unique_ptr<matrix> W_, L_;
    int p_;
    bool carryW_;
};

}  // namespace optimal
