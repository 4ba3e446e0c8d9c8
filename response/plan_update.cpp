#include "response/plan_update.h"

#include "services/run_sheet.h"

#include <vector>

namespace {

constexpr double kFlagTrue = -1.0;

// Columns of Xbis, 0 when absent: entry f for factor f, entry 0 for the
// standard-order column. A later column with the same header wins.
struct ColumnMap {
    int reference = 0;
    std::vector<int> factor;  // 1-based; factor[0] unused

    ColumnMap(int pxbis, const Smatrix* StrX, int nFac, const Smatrix* LgNameF, const Smatrix* RefStr)
        : factor(static_cast<std::size_t>(nFac > 0 ? nFac : 0) + 1, 0) {
        const std::u16string refName = RefStr->vbget(1, 1);
        for (int c = 1; c <= pxbis; ++c) {
            const std::u16string header = StrX->vbget(c);
            if (header == refName) reference = c;
            for (int f = 1; f <= nFac; ++f)
                if (LgNameF->vbget(f) == header) factor[static_cast<std::size_t>(f)] = c;
        }
    }

    // 0 when every column is there, else the code that names the first gap.
    int missing() const {
        if (reference == 0) return compare_plan::kNoReferenceColumn;
        for (std::size_t f = 1; f < factor.size(); ++f)
            if (factor[f] == 0) return -static_cast<int>(f);
        return 0;
    }
};

}  // namespace

void ComparePlan(int nplan, int nFac, matrix* X, matrix* Xbis, int pxbis, Smatrix* StrX, Smatrix* LgNameF,
                 Smatrix* RefStr, int* oChanges, matrix* changes) {
    const ColumnMap columns(pxbis, StrX, nFac, LgNameF, RefStr);
    if (const int gap = columns.missing()) {
        *oChanges = gap;
        return;
    }
    *oChanges = compare_plan::kUnchanged;
    for (int i = 1; i <= nplan; ++i) {
        const double standardOrder = X->vbget(i, runsheet::kStandardOrderColumn);
        for (int j = 1; j <= nplan; ++j) {
            if (Xbis->vbget(j, columns.reference) != standardOrder) continue;
            for (int f = 1; f <= nFac; ++f) {
                const int column = runsheet::FactorColumn(f);
                const double edited = Xbis->vbget(j, columns.factor[static_cast<std::size_t>(f)]);
                if (j != i) changes->vbset(i, column, kFlagTrue);
                if (X->vbget(i, column) != edited) {
                    changes->vbset(i, column, kFlagTrue);
                    X->vbset(i, column, edited);
                    *oChanges = compare_plan::kValuesChanged;
                }
            }
            if (j != i && *oChanges == compare_plan::kUnchanged) *oChanges = compare_plan::kReordered;
        }
    }
}

void UpdatePlan(int nplan, int nFac, int nRes, matrix* Y, matrix* X, matrix* Xnorm, matrix* MinF, matrix* MaxF) {
    for (int f = 1; f <= nFac; ++f) {
        const double centre = (MinF->vbget(f) + MaxF->vbget(f)) * 0.5;
        const double halfRange = (MaxF->vbget(f) - MinF->vbget(f)) * 0.5;
        for (int i = 1; i <= nplan; ++i)
            Xnorm->vbset(i, f, (X->vbget(i, runsheet::FactorColumn(f)) - centre) / halfRange);
    }
    for (int r = 1; r <= nRes; ++r)
        for (int i = 1; i <= nplan; ++i) X->vbset(i, runsheet::ResponseColumn(nFac, r), Y->vbget(i, r));
}
