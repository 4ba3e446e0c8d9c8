#include "optimal/search_state.h"

#include <algorithm>

#include "optimal/candidates.h"
#include "optimal/criteria.h"
#include "optimal/information_updates.h"

namespace optimal {

namespace {

bool holds(const MultiDimArray<double>* m, int rows, int cols) {
    return m != nullptr && m->rows() >= rows && m->cols() >= cols;
}

std::unique_ptr<matrix> copyOf(const matrix* m) {
    return m ? std::make_unique<matrix>(m->rows(), m->cols(), m->data()) : nullptr;
}

}  // namespace

namespace {

// 1 + the sum of (levels - 1): the model columns the level counts code into,
// counted wide since the host's level counts may be anything.
long long modelColumnsOf(int nbFact, const matrixInt* FactMod) {
    long long columns = 1;
    for (int j = 1; j <= nbFact; ++j) columns += std::max(1, FactMod->vbget(j, 1)) - 1;
    return columns;
}

}  // namespace

// Besides the arrays, the level counts must code into exactly p model
// columns: the candidate tables are sized by the levels, and counts that
// disagree with p describe no plan the arrays hold.
double ScanWeight(PairCost cost, int p) {
    const double width = std::max(1, p);
    switch (cost) {
        case PairCost::ThroughFactor:
            return width;
        case PairCost::FullDeterminant:
            return width * width * width;
        case PairCost::ThroughInverse:
            break;
    }
    return 1.0;
}

bool ScanFits(int N, long long candidates, PairCost cost, int p, double most) {
    return static_cast<double>(std::max(N, 0)) * static_cast<double>(std::max(candidates, 0LL)) *
               ScanWeight(cost, p) <=
           most;
}

bool PlanArrays::shapesHold() const {
    return N >= 1 && p >= 1 && FactMod != nullptr && FactMod->rows() >= nbFact && iopt != nullptr &&
           modelColumnsOf(nbFact, FactMod) == p &&
           iopt->rows() >= N && holds(PlanOpt, N, p) && PlanOpt->rows() == N && holds(PlanDisp, N, nbFact + 4) &&
           holds(Vopt, p, p) && Vopt->rows() == p && holds(Chol, p, p) && Chol->rows() == p;
}

// The last level of factor j first appears at code (L_j - 1) L_1 ... L_(j-1).
bool PlanArrays::reachesEveryLevel() const {
    long long below = 1;  // capped where it already passes every int
    for (int j = 1; j <= nbFact; ++j) {
        const long long L = std::max(1, FactMod->vbget(j, 1));
        if ((L - 1) * below >= nfullplan) return false;
        below = std::min(below * L, 1LL << 31);
    }
    return true;
}

SearchPlan::SearchPlan(const PlanArrays& a)
    : a_(a),
      coding_(a.nbFact, a.FactMod, a.icode, a.p),
      row_(std::make_unique<matrix>(1, a.p, 0.0)),
      levels_(std::make_unique<matrix>(a.nbFact, 1, 0.0)),
      display_(std::make_unique<matrix>(1, a.nbFact + 4, 0.0)) {}

std::vector<double> SearchPlan::runRow(int r) const {
    std::vector<double> x(static_cast<std::size_t>(a_.p));
    for (int c = 1; c <= a_.p; ++c) x[c - 1] = a_.PlanOpt->vbget(r, c);
    return x;
}

void SearchPlan::place(int code, int r) {
    EnumToExp(a_.nbFact, a_.FactMod, a_.icode, code, a_.PlanOpt, levels_.get(), a_.PlanDisp, r, a_.p);
    a_.iopt->vbset(r, 1, code);
}

void SearchPlan::placeLevels(int code, int r) {
    DecodeLevels(a_.nbFact, a_.FactMod, code, a_.PlanDisp, r);
    a_.iopt->vbset(r, 1, code);
}

const matrix* SearchPlan::candidateRow(int code) {
    EnumToExp(a_.nbFact, a_.FactMod, a_.icode, code, row_.get(), levels_.get(), display_.get(), 1, a_.p);
    return row_.get();
}

TrialInverse::TrialInverse(const matrix* W, const matrix* L, int p, bool carryW)
    : W_(copyOf(W)), L_(copyOf(L)), p_(p), carryW_(carryW) {}

TrialInverse::TrialInverse(const TrialInverse& other) { *this = other; }

TrialInverse& TrialInverse::operator=(const TrialInverse& other) {
    if (this == &other) return *this;
    W_ = copyOf(other.W_.get());
    L_ = copyOf(other.L_.get());
    p_ = other.p_;
    carryW_ = other.carryW_;
    return *this;
}

void TrialInverse::update(const matrix* X, int row, bool add) {
    UpdateV(const_cast<matrix*>(X), row, p_, W_.get(), W_.get(), carryW_ ? kTrue : kFalse, kFalse,
            add ? kTrue : kFalse, L_ ? kTrue : kFalse, L_.get());
}

void TrialInverse::enter(SearchPlan& plan, int code) { update(plan.candidateRow(code), 1, true); }

void TrialInverse::leave(const SearchPlan& plan, int run) { update(plan.arrays().PlanOpt, run, false); }

double TrialInverse::variance(const double* x, bool throughL) const {
    return throughL ? SolvedSquare(L_.get(), x, p_) : QuadraticForm(W_.get(), x, p_);
}

std::unique_ptr<CandidateVariance> TrialInverse::candidates(const CandidateCoding& coding, bool throughL) const {
    return throughL ? CandidateVariance::throughFactor(coding, L_.get())
                    : CandidateVariance::throughInverse(coding, W_.get());
}

}  // namespace optimal
