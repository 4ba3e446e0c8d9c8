// Prints the type library embedded in a module as oleaut32 reads it back:
//
//   tlbdump MODULE.dll
//
// One line per typeinfo, then one per function with its result type, its
// parameters (direction, type, name) and the DLL entry it binds to. Hosts
// bind by name, so functions are listed in name order, which keeps the
// listing independent of the declaration order. Anything a host would trip
// over (a function that is not static stdcall) gets a line of its own.
#include "tests/windows/typelib.h"

#include <algorithm>
#include <cstdio>

using namespace vxwin;

namespace {

std::string typeName(const TYPEDESC& t) {
    switch (t.vt) {
        case VT_PTR: return "PTR(" + typeName(*t.lptdesc) + ")";
        case VT_INT: return "INT";
        case VT_UINT: return "UINT";
        case VT_I2: return "I2";
        case VT_UI2: return "UI2";
        case VT_I4: return "I4";
        case VT_UI4: return "UI4";
        case VT_I8: return "I8";
        case VT_R4: return "R4";
        case VT_R8: return "R8";
        case VT_BOOL: return "BOOL";
        case VT_BSTR: return "BSTR";
        case VT_VOID: return "VOID";
        case VT_HRESULT: return "HRESULT";
        case VT_VARIANT: return "VARIANT";
        case VT_USERDEFINED: return "USERDEFINED";
        default: return "VT" + std::to_string(t.vt);
    }
}

std::string direction(USHORT flags) {
    const bool in = flags & PARAMFLAG_FIN, out = flags & PARAMFLAG_FOUT;
    if (in && out) return "[in,out] ";
    if (in) return "[in] ";
    if (out) return "[out] ";
    return "";
}

const char* kindName(TYPEKIND kind) {
    switch (kind) {
        case TKIND_MODULE: return "module";
        case TKIND_ALIAS: return "alias";
        case TKIND_RECORD: return "record";
        case TKIND_ENUM: return "enum";
        case TKIND_INTERFACE: return "interface";
        case TKIND_DISPATCH: return "dispatch";
        case TKIND_COCLASS: return "coclass";
        default: return "other";
    }
}

struct FunctionLine {
    std::string name;
    std::string text;
};

FunctionLine signature(ITypeInfo* info, const FUNCDESC& fd) {
    const std::vector<std::string> names = memberNames(info, fd.memid);
    const std::string name = names.empty() ? "?" : names[0];
    std::string line = typeName(fd.elemdescFunc.tdesc) + " " + name + "(";
    for (SHORT p = 0; p < fd.cParams; ++p) {
        const ELEMDESC& e = fd.lprgelemdescParam[p];
        if (p) line += ", ";
        const size_t nameIndex = static_cast<size_t>(p) + 1;
        line += direction(e.paramdesc.wParamFlags) + typeName(e.tdesc) + " " +
                (nameIndex < names.size() ? names[nameIndex] : "?");
    }
    line += ")";
    if (fd.funckind == FUNC_STATIC) {
        const DllEntry entry = dllEntry(info, fd.memid);
        line += " = " + entry.dll + "!" + entry.entry;
    }
    if (fd.funckind != FUNC_STATIC || fd.callconv != CC_STDCALL) line += "\n  !! not static stdcall: " + name;
    return {name, line};
}

void dumpTypeInfo(ITypeInfo* info, ITypeLib* lib, UINT index) {
    BSTR name = nullptr, doc = nullptr;
    lib->GetDocumentation(static_cast<INT>(index), &name, &doc, nullptr, nullptr);
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    std::printf("%s %s \"%s\"\n", attr ? kindName(attr->typekind) : "?", narrow(name).c_str(), narrow(doc).c_str());
    if (attr) info->ReleaseTypeAttr(attr);
    SysFreeString(name);
    SysFreeString(doc);

    FuncDescs funcs(info);
    std::vector<FunctionLine> lines;
    for (const FUNCDESC* fd : funcs.all()) lines.push_back(signature(info, *fd));
    std::sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const FunctionLine& line : lines) std::printf("  %s\n", line.text.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tlbdump MODULE.dll\n");
        return 2;
    }
    HRESULT hr = S_OK;
    Com<ITypeLib> lib = loadTypeLib(fullPath(argv[1]), &hr);
    if (!lib) {
        std::fprintf(stderr, "tlbdump: LoadTypeLibEx(%s) failed: 0x%08lx\n", argv[1], static_cast<unsigned long>(hr));
        return 1;
    }
    TLIBATTR* libAttr = nullptr;
    if (SUCCEEDED(lib->GetLibAttr(&libAttr))) {
        std::printf("syskind %s\n", libAttr->syskind == SYS_WIN64 ? "win64" : "not-win64");
        lib->ReleaseTLibAttr(libAttr);
    }
    const UINT count = lib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        ITypeInfo* raw = nullptr;
        if (FAILED(lib->GetTypeInfo(i, &raw))) {
            std::printf("typeinfo %u unreadable\n", i);
            continue;
        }
        Com<ITypeInfo> info(raw);
        dumpTypeInfo(info.get(), lib.get(), i);
    }
    return 0;
}
