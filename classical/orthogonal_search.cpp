#include "classical/orthogonal_search.h"

#include "classical/orthogonal_catalogue.h"
#include "services/matrix_ops.h"

#include <algorithm>
#include <string>

using ortho::CatalogueEntry;

namespace {

constexpr int kRunsSlot = 8;  // element of Cats holding the run count

// Columns of a candidate row of the list.
constexpr int kScoreColumn = 1;
constexpr int kRunsColumn = 8;  // the 2..7-level counts stand in columns 2..7
constexpr int kVariantColumn = 9;
constexpr int kNumberColumn = 10;
constexpr int kTableIdColumn = 11;

const CatalogueEntry& entryAt(int number) { return ortho::kCatalogue[number - 1]; }

int wanted(const matrixInt* Cats, int slot) { return Cats->vbget(slot, 1); }

// ----- fetch ----------------------------------------------------------------------

bool planHolds(const matrix* plan, int lines, const CatalogueEntry& e) {
    return plan != nullptr && e.runs <= lines && e.runs <= plan->rows() && e.columns <= plan->cols();
}

void copyCells(const CatalogueEntry& e, matrix* plan) {
    for (int r = 1; r <= e.runs; ++r)
        for (int c = 1; c <= e.columns; ++c) plan->vbset(r, c, e.cell(r, c));
}

std::u16string nameOf(const CatalogueEntry& e) { return e.name; }

// ----- single search -----------------------------------------------------------------

// What the scan compares with Cats(j): the j-level count for j = 2..7, the
// runs for j = 8.
int scanValue(const CatalogueEntry& e, int j) { return j < kRunsSlot ? e.levelCount(j) : e.runs; }

bool carriesPattern(const CatalogueEntry& e, const matrixInt* Cats) {
    for (int s = 2; s <= ortho::kMaxLevels; ++s)
        if (e.levelCount(s) != wanted(Cats, s)) return false;
    return true;
}

// One pass over the group of nFac columns for j = 2..8 in turn: skip the
// entries whose value(j) is below Cats(j), give up when the entry reached
// has more j-level columns than asked for. The position carries over from
// one j to the next, so a request below the group's largest 2-level count
// finds nothing. Returns the entry's number, or 0 when nothing is found.
int scanGroup(const matrixInt* Cats, int nFac) {
    if (Cats == nullptr || nFac < 2 || nFac > ortho::kMaxColumns) return 0;
    const ortho::Group group = ortho::catalogueGroup(nFac);
    int k = group.first;
    for (int j = 2; j <= kRunsSlot; ++j) {
        while (k < group.end && scanValue(entryAt(k), j) < wanted(Cats, j)) ++k;
        if (k == group.end) return 0;
        if (j < kRunsSlot && scanValue(entryAt(k), j) > wanted(Cats, j)) return 0;
    }
    // The run bound can push the scan past the last array of the requested
    // pattern onto one whose columns have other level counts; that array
    // cannot serve the request.
    return carriesPattern(entryAt(k), Cats) ? k : 0;
}

// ----- list search ----------------------------------------------------------------------

// Distance of the entry from the request: the level counts it misses or
// exceeds, plus the runs beyond the target. 64-bit, so no request overflows.
long long scoreOf(const CatalogueEntry& e, const matrixInt* Cats) {
    long long score = 0;
    for (int s = 2; s <= ortho::kMaxLevels; ++s) {
        const long long gap = static_cast<long long>(e.levelCount(s)) - wanted(Cats, s);
        score += gap < 0 ? -gap : gap;
    }
    const long long extraRuns = static_cast<long long>(e.runs) - wanted(Cats, kRunsSlot);
    return extraRuns > 0 ? score + extraRuns : score;
}

void writeListRow(matrix* planList, int row, long long score, const CatalogueEntry& e) {
    planList->vbset(row, kScoreColumn, static_cast<double>(score));
    for (int s = 2; s <= ortho::kMaxLevels; ++s) planList->vbset(row, s, e.levelCount(s));
    planList->vbset(row, kRunsColumn, e.runs);
    planList->vbset(row, kVariantColumn, e.variant);
    planList->vbset(row, kNumberColumn, e.number);
    planList->vbset(row, kTableIdColumn, e.tableId);
}

// Fills rows 1..found with the entries of nFac columns scoring strictly
// below maxScore, in catalogue order, and sorts them by score. The sort is
// stable, so entries of equal score keep their catalogue order. Returns found.
int listCandidates(const matrixInt* Cats, int nFac, int maxList, int maxScore, matrix* planList) {
    if (Cats == nullptr || planList == nullptr) return 0;
    const ortho::Group group = ortho::catalogueGroup(nFac);  // empty outside 1..35
    const int capacity = std::min(maxList, planList->rows());
    int found = 0;
    for (int k = group.first; k < group.end && found < capacity; ++k) {
        const long long score = scoreOf(entryAt(k), Cats);
        if (score < maxScore) writeListRow(planList, ++found, score, entryAt(k));
    }
    SortQMatrixCol(planList, maxList, ortho::kListRowColumns, kScoreColumn, 1, found, 0);
    return found;
}

// An exact match ends the list at its first row.
int listedCount(const matrix* planList, int found) {
    return found > 0 && planList->vbget(1, kScoreColumn) == 0.0 ? 1 : found;
}

void nameListedRows(const matrix* planList, int listed, Smatrix* TabName) {
    if (TabName == nullptr) return;
    for (int i = 1; i <= listed; ++i) {
        const CatalogueEntry* e = ortho::catalogueEntry(static_cast<int>(planList->vbget(i, kNumberColumn)));
        if (e != nullptr && e->name[0] != u'\0') TabName->vbset(i, 1, nameOf(*e));
    }
}

}  // namespace

int PlanGetOrtho(int lines, int TabNbr, matrix* plan, Smatrix* TabName, int* oTabID) {
    const CatalogueEntry* e = ortho::catalogueEntry(TabNbr);
    if (e == nullptr) return -1;
    if (!planHolds(plan, lines, *e)) return -2;
    copyCells(*e, plan);
    if (TabName != nullptr && e->name[0] != u'\0') TabName->vbset(1, 1, nameOf(*e));
    if (oTabID != nullptr) *oTabID = e->tableId;
    return 0;
}

int PlanSearchOrtho(matrixInt* Cats, int nFac, int* iomaxLines, matrix* plan, Smatrix* TabName) {
    const int number = scanGroup(Cats, nFac);
    if (number == 0) return -1;
    const CatalogueEntry& e = entryAt(number);
    if (iomaxLines == nullptr || !planHolds(plan, *iomaxLines, e)) return -2;
    *iomaxLines = e.runs;
    copyCells(e, plan);
    if (TabName != nullptr) TabName->vbset(1, 1, nameOf(e));
    return 0;
}

int PlanSearchOrthoList(matrixInt* Cats, int nFac, int maxList, int maxScore, matrix* planList, Smatrix* TabName,
                        int* oNbrList) {
    const int listed = listedCount(planList, listCandidates(Cats, nFac, maxList, maxScore, planList));
    if (oNbrList != nullptr) *oNbrList = listed;
    if (listed <= 0) return -1;
    nameListedRows(planList, listed, TabName);
    return 0;
}
