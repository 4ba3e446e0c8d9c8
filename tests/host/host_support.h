// Checks for the host's algorithms computed apart from them: strength 2 by
// counting level pairs, determinants by exact elimination over fractions
// kept as long doubles with partial pivoting, the model row from the coding
// rules, and the library's entry points as a host holds them.
#pragma once

#include "boundary/VORNEXDO1M.h"
#include "host/optimal/library.h"

#include <cmath>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace hosttest {

// Column-major plan of levels 1..s: every column balanced, every pair of
// columns showing each level pair runs / (s_a s_b) times.
inline bool strengthTwo(const std::vector<int>& plan, int runs, const std::vector<int>& levels) {
    const std::size_t f = levels.size();
    for (std::size_t a = 0; a < f; ++a) {
        std::map<int, int> single;
        for (int r = 0; r < runs; ++r) ++single[plan[a * runs + r]];
        if (static_cast<int>(single.size()) != levels[a]) return false;
        for (const auto& [level, n] : single)
            if (level < 1 || level > levels[a] || n * levels[a] != runs) return false;
        for (std::size_t b = a + 1; b < f; ++b) {
            std::map<std::pair<int, int>, int> pairs;
            for (int r = 0; r < runs; ++r) ++pairs[{plan[a * runs + r], plan[b * runs + r]}];
            if (static_cast<int>(pairs.size()) != levels[a] * levels[b]) return false;
            for (const auto& [pair, n] : pairs)
                if (n * levels[a] * levels[b] != runs) return false;
        }
    }
    return true;
}

// Effects coding written out from its rules: icode 1 puts the last level at
// -1 in every column of the factor, icode 2 the first; any other level l
// has a single 1 in its own column.
inline std::vector<double> codedRow(const std::vector<int>& levels, int icode, const std::vector<int>& run) {
    std::vector<double> row{1.0};
    for (std::size_t j = 0; j < levels.size(); ++j) {
        const int s = levels[j], l = run[j];
        for (int k = 1; k < s; ++k) {
            const int own = icode == 1 ? k : k + 1;  // the level that puts 1 in column k
            const int minus = icode == 1 ? s : 1;
            row.push_back(l == minus ? -1.0 : (l == own ? 1.0 : 0.0));
        }
    }
    return row;
}

// ln det(X'X) by Gaussian elimination in long double; -inf when singular.
inline double logDetByElimination(const std::vector<int>& plan, int runs, const std::vector<int>& levels, int icode) {
    std::vector<std::vector<long double>> m;
    for (int r = 0; r < runs; ++r) {
        std::vector<int> run;
        for (std::size_t j = 0; j < levels.size(); ++j) run.push_back(plan[j * runs + r]);
        const std::vector<double> x = codedRow(levels, icode, run);
        if (m.empty()) m.assign(x.size(), std::vector<long double>(x.size(), 0.0L));
        for (std::size_t a = 0; a < x.size(); ++a)
            for (std::size_t b = 0; b < x.size(); ++b) m[a][b] += static_cast<long double>(x[a]) * x[b];
    }
    const std::size_t p = m.size();
    long double logDet = 0.0L;
    for (std::size_t c = 0; c < p; ++c) {
        std::size_t pivot = c;
        for (std::size_t r = c + 1; r < p; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[pivot][c])) pivot = r;
        if (std::fabs(m[pivot][c]) < 1e-9L) return -INFINITY;
        std::swap(m[pivot], m[c]);
        logDet += std::log(std::fabs(m[c][c]));
        for (std::size_t r = c + 1; r < p; ++r) {
            const long double f = m[r][c] / m[c][c];
            for (std::size_t k = c; k < p; ++k) m[r][k] -= f * m[c][k];
        }
    }
    return static_cast<double>(logDet);
}

// D of an orthogonal main-effects plan in closed form: prod s^((2 - s) / p).
inline double closedFormBound(const std::vector<int>& levels) {
    int p = 1;
    for (int s : levels) p += s - 1;
    double d = 1.0;
    for (int s : levels) d *= std::pow(s, (2.0 - s) / p);
    return d;
}

inline vxhost::LibraryEntries libraryEntries() {
    vxhost::LibraryEntries e;
    e.getFullPlanLines = Cpp_GetFullPlanLines;
    e.getnColPlan = Cpp_GetnColPlan;
    e.optiplanInit = Cpp_OptiplanInit;
    e.optiplanIterate = Cpp_OptiplanIterate;
    e.normedDet = Cpp_NormedDet;
    e.planGetOrtho = Cpp_PlanGetOrtho;
    e.allocString = [](const std::u16string& s) {
        return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()), static_cast<uint32_t>(s.size()));
    };
    e.freeString = [](BSTR b) { SysFreeString(b); };
    return e;
}

inline std::vector<int> repeated(int s, int times) { return std::vector<int>(static_cast<std::size_t>(times), s); }

inline std::vector<int> concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A sheet's cells (levels from 0) as a plan of levels 1..s.
inline std::vector<int> oneBased(const vxhost::Sheet& s) {
    std::vector<int> plan;
    for (int v : s.cells) plan.push_back(v + 1);
    return plan;
}

// Column-major plan with uniformly drawn levels 1..s.
inline std::vector<int> randomPlan(const std::vector<int>& levels, int runs, std::mt19937& rng) {
    std::vector<int> plan;
    for (int s : levels)
        for (int r = 0; r < runs; ++r) plan.push_back(1 + static_cast<int>(rng() % s));
    return plan;
}

}  // namespace hosttest
