#include "host/optimal/expansive_replacement.h"

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <set>
#include <tuple>

namespace vxhost {

namespace {

using Counts = std::map<int, int>;  // level count -> columns of that many levels

// States a search may visit for one parent: enough for every published
// child, few enough that a request no array serves stays far below 50 ms.
constexpr int kStatesPerParent = 400;

// A column of `levels` levels replaced by the columns of `by`, whose runs
// are those levels.
struct Rule {
    int levels = 0;
    const Sheet* by = nullptr;
    std::vector<int> gives;  // the levels of by's columns, ascending
};

struct Step {
    const Rule* rule;
    int columns;
};

Counts countsOf(const std::vector<int>& levels) {
    Counts c;
    for (int s : levels) ++c[s];
    return c;
}

std::vector<int> flattened(const Counts& c) {
    std::vector<int> levels;
    for (const auto& [s, n] : c) levels.insert(levels.end(), static_cast<std::size_t>(n), s);
    return levels;
}

int degreesOfFreedom(const Counts& c) {
    int df = 0;
    for (const auto& [s, n] : c) df += n * (s - 1);
    return df;
}

// Every count of `a` at most the count of `b`: whatever serves from a's
// columns serves from b's.
bool within(const Counts& a, const Counts& b) {
    return std::all_of(a.begin(), a.end(), [&](const auto& e) {
        const auto it = b.find(e.first);
        return it != b.end() && e.second <= it->second;
    });
}

// OA(ab, a b): the value v read as the digits (v / b, v % b).
Sheet factorialPair(int a, int b) {
    Sheet s{"the full factorial " + std::to_string(a) + "x" + std::to_string(b), a * b, {a, b}, {}};
    for (int v = 0; v < a * b; ++v) s.cells.push_back(v / b);
    for (int v = 0; v < a * b; ++v) s.cells.push_back(v % b);
    return s;
}

// Finds replacements after which a parent has a column for every factor,
// fewest replacements first: depth by depth, so every child of one
// replacement is found before nestings of several spend the budget (a
// search that went deep first could use it all below a column it should
// have replaced at the top). Steps are taken in one order, levels from the
// most to the fewest and rule by rule within a level, so each mix of
// replacements is met once; the new, smaller levels come in their turn, so
// replacements nest.
class ReplacementSearch {
public:
    ReplacementSearch(const std::vector<int>& factors, const std::vector<Sheet>& small)
        : factors_(factors), need_(degreesOfFreedom(countsOf(factors))), small_(small) {}

    std::optional<std::vector<Step>> steps(const Counts& parent) {
        states_ = 0;
        std::vector<Step> steps;
        for (int depth = 0; states_ < kStatesPerParent; ++depth) {
            visited_.clear();
            deeper_ = false;
            if (search(parent, {1 << 30, 0}, depth, steps)) return steps;
            if (!deeper_) break;
        }
        return std::nullopt;
    }

private:
    // The next step's place in the order: its level at most `level`, and at
    // that level a rule from `rule` on.
    struct From {
        int level;
        std::size_t rule;
    };

    bool serves(const Counts& c) const { return columnsForFactors(flattened(c), factors_, true).has_value(); }

    // Replacing a column never adds degrees of freedom: a state with fewer
    // than the factors need cannot lead anywhere.
    bool search(const Counts& c, From from, int depth, std::vector<Step>& steps) {
        if (++states_ > kStatesPerParent) return false;
        if (!visited_.insert({from.level, from.rule, depth, c}).second) return false;
        if (serves(c)) return true;
        if (degreesOfFreedom(c) < need_) return false;
        if (depth == 0) {
            deeper_ = true;
            return false;
        }
        for (auto it = c.rbegin(); it != c.rend(); ++it) {
            const auto [level, columns] = *it;
            if (level > from.level) continue;
            const std::vector<Rule>& rules = rulesFor(level);
            for (std::size_t r = level == from.level ? from.rule : 0; r < rules.size(); ++r)
                for (int k = 1; k <= columns; ++k) {
                    steps.push_back({&rules[r], k});
                    if (search(replaced(c, rules[r], k), {level, r + 1}, depth - 1, steps)) return true;
                    steps.pop_back();
                }
        }
        return false;
    }

    static Counts replaced(const Counts& c, const Rule& rule, int columns) {
        Counts next = c;
        if ((next[rule.levels] -= columns) == 0) next.erase(rule.levels);
        for (int s : rule.gives) next[s] += columns;
        return next;
    }

    // The arrays of `level` runs with more than one column, and the full
    // factorials of two factors; a rule whose columns another rule's
    // include is left out, as it can serve nothing the other cannot.
    const std::vector<Rule>& rulesFor(int level) {
        if (const auto it = rules_.find(level); it != rules_.end()) return it->second;
        std::vector<Rule> all;
        const auto offer = [&](const Sheet& s) {
            if (s.runs != level || s.levels.size() < 2) return;
            if (std::any_of(s.levels.begin(), s.levels.end(), [&](int l) { return l >= level || l < 2; })) return;
            std::vector<int> gives = s.levels;
            std::sort(gives.begin(), gives.end());
            all.push_back({level, &s, gives});
        };
        for (const Sheet& s : small_) offer(s);
        for (int a = 2; a * a <= level; ++a)
            if (level % a == 0) offer(*pairs_.emplace_back(std::make_unique<Sheet>(factorialPair(a, level / a))));
        std::vector<Rule> kept;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto covers = [&](std::size_t j) {
                const bool includes = std::includes(all[j].gives.begin(), all[j].gives.end(), all[i].gives.begin(),
                                                    all[i].gives.end());
                return j != i && includes && (all[j].gives != all[i].gives || j < i);
            };
            bool dominated = false;
            for (std::size_t j = 0; j < all.size() && !dominated; ++j) dominated = covers(j);
            if (!dominated) kept.push_back(all[i]);
        }
        return rules_[level] = kept;
    }

    std::vector<int> factors_;
    int need_;
    const std::vector<Sheet>& small_;
    std::map<int, std::vector<Rule>> rules_;
    std::vector<std::unique_ptr<Sheet>> pairs_;
    std::set<std::tuple<int, std::size_t, int, Counts>> visited_;
    int states_ = 0;
    bool deeper_ = false;  // this depth's search stopped somewhere a step more could go
};

using SheetColumn = std::pair<int, std::vector<int>>;  // levels, cells

std::vector<SheetColumn> columnsOf(const Sheet& s) {
    std::vector<SheetColumn> out;
    for (std::size_t c = 0; c < s.levels.size(); ++c) {
        const auto first = s.cells.begin() + static_cast<std::ptrdiff_t>(c * static_cast<std::size_t>(s.runs));
        out.push_back({s.levels[c], std::vector<int>(first, first + s.runs)});
    }
    return out;
}

// The last `step.columns` columns of the rule's level, each replaced by the
// replacing array's columns read at its values.
void apply(std::vector<SheetColumn>& columns, const Step& step) {
    const Rule& rule = *step.rule;
    const std::vector<SheetColumn> by = columnsOf(*rule.by);
    for (int done = 0; done < step.columns; ++done) {
        const auto it = std::find_if(columns.rbegin(), columns.rend(),
                                     [&](const SheetColumn& c) { return c.first == rule.levels; });
        const std::vector<int> values = it->second;
        columns.erase(std::next(it).base());
        for (const auto& [levels, cells] : by) {
            std::vector<int> replaced;
            for (int v : values) replaced.push_back(cells[static_cast<std::size_t>(v)]);
            columns.push_back({levels, replaced});
        }
    }
}

// OA(9, 3^4) for the levels 3, 3, 3, 3 in 9 runs.
std::string shape(int runs, const std::vector<int>& levels) {
    std::string out = "OA(" + std::to_string(runs) + ",";
    for (const auto& [s, n] : countsOf(levels)) {
        out += ' ';
        out += std::to_string(s);
        if (n > 1) out += '^' + std::to_string(n);
    }
    return out + ")";
}

std::string describe(const Step& step) {
    return std::to_string(step.columns) + (step.columns == 1 ? " column" : " columns") + " of " +
           std::to_string(step.rule->levels) + " levels replaced by " + shape(step.rule->by->runs, step.rule->gives);
}

Sheet assembled(const Sheet& parent, const std::vector<Step>& steps) {
    std::vector<SheetColumn> columns = columnsOf(parent);
    Sheet out{parent.name, parent.runs, {}, {}};
    for (const Step& step : steps) {
        apply(columns, step);
        out.name += ", " + describe(step);
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const SheetColumn& a, const SheetColumn& b) { return a.first < b.first; });
    for (const auto& [levels, cells] : columns) {
        out.levels.push_back(levels);
        out.cells.insert(out.cells.end(), cells.begin(), cells.end());
    }
    return out;
}

}  // namespace

std::optional<Sheet> expandedFor(const Sheet& parent, const std::vector<int>& levels, const std::vector<Sheet>& small) {
    ReplacementSearch search(levels, small);
    const std::optional<std::vector<Step>> steps = search.steps(countsOf(parent.levels));
    if (!steps) return std::nullopt;
    return assembled(parent, *steps);
}

std::optional<ExpandedArray> findOrthogonalByReplacement(const std::vector<Sheet>& arrays, const std::vector<int>& levels,
                                                         int runs) {
    if (std::any_of(levels.begin(), levels.end(), [](int s) { return s < 2; })) return std::nullopt;
    const int need = degreesOfFreedom(countsOf(levels));
    // Parents worth a search: a run count dividing the runs and every
    // factor's levels, enough degrees of freedom, and columns no earlier
    // parent of the same runs holds all of.
    std::vector<std::pair<const Sheet*, Counts>> parents;
    for (const Sheet& a : arrays) {
        if (a.runs < 1 || runs % a.runs != 0) continue;
        if (std::any_of(levels.begin(), levels.end(), [&](int s) { return a.runs % s != 0; })) continue;
        Counts c = countsOf(a.levels);
        if (degreesOfFreedom(c) < need) continue;
        const bool held = std::any_of(parents.begin(), parents.end(), [&](const auto& p) {
            return p.first->runs == a.runs && within(c, p.second);
        });
        if (!held) parents.emplace_back(&a, std::move(c));
    }
    for (const auto& parent : parents) {
        std::optional<Sheet> expanded = expandedFor(*parent.first, levels, arrays);
        if (!expanded) continue;
        const std::vector<int> columns = *columnsForFactors(expanded->levels, levels, true);
        ExpandedArray found{std::move(*expanded), runs / parent.first->runs, {}};
        found.plan = planFromColumns(found.array, columns, levels, runs);
        return found;
    }
    return std::nullopt;
}

}  // namespace vxhost
