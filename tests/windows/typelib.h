// Reading the library's own type library back through the platform's
// oleaut32, as a late-binding host does.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vxwin {

// Owns a BSTR; SysFreeString accepts null.
struct BstrFree {
    void operator()(OLECHAR* b) const { SysFreeString(b); }
};
using Bstr = std::unique_ptr<OLECHAR, BstrFree>;

// Owns a COM interface pointer.
struct ComRelease {
    void operator()(IUnknown* p) const { p->Release(); }
};
template <class I>
using Com = std::unique_ptr<I, ComRelease>;

// The characters of a BSTR as narrow text: the type library holds ASCII.
inline std::string narrow(const OLECHAR* s, UINT length) {
    std::string out;
    for (UINT i = 0; i < length; ++i) out += s[i] < 0x80 ? static_cast<char>(s[i]) : '?';
    return out;
}
inline std::string narrow(BSTR s) { return s ? narrow(s, SysStringLen(s)) : std::string(); }

// The absolute Windows form of a path given on the command line (Wine also
// accepts Unix paths there and maps them to drive Z:).
inline std::wstring fullPath(const char* path) {
    std::wstring wide(path, path + std::char_traits<char>::length(path));
    std::vector<wchar_t> buffer(MAX_PATH * 4);
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return n > 0 && n < buffer.size() ? std::wstring(buffer.data(), n) : wide;
}

// The type library embedded in a module (resource TYPELIB 1), unregistered.
inline Com<ITypeLib> loadTypeLib(const std::wstring& modulePath, HRESULT* status = nullptr) {
    ITypeLib* lib = nullptr;
    const HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &lib);
    if (status) *status = hr;
    return Com<ITypeLib>(SUCCEEDED(hr) ? lib : nullptr);
}

// The function descriptions of one typeinfo, released with it.
class FuncDescs {
public:
    explicit FuncDescs(ITypeInfo* info) : info_(info) {
        TYPEATTR* attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr))) return;
        const int n = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        for (int i = 0; i < n; ++i) {
            FUNCDESC* fd = nullptr;
            if (SUCCEEDED(info->GetFuncDesc(i, &fd))) descs_.push_back(fd);
        }
    }
    ~FuncDescs() {
        for (FUNCDESC* fd : descs_) info_->ReleaseFuncDesc(fd);
    }
    FuncDescs(const FuncDescs&) = delete;
    FuncDescs& operator=(const FuncDescs&) = delete;

    const std::vector<FUNCDESC*>& all() const { return descs_; }

private:
    ITypeInfo* info_;
    std::vector<FUNCDESC*> descs_;
};

// The member's name followed by its parameter names.
inline std::vector<std::string> memberNames(ITypeInfo* info, MEMBERID id) {
    BSTR raw[64] = {};
    UINT count = 0;
    std::vector<std::string> names;
    if (FAILED(info->GetNames(id, raw, 64, &count))) return names;
    for (UINT i = 0; i < count; ++i) {
        names.push_back(narrow(raw[i]));
        SysFreeString(raw[i]);
    }
    return names;
}

// DLL and entry name of a module function. An ordinal entry reads "#n".
struct DllEntry {
    std::string dll;
    std::string entry;
};
inline DllEntry dllEntry(ITypeInfo* info, MEMBERID id) {
    BSTR dll = nullptr, name = nullptr;
    WORD ordinal = 0;
    DllEntry out;
    if (FAILED(info->GetDllEntry(id, INVOKE_FUNC, &dll, &name, &ordinal))) return out;
    out.dll = narrow(dll);
    if (name) {
        out.entry = narrow(name);
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "#%u", static_cast<unsigned>(ordinal));
        out.entry = text;
    }
    SysFreeString(dll);
    SysFreeString(name);
    return out;
}

}  // namespace vxwin
