// VORNEXDO1M.dll as a late-binding host meets it: loaded with LoadLibrary,
// bound through its type library, called through DispCallFunc with the
// platform's BSTRs and VARIANT_BOOL arrays. Each late-bound call is checked
// against the same call made through a typed pointer from GetProcAddress:
// an argument passed in the wrong register or slot, a BSTR from the wrong
// allocator or a VARIANT_BOOL of the wrong width shows as a difference.
#include "boundary/VORNEXDO1M.h"
#include "tests/windows/typelib.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace vxwin;

namespace {

const wchar_t* const kDllName = L"VORNEXDO1M.dll";

// The DLL next to this program, as the host finds it.
std::wstring dllPath() {
    wchar_t self[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + kDllName;
}

class Dll : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryW(dllPath().c_str());
        typeLib_ = loadTypeLib(dllPath()).release();
    }
    static void TearDownTestSuite() {
        if (typeLib_) typeLib_->Release();
        if (module_) FreeLibrary(module_);
    }
    void SetUp() override {
        ASSERT_NE(module_, nullptr) << "LoadLibrary failed";
        ASSERT_NE(typeLib_, nullptr) << "LoadTypeLibEx found no type library in the DLL";
    }

    template <class Fn>
    static Fn* early(const char* name) {
        return reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    // The address the type library binds `name` to (AddressOfMember).
    static void* late(const char* name) {
        Com<ITypeInfo> module = moduleInfo();
        if (!module) return nullptr;
        FuncDescs funcs(module.get());
        for (const FUNCDESC* fd : funcs.all()) {
            const std::vector<std::string> names = memberNames(module.get(), fd->memid);
            void* address = nullptr;
            if (!names.empty() && names[0] == name &&
                SUCCEEDED(module->AddressOfMember(fd->memid, INVOKE_FUNC, &address)))
                return address;
        }
        return nullptr;
    }

    static Com<ITypeInfo> moduleInfo() {
        ITypeInfo* info = nullptr;
        for (UINT i = 0; i < typeLib_->GetTypeInfoCount(); ++i) {
            TYPEKIND kind;
            if (SUCCEEDED(typeLib_->GetTypeInfoType(i, &kind)) && kind == TKIND_MODULE &&
                SUCCEEDED(typeLib_->GetTypeInfo(i, &info)))
                return Com<ITypeInfo>(info);
        }
        return Com<ITypeInfo>();
    }

    static HMODULE module_;
    static ITypeLib* typeLib_;
};
HMODULE Dll::module_ = nullptr;
ITypeLib* Dll::typeLib_ = nullptr;

// Names in the DLL's export directory.
std::set<std::string> exportedNames(HMODULE module) {
    std::set<std::string> names;
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.Size == 0) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
    return names;
}

// ----- late binding: the arguments a host builds for DispCallFunc ---------------

template <class Set>
VARIANTARG argument(VARTYPE vt, Set set) {
    VARIANTARG a;
    VariantInit(&a);
    a.vt = vt;
    set(a);
    return a;
}
VARIANTARG byValue(int32_t v) { return argument(VT_I4, [&](VARIANTARG& a) { a.lVal = v; }); }
VARIANTARG byValue(double v) { return argument(VT_R8, [&](VARIANTARG& a) { a.dblVal = v; }); }
VARIANTARG byRef(int32_t* p) {
    return argument(VT_BYREF | VT_I4, [&](VARIANTARG& a) { a.plVal = reinterpret_cast<LONG*>(p); });
}
VARIANTARG byRef(double* p) { return argument(VT_BYREF | VT_R8, [&](VARIANTARG& a) { a.pdblVal = p; }); }
VARIANTARG byRef(VARIANT_BOOL* p) { return argument(VT_BYREF | VT_BOOL, [&](VARIANTARG& a) { a.pboolVal = p; }); }
VARIANTARG byRef(BSTR* p) { return argument(VT_BYREF | VT_BSTR, [&](VARIANTARG& a) { a.pbstrVal = p; }); }

// Calls `function` as a static stdcall function and returns its result
// (VT_EMPTY for a void function).
VARIANT dispCall(void* function, VARTYPE result, std::vector<VARIANTARG> args) {
    std::vector<VARTYPE> types;
    std::vector<VARIANTARG*> pointers;
    for (VARIANTARG& a : args) {
        types.push_back(a.vt);
        pointers.push_back(&a);
    }
    VARIANT out;
    VariantInit(&out);
    const HRESULT hr = DispCallFunc(nullptr, reinterpret_cast<ULONG_PTR>(function), CC_STDCALL, result,
                                    static_cast<UINT>(args.size()), types.data(), pointers.data(), &out);
    EXPECT_EQ(hr, S_OK) << "DispCallFunc";
    return out;
}

// ----- BSTR arrays owned by the test ---------------------------------------------

class Strings {
public:
    explicit Strings(std::vector<BSTR> items) : items_(std::move(items)) {}
    ~Strings() {
        for (BSTR b : items_) SysFreeString(b);
    }
    Strings(const Strings&) = delete;
    Strings& operator=(const Strings&) = delete;
    BSTR* data() { return items_.data(); }
    std::wstring at(size_t i) const { return items_[i] ? std::wstring(items_[i], SysStringLen(items_[i])) : L""; }
    BSTR raw(size_t i) const { return items_[i]; }

private:
    std::vector<BSTR> items_;
};

BSTR bstr(const std::wstring& s) { return SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

// ----- binding ------------------------------------------------------------------------

TEST_F(Dll, EveryFunctionOfTheTypeLibraryBindsToTheExportOfItsName) {
    Com<ITypeInfo> module = moduleInfo();
    ASSERT_TRUE(module) << "no module typeinfo";
    FuncDescs funcs(module.get());
    ASSERT_FALSE(funcs.all().empty());
    for (const FUNCDESC* fd : funcs.all()) {
        const std::vector<std::string> names = memberNames(module.get(), fd->memid);
        ASSERT_FALSE(names.empty());
        const std::string& name = names[0];
        const DllEntry entry = dllEntry(module.get(), fd->memid);
        EXPECT_EQ(entry.dll, "VORNEXDO1M.dll") << name;
        EXPECT_EQ(entry.entry, name) << "entry name of " << name;
        EXPECT_EQ(fd->funckind, FUNC_STATIC) << name;
        EXPECT_EQ(fd->callconv, CC_STDCALL) << name;

        void* exported = reinterpret_cast<void*>(GetProcAddress(module_, name.c_str()));
        void* bound = nullptr;
        EXPECT_NE(exported, nullptr) << "GetProcAddress(" << name << ")";
        EXPECT_EQ(module->AddressOfMember(fd->memid, INVOKE_FUNC, &bound), S_OK) << "AddressOfMember(" << name << ")";
        EXPECT_EQ(bound, exported) << name;
    }
}

TEST_F(Dll, EveryExportedEntryPointIsDeclaredInTheTypeLibrary) {
    Com<ITypeInfo> module = moduleInfo();
    ASSERT_TRUE(module);
    std::set<std::string> declared;
    FuncDescs funcs(module.get());
    for (const FUNCDESC* fd : funcs.all()) declared.insert(memberNames(module.get(), fd->memid).at(0));
    int entryPoints = 0;
    for (const std::string& name : exportedNames(module_)) {
        if (name.rfind("Cpp_", 0) != 0) continue;
        ++entryPoints;
        EXPECT_TRUE(declared.count(name)) << name << " is exported but a late-binding host cannot see it";
    }
    EXPECT_EQ(static_cast<size_t>(entryPoints), declared.size());
}

TEST_F(Dll, StringFunctionsComeFromThePlatform) {
    const std::set<std::string> names = exportedNames(module_);
    for (const char* name : {"SysAllocString", "SysAllocStringLen", "SysStringLen", "SysFreeString"})
        EXPECT_FALSE(names.count(name)) << "the DLL exports its own " << name;
}

// ----- late-bound calls ---------------------------------------------------------------

TEST_F(Dll, OrthogonalArrayWithItsNameLateBound) {
    constexpr int32_t kLines = 64, kCols = 64, kTable = 1;
    std::vector<double> lateCells(kLines * kCols, -7.0), earlyCells(kLines * kCols, -7.0);
    int32_t lateId = 0, earlyId = 0;
    Strings lateName({nullptr}), earlyName({nullptr});  // a null BSTR reads as the empty string

    const VARIANT r =
        dispCall(late("Cpp_PlanGetOrtho"), VT_I4,
                 {byValue(kLines), byValue(kCols), byValue(kTable), byRef(lateCells.data()), byRef(lateName.data()),
                  byRef(&lateId)});
    const int32_t e = early<decltype(Cpp_PlanGetOrtho)>("Cpp_PlanGetOrtho")(kLines, kCols, kTable, earlyCells.data(),
                                                                           earlyName.data(), &earlyId);
    EXPECT_EQ(r.lVal, 0);
    EXPECT_EQ(e, 0);
    EXPECT_EQ(lateCells, earlyCells);
    EXPECT_NE(lateCells[0], -7.0) << "nothing was copied back";
    EXPECT_EQ(lateId, earlyId);
    EXPECT_EQ(lateName.at(0), earlyName.at(0));
    if (lateName.raw(0) != nullptr) {
        EXPECT_EQ(SysStringByteLen(lateName.raw(0)), 2 * SysStringLen(lateName.raw(0)));
    }
}

TEST_F(Dll, MixtureModelMatrixWithLabelsLateBound) {
    constexpr int32_t kRuns = 3, kComponents = 3, kQuadratic = 2;
    const int32_t nCoef =
        dispCall(late("Cpp_DOEMixGetnCoef"), VT_I4, {byValue(kComponents), byValue(kRuns), byValue(kQuadratic), byValue(0)})
            .lVal;
    ASSERT_EQ(nCoef, 6);  // three proportions and their three products
    // Column-major runs (0.5, 0.3, 0.2), (0.2, 0.5, 0.3), (0.3, 0.2, 0.5).
    std::vector<double> runs = {0.5, 0.2, 0.3, 0.3, 0.5, 0.2, 0.2, 0.3, 0.5};
    const std::wstring withNul(L"B\0b", 3);  // a BSTR carries its length: an embedded NUL survives
    Strings labels({bstr(L"Alpha"), bstr(withNul), bstr(L"C")});
    std::vector<double> lateModel(kRuns * nCoef, 0.0), earlyModel(kRuns * nCoef, 0.0);
    // Null strings for one call, stale ones for the other: the library frees
    // each with the platform's SysFreeString and stores a new one.
    Strings lateTerms(std::vector<BSTR>(nCoef, nullptr)), earlyTerms(std::vector<BSTR>(nCoef, nullptr));
    for (int32_t c = 0; c < nCoef; ++c) earlyTerms.data()[c] = bstr(L"stale term " + std::to_wstring(c));

    const VARIANT r = dispCall(late("Cpp_DOEMixPredictorMatrix"), VT_EMPTY,
                               {byRef(runs.data()), byValue(kRuns), byValue(kComponents), byValue(nCoef),
                                byRef(labels.data()), byValue(kQuadratic), byValue(0), byRef(lateModel.data()),
                                byRef(lateTerms.data())});
    EXPECT_EQ(r.vt, VT_EMPTY);
    early<decltype(Cpp_DOEMixPredictorMatrix)>("Cpp_DOEMixPredictorMatrix")(
        runs.data(), kRuns, kComponents, nCoef, labels.data(), kQuadratic, 0, earlyModel.data(), earlyTerms.data());

    EXPECT_EQ(lateModel, earlyModel);
    for (int32_t c = 0; c < nCoef; ++c) EXPECT_EQ(lateTerms.at(c), earlyTerms.at(c)) << "term " << c;
    // The linear terms are the proportions themselves, labelled as given.
    for (int32_t i = 0; i < kRuns * kComponents; ++i) EXPECT_DOUBLE_EQ(lateModel[i], runs[i]);
    EXPECT_EQ(lateTerms.at(0), L"Alpha");
    EXPECT_EQ(lateTerms.at(1), withNul);
    EXPECT_DOUBLE_EQ(lateModel[kRuns * kComponents], 0.5 * 0.3);  // x1 x2 of the first run
}

TEST_F(Dll, PlanComparisonWithFlagsLateBound) {
    // Two runs, two factors: X holds run order, standard order, replicate,
    // centre flag, then the factors; the edited copy Xbis has the factor
    // columns and the standard order under their headers, one value changed.
    constexpr int32_t kRuns = 2, kFactors = 2, kCols = 4 + kFactors, kEdited = 3;
    const std::vector<double> plan = {1, 2, 1, 2, 1, 1, 0, 0, 10, 20, 5, 6};
    const std::vector<double> edited = {1, 2, 10, 25, 5, 6};
    Strings headers({bstr(L"Std"), bstr(L"Temp"), bstr(L"Time")});
    Strings factors({bstr(L"Temp"), bstr(L"Time")});
    Strings reference({bstr(L"Std")});

    std::vector<double> lateX = plan, earlyX = plan, lateEdit = edited, earlyEdit = edited;
    std::vector<VARIANT_BOOL> lateFlags(kRuns * (kFactors + 4), 0), earlyFlags(kRuns * (kFactors + 4), 0);
    int32_t lateCode = 0, earlyCode = 0;
    dispCall(late("Cpp_ComparePlan"), VT_EMPTY,
             {byValue(kRuns), byValue(kCols), byValue(kFactors), byRef(lateX.data()), byRef(lateEdit.data()),
              byValue(kEdited), byRef(headers.data()), byRef(factors.data()), byRef(reference.data()),
              byRef(&lateCode), byRef(lateFlags.data())});
    early<decltype(Cpp_ComparePlan)>("Cpp_ComparePlan")(kRuns, kCols, kFactors, earlyX.data(), earlyEdit.data(),
                                                        kEdited, headers.data(), factors.data(), reference.data(),
                                                        &earlyCode, earlyFlags.data());
    EXPECT_EQ(lateCode, earlyCode);
    EXPECT_EQ(lateX, earlyX);
    EXPECT_EQ(lateFlags, earlyFlags);
    EXPECT_EQ(lateCode, 3) << "one factor value taken over";
    EXPECT_EQ(lateX[4 * kRuns + 1], 25.0) << "the edited value reached the plan";
    // Exactly the changed cell (run 2, first factor) is flagged, as a 16-bit
    // -1: a wider write would spill into the next cell.
    std::vector<VARIANT_BOOL> expectedFlags(kRuns * (kFactors + 4), 0);
    expectedFlags[4 * kRuns + 1] = -1;
    EXPECT_EQ(lateFlags, expectedFlags);
}

TEST_F(Dll, DoublesPassedByValueLateBound) {
    // Real coordinates take two doubles by value in the fifth and sixth
    // places (on the stack), the range widening one in the third (a register).
    std::vector<double> latePlan = {1, 0, 0, 0, 1, 0, 0, 0, 1}, earlyPlan = latePlan;
    double bounds[] = {0.1, 0.2, 0.3};
    const VARIANT r = dispCall(late("Cpp_DOEMixRealCoord"), VT_I4,
                               {byRef(latePlan.data()), byValue(3), byValue(3), byRef(bounds), byValue(0.4),
                                byValue(250.0)});
    const int32_t e = early<decltype(Cpp_DOEMixRealCoord)>("Cpp_DOEMixRealCoord")(earlyPlan.data(), 3, 3, bounds, 0.4,
                                                                                 250.0);
    EXPECT_EQ(r.lVal, e);
    EXPECT_EQ(latePlan, earlyPlan);

    double lateMin = 10, lateMax = 20, earlyMin = 10, earlyMax = 20;
    dispCall(late("Cpp_AdaptMinMaxDOE"), VT_EMPTY, {byRef(&lateMin), byRef(&lateMax), byValue(0.25)});
    early<decltype(Cpp_AdaptMinMaxDOE)>("Cpp_AdaptMinMaxDOE")(&earlyMin, &earlyMax, 0.25);
    EXPECT_EQ(lateMin, earlyMin);
    EXPECT_EQ(lateMax, earlyMax);
    EXPECT_TRUE(lateMin < 10 && lateMax > 20) << "the range was not widened";
}

}  // namespace
