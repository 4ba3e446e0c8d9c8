// Reductions and tests over the first n elements of a vector. Elements past
// the end of v read as -1, as the bounded flat access gives them.
#include "services/matrix_ops.h"
#include "services/numeric.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// How many of the first n elements lie inside v.
template <class T>
int inside(const MultiDimArray<T>* v, int n) {
    return v ? std::clamp(n, 0, v->count()) : 0;
}

// The distinct-valued content of the first n elements: those inside v, plus
// one -1 standing for all the ones past its end. Enough for maxima,
// distinct counts and constancy, and never larger than v itself.
template <class T>
std::vector<double> firstValues(const MultiDimArray<T>* v, int n) {
    std::vector<double> x(static_cast<std::size_t>(inside(v, n)));
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = v->data()[i];
    if (n > inside(v, n)) x.push_back(-1.0);
    return x;
}

// A strict weak order on doubles that ranks NaN after every number, so sorts
// and distinct counts stay well defined whatever the data hold.
bool lessNanLast(double a, double b) { return !std::isnan(a) && (std::isnan(b) || a < b); }

template <class T>
int countDistinct(const MultiDimArray<T>* v, int n) {
    std::vector<double> x = firstValues(v, n);
    std::sort(x.begin(), x.end(), lessNanLast);
    const auto same = [](double a, double b) { return !lessNanLast(a, b) && !lessNanLast(b, a); };
    return static_cast<int>(std::unique(x.begin(), x.end(), same) - x.begin());
}

// -1 when every value of x equals the first under `same`, 0 otherwise.
template <class Same>
short allSame(const std::vector<double>& x, Same same) {
    for (double value : x)
        if (!same(value, x.front())) return 0;
    return -1;
}

}  // namespace

double V_Max2(const matrix* v, int n) {
    const std::vector<double> x = firstValues(v, n);
    return x.empty() ? num::kNoValue : *std::max_element(x.begin(), x.end(), lessNanLast);
}

double V_Sum2(const matrix* v, int n) {
    const int k = inside(v, n);
    double s = 0.0;
    for (int i = 0; i < k; ++i) s += v->data()[i];
    return s - static_cast<double>(std::max(n, 0) - k);
}

int V_NbDistinct(const matrix* v, int n) { return countDistinct(v, n); }
int V_NbDistinct(const matrixInt* v, int n) { return countDistinct(v, n); }

short V_IsConstant(const matrix* v, int n) { return allSame(firstValues(v, n), std::equal_to<double>()); }
short V_IsConstant(const matrixInt* v, int n) { return allSame(firstValues(v, n), std::equal_to<double>()); }

short V_IsConstantBool(const matrix* v, int n) {
    // A flag is true only when it holds exactly -1; any other value is false.
    const std::vector<double> flags = firstValues(v, n);
    return std::all_of(flags.begin(), flags.end(), [](double f) { return f == -1.0; }) ? -1 : 0;
}

void InitVectorToFalse(matrix* v, int n) {
    for (int i = 0; i < inside(v, n); ++i) v->data()[i] = 0.0;
}
