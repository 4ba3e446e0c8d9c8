// The 29 entry points as the fuzzer drives them: one decoder per entry
// point, written from the header's contract and the marshalling rows.
#pragma once

#include "fuzz/input.h"

#include <cstdint>

namespace vxfuzz {

enum Family { kClassical = 1, kOptimal, kResponse, kSensory, kMixture, kFamilies = kMixture };

enum class Outcome { called, skipped };

// Looks the symbol up in the loaded library (null when not exported yet).
void* LookUp(const char* name);

struct EntryPoint {
    const char* name;
    Family family;
    // Decodes the arguments from `in`, sizes and fills every array to the
    // contract, calls `fn` (the exported symbol) and checks the aftermath.
    Outcome (*run)(Input& in, void* fn);
};

extern const EntryPoint kEntryPoints[];
extern const int kEntryPointCount;

}  // namespace vxfuzz
