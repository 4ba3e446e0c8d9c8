#include "tools/oagen/constructions.h"

#include "tools/oagen/williamson.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace oagen {

namespace {

int mod(int x, int m) { return ((x % m) + m) % m; }

Column emptyColumn(int levels, int runs) { return Column{levels, std::vector<int>(static_cast<std::size_t>(runs), 0)}; }

// ----- GF(2) linear arrays ---------------------------------------------------------

using Line = std::array<unsigned, 3>;  // {m1, m2, m1 ^ m2}

// Pairwise disjoint lines of PG(n-1, 2): a full spread for n = 2, 4 and a
// maximal partial spread (9 lines, missing 26..29) for n = 5.
std::vector<Line> spreadLines(int n) {
    switch (n) {
    case 2:
    case 3: return {{1, 2, 3}};
    case 4: return {{1, 2, 3}, {4, 8, 12}, {5, 10, 15}, {6, 11, 13}, {7, 9, 14}};
    case 5:
        return {{1, 2, 3},   {4, 8, 12},   {5, 10, 15},  {6, 16, 22}, {7, 18, 21},
                {9, 17, 24}, {11, 20, 31}, {13, 19, 30}, {14, 23, 25}};
    default: throw std::invalid_argument("binaryLinear: n must be 2..5");
    }
}

// ----- finite fields -------------------------------------------------------------

// GF(p^m) as polynomials c0 + c1 x + ... + c(m-1) x^(m-1) modulo x^m =
// tail(x). Element index: the coefficients (c0, c1, ...) read as a base-p
// number, c0 the most significant digit.
class Field {
public:
    Field(int p, int m, std::vector<int> tail) : p_(p), m_(m), tail_(std::move(tail)) {
        for (int a = 1; a < size(); ++a) squares_.insert(mul(a, a));
    }
    explicit Field(int p) : Field(p, 1, {0}) {}

    int size() const {
        int q = 1;
        for (int i = 0; i < m_; ++i) q *= p_;
        return q;
    }
    int add(int a, int b) const {
        std::vector<int> ca = coeffs(a), cb = coeffs(b);
        for (int i = 0; i < m_; ++i) ca[i] = mod(ca[i] + cb[i], p_);
        return index(ca);
    }
    int sub(int a, int b) const {
        std::vector<int> ca = coeffs(a), cb = coeffs(b);
        for (int i = 0; i < m_; ++i) ca[i] = mod(ca[i] - cb[i], p_);
        return index(ca);
    }
    // The element 1: coefficient c0 = 1, which is the most significant digit.
    int one() const { return size() / p_; }
    int mul(int a, int b) const {
        const std::vector<int> ca = coeffs(a), cb = coeffs(b);
        std::vector<int> prod(static_cast<std::size_t>(2 * m_ - 1), 0);
        for (int i = 0; i < m_; ++i)
            for (int j = 0; j < m_; ++j) prod[i + j] += ca[i] * cb[j];
        for (int d = 2 * m_ - 2; d >= m_; --d) {  // x^d = x^(d-m) tail(x)
            for (int i = 0; i < m_; ++i) prod[d - m_ + i] += prod[d] * tail_[i];
            prod[d] = 0;
        }
        prod.resize(static_cast<std::size_t>(m_));
        for (int& c : prod) c = mod(c, p_);
        return index(prod);
    }
    // Quadratic character: 0 for zero, +1 for a nonzero square, -1 otherwise.
    int chi(int a) const { return a == 0 ? 0 : (squares_.count(a) ? 1 : -1); }

private:
    std::vector<int> coeffs(int a) const {
        std::vector<int> c(static_cast<std::size_t>(m_));
        for (int i = m_ - 1; i >= 0; --i, a /= p_) c[i] = a % p_;
        return c;
    }
    int index(const std::vector<int>& c) const {
        int a = 0;
        for (int v : c) a = a * p_ + v;
        return a;
    }

    int p_;
    int m_;
    std::vector<int> tail_;
    std::set<int> squares_;
};

// GF(q) for a prime q, or for a prime power as GF(p)[x] modulo an irreducible
// polynomial x^m - tail(x): the tails of degree 2 and 3 below have no root in
// GF(p), and x^4 + x + 1 and x^5 + x^2 + 1 are the primitive polynomials of
// GF(16) and GF(32), so each quotient is a field.
Field fieldOfOrder(int q) {
    switch (q) {
    case 4: return Field(2, 2, {1, 1});    // x^2 = x + 1
    case 8: return Field(2, 3, {1, 1, 0});  // x^3 = x + 1
    case 9: return Field(3, 2, {2, 0});    // x^2 = -1
    case 16: return Field(2, 4, {1, 1, 0, 0});  // x^4 = x + 1
    case 25: return Field(5, 2, {2, 0});   // x^2 = 2, a non-residue mod 5
    case 27: return Field(3, 3, {1, 1, 0});  // x^3 = x + 1
    case 32: return Field(2, 5, {1, 0, 1, 0, 0});  // x^5 = x^2 + 1
    case 49: return Field(7, 2, {3, 0});   // x^2 = 3, a non-residue mod 7
    default: return Field(q);
    }
}

// H = [[1, 1'], [-1, Q + I]] with the Jacobsthal matrix Q[a][b] = chi(b - a),
// each row of the lower block negated so that the first column is all +1.
SignMatrix paleyOneMatrix(int q) {
    const Field f = fieldOfOrder(q);
    SignMatrix h(static_cast<std::size_t>(q + 1), std::vector<int>(static_cast<std::size_t>(q + 1), 1));
    for (int a = 0; a < q; ++a)
        for (int b = 0; b < q; ++b) {
            const int d = f.sub(b, a);
            h[1 + a][1 + b] = (d == 0 || f.chi(d) == 1) ? -1 : 1;
        }
    return h;
}

// Symmetric conference matrix C of order q + 1 (q = 1 mod 4), then
// H = C (x) K + I (x) M, of order 2 (q + 1).
SignMatrix paleyTwoMatrix(int q) {
    const int n = q + 1;
    const Field f = fieldOfOrder(q);
    std::vector<std::vector<int>> c(n, std::vector<int>(n, 1));
    c[0][0] = 0;
    for (int a = 0; a < q; ++a)
        for (int b = 0; b < q; ++b) c[1 + a][1 + b] = f.chi(f.sub(b, a));
    const int k[2][2] = {{1, 1}, {1, -1}};
    const int m[2][2] = {{1, -1}, {-1, -1}};
    SignMatrix h(2 * n, std::vector<int>(2 * n));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int u = 0; u < 2; ++u)
                for (int v = 0; v < 2; ++v) h[2 * i + u][2 * j + v] = c[i][j] * k[u][v] + (i == j ? m[u][v] : 0);
    return h;
}

// [[H, H], [H, -H]]: a Hadamard matrix of twice the order.
SignMatrix doubled(const SignMatrix& h) {
    const std::size_t n = h.size();
    SignMatrix d(2 * n, std::vector<int>(2 * n));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) {
            d[i][j] = d[i][n + j] = d[n + i][j] = h[i][j];
            d[n + i][n + j] = -h[i][j];
        }
    return d;
}

// The prime powers whose fields fieldOfOrder knows.
bool isKnownFieldOrder(int q) {
    if (q == 4 || q == 8 || q == 9 || q == 16 || q == 25 || q == 27 || q == 32 || q == 49) return true;
    if (q < 2) return false;
    for (int d = 2; d * d <= q; ++d)
        if (q % d == 0) return false;
    return true;
}

// Paley I when order - 1 = 3 mod 4, Paley II when order / 2 - 1 = 1 mod 4,
// else the doubling of a Hadamard matrix of half the order; empty when none
// of these reaches the order.
SignMatrix hadamardMatrix(int order) {
    if (order == 2) return {{1, 1}, {1, -1}};
    if (order < 2 || order % 4 != 0) return {};
    if (isKnownFieldOrder(order - 1) && (order - 1) % 4 == 3) return paleyOneMatrix(order - 1);
    const int half = order / 2;
    if (isKnownFieldOrder(half - 1) && (half - 1) % 4 == 1) return paleyTwoMatrix(half - 1);
    const SignMatrix h = hadamardMatrix(half);
    return h.empty() ? williamsonHadamard(order) : doubled(h);
}

// A +-1 matrix whose first column is all +1, less that column, coded
// +1 -> 0 and -1 -> 1: the columns of a normalised Hadamard matrix.
Array fromNormalisedHadamard(const SignMatrix& h) {
    const int n = static_cast<int>(h.size());
    Array a{n, {}};
    for (int j = 1; j < n; ++j) {
        Column c = emptyColumn(2, n);
        for (int r = 0; r < n; ++r) c.values[r] = (h[r][j] * h[r][0] == 1) ? 0 : 1;
        a.columns.push_back(c);
    }
    return a;
}

}  // namespace

// ----- signed words -----------------------------------------------------------------

// Runs r = n k + y over the blocks k, y a run of the base. Block by block
// the words' columns are each one of the base's columns or its complement,
// so each is balanced in every block; two of them are orthogonal when the
// blocks where their letters agree split evenly into same-case and
// opposite-case agreements.
std::vector<const Column*> twoLevelColumns(const Array& base) {
    std::vector<const Column*> letters;
    for (const Column& c : base.columns)
        if (c.levels == 2) letters.push_back(&c);
    return letters;
}

Array signedWordsOver(const Array& base, const std::vector<std::string>& words) {
    const std::vector<const Column*> letters = twoLevelColumns(base);
    const int blocks = static_cast<int>(words.front().size());
    const int n = base.runs, runs = n * blocks;
    Array a{runs, {}};
    for (const std::string& w : words) {
        Column c = emptyColumn(2, runs);
        for (int r = 0; r < runs; ++r) {
            const char letter = w[static_cast<std::size_t>(r / n)];
            const char lower = static_cast<char>(letter | 0x20);
            if (lower < 'a' || lower - 'a' >= static_cast<int>(letters.size())) return {};
            const int v = letters[static_cast<std::size_t>(lower - 'a')]->values[static_cast<std::size_t>(r % n)];
            c.values[r] = letter == lower ? v : 1 - v;
        }
        a.columns.push_back(c);
    }
    for (const Column& kept : base.columns) {
        if (kept.levels == 2) continue;
        Column c = emptyColumn(kept.levels, runs);
        for (int r = 0; r < runs; ++r) c.values[r] = kept.values[static_cast<std::size_t>(r % n)];
        a.columns.push_back(c);
    }
    Column block = emptyColumn(blocks, runs);
    for (int r = 0; r < runs; ++r) block.values.at(static_cast<std::size_t>(r)) = r / n;
    a.columns.push_back(block);
    return a;
}

// OA(4, 2^3) as y1, y2 and y1 xor y2 for the run 2 y1 + y2: the letters a,
// b and c.
Array signedWords(const std::vector<std::string>& words, bool withFourLevel) {
    Array base = fullFactorial({2, 2});
    Column sum = emptyColumn(2, 4);
    for (int r = 0; r < 4; ++r) sum.values[r] = base.columns[0].values[r] ^ base.columns[1].values[r];
    base.columns.push_back(sum);
    Array a = signedWordsOver(base, words);
    if (withFourLevel) {
        Column inBlock = emptyColumn(4, a.runs);
        for (int r = 0; r < a.runs; ++r) inBlock.values[r] = r % 4;
        a.columns.insert(a.columns.end() - 1, inBlock);
    }
    return a;
}

namespace {

// ----- difference schemes -------------------------------------------------------------

// From a difference scheme d (r x c over Z_s): runs s i + g with columns
// (d[i][j] + g) mod s, then the r-level column i.
Array expandDifferenceScheme(const std::vector<std::vector<int>>& d, int s) {
    const int r = static_cast<int>(d.size());
    const int c = static_cast<int>(d.front().size());
    Array a{r * s, {}};
    for (int j = 0; j < c; ++j) {
        Column col = emptyColumn(s, r * s);
        for (int i = 0; i < r; ++i)
            for (int g = 0; g < s; ++g) col.values[s * i + g] = mod(d[i][j] + g, s);
        a.columns.push_back(col);
    }
    Column rowOf = emptyColumn(r, r * s);
    for (int run = 0; run < r * s; ++run) rowOf.values[run] = run / s;
    a.columns.push_back(rowOf);
    return a;
}

std::vector<std::vector<int>> digitMatrix(const std::vector<std::string>& rows) {
    std::vector<std::vector<int>> m;
    for (const std::string& row : rows) {
        std::vector<int> line;
        for (char ch : row) line.push_back(ch - '0');
        m.push_back(line);
    }
    return m;
}

// OA(ab, a b) for coprime a and b: v -> (v mod a, v mod b), a bijection onto
// Z_a x Z_b by the Chinese remainder theorem, so the full factorial.
Array chineseRemainder(int a, int b) {
    Column v = emptyColumn(a * b, a * b);
    for (int r = 0; r < a * b; ++r) v.values[r] = r;
    return Array{a * b, {collapsed(v, a), collapsed(v, b)}};
}

// D(6, 6, 3) over GF(3): row i = 3e + a, column j = 3f + b, entry a b when
// e = f = 0, -a b when e = f = 1, and a b + a^2 - b^2 when e != f.
std::vector<std::vector<int>> differenceScheme663() {
    std::vector<std::vector<int>> d(6, std::vector<int>(6));
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) {
            const int e = i / 3, a = i % 3, f = j / 3, b = j % 3;
            const int v = e != f ? a * b + a * a - b * b : (e == 0 ? a * b : -a * b);
            d[i][j] = mod(v, 3);
        }
    return d;
}

// D(10, 10, 5) over GF(5), in the same block form: row i = 5e + a, column
// j = 5f + b, entry a b (e = f = 0), a b + a^2 (e = 0, f = 1), a b + b^2
// (e = 1, f = 0), 3 (a b + a^2 + b^2) (e = f = 1). Two columns of one block
// differ by a linear function of a in each row block; across blocks the two
// row blocks give quadratics in a whose leading coefficients differ by a
// non-residue, so their value counts 1 + chi(.) add up to 2 everywhere.
std::vector<std::vector<int>> differenceScheme10105() {
    std::vector<std::vector<int>> d(10, std::vector<int>(10));
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j) {
            const int e = i / 5, a = i % 5, f = j / 5, b = j % 5;
            const int v = e == 0 ? (f == 0 ? a * b : a * b + a * a) : (f == 0 ? a * b + b * b : 3 * (a * b + a * a + b * b));
            d[i][j] = mod(v, 5);
        }
    return d;
}

}  // namespace

int parity(unsigned x) {
    int p = 0;
    for (; x != 0; x &= x - 1) p ^= 1;
    return p;
}

// ----- parents -------------------------------------------------------------------------

Array fullFactorial(const std::vector<int>& levels) {
    int runs = 1;
    for (int s : levels) runs *= s;
    Array a{runs, {}};
    int period = runs;  // runs over which the column goes through all its levels once
    for (int s : levels) {
        period /= s;
        Column c = emptyColumn(s, runs);
        for (int r = 0; r < runs; ++r) c.values[r] = (r / period) % s;
        a.columns.push_back(c);
    }
    return a;
}

Array binaryLinear(int n, int k) {
    const std::vector<Line> lines = spreadLines(n);
    if (k < 0 || k > static_cast<int>(lines.size())) throw std::invalid_argument("binaryLinear: too many lines");
    const unsigned runs = 1u << n;
    std::set<unsigned> onLines;
    for (int l = 0; l < k; ++l) onLines.insert(lines[l].begin(), lines[l].end());
    Array a{static_cast<int>(runs), {}};
    for (unsigned m = 1; m < runs; ++m) {
        if (onLines.count(m)) continue;
        Column c = emptyColumn(2, static_cast<int>(runs));
        for (unsigned r = 0; r < runs; ++r) c.values[r] = parity(r & m);
        a.columns.push_back(c);
    }
    for (int l = 0; l < k; ++l) {
        Column c = emptyColumn(4, static_cast<int>(runs));
        for (unsigned r = 0; r < runs; ++r) c.values[r] = 2 * parity(r & lines[l][0]) + parity(r & lines[l][1]);
        a.columns.push_back(c);
    }
    return a;
}

Array raoHamming(int p, int n) {
    int runs = 1;
    for (int i = 0; i < n; ++i) runs *= p;
    auto digitsOf = [&](int x) {  // x as n base-p digits, most significant first
        std::vector<int> d(static_cast<std::size_t>(n));
        for (int i = n - 1; i >= 0; --i, x /= p) d[i] = x % p;
        return d;
    };
    Array a{runs, {}};
    for (int u = 1; u < runs; ++u) {
        const std::vector<int> du = digitsOf(u);
        if (*std::find_if(du.begin(), du.end(), [](int v) { return v != 0; }) != 1) continue;
        Column c = emptyColumn(p, runs);
        for (int r = 0; r < runs; ++r) {
            const std::vector<int> dx = digitsOf(r);
            int dot = 0;
            for (int i = 0; i < n; ++i) dot += du[i] * dx[i];
            c.values[r] = dot % p;
        }
        a.columns.push_back(c);
    }
    return a;
}

Array paleyTypeOne(int q) { return fromNormalisedHadamard(paleyOneMatrix(q)); }

Array paleyTypeTwo(int q) { return fromNormalisedHadamard(paleyTwoMatrix(q)); }

SignMatrix normalisedHadamard(int order) {
    SignMatrix h = hadamardMatrix(order);
    for (std::vector<int>& row : h)
        if (row[0] < 0)
            for (int& v : row) v = -v;
    for (std::size_t j = 0; j < h.size(); ++j)
        if (h[0][j] < 0)
            for (std::vector<int>& row : h) row[j] = -row[j];
    return h;
}

bool hasStrengthTwo(const Array& a) {
    const auto balanced = [&](const Column& x, const Column& y) {
        std::vector<int> seen(static_cast<std::size_t>(x.levels * y.levels), 0);
        for (int r = 0; r < a.runs; ++r) {
            const int vx = x.values[r], vy = y.values[r];
            if (vx < 0 || vx >= x.levels || vy < 0 || vy >= y.levels) return false;
            ++seen[static_cast<std::size_t>(vx * y.levels + vy)];
        }
        return std::all_of(seen.begin(), seen.end(), [&](int n) { return n * x.levels * y.levels == a.runs; });
    };
    const Column whole{1, std::vector<int>(static_cast<std::size_t>(a.runs), 0)};
    for (std::size_t i = 0; i < a.columns.size(); ++i) {
        if (static_cast<int>(a.columns[i].values.size()) != a.runs || !balanced(a.columns[i], whole)) return false;
        for (std::size_t j = i + 1; j < a.columns.size(); ++j)
            if (!balanced(a.columns[i], a.columns[j])) return false;
    }
    return true;
}

std::vector<std::vector<int>> galoisProducts(int q) {
    const Field f = fieldOfOrder(q);
    std::vector<std::vector<int>> products(static_cast<std::size_t>(q), std::vector<int>(static_cast<std::size_t>(q)));
    for (int a = 0; a < q; ++a)
        for (int b = 0; b < q; ++b) products[a][b] = f.mul(a, b);
    return products;
}

Array hadamard(int order) {
    const SignMatrix h = hadamardMatrix(order);
    return h.empty() ? Array{} : fromNormalisedHadamard(h);
}

Array raoHammingOver(int q, int n) {
    const Field f = fieldOfOrder(q);
    int runs = 1;
    for (int i = 0; i < n; ++i) runs *= q;
    auto digitsOf = [&](int x) {  // x as n base-q digits (field elements), most significant first
        std::vector<int> d(static_cast<std::size_t>(n));
        for (int i = n - 1; i >= 0; --i, x /= q) d[i] = x % q;
        return d;
    };
    Array a{runs, {}};
    for (int u = 1; u < runs; ++u) {
        const std::vector<int> du = digitsOf(u);
        if (*std::find_if(du.begin(), du.end(), [](int v) { return v != 0; }) != f.one()) continue;
        Column c = emptyColumn(q, runs);
        for (int r = 0; r < runs; ++r) {
            const std::vector<int> dx = digitsOf(r);
            int dot = 0;
            for (int i = 0; i < n; ++i) dot = f.add(dot, f.mul(du[i], dx[i]));
            c.values[r] = dot;
        }
        a.columns.push_back(c);
    }
    return a;
}

Array signedWords12() { return signedWords({"aaa", "bbb", "aAc", "bcB"}, false); }

std::vector<std::string> signedWordList20() {
    return {"aaaaa", "CCCCC", "CcBBB", "CAcba", "CabAc", "AcaCb", "ABCca", "AbbaB"};
}

Array signedWords20() { return signedWords(signedWordList20(), false); }

Array signedWords24() {
    return signedWords(
        {"aaaAAA", "CCCccc", "CcBCcb", "CcbcBC", "CBcbCc", "CbcBbB", "BCcbcC", "BcCbbB", "BBbBbb", "BbBcCb", "BbbCBc"},
        true);
}

Array differenceScheme12() { return differenceSchemeTwoColumns(6); }

Array differenceSchemeTwoColumns(int k) {
    std::vector<std::vector<int>> d(static_cast<std::size_t>(k), {0, 0});
    for (int i = k / 2; i < k; ++i) d[i][1] = 1;
    return expandDifferenceScheme(d, 2);
}

Array differenceScheme18() { return expandDifferenceScheme(differenceScheme663(), 3); }

Array expanded18() { return expandColumn(differenceScheme18(), 6, chineseRemainder(2, 3)); }

Array differenceScheme50() { return expandDifferenceScheme(differenceScheme10105(), 5); }

Array expanded50() { return expandColumn(differenceScheme50(), 10, chineseRemainder(2, 5)); }

// Subtracting column 0 from every column, itself last, keeps every
// difference between two columns.
std::vector<std::vector<int>> differenceMatrix6() {
    std::vector<std::vector<int>> d = differenceScheme663();
    for (std::vector<int>& row : d)
        for (int j = 5; j >= 0; --j) row[j] = mod(row[j] - row[0], 3);
    return d;
}

// D(18, 18, 3) = D(6, 6, 3) (x) D(3, 3, 3), the second the multiplication
// table of GF(3): entry (i1, i2; j1, j2) = d1[i1][j1] + d2[i2][j2]. Two
// columns differing in j1 see d1's differences, evenly spread over i1,
// shifted by a term independent of i1; columns equal in j1 see d2's.
std::vector<std::vector<int>> differenceMatrix18() {
    const std::vector<std::vector<int>> d1 = differenceMatrix6();
    std::vector<std::vector<int>> d(18, std::vector<int>(18));
    for (int i = 0; i < 18; ++i)
        for (int j = 0; j < 18; ++j) d[i][j] = mod(d1[i / 3][j / 3] + (i % 3) * (j % 3), 3);
    return d;
}

Array differenceScheme54() { return expandDifferenceScheme(differenceMatrix18(), 3); }

Array expanded54() { return expandColumn(differenceScheme54(), 18, expanded18()); }

// D(12, 12, 3) over GF(3), found by a satisfiability search: every two
// columns show each difference exactly four times.
std::vector<std::vector<int>> differenceMatrix12() {
    return digitMatrix({"000000000000", "001222120110", "010121210220", "010012221012", "001110222201", "021021101202",
                        "012022012101", "011200112022", "022210011210", "022112100021", "002101021122", "020201202111"});
}

Array differenceScheme36() { return expandDifferenceScheme(differenceMatrix12(), 3); }

Array expanded36Binary() { return expandColumn(differenceScheme36(), 12, paleyTypeOne(11)); }

Array expanded36Mixed() { return expandColumn(differenceScheme36(), 12, differenceScheme12()); }

// The tables below list run 6 g + h as the other columns' digits followed
// by g, h and L(g, h) for a Latin square L; 0-based levels.
Array sixLevelTriple28() {
    return fromDigitRows({"01011000000", "01110110011", "00101001022", "10110011033", "11001111044", "10000100055",
                          "11111101101", "10100001110", "01010100123", "01000011132", "10011010145", "00101110154",
                          "10000100202", "11001111213", "00110111225", "01101000234", "00011001241", "11110010250",
                          "10101010303", "00011110312", "11010000324", "11111101335", "00100101340", "01000011351",
                          "00110111404", "01101000415", "11001111420", "10000100431", "11110010442", "00011001453",
                          "01000011505", "10010001514", "10101010521", "00011110530", "01100100543", "11111101552"},
                         {2, 2, 2, 2, 2, 2, 2, 2, 6, 6, 6}, 0);
}

// L is the Cayley table of the non-abelian group of order 6.
Array sixLevelTriple37() {
    return fromDigitRows(
        {"0000000000", "2120111011", "1222202022", "2001220033", "1111011044", "0212122055", "1202021101", "0001112112",
         "2112210120", "1121100135", "0210201143", "2020022154", "1110120202", "0221221210", "2011002221", "2202101234",
         "1000212245", "0122010253", "2211112303", "1012220314", "0101021325", "1220012330", "0022100341", "2100201352",
         "0121202404", "2210000415", "1020121423", "0012011432", "2102122440", "1201210451", "2022211505", "1102002513",
         "0200110524", "0110222531", "2221020542", "1011101550"},
        {3, 3, 3, 3, 3, 3, 3, 6, 6, 6}, 0);
}

Array sixLevelTriple1x1() {
    return fromDigitRows(
        {"00000", "11011", "01022", "00033", "12044", "12055", "12101", "00110", "10123", "02132", "01145", "11154",
         "11202", "12213", "10225", "01234", "00241", "02250", "11303", "02312", "02324", "10335", "11340", "00351",
         "00404", "01415", "12420", "12431", "10442", "01453", "02505", "10514", "01521", "11530", "02543", "10552"},
        {2, 3, 6, 6, 6}, 0);
}

// ----- operations ---------------------------------------------------------------------------

Column collapsed(const Column& c, int t) {
    if (t <= 0 || c.levels % t != 0) throw std::invalid_argument("collapsed: uneven collapse");
    Column out{t, c.values};
    for (int& v : out.values) v %= t;
    return out;
}

Array expandColumn(const Array& a, int c, const Array& b) {
    const Column& replaced = a.columns.at(static_cast<std::size_t>(c));
    if (b.runs != replaced.levels) throw std::invalid_argument("expandColumn: replacement has the wrong run count");
    Array out{a.runs, a.columns};
    out.columns.erase(out.columns.begin() + c);
    for (const Column& bc : b.columns) {
        Column nc = emptyColumn(bc.levels, a.runs);
        for (int r = 0; r < a.runs; ++r) nc.values[r] = bc.values[replaced.values[r]];
        out.columns.push_back(nc);
    }
    return out;
}

Array rowsReading(const Array& b, const std::vector<std::vector<int>>& cells) {
    if (static_cast<int>(cells.size()) != b.runs) return {};
    const std::size_t k = cells.empty() ? 0 : cells.front().size();
    if (k > b.columns.size()) return {};
    std::map<std::vector<int>, std::vector<int>> free;
    for (int r = 0; r < b.runs; ++r) {
        std::vector<int> cell;
        for (std::size_t u = 0; u < k; ++u) cell.push_back(b.columns[u].values[r]);
        free[cell].push_back(r);
    }
    Array out{b.runs, b.columns};
    for (int i = 0; i < b.runs; ++i) {
        std::vector<int>& pool = free[cells[i]];
        if (pool.empty()) return {};
        for (std::size_t c = 0; c < b.columns.size(); ++c) out.columns[c].values[i] = b.columns[c].values[pool.back()];
        pool.pop_back();
    }
    return out;
}

bool deriveByPattern(const Array& parent, const std::vector<int>& counts, Array& out) {
    const int columns = static_cast<int>(parent.columns.size());
    std::vector<bool> used(static_cast<std::size_t>(columns), false);
    std::vector<std::vector<Column>> picked(counts.size());
    for (int s = static_cast<int>(counts.size()) - 1; s >= 2; --s) {
        // Candidates: exactly s levels first, then multiples of s, fewest levels first.
        std::vector<int> candidates;
        for (int c = 0; c < columns; ++c)
            if (parent.columns[c].levels == s) candidates.push_back(c);
        std::vector<int> multiples;
        for (int c = 0; c < columns; ++c)
            if (parent.columns[c].levels > s && parent.columns[c].levels % s == 0) multiples.push_back(c);
        std::stable_sort(multiples.begin(), multiples.end(),
                         [&](int x, int y) { return parent.columns[x].levels < parent.columns[y].levels; });
        candidates.insert(candidates.end(), multiples.begin(), multiples.end());
        for (int c : candidates) {
            if (static_cast<int>(picked[s].size()) == counts[s]) break;
            if (used[c]) continue;
            used[c] = true;
            picked[s].push_back(collapsed(parent.columns[c], s));
        }
        if (static_cast<int>(picked[s].size()) < counts[s]) return false;
    }
    out = Array{parent.runs, {}};
    for (const std::vector<Column>& level : picked) out.columns.insert(out.columns.end(), level.begin(), level.end());
    return true;
}

Array fromDigitRows(const std::vector<std::string>& rows, const std::vector<int>& levels, int firstLevel) {
    Array a{static_cast<int>(rows.size()), {}};
    for (std::size_t c = 0; c < levels.size(); ++c) {
        Column col = emptyColumn(levels[c], a.runs);
        for (int r = 0; r < a.runs; ++r) col.values[r] = rows[static_cast<std::size_t>(r)].at(c) - '0' - firstLevel;
        a.columns.push_back(col);
    }
    return a;
}

}  // namespace oagen
