// The catalogue of 392 orthogonal arrays as the constructions build it.
//
// The listing (runs and level pattern of every entry, in catalogue order)
// and the table identifiers are the catalogue's definition; the cells are
// derived here from the parent arrays of constructions.h, except five
// entries whose cells are fixed run by run.
#pragma once

#include <array>
#include <vector>

namespace oagen {

struct BuiltEntry {
    int number = 0;
    int columns = 0;
    std::array<int, 6> levelCounts{};  // columns with 2, 3, ..., 7 levels
    int runs = 0;
    int variant = 1;
    int tableId = 0;
    std::vector<int> cells;  // runs x columns, row by row, levels coded 1..s
};

inline constexpr int kEntryCount = 392;
inline constexpr int kMaxColumns = 35;

// All entries, number 1 first. Throws std::logic_error when an entry cannot
// be built (a construction that no longer fits its pattern).
std::vector<BuiltEntry> buildCatalogue();

// For columns = 1..35 the number of the first entry with that column count,
// then kEntryCount + 1: 36 values.
std::vector<int> buildGroupIndex(const std::vector<BuiltEntry>& entries);

}  // namespace oagen
