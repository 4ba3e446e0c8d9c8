#include "services/bstr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

std::u16string bstrToString(const BSTR b) {
    if (b == nullptr) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b));
}

BSTR stringToBstr(const std::u16string& s) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()), static_cast<uint32_t>(s.size()));
}

#ifndef _WIN32
// The OLE layout: [uint32 byte count][characters][zero character]; the BSTR
// points at the first character. The block comes from malloc, so the
// characters are 4-byte aligned as on Windows.
namespace {
constexpr std::size_t kPrefix = sizeof(uint32_t);

uint32_t* header(BSTR b) { return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(b) - kPrefix); }
}  // namespace

BSTR SysAllocStringLen(const OLECHAR* strIn, uint32_t ui) {
    const std::size_t bytes = static_cast<std::size_t>(ui) * sizeof(OLECHAR);
    if (bytes > UINT32_MAX - kPrefix - sizeof(OLECHAR)) return nullptr;
    char* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    const uint32_t count = static_cast<uint32_t>(bytes);
    std::memcpy(block, &count, kPrefix);
    BSTR b = reinterpret_cast<BSTR>(block + kPrefix);
    if (strIn != nullptr) {
        std::memcpy(b, strIn, bytes);
    } else {
        std::memset(b, 0, bytes);
    }
    b[ui] = 0;
    return b;
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr) return nullptr;
    uint32_t n = 0;
    while (psz[n] != 0) ++n;
    return SysAllocStringLen(psz, n);
}

uint32_t SysStringLen(BSTR bstr) {
    if (bstr == nullptr) return 0;
    uint32_t bytes;
    std::memcpy(&bytes, header(bstr), kPrefix);
    return bytes / sizeof(OLECHAR);
}

void SysFreeString(BSTR bstr) {
    if (bstr != nullptr) std::free(header(bstr));
}
#endif
