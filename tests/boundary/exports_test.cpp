// The header, the export list, the type-library description and the built
// library's dynamic symbol table must tell the same story.
#include <gtest/gtest.h>

#include <cxxabi.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Param {
    std::string direction;  // "in", "in,out" or "" (none)
    std::string type;       // type-library spelling: int, double, VARIANT_BOOL, BSTR, with '*' for pointers
    std::string name;
    bool operator==(const Param&) const = default;
};
using Signatures = std::map<std::string, std::pair<std::string, std::vector<Param>>>;

std::string readFile(const std::string& relative) {
    std::ifstream in(std::string(VX_SOURCE_DIR) + "/" + relative);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string squeeze(std::string s) {
    s = std::regex_replace(s, std::regex(R"(\s+)"), " ");
    s = std::regex_replace(s, std::regex(R"(\s*\*\s*)"), "* ");
    return std::regex_replace(s, std::regex(R"(^ | $)"), "");
}

// Splits at the commas between parameters, not those inside "[in, out]".
std::vector<std::string> splitParams(const std::string& list) {
    std::vector<std::string> out;
    std::string current;
    int depth = 0;
    for (char c : list) {
        depth += (c == '[') - (c == ']');
        if (c == ',' && depth == 0) {
            out.push_back(squeeze(current));
            current.clear();
        } else {
            current += c;
        }
    }
    out.push_back(squeeze(current));
    return out;
}

std::string idlTypeOfC(const std::string& c) {
    static const std::map<std::string, std::string> types{
        {"int32_t", "int"}, {"double", "double"}, {"VARIANT_BOOL", "VARIANT_BOOL"}, {"BSTR", "BSTR"}, {"void", "void"}};
    const auto it = types.find(c);
    return it == types.end() ? "?" + c : it->second;
}

// Reads the parameters of one declaration, each matched by `param` and
// turned into a Param by `toParam`.
template <class ToParam>
std::vector<Param> readParams(const std::string& list, const std::regex& param, const std::string& owner,
                              ToParam toParam) {
    std::vector<Param> params;
    for (const auto& p : splitParams(list)) {
        std::smatch m;
        if (!std::regex_match(p, m, param)) ADD_FAILURE() << "unreadable parameter '" << p << "' of " << owner;
        else params.push_back(toParam(m));
    }
    return params;
}

Signatures headerSignatures() {
    Signatures sigs;
    const std::string text = readFile("boundary/VORNEXDO1M.h");
    const std::regex entry(R"re(VX_API\s+(\w+)\s+VX_CALL\s+(Cpp_\w+)\s*\(([^)]*)\)\s*;)re");
    const std::regex param(R"(^(VX_IN |VX_NODIR )?(\w+)(\*)? (\w+)$)");
    for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it) {
        sigs[(*it)[2]] = {idlTypeOfC((*it)[1]), readParams((*it)[3], param, (*it)[2], [](const std::smatch& m) {
                              const bool pointer = m[3].matched;
                              const std::string mark = m[1].matched ? squeeze(m[1]) : "";
                              const std::string dir = mark == "VX_IN"      ? "in"
                                                      : mark == "VX_NODIR" ? ""
                                                      : pointer            ? "in,out"
                                                                           : "?";
                              return Param{dir, idlTypeOfC(m[2]) + (pointer ? "*" : ""), m[4]};
                          })};
    }
    return sigs;
}

Signatures idlSignatures(std::vector<std::string>* entryMismatches) {
    Signatures sigs;
    const std::string text = readFile("boundary/VORNEXDO1M.idl");
    const std::regex entry(R"re(\[entry\("(\w+)"\)\]\s*(\w+)\s+__stdcall\s+(\w+)\s*\(([^)]*)\)\s*;)re");
    const std::regex param(R"(^(\[in\] |\[in, out\] )?(\w+\*?) (\w+)$)");
    for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it) {
        if ((*it)[1] != (*it)[3]) entryMismatches->push_back((*it)[3]);
        sigs[(*it)[3]] = {(*it)[2], readParams((*it)[4], param, (*it)[3], [](const std::smatch& m) {
                              const std::string dir = !m[1].matched ? "" : m[1] == "[in] " ? "in" : "in,out";
                              return Param{dir, m[2], m[3]};
                          })};
    }
    return sigs;
}

std::vector<std::string> defNames() {
    std::vector<std::string> names;
    std::stringstream in(readFile("boundary/VORNEXDO1M.def"));
    for (std::string line; std::getline(in, line);) {
        line = squeeze(line);
        if (line.empty() || line[0] == ';' || line.rfind("LIBRARY", 0) == 0 || line == "EXPORTS") continue;
        names.push_back(line);
    }
    return names;
}

std::set<std::string> dynamicSymbols() {
    std::set<std::string> names;
    const std::string command = std::string("nm -D --defined-only ") + VX_LIBRARY_PATH;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return names;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe.get())) {
        std::stringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name) names.insert(name);
    }
    return names;
}

std::string demangle(const std::string& symbol) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> d(abi::__cxa_demangle(symbol.c_str(), nullptr, nullptr, &status), std::free);
    return status == 0 ? std::string(d.get()) : symbol;
}

// Functions exported under their decorated C++ names.
bool isDecoratedExport(const std::string& symbol) {
    static const std::vector<std::string> allowed{"ComputeQuality(", "ComputeSumSqrLambdas(", "Randomkfrom1toN(",
                                                  "DOEMixSimplex(",  "DOEMixRealCoord(",      "DOEMixPredictorMatrix(",
                                                  "matrix3D<"};
    const std::string d = demangle(symbol);
    return std::any_of(allowed.begin(), allowed.end(), [&](const auto& a) { return d.rfind(a, 0) == 0; });
}

const std::set<std::string> kBstrHelpers{"SysAllocString", "SysAllocStringLen", "SysStringLen", "SysFreeString"};

// Names the toolchain itself puts in every shared object.
bool isToolchainSymbol(const std::string& s) { return s.rfind("__", 0) == 0 || s == "_init" || s == "_fini"; }

TEST(Exports, HeaderAndTypeLibraryDeclareTheSameEntryPoints) {
    const Signatures header = headerSignatures();
    std::vector<std::string> entryMismatches;
    const Signatures idl = idlSignatures(&entryMismatches);
    ASSERT_FALSE(header.empty());
    EXPECT_TRUE(entryMismatches.empty()) << "entry name differs from function name: " << entryMismatches.front();
    for (const auto& [name, sig] : header) {
        const auto it = idl.find(name);
        if (it == idl.end()) ADD_FAILURE() << name << " is missing from the .idl";
        if (it == idl.end()) continue;
        EXPECT_EQ(sig.first, it->second.first) << "result of " << name;
        ASSERT_EQ(sig.second.size(), it->second.second.size()) << "parameter count of " << name;
        for (std::size_t i = 0; i < sig.second.size(); ++i) {
            const Param &h = sig.second[i], &t = it->second.second[i];
            EXPECT_EQ(std::tie(h.name, h.type, h.direction), std::tie(t.name, t.type, t.direction))
                << name << " parameter " << i + 1 << " (name, type, direction)";
            // Scalars are in and every pointer has a direction.
            EXPECT_TRUE(h.direction != "?" && (h.type.back() == '*' || h.name == "NbMaxCat" || h.direction == "in"))
                << name << " " << h.name << ": " << h.direction;
        }
    }
    for (const auto& [name, sig] : idl) EXPECT_TRUE(header.count(name)) << name << " is in the .idl only";
}

TEST(Exports, ExportListNamesEveryEntryPointAndNothingUnknown) {
    const std::vector<std::string> def = defNames();
    const std::set<std::string> unique(def.begin(), def.end());
    EXPECT_EQ(unique.size(), def.size()) << "the .def lists a name twice";
    const Signatures header = headerSignatures();
    for (const auto& [name, sig] : header) EXPECT_TRUE(unique.count(name)) << name << " missing from .def";
    for (const auto& name : def)
        EXPECT_TRUE(name.rfind("Cpp_", 0) != 0 || header.count(name)) << name << " is in the .def only";
}

TEST(Exports, LibraryExportsExactlyTheListedNames) {
#ifdef _WIN32
    GTEST_SKIP() << "the DLL's export table is checked by tools/check_pe.sh";
#endif
    const std::set<std::string> symbols = dynamicSymbols();
    ASSERT_FALSE(symbols.empty()) << "cannot read the symbols of " << VX_LIBRARY_PATH;
    const std::vector<std::string> def = defNames();
    for (const auto& name : def) EXPECT_TRUE(symbols.count(name)) << name << " is listed but not exported";
    for (const auto& s : kBstrHelpers) EXPECT_TRUE(symbols.count(s)) << s;
    for (const auto& s : symbols) {
        const bool listed = std::find(def.begin(), def.end(), s) != def.end();
        EXPECT_TRUE(listed || kBstrHelpers.count(s) || isToolchainSymbol(s) || isDecoratedExport(s))
            << "unexpected export " << s << " (" << demangle(s) << ")";
    }
}

}  // namespace
