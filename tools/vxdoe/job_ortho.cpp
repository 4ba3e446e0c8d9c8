// vxdoe ortho: an orthogonal array from the catalogue, as a run sheet.
//   --levels L1,L2,...  [--min-runs N]   the array for these factors
//   --entry N                            one entry by its number
//   --list --levels ... [--runs N] [--max-score S]
//                                        the scored candidates; runs beyond
//                                        N (default 36: none) add to a score
#include "tools/vxdoe/catalogue_sheets.h"
#include "tools/vxdoe/design_summary.h"
#include "tools/vxdoe/output.h"

#include "host/evaluate/design_figures.h"
#include "host/optimal/model.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

using vxdoe::catalogue::Fetched;
using vxdoe::catalogue::kMaxColumns;
using vxdoe::catalogue::kMaxRuns;
using vxdoe::catalogue::Sheet;

constexpr int32_t kMaxList = 64;  // more than any column count has entries
constexpr int32_t kListColumns = 11;

struct Request {
    std::vector<int32_t> levels;  // one per factor, in the order given
    std::vector<int32_t> cats = std::vector<int32_t>(9, 0);
};

// runsOption: the least runs of the search, or the run target of the list.
Request requestOf(const vxdoe::Args& args, const char* runsOption, int defaultRuns) {
    Request q{args.integers("levels")};
    if (q.levels.size() < 2 || q.levels.size() > static_cast<std::size_t>(kMaxColumns))
        throw vxdoe::UsageError("--levels needs 2 to 35 level counts");
    for (int32_t s : q.levels) {
        if (s < 2 || s > 7) throw vxdoe::UsageError("--levels: every factor needs 2 to 7 levels");
        ++q.cats[static_cast<std::size_t>(s - 1)];
    }
    q.cats[7] = args.integer(runsOption, defaultRuns);
    return q;
}

int32_t factorCount(const Request& q) { return static_cast<int32_t>(q.levels.size()); }

struct Candidates {
    int32_t count = 0;
    std::vector<double> rows = std::vector<double>(kMaxList * kListColumns, 0.0);
    double at(int r, int c) const { return rows[static_cast<std::size_t>(c - 1) * kMaxList + (r - 1)]; }
};

Candidates candidates(const vxdoe::Library& lib, Request q, int32_t maxScore) {
    Candidates list;
    std::vector<BSTR> names(kMaxList);
    for (BSTR& b : names) b = lib.allocString(u"");
    int32_t maxLines = kMaxRuns;
    lib.entry<decltype(Cpp_PlanSearchOrthoList)>("Cpp_PlanSearchOrthoList")(
        q.cats.data(), factorCount(q), 0, &maxLines, kMaxList, maxScore, list.rows.data(), names.data(), &list.count);
    for (BSTR b : names) lib.freeString(b);
    list.count = std::max(list.count, 0);
    return list;
}

struct Listed {
    int32_t number;
    int runs;
    int tableId;
};

// The entries carrying exactly the requested levels, fewest runs first. With
// a run target of 0 every score is the pattern distance plus the runs.
std::vector<Listed> exactPatterns(const vxdoe::Library& lib, Request q) {
    q.cats[7] = 0;
    const Candidates list = candidates(lib, q, INT32_MAX);
    std::vector<Listed> exact;
    for (int r = 1; r <= list.count; ++r) {
        bool same = true;
        for (int s = 2; s <= 7; ++s) same = same && list.at(r, s) == q.cats[static_cast<std::size_t>(s - 1)];
        if (same)
            exact.push_back({static_cast<int32_t>(list.at(r, 10)), static_cast<int>(list.at(r, 8)),
                             static_cast<int>(list.at(r, 11))});
    }
    return exact;
}

// The single search. It answers only for all-2-level factors; otherwise the
// host falls back on the exact pattern with enough runs from the scored
// list and fetches it by number.
Fetched findArray(const vxdoe::Library& lib, const Request& q) {
    std::vector<int32_t> cats = q.cats;
    std::vector<double> plan(static_cast<std::size_t>(kMaxRuns) * q.levels.size(), 0.0);
    BSTR name = lib.allocString(u"");
    int32_t maxLines = kMaxRuns, tabNbr = 0;
    const int32_t found = lib.entry<decltype(Cpp_PlanSearchOrtho)>("Cpp_PlanSearchOrtho")(
        cats.data(), factorCount(q), 0, &maxLines, &tabNbr, plan.data(), &name);
    lib.freeString(name);
    for (const Listed& e : exactPatterns(lib, q)) {
        if (found == 0 && e.runs == maxLines)
            return {e.number, e.tableId, vxdoe::catalogue::cutOut(plan, kMaxRuns, e.runs, factorCount(q))};
        if (found != 0 && e.runs >= q.cats[7]) return vxdoe::catalogue::fetch(lib, e.number);
    }
    throw vxdoe::UsageError("no catalogue array has these factors with enough runs");
}

// The array's figures for the main effects of its columns in the library's
// effects coding, over the full factorial of their levels (each column's
// levels 1..s, s its largest level).
void reportFigures(vxdoe::Output& out, const std::vector<std::string>& names, const Sheet& sheet) {
    std::vector<int> levels(static_cast<std::size_t>(sheet.columns), 1);
    for (int c = 0; c < sheet.columns; ++c)
        for (int r = 0; r < sheet.runs; ++r)
            levels[static_cast<std::size_t>(c)] = std::max(
                levels[static_cast<std::size_t>(c)], static_cast<int>(sheet.cells[static_cast<std::size_t>(c) * sheet.runs + r]));
    const vxdoe::summary::Model model = vxdoe::summary::mainEffects(
        levels, 1, names, vxdoe::summary::rowsOf(sheet.cells.data(), sheet.runs, 0, sheet.columns));
    vxdoe::summary::report(out, model, {vxhost::orthogonalBound(levels), vxhost::orthogonalA(levels)});
}

void report(vxdoe::Output& out, const vxdoe::Args& args, const Fetched& f, const Sheet& sheet) {
    out.table(vxdoe::columnMajor(vxdoe::factorNames(args, sheet.columns), sheet.cells.data(), sheet.runs,
                                 sheet.columns, true));
    out.figure("entry", static_cast<double>(f.number));
    out.figure("table", static_cast<double>(f.tableId));
    out.figure("runs", static_cast<double>(sheet.runs));
    reportFigures(out, vxdoe::factorNames(args, sheet.columns), sheet);
}

int runOrtho(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    if (args.has("entry")) {
        // An entry is printed as the catalogue holds it: an option that
        // chooses or orders the factors would be silently ignored.
        for (const char* other : {"levels", "min-runs", "list", "runs", "max-score"})
            if (args.has(other))
                throw vxdoe::UsageError(std::string("--entry prints one entry as the catalogue holds it; --") + other +
                                        " does not apply");
        const Fetched f = vxdoe::catalogue::fetch(lib, args.integer("entry", 0));
        report(out, args, f, f.sheet);
        return 0;
    }
    if (args.has("list")) {
        const Request q = requestOf(args, "runs", kMaxRuns);
        const Candidates list = candidates(lib, q, args.integer("max-score", 10));
        const std::vector<std::string> columns{"score", "n2", "n3", "n4", "n5", "n6",
                                               "n7", "runs", "variant", "entry", "table"};
        vxdoe::Table t = vxdoe::columnMajor(columns, list.rows.data(), kMaxList, kListColumns);
        t.rows.resize(static_cast<std::size_t>(std::min(list.count, kMaxList)));  // the candidates found
        out.table(std::move(t));
        out.figure("candidates", static_cast<double>(list.count));
        return list.count > 0 ? 0 : 1;
    }
    const Request q = requestOf(args, "min-runs", 0);
    const Fetched f = findArray(lib, q);
    const std::optional<Sheet> sheet = vxdoe::catalogue::inFactorOrder(f.sheet, q.levels);
    if (!sheet) throw vxdoe::UsageError("the array found does not carry these levels");
    report(out, args, f, *sheet);
    return 0;
}

const vxdoe::JobRegistration kOrtho{
    {"ortho",
     "an orthogonal array of the catalogue: for factor levels, by entry, or a list of the closest",
     {vxdoe::integers("levels", "level count of each factor, 2 to 35 factors; s^k: k factors of s levels")
          .within(2, 7)
          .shownAs("L1,L2,...|s^k,..."),
      vxdoe::integer("min-runs", "least number of runs of the array").atLeast(0).byDefault("0"),
      vxdoe::integer("entry", "print this catalogue entry").within(1, 392),
      vxdoe::flag("list", "list the arrays closest to --levels, best first"),
      vxdoe::integer("runs", "run count the list aims at").atLeast(0).byDefault(std::to_string(kMaxRuns)),
      vxdoe::integer("max-score", "list only arrays scoring below this").byDefault("10"), vxdoe::namesOption()},
     runOrtho,
     vxdoe::summary::helpNotes(
         "the main effects of its factors in the library's effects coding (a factor of s levels: s - 1 columns, name.1 .. name.(s-1), or name alone for s = 2)",
         "the full factorial of the levels; past 2^22 cells x columns it is not enumerated: max_SPV and G are then null and mean_SPV comes in closed form, trace(M^-1 W) with W the factorial's block-diagonal moment matrix")}};

}  // namespace
