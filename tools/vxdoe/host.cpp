#include "tools/vxdoe/host.h"

#include "tools/vxdoe/output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#endif

namespace vxdoe {

// ----- the library ------------------------------------------------------------

#ifdef _WIN32
namespace {
// LoadLibrary wants backslashes in a path; the default path and a path typed
// Unix-style may hold forward ones.
std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
}  // namespace

Library::Library(const std::string& path)
    : handle_(reinterpret_cast<void*>(LoadLibraryA(windowsPath(path).c_str()))) {
    // The loader's reason tells a missing file from a wrong one.
    if (handle_ == nullptr)
        throw UsageError("cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
}
Library::~Library() { FreeLibrary(static_cast<HMODULE>(handle_)); }
std::string Library::path() const {
    char buf[MAX_PATH];
    const DWORD n = GetModuleFileNameA(static_cast<HMODULE>(handle_), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string();
}
void* Library::address(const char* name) const {
    void* p = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
    if (p == nullptr) throw UsageError(std::string("the library has no ") + name);
    return p;
}
BSTR Library::allocString(const std::u16string& s) const {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()), static_cast<UINT>(s.size()));
}
void Library::freeString(BSTR b) const { SysFreeString(b); }
std::u16string Library::readString(BSTR b) const {
    return b ? std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b)) : std::u16string();
}
#else
Library::Library(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    // The loader's reason tells a missing file from a wrong one.
    if (handle_ == nullptr) throw UsageError("cannot load " + path + " (" + dlerror() + ")");
}
Library::~Library() { dlclose(handle_); }
std::string Library::path() const {
    const link_map* map = nullptr;
    return dlinfo(handle_, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr ? map->l_name : std::string();
}
void* Library::address(const char* name) const {
    void* p = dlsym(handle_, name);
    if (p == nullptr) throw UsageError(std::string("the library has no ") + name);
    return p;
}
// On this platform the library exports the BSTR allocator; the host uses it
// so that strings cross the boundary with one owner at a time.
BSTR Library::allocString(const std::u16string& s) const {
    auto alloc = entry<decltype(SysAllocStringLen)>("SysAllocStringLen");
    return alloc(s.data(), static_cast<uint32_t>(s.size()));
}
void Library::freeString(BSTR b) const { entry<decltype(SysFreeString)>("SysFreeString")(b); }
std::u16string Library::readString(BSTR b) const {
    return b ? std::u16string(b, entry<decltype(SysStringLen)>("SysStringLen")(b)) : std::u16string();
}
#endif

// ----- options ------------------------------------------------------------------

namespace {
Option option(std::string name, Kind kind, std::string meaning) {
    Option o;
    o.name = std::move(name);
    o.kind = kind;
    o.meaning = std::move(meaning);
    return o;
}

template <class T>
bool parseNumber(const std::string& s, T& v) {
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, v);
    return ec == std::errc() && ptr == end;
}

std::vector<std::string> listItems(const std::string& s) {
    std::vector<std::string> items;
    std::stringstream in(s);
    for (std::string item; std::getline(in, item, ',');) items.push_back(item);
    return items;
}

// The most items a whole-number list holds: the most factors any job takes.
constexpr std::size_t kMostWholeItems = 10000;

// The items of a whole-number list, s^k standing for k items s ("3^8,2^4":
// twelve level counts), into items; why the list cannot be read, or empty.
// Each item is then read as a plain whole number.
std::string wholeItems(const std::string& s, std::vector<std::string>& items) {
    for (const std::string& item : listItems(s)) {
        const std::size_t caret = item.find('^');
        int times = 1;
        if (caret != std::string::npos && !parseNumber(item.substr(caret + 1), times))
            return "in '" + item + "' the repeat count is not a whole number";
        if (times < 0 || static_cast<std::size_t>(times) > kMostWholeItems)
            return "in '" + item + "' the repeat count is out of range (0 to " + std::to_string(kMostWholeItems) + ")";
        items.insert(items.end(), static_cast<std::size_t>(times), item.substr(0, caret));
        if (items.size() > kMostWholeItems) return "at most " + std::to_string(kMostWholeItems) + " values";
    }
    return {};
}

}  // namespace

std::string rangeText(const Option& o) {
    const bool low = o.min > -HUGE_VAL, high = o.max < HUGE_VAL;
    if (low && high) return shortest(o.min) + " to " + shortest(o.max);
    if (low) return "at least " + shortest(o.min);
    if (high) return "at most " + shortest(o.max);
    return {};
}

namespace {
// Why one number (a value, or an item of a list) does not suit the option.
std::string numberProblem(const Option& o, bool whole, const std::string& s) {
    double v = 0;
    if (whole) {
        int i = 0;
        if (!parseNumber(s, i)) return "'" + s + "' is not a whole number";
        v = i;
    } else if (!parseNumber(s, v) || std::isnan(v)) {
        return "'" + s + "' is not a number";
    }
    if (v < o.min || v > o.max) return s + " is out of range (" + rangeText(o) + ")";
    return {};
}
}  // namespace

Option flag(std::string name, std::string meaning) { return option(std::move(name), Kind::Flag, std::move(meaning)); }
Option integer(std::string name, std::string meaning) {
    return option(std::move(name), Kind::Integer, std::move(meaning));
}
Option number(std::string name, std::string meaning) {
    return option(std::move(name), Kind::Number, std::move(meaning));
}
Option integers(std::string name, std::string meaning) {
    return option(std::move(name), Kind::Integers, std::move(meaning));
}
Option numbers(std::string name, std::string meaning) {
    return option(std::move(name), Kind::Numbers, std::move(meaning));
}
Option text(std::string name, std::string meaning) { return option(std::move(name), Kind::Text, std::move(meaning)); }
Option choice(std::string name, std::string meaning, std::vector<std::string> values) {
    Option o = option(std::move(name), Kind::Choice, std::move(meaning));
    o.choices = std::move(values);
    return o;
}

std::string valueProblem(const Option& o, const std::string& value) {
    switch (o.kind) {
        case Kind::Integer:
        case Kind::Number:
            return numberProblem(o, o.kind == Kind::Integer, value);
        case Kind::Integers: {
            std::vector<std::string> items;
            if (std::string why = wholeItems(value, items); !why.empty()) return why;
            for (const std::string& item : items)
                if (std::string why = numberProblem(o, true, item); !why.empty()) return why;
            return {};
        }
        case Kind::Numbers:
            for (const std::string& item : listItems(value))
                if (std::string why = numberProblem(o, false, item); !why.empty()) return why;
            return {};
        case Kind::Choice:
            for (const std::string& c : o.choices)
                if (value == c) return {};
            return "'" + value + "' is not one of " + [&] {
                std::string all;
                for (const std::string& c : o.choices) all += (all.empty() ? "" : ", ") + c;
                return all;
            }();
        case Kind::Flag:
        case Kind::Text:
            break;
    }
    return {};
}

Args::Args(std::map<std::string, std::string> values, const std::vector<Option>& declared,
           std::map<std::string, std::vector<std::string>> repeated)
    : values_(std::move(values)), repeated_(std::move(repeated)) {
    for (const Option& o : declared) declared_.push_back(o.name);
    for (const auto& [name, all] : repeated_)
        if (!all.empty()) values_[name] = all.back();
}

bool Args::has(const std::string& name) const {
    if (std::find(declared_.begin(), declared_.end(), name) == declared_.end())
        throw UndeclaredOption("the job reads --" + name + ", which its option table lacks");
    return values_.count(name) != 0;
}

const std::string& Args::value(const std::string& name) const {
    const std::string& v = values_.at(name);
    if (v.empty()) throw UsageError("--" + name + " needs a value");
    return v;
}

std::string Args::text(const std::string& name, const std::string& fallback) const {
    return has(name) ? value(name) : fallback;
}

std::vector<std::string> Args::texts(const std::string& name) const {
    if (!has(name)) return {};
    const auto all = repeated_.find(name);
    if (all == repeated_.end()) return {value(name)};
    for (const std::string& v : all->second)
        if (v.empty()) throw UsageError("--" + name + " needs a value");
    return all->second;
}

namespace {
template <class T>
T numberOf(const std::string& name, const std::string& s) {
    T v{};
    if (!parseNumber(s, v)) throw UsageError("--" + name + ": '" + s + "' is not a number");
    return v;
}

template <class T>
std::vector<T> listOf(const std::string& name, const std::string& s) {
    std::vector<T> out;
    for (const std::string& item : listItems(s)) out.push_back(numberOf<T>(name, item));
    return out;
}
}  // namespace

std::int32_t newSeed() {
    std::random_device device;
    return static_cast<std::int32_t>(device() % 2147483646u) + 1;
}

int Args::integer(const std::string& name, int fallback) const {
    return has(name) ? numberOf<int>(name, value(name)) : fallback;
}
double Args::number(const std::string& name, double fallback) const {
    return has(name) ? numberOf<double>(name, value(name)) : fallback;
}
std::vector<int> Args::integers(const std::string& name) const {
    std::vector<int> out;
    if (!has(name)) return out;
    std::vector<std::string> items;
    if (const std::string why = wholeItems(value(name), items); !why.empty()) throw UsageError("--" + name + ": " + why);
    for (const std::string& item : items) out.push_back(numberOf<int>(name, item));
    return out;
}
std::vector<double> Args::numbers(const std::string& name) const {
    return has(name) ? listOf<double>(name, value(name)) : std::vector<double>();
}

// ----- jobs ------------------------------------------------------------------------

namespace {
std::vector<Job>& jobs() {
    static std::vector<Job> all;
    return all;
}
}  // namespace

JobRegistration::JobRegistration(Job job) {
    for (Option& o : outputOptions()) job.options.push_back(std::move(o));
    jobs().push_back(std::move(job));
}
const std::vector<Job>& registeredJobs() { return jobs(); }

// ----- text ------------------------------------------------------------------------

std::string toUtf8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned long c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string fromUtf8(const std::string& s) {
    // Options are ASCII in practice; bytes above 0x7F pass through as Latin-1.
    std::u16string out;
    for (unsigned char c : s) out += static_cast<char16_t>(c);
    return out;
}

}  // namespace vxdoe
