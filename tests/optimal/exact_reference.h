// A second, plain computation of what the optimal-design search should do,
// in exact integer arithmetic: model rows decoded straight from the mixed
// radix of the codes, determinants of the integer information matrices by
// fraction-free elimination. Variances need no division: d(x) of a candidate
// relative to M is det(M + x x') / det(M) - 1, so candidates rank by that
// determinant, and a run ranks for leaving by det(M - x_i x_i').
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace exact {

__extension__ typedef __int128 Int;

// Effects-coded main-effects row of a code (icode 1: last level -1 in all the
// factor's columns; icode 2: first level).
inline std::vector<int> modelRow(const std::vector<int>& levels, int icode, long long code) {
    std::vector<int> x{1};
    for (int L : levels) {
        const int d = static_cast<int>(code % L);
        code /= L;
        const bool reference = icode == 1 ? d == L - 1 : d == 0;
        const int hot = icode == 1 ? d : d - 1;
        for (int k = 0; k < L - 1; ++k) x.push_back(reference ? -1 : (k == hot ? 1 : 0));
    }
    return x;
}

inline std::vector<int> levelsOf(const std::vector<int>& levels, long long code) {
    std::vector<int> out;
    for (int L : levels) {
        out.push_back(static_cast<int>(code % L));
        code /= L;
    }
    return out;
}

// Bareiss elimination with row pivoting; every intermediate is a minor.
inline Int determinant(std::vector<std::vector<Int>> a) {
    const std::size_t n = a.size();
    if (n == 0) return 1;
    Int previous = 1, sign = 1;
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t pivot = k;
        while (pivot < n && a[pivot][k] == 0) ++pivot;
        if (pivot == n) return 0;
        if (pivot != k) {
            std::swap(a[pivot], a[k]);
            sign = -sign;
        }
        for (std::size_t i = k + 1; i < n; ++i)
            for (std::size_t j = k + 1; j < n; ++j) a[i][j] = (a[i][j] * a[k][k] - a[i][k] * a[k][j]) / previous;
        previous = a[k][k];
    }
    return sign * a[n - 1][n - 1];
}

// det(X'X) of a plan given by its rows; for a square X its determinant squared
// keeps the minors small.
inline Int informationDeterminant(const std::vector<std::vector<int>>& rows) {
    const std::size_t n = rows.size(), p = rows.empty() ? 0 : rows[0].size();
    if (n == p) {
        std::vector<std::vector<Int>> x(n, std::vector<Int>(p));
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < p; ++j) x[i][j] = rows[i][j];
        const Int d = determinant(x);
        return d * d;
    }
    std::vector<std::vector<Int>> m(p, std::vector<Int>(p, 0));
    for (const auto& r : rows)
        for (std::size_t i = 0; i < p; ++i)
            for (std::size_t j = 0; j < p; ++j) m[i][j] += static_cast<Int>(r[i]) * r[j];
    return determinant(m);
}

inline double toDouble(Int v) { return static_cast<double>(v); }

// A plan of codes over the full factorial of `levels`.
struct Plan {
    std::vector<int> levels;
    int icode = 1;
    std::vector<long long> codes;

    long long candidates() const {
        long long n = 1;
        for (int L : levels) n *= L;
        return n;
    }
    bool holds(long long code) const {
        const long long n = candidates();
        return std::any_of(codes.begin(), codes.end(), [&](long long c) { return (c % n + n) % n == code % n; });
    }
    bool showsEveryLevel() const {
        for (std::size_t j = 0; j < levels.size(); ++j) {
            std::vector<bool> seen(static_cast<std::size_t>(levels[j]), false);
            for (long long c : codes) seen[static_cast<std::size_t>(levelsOf(levels, c)[j])] = true;
            if (std::count(seen.begin(), seen.end(), false)) return false;
        }
        return true;
    }
    Int det() const {
        std::vector<std::vector<int>> rows;
        for (long long c : codes) rows.push_back(modelRow(levels, icode, c));
        return informationDeterminant(rows);
    }
};

// One pass of the exhaustive exchange: runs 1 up, candidates from the last
// code down, the first exchange of the largest determinant that shows every
// level and beats the plan's own.
struct SingleExchange {
    int run = 0;
    long long code = 0;
    Int det = 0;
};
inline SingleExchange bestSingleExchange(const Plan& plan) {
    SingleExchange best{0, 0, plan.det()};
    for (std::size_t i = 0; i < plan.codes.size(); ++i)
        for (long long c = plan.candidates(); c >= 1; --c) {
            if (plan.holds(c)) continue;
            Plan trial = plan;
            trial.codes[i] = c;
            if (!trial.showsEveryLevel()) continue;
            const Int d = trial.det();
            if (d > best.det) best = {static_cast<int>(i) + 1, c, d};
        }
    return best;
}

// One pass of the Fedorov exchange at a given escalation level m: m
// candidates enter one after the other (each of largest variance relative to
// the plan with the ones before it, the first met on ties; from the second on
// the enlarged plan must show every level), then m runs leave one after the
// other (each of smallest variance below 1 relative to the plan less the
// runs before it, the first run on ties). The k-th leaving run takes the
// (m + 1 - k)-th entering candidate. Empty when some step finds nothing.
struct Escalation {
    std::vector<long long> codes;  // the plan after the exchange
    double gain = 0.0;             // det(new) / det(old) - 1
};
inline bool escalate(const Plan& plan, int m, Escalation& out) {
    std::vector<std::vector<int>> rows;
    for (long long c : plan.codes) rows.push_back(modelRow(plan.levels, plan.icode, c));
    std::vector<long long> entering;
    for (int k = 0; k < m; ++k) {
        Int best = -1;
        long long code = 0;
        for (long long c = plan.candidates(); c >= 1; --c) {
            if (plan.holds(c) || std::find(entering.begin(), entering.end(), c) != entering.end()) continue;
            if (k > 0) {
                Plan shown = plan;
                shown.codes.insert(shown.codes.end(), entering.begin(), entering.end());
                shown.codes.push_back(c);
                if (!shown.showsEveryLevel()) continue;
            }
            auto trial = rows;
            trial.push_back(modelRow(plan.levels, plan.icode, c));
            const Int d = informationDeterminant(trial);
            if (d > best) best = d, code = c;
        }
        if (code == 0) return false;
        entering.push_back(code);
        rows.push_back(modelRow(plan.levels, plan.icode, code));
    }
    std::vector<int> leaving;
    std::vector<bool> gone(rows.size(), false);
    for (int k = 0; k < m; ++k) {
        Int best = 0;
        int run = 0;
        for (std::size_t i = 0; i < plan.codes.size(); ++i) {
            if (gone[i]) continue;
            std::vector<std::vector<int>> trial;
            for (std::size_t r = 0; r < rows.size(); ++r)
                if (!gone[r] && r != i) trial.push_back(rows[r]);
            const Int d = informationDeterminant(trial);
            if (d > best) best = d, run = static_cast<int>(i) + 1;
        }
        if (run == 0) return false;
        leaving.push_back(run);
        gone[static_cast<std::size_t>(run - 1)] = true;
    }
    out.codes = plan.codes;
    for (int k = 0; k < m; ++k) out.codes[static_cast<std::size_t>(leaving[k] - 1)] = entering[m - 1 - k];
    out.gain = toDouble(Plan{plan.levels, plan.icode, out.codes}.det()) / toDouble(plan.det()) - 1.0;
    return true;
}

}  // namespace exact
