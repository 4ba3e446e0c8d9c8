// One fuzzed call's host memory and the checks made after the call.
//
// Every array is its own heap block of exactly the element count the
// header derives from the integer arguments, so the sanitizer's redzones
// sit right behind the last element the contract grants. Each array is
// registered with how the marshalling treats it, and `verify` checks what
// the sanitizers cannot see: copy-only arrays unchanged, flags written as
// -1 or 0, the no-value constant written with its exact bits.
#pragma once

#include "boundary/VORNEXDO1M.h"
#include "fuzz/input.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vxfuzz {

// How the entry point's marshalling treats an array.
enum class Use {
    copied,   // copied into a container and never copied back: must come back unchanged
    written,  // copied back or worked on in place: may change
    // Written, and where the library marks a missing value: a cell near the
    // no-value constant must be the constant itself (unless the caller
    // passed that very value in).
    marked,
};

// Rows x cols in 64 bits, saturating; 0 when either is not positive (an
// empty container).
inline int64_t elements(int64_t rows, int64_t cols) {
    if (rows <= 0 || cols <= 0) return 0;
    return rows > INT64_MAX / cols ? INT64_MAX : rows * cols;
}

[[noreturn]] void fail(const char* entry, const std::string& what);

class CallArena {
public:
    CallArena(const char* entry, Input& in) : entry_(entry), in_(in) {}
    ~CallArena();
    CallArena(const CallArena&) = delete;
    CallArena& operator=(const CallArena&) = delete;

    // Arrays of n elements filled from the input. n must already be within
    // the budget (see Budget).
    double* doubles(int64_t n, Use use);
    int32_t* ints(int64_t n, Use use, IntKind kind = IntKind::level);
    VARIANT_BOOL* flags(int64_t n);
    BSTR* strings(int64_t n, Use use);

    // Single out values handed on as plain pointers.
    double* doubleOut(Use use = Use::written) { return doubles(1, use); }
    int32_t* intOut() { return ints(1, Use::written, IntKind::any); }
    VARIANT_BOOL* flagOut() { return flags(1); }
    int32_t* seedOut() { return ints(1, Use::written, IntKind::seed); }

    // After the call: the copy-only arrays, the flags and the no-value
    // constant, as above. Aborts with a report on the first violation.
    void verify() const;
    // A double result or cell of the call where the library marks a missing
    // value, checked like a cell of a `marked` array.
    void verifyResult(double r) const;
    // The cells of columns first..last (1-based) of a rows-row array that
    // changed: where the library writes the no-value constant into a
    // region, not into the whole array.
    void verifyMarkedColumns(const double* a, int64_t rows, int64_t first, int64_t last) const;
    // The exact constant at a cell documented to hold it.
    void verifyNoValue(double v, const char* where) const;

private:
    struct Block {
        void* host;
        std::size_t bytes;
        enum Kind { kDouble, kInt, kFlag, kString } kind;
        Use use;
        std::vector<unsigned char> before;
    };
    void* allocate(std::size_t bytes, Block::Kind kind, Use use);
    void fillSnapshot(Block& b);
    void checkNoValue(double v, const char* where) const;
    bool isInputDouble(double v) const;

    const char* entry_;
    Input& in_;
    std::vector<Block> blocks_;
};

}  // namespace vxfuzz
