// The host's table of orthogonal arrays up to 100 runs, written by
// tools/oagen at build time. Each array lists every column its construction
// gives; a plan takes the columns it needs.
#pragma once

namespace vxhost {

struct StoredArray {
    const char* name;    // the construction
    int runs;
    int columns;
    const char* levels;  // column c has levels[c] - '0' levels
    const char* cells;   // column by column, cell value v (0-based) as '0' + v
};

extern const StoredArray kArrayTable[];
extern const int kArrayTableSize;

}  // namespace vxhost
