#include "mixture/model_matrix.h"

#include "mixture/counts.h"
#include "mixture/index_tuples.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

// ----- term families ------------------------------------------------------------

constexpr int kMaxArity = 4;
using Proportions = std::array<double, kMaxArity>;  // a term's components at one run
using Labels = std::array<std::u16string, kMaxArity>;

// One family of terms: the same product over every index tuple of its arity.
struct TermFamily {
    int arity;
    double (*value)(const Proportions& x);
    std::u16string (*label)(const Labels& L);
};

double sq(double v) { return v * v; }

std::u16string product(const std::u16string& a, const std::u16string& b) { return a + u"*" + b; }
std::u16string squared(const std::u16string& a) { return a + u"^2"; }
// The host's labels put a blank after the square when a factor follows it.
std::u16string squaredThen(const std::u16string& a) { return squared(a) + u" "; }
std::u16string difference(const Labels& L) { return u"(" + L[0] + u"-" + L[1] + u")"; }

const TermFamily kLinear{
    1, [](const Proportions& x) { return x[0]; }, [](const Labels& L) { return L[0]; }};
const TermFamily kQuadratic{
    2, [](const Proportions& x) { return x[0] * x[1]; }, [](const Labels& L) { return product(L[0], L[1]); }};
const TermFamily kCubicDifference{
    2, [](const Proportions& x) { return x[0] * x[1] * (x[0] - x[1]); },
    [](const Labels& L) { return product(product(L[0], L[1]), difference(L)); }};
const TermFamily kThreeWay{
    3, [](const Proportions& x) { return x[0] * x[1] * x[2]; },
    [](const Labels& L) { return product(product(L[0], L[1]), L[2]); }};
const TermFamily kQuarticDifference{
    2, [](const Proportions& x) { return x[0] * x[1] * sq(x[0] - x[1]); },
    [](const Labels& L) { return product(product(L[0], L[1]), squared(difference(L))); }};
const TermFamily kFirstSquared{
    3, [](const Proportions& x) { return sq(x[0]) * x[1] * x[2]; },
    [](const Labels& L) { return product(product(squaredThen(L[0]), L[1]), L[2]); }};
const TermFamily kMiddleSquared{
    3, [](const Proportions& x) { return x[0] * sq(x[1]) * x[2]; },
    [](const Labels& L) { return product(product(L[0], squaredThen(L[1])), L[2]); }};
const TermFamily kLastSquared{
    3, [](const Proportions& x) { return x[0] * x[1] * sq(x[2]); },
    [](const Labels& L) { return product(product(L[0], L[1]), squared(L[2])); }};
const TermFamily kFourWay{
    4, [](const Proportions& x) { return x[0] * x[1] * x[2] * x[3]; },
    [](const Labels& L) { return product(product(product(L[0], L[1]), L[2]), L[3]); }};

// The families of a model, in column order. Families whose arity exceeds q
// simply have no tuples.
std::vector<const TermFamily*> familiesOf(int degree, int type) {
    std::vector<const TermFamily*> families{&kLinear};
    if (type != kFullMixtureModel && type != kSpecialMixtureModel) return families;
    const bool full = type == kFullMixtureModel;
    if (degree >= 2) families.push_back(&kQuadratic);
    if (full && degree >= 3) families.push_back(&kCubicDifference);
    if (degree == 3) families.push_back(&kThreeWay);
    if (full && degree == 4) families.push_back(&kQuarticDifference);
    if (degree >= 4) families.insert(families.end(), {&kFirstSquared, &kMiddleSquared, &kLastSquared});
    if (full && degree == 4) families.push_back(&kFourWay);
    return families;
}

// ----- writing columns ----------------------------------------------------------------

// Writes term columns and labels left to right from column 1. Stops once
// past both the model's columns and the label list, so a huge q costs no
// more than the containers the host passed.
class TermColumns {
public:
    TermColumns(const matrix* X, int n, int q, const Smatrix* labels, matrix* model, Smatrix* termLabels)
        : X_(X), runs_(std::min(n, model->rows())), q_(q), labels_(labels), model_(model), termLabels_(termLabels),
          lastColumn_(std::max(model->cols(), termLabels->count())) {}

    bool full() const { return next_ > lastColumn_; }

    void write(const TermFamily& family) {
        if (full()) return;
        std::vector<int> tuple = mixture::firstIncreasingTuple(family.arity, q_);
        if (tuple.empty()) return;
        do {
            if (full()) return;
            writeTerm(family, tuple);
        } while (mixture::nextIncreasingTuple(tuple, q_));
    }

private:
    void writeTerm(const TermFamily& family, const std::vector<int>& tuple) {
        const int column = static_cast<int>(next_++);
        Labels L;
        for (int t = 0; t < family.arity; ++t) L[t] = labels_->vbget(tuple[t], 1);
        termLabels_->vbset(column, 1, family.label(L));
        Proportions x{};
        for (int run = 1; run <= runs_; ++run) {
            for (int t = 0; t < family.arity; ++t) x[t] = X_->vbget(run, tuple[t]);
            model_->vbset(run, column, family.value(x));
        }
    }

    const matrix* X_;
    int runs_;
    int q_;
    const Smatrix* labels_;
    matrix* model_;
    Smatrix* termLabels_;
    int lastColumn_;
    long long next_ = 1;  // may pass a last column of INT32_MAX
};

// ----- counts --------------------------------------------------------------------------

// product / divisor truncated. The product is formed in double: whenever the
// count fits in 32 bits the product stays below 2^53 and is exact, and when
// it does not the count is reported as overflowing rather than wrapped.
int32_t termCount(double product, double divisor) { return mixture::truncatedCount(product / divisor); }

}  // namespace

int DOEMixGetnCoef(int q, int degree, int type) {
    if (type != kFullMixtureModel && type != kSpecialMixtureModel) return 0;
    const double x = q;
    switch (degree) {
        case 1: return q;
        case 2: return termCount(x * (x + 1), 2);
        case 3: return type == kFullMixtureModel ? termCount((x + 2) * (x + 1) * x, 6) : termCount(x * (x * x + 5), 6);
        case 4:
            return type == kFullMixtureModel ? termCount((x + 3) * (x + 2) * (x + 1) * x, 24)
                                             : termCount(x * (x * x - 2 * x + 3), 2);
        default: return 0;
    }
}

// nCoef is not read: the model and label containers carry the host's sizes.
void DOEMixPredictorMatrix(matrix* X, int n, int q, int /*nCoef*/, Smatrix* labels, int degree, int type,
                           matrix* model, Smatrix* termLabels) {
    if (X == nullptr || labels == nullptr || model == nullptr || termLabels == nullptr) return;
    TermColumns columns(X, n, q, labels, model, termLabels);
    for (const TermFamily* family : familiesOf(degree, type)) columns.write(*family);
}
