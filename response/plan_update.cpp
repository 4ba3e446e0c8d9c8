#include "response/plan_update.h"
#include "services/counting.h"

#include "services/run_sheet.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr double kFlagTrue = -1.0;

// Columns of Xbis, 0 when absent: entry f for factor f, entry 0 for the
// standard-order column. A later column with the same header wins, so each
// header names its last column; names are then looked up, not compared with
// every header.
struct ColumnMap {
    int reference = 0;
    std::vector<int> factor;  // 1-based; factor[0] unused

    ColumnMap(int pxbis, const Smatrix* StrX, int nFac, const Smatrix* LgNameF, const Smatrix* RefStr)
        : factor(static_cast<std::size_t>(nFac > 0 ? nFac : 0) + 1, 0) {
        std::unordered_map<std::u16string, int> lastColumn;
        for (int c = 1; c <= std::min(pxbis, StrX->rows()); ++c) lastColumn[StrX->vbget(c)] = c;
        const auto columnOf = [&](const std::u16string& name) {
            const auto at = lastColumn.find(name);
            return at == lastColumn.end() ? 0 : at->second;
        };
        reference = columnOf(RefStr->vbget(1, 1));
        for (std::size_t f = 1; f < factor.size(); ++f) factor[f] = columnOf(LgNameF->vbget(static_cast<int>(f)));
    }

    // 0 when every column is there, else the code that names the first gap.
    int missing() const {
        if (reference == 0) return compare_plan::kNoReferenceColumn;
        for (std::size_t f = 1; f < factor.size(); ++f)
            if (factor[f] == 0) return -static_cast<int>(f);
        return 0;
    }
};

// The rows of Xbis carrying one standard-order number, in ascending order,
// folded factor by factor into what applying them in turn does to a run.
// Applying rows j1 < j2 < ... compares the run's value with each and takes
// the row's value over when they differ (exact comparison: NaN differs from
// everything, -0 equals +0). Only the first comparison depends on the run;
// after it the run holds a value equal to row j1's, so the rest of the chain
// is the same for every run and is folded once.
struct MatchingRows {
    int first = 0;  // j1
    int count = 0;
    struct Tail {
        bool differs = false;  // some later row differs from the one before
        double lastTaken = 0;  // the value of the last such row
    };
    std::vector<double> firstValue;  // row j1's value per factor (index f - 1)
    std::vector<Tail> tail;
};

// Index of Xbis's standard-order numbers: groups of equal numbers, rows in
// ascending order within each, found by binary search.
class ReferenceIndex {
public:
    ReferenceIndex(const matrix* Xbis, int nplan, const ColumnMap& columns) {
        std::vector<std::pair<double, int>> keyed;
        for (int j = 1; j <= nplan; ++j) {
            const double key = Xbis->vbget(j, columns.reference);
            if (key == key) keyed.emplace_back(key, j);  // NaN matches nothing; -0 and +0 compare equal
        }
        std::sort(keyed.begin(), keyed.end());
        for (std::size_t a = 0; a < keyed.size();) {
            std::size_t b = a;
            while (b < keyed.size() && keyed[b].first == keyed[a].first) ++b;
            keys_.push_back(keyed[a].first);
            groups_.push_back(fold(Xbis, columns, keyed, a, b));
            a = b;
        }
    }

    const MatchingRows* find(double standardOrder) const {
        const auto at = std::lower_bound(keys_.begin(), keys_.end(), standardOrder);
        if (at == keys_.end() || !(*at == standardOrder)) return nullptr;
        return &groups_[static_cast<std::size_t>(at - keys_.begin())];
    }

private:
    static MatchingRows fold(const matrix* Xbis, const ColumnMap& columns,
                             const std::vector<std::pair<double, int>>& keyed, std::size_t a, std::size_t b) {
        MatchingRows g;
        g.first = keyed[a].second;
        g.count = static_cast<int>(b - a);
        const std::size_t nFac = columns.factor.size() - 1;
        g.firstValue.resize(nFac);
        g.tail.resize(nFac);
        for (std::size_t f = 1; f <= nFac; ++f) {
            const int column = columns.factor[f];
            MatchingRows::Tail& tail = g.tail[f - 1];
            double held = Xbis->vbget(g.first, column);
            g.firstValue[f - 1] = held;
            for (std::size_t k = a + 1; k < b; ++k) {
                const double v = Xbis->vbget(keyed[k].second, column);
                if (held != v) {
                    held = v;
                    tail.differs = true;
                    tail.lastTaken = v;
                }
            }
        }
        return g;
    }

    std::vector<double> keys_;
    std::vector<MatchingRows> groups_;
};

// Applies the matching rows to factor f of run i; true when a value was
// taken over. A cell the plan lacks reads as -1 and ignores writes, so it
// is compared with every row just as the plan's own cells are.
bool applyRows(const MatchingRows& rows, int i, int f, matrix* X) {
    const int column = runsheet::FactorColumn(f);
    const MatchingRows::Tail& tail = rows.tail[static_cast<std::size_t>(f - 1)];
    const double edited = rows.firstValue[static_cast<std::size_t>(f - 1)];
    const bool firstDiffers = X->vbget(i, column) != edited;
    if (firstDiffers) X->vbset(i, column, edited);
    if (tail.differs) X->vbset(i, column, tail.lastTaken);
    return firstDiffers || tail.differs;
}

}  // namespace

void ComparePlan(int nplan, int nFac, matrix* X, matrix* Xbis, int pxbis, Smatrix* StrX, Smatrix* LgNameF,
                 Smatrix* RefStr, int* oChanges, matrix* changes) {
    const ColumnMap columns(pxbis, StrX, nFac, LgNameF, RefStr);
    if (const int gap = columns.missing()) {
        *oChanges = gap;
        return;
    }
    const ReferenceIndex index(Xbis, nplan, columns);
    bool valueChanged = false, reordered = false;
    const int factors = static_cast<int>(columns.factor.size()) - 1;
    for (int i = 1; i <= nplan; ++i) {
        const MatchingRows* rows = index.find(X->vbget(i, runsheet::kStandardOrderColumn));
        if (rows == nullptr) continue;
        const bool moved = rows->count > 1 || rows->first != i;
        reordered = reordered || moved;
        for (int f = 1; f <= factors; ++f) {
            const bool taken = applyRows(*rows, i, f, X);
            if (taken || moved) changes->vbset(i, runsheet::FactorColumn(f), kFlagTrue);
            valueChanged = valueChanged || taken;
        }
    }
    *oChanges = valueChanged ? compare_plan::kValuesChanged
                : reordered  ? compare_plan::kReordered
                             : compare_plan::kUnchanged;
}

// The counts bound the loops only as far as the containers reach: past
// them every access would be skipped, and a count near INT32_MAX would
// spin for minutes (or overflow its counter) writing nothing.
void UpdatePlan(int nplan, int nFac, int nRes, matrix* Y, matrix* X, matrix* Xnorm, matrix* MinF, matrix* MaxF) {
    const int runs = rowsHeld(Xnorm, nplan);
    for (int f : oneTo(colsHeld(Xnorm, nFac))) {
        const double centre = (MinF->vbget(f) + MaxF->vbget(f)) * 0.5;
        const double halfRange = (MaxF->vbget(f) - MinF->vbget(f)) * 0.5;
        for (int i : oneTo(runs))
            Xnorm->vbset(i, f, (X->vbget(i, runsheet::FactorColumn(f)) - centre) / halfRange);
    }
    const int sheetRuns = rowsHeld(X, nplan);
    for (int r : oneTo(runsheet::ResponsesInSheet(X, nFac, nRes)))
        for (int i : oneTo(sheetRuns)) X->vbset(i, runsheet::ResponseColumn(nFac, r), Y->vbget(i, r));
}
