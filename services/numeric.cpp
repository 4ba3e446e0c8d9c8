#include "services/numeric.h"

#include <algorithm>
#include <cmath>

namespace num {

double pow(double x, double y) { return std::pow(x, y); }

double sqr(double x) { return std::sqrt(x); }

double Log10(double x) { return std::log10(x); }

double Cnk(double n, double k) {
    if (k < 0 || k > n) return 0.0;
    if (k > n - k) k = n - k;
    // Multiplying and dividing alternately keeps every partial result a
    // whole binomial coefficient, so small cases stay exact.
    double c = 1.0;
    for (double i = 1; i <= k; ++i) c = c * (n - k + i) / i;
    return std::round(c);
}

double Fact(int n) {
    double f = 1.0;
    for (int i = 2; i <= n; ++i) f *= i;
    return f;
}

int Mod(int a, int b) {
    if (b == 0) return 0;
    if (b == -1) return 0;  // a % -1 overflows for INT_MIN
    return a % b;
}

short IsEven(double x) { return (IsLong(x) && std::fmod(x, 2.0) == 0.0) ? -1 : 0; }

short IsLong(double x) { return (std::isfinite(x) && x == std::trunc(x)) ? -1 : 0; }

double Int05c(double x, int d) {
    const double scale = std::pow(10.0, d);
    return std::round(x * scale) / scale;
}

double IntPower(double b, int n) {
    // Widen before negating so INT_MIN has a magnitude.
    long long e = n;
    const bool reciprocal = e < 0;
    if (reciprocal) e = -e;
    double result = 1.0;
    for (double square = b; e > 0; e >>= 1, square *= square) {
        if (e & 1) result *= square;
    }
    return reciprocal ? 1.0 / result : result;
}

bool ExceedsBeyondTie(double a, double b) {
    return a - b > kTieTolerance * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace num
