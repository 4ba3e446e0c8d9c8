#include "fuzz/call_arena.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace vxfuzz {

namespace {
constexpr uint64_t kNoValueBits = 0xFFEFFFFFFFFFFFE2ULL;
// Doubles this close to the no-value constant and not equal to it can only
// be the constant mangled on its way (a few hundred ulps at that magnitude).
constexpr double kNoValueNeighbourhood = 1e295;
}  // namespace

void fail(const char* entry, const std::string& what) {
    std::fprintf(stderr, "\n==vxfuzz== %s: %s\n", entry, what.c_str());
    std::abort();
}

CallArena::~CallArena() {
    for (Block& b : blocks_) {
        if (b.kind == Block::kString) {
            // The caller owns every string in its arrays afterwards.
            BSTR* s = static_cast<BSTR*>(b.host);
            for (std::size_t i = 0; i < b.bytes / sizeof(BSTR); ++i) SysFreeString(s[i]);
        }
        std::free(b.host);
    }
}

void* CallArena::allocate(std::size_t bytes, Block::Kind kind, Use use) {
    // malloc(0) still gives a distinct block whose every byte is a redzone.
    void* p = std::malloc(bytes);
    if (p == nullptr) fail(entry_, "the harness ran out of memory");
    blocks_.push_back(Block{p, bytes, kind, use, {}});
    return p;
}

void CallArena::fillSnapshot(Block& b) {
    const auto* bytes = static_cast<const unsigned char*>(b.host);
    b.before.assign(bytes, bytes + b.bytes);
}

double* CallArena::doubles(int64_t n, Use use) {
    auto* a = static_cast<double*>(allocate(static_cast<std::size_t>(n) * sizeof(double), Block::kDouble, use));
    for (int64_t i = 0; i < n; ++i) a[i] = in_.real();
    fillSnapshot(blocks_.back());
    return a;
}

int32_t* CallArena::ints(int64_t n, Use use, IntKind kind) {
    auto* a = static_cast<int32_t*>(allocate(static_cast<std::size_t>(n) * sizeof(int32_t), Block::kInt, use));
    for (int64_t i = 0; i < n; ++i) a[i] = in_.integer(kind);
    fillSnapshot(blocks_.back());
    return a;
}

VARIANT_BOOL* CallArena::flags(int64_t n) {
    auto* a = static_cast<VARIANT_BOOL*>(
        allocate(static_cast<std::size_t>(n) * sizeof(VARIANT_BOOL), Block::kFlag, Use::written));
    for (int64_t i = 0; i < n; ++i) a[i] = in_.flag();
    fillSnapshot(blocks_.back());
    return a;
}

BSTR* CallArena::strings(int64_t n, Use use) {
    auto* a = static_cast<BSTR*>(allocate(static_cast<std::size_t>(n) * sizeof(BSTR), Block::kString, use));
    for (int64_t i = 0; i < n; ++i) {
        bool isNull = false;
        const std::u16string s = in_.text(isNull);
        a[i] = isNull ? nullptr : SysAllocStringLen(s.data(), static_cast<uint32_t>(s.size()));
    }
    fillSnapshot(blocks_.back());
    return a;
}

bool CallArena::isInputDouble(double v) const {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    for (const Block& b : blocks_) {
        if (b.kind != Block::kDouble) continue;
        for (std::size_t at = 0; at + sizeof(double) <= b.before.size(); at += sizeof(double)) {
            uint64_t was;
            std::memcpy(&was, b.before.data() + at, sizeof was);
            if (was == bits) return true;
        }
    }
    return false;
}

void CallArena::checkNoValue(double v, const char* where) const {
    if (std::bit_cast<uint64_t>(v) == kNoValueBits || !(std::fabs(v - VX_NO_VALUE) < kNoValueNeighbourhood)) return;
    if (v < 0 && !isInputDouble(v)) {
        char text[96];
        std::snprintf(text, sizeof text, "%s holds %a, not the no-value constant's exact bits", where, v);
        fail(entry_, text);
    }
}

void CallArena::verifyResult(double r) const { checkNoValue(r, "the result"); }

void CallArena::verifyMarkedColumns(const double* a, int64_t rows, int64_t first, int64_t last) const {
    if (rows <= 0) return;
    for (int64_t c = std::max<int64_t>(first, 1); c <= last; ++c)
        for (int64_t r = 0; r < rows; ++r) checkNoValue(a[(c - 1) * rows + r], "a response cell");
}

void CallArena::verifyNoValue(double v, const char* where) const {
    if (std::bit_cast<uint64_t>(v) != kNoValueBits) fail(entry_, std::string(where) + " is not the no-value constant");
}

void CallArena::verify() const {
    for (const Block& b : blocks_) {
        if (b.bytes == 0) continue;
        if (b.use == Use::copied) {
            if (std::memcmp(b.before.data(), b.host, b.bytes) != 0) fail(entry_, "an array copied in came back changed");
            continue;
        }
        if (b.kind == Block::kFlag) {
            const auto* now = static_cast<const VARIANT_BOOL*>(b.host);
            const auto* was = reinterpret_cast<const VARIANT_BOOL*>(b.before.data());
            for (std::size_t i = 0; i < b.bytes / sizeof(VARIANT_BOOL); ++i)
                if (now[i] != was[i] && now[i] != -1 && now[i] != 0)
                    fail(entry_, "a flag was written as " + std::to_string(now[i]));
        } else if (b.kind == Block::kDouble && b.use == Use::marked) {
            const auto* now = static_cast<const double*>(b.host);
            for (std::size_t i = 0; i < b.bytes / sizeof(double); ++i) {
                uint64_t was;
                std::memcpy(&was, b.before.data() + i * sizeof(double), sizeof was);
                if (std::bit_cast<uint64_t>(now[i]) != was) checkNoValue(now[i], "a written cell");
            }
        }
    }
}

}  // namespace vxfuzz
