// Small numeric functions the designs are computed with.
#pragma once

namespace num {

double pow(double x, double y);
double sqr(double x);  // square root
double Log10(double x);
// Binomial coefficient n over k for whole n, k; 0 when k < 0 or k > n.
double Cnk(double n, double k);
// n factorial; 1 for n <= 1.
double Fact(int n);
// Remainder of a by b with the sign of a (as C's %); 0 when b is 0.
int Mod(int a, int b);
// -1 when x is an even whole number, 0 otherwise.
short IsEven(double x);
// -1 when x is a whole number, 0 otherwise.
short IsLong(double x);
// x rounded to d decimals, halves away from zero.
double Int05c(double x, int d);

// b^n by repeated squaring in double; the reciprocal for negative n.
double IntPower(double b, int n);

// Sums and differences of values the host may have passed at any value:
// they wrap as the host's 32-bit integers would instead of overflowing.
inline int wrappedSum(int a, int b) { return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b)); }
inline int wrappedDifference(int a, int b) {
    return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b));
}
// One more on a count the host may have passed at any value.
inline int countedOnce(int count) { return wrappedSum(count, 1); }

// The no-value constant: the double nearest to -1.79769313486231e308
// (bits 0xFFEFFFFFFFFFFFE2). Marks a value that cannot be computed or has not
// been measured; compared by exact equality.
inline constexpr double kNoValue = -1.79769313486231e308;
inline constexpr double kNoValuePositive = 1.79769313486231e308;

// Ties of computed criteria. One criterion reached along two summation
// orders (a design and its relabelling, a determinant by two routes)
// differs in its last bits, so a value beats another only when it exceeds
// it by more than this share of the larger magnitude. Every search that
// keeps a result only for a gain asks through this one tolerance.
inline constexpr double kTieTolerance = 1e-12;
bool ExceedsBeyondTie(double a, double b);

}  // namespace num
