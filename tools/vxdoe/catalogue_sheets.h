// Catalogue arrays on the host side, shared by the ortho and optimal jobs:
// an entry fetched by number as a run sheet, and its columns picked for a
// list of factors.
#pragma once

#include "tools/vxdoe/host.h"

#include <optional>

namespace vxdoe::catalogue {

inline constexpr int32_t kMaxRuns = 36;     // the largest array of the catalogue
inline constexpr int32_t kMaxColumns = 35;  // the widest
inline constexpr int32_t kEntries = 392;

// A run sheet: levels 1..s, runs x columns, column-major.
struct Sheet {
    int runs = 0;
    int columns = 0;
    std::vector<double> cells;
};

// A rows x cols block cut out of a host array of `stride` rows.
Sheet cutOut(const std::vector<double>& host, int stride, int runs, int columns);

struct Fetched {
    int number = 0;
    int tableId = 0;
    Sheet sheet;
};

// Entry `number` (1..392); throws UsageError for any other number.
Fetched fetch(const vxdoe::Library& lib, int32_t number);

// The array's columns picked for the factors as the host's look-up picks
// them (vxhost::columnsForFactors): each factor takes the next unused column
// with its level count; with collapse, a factor left without one takes an
// unused column whose level count is a multiple of its own, levels read
// modulo its count. Nothing when the array lacks a column for some factor.
std::optional<Sheet> inFactorOrder(const Sheet& array, const std::vector<int32_t>& levels, bool collapse = false);

}  // namespace vxdoe::catalogue
