#include "host/model/factor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace vxhost::model {

namespace {

[[noreturn]] void refuse(const std::string& given, const std::string& why) {
    throw std::invalid_argument("factor \"" + given + "\": " + why);
}

// Names stand in model terms beside + * ^, so they are identifiers.
bool validName(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front()))) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

double numberIn(const std::string& given, const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v))
        refuse(given, "\"" + text + "\" is not a number");
    return v;
}

int levelCountIn(const std::string& given, const std::string& text) {
    char* end = nullptr;
    const long k = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size() || k < 2 || k > kMostLevels)
        refuse(given, "the level count \"" + text + "\" is not a whole number from 2 to " + std::to_string(kMostLevels));
    return static_cast<int>(k);
}

std::vector<std::string> split(const std::string& text, char at) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t i; (i = text.find(at, from)) != std::string::npos; from = i + 1) parts.push_back(text.substr(from, i - from));
    parts.push_back(text.substr(from));
    return parts;
}

void readCategories(const std::string& given, const std::string& levels, Factor& f) {
    f.kind = FactorKind::Categorical;
    f.categories = split(levels, '|');
    for (std::size_t i = 0; i < f.categories.size(); ++i) {
        if (f.categories[i].empty()) refuse(given, "an empty level name");
        if (std::find(f.categories.begin(), f.categories.begin() + static_cast<std::ptrdiff_t>(i), f.categories[i]) !=
            f.categories.begin() + static_cast<std::ptrdiff_t>(i))
            refuse(given, "level \"" + f.categories[i] + "\" given twice");
    }
    if (f.categories.size() > static_cast<std::size_t>(kMostLevels))
        refuse(given, "more than " + std::to_string(kMostLevels) + " levels");
    f.levelCount = static_cast<int>(f.categories.size());
}

void readRange(const std::string& given, const std::string& range, Factor& f) {
    std::string bounds = range;
    if (const std::size_t slash = range.find('/'); slash != std::string::npos) {
        f.kind = FactorKind::Numeric;
        f.levelCount = levelCountIn(given, range.substr(slash + 1));
        bounds = range.substr(0, slash);
    }
    const std::size_t colon = bounds.find(':');
    if (colon == std::string::npos) refuse(given, "expected LOW:HIGH, LOW:HIGH/K or a|b|c after =");
    f.low = numberIn(given, bounds.substr(0, colon));
    f.high = numberIn(given, bounds.substr(colon + 1));
    if (!(f.low < f.high)) refuse(given, "LOW must be below HIGH");
}

}  // namespace

std::vector<double> Factor::levelValues() const {
    std::vector<double> values;
    for (int l = 0; l < levelCount; ++l)
        values.push_back(numeric() ? -1.0 + 2.0 * l / (levelCount - 1) : static_cast<double>(l));
    return values;
}

double Factor::coded(double v) const { return (2.0 * v - low - high) / (high - low); }

double Factor::own(double c) const { return 0.5 * (low + high) + 0.5 * (high - low) * c; }

Factor parseFactor(const std::string& given) {
    const std::size_t eq = given.find('=');
    if (eq == std::string::npos) refuse(given, "expected NAME=LOW:HIGH, NAME=LOW:HIGH/K or NAME=a|b|c");
    Factor f;
    f.name = given.substr(0, eq);
    if (!validName(f.name)) refuse(given, "the name must be letters, digits and _, not starting with a digit");
    const std::string rest = given.substr(eq + 1);
    if (rest.find('|') != std::string::npos) readCategories(given, rest, f);
    else readRange(given, rest, f);
    return f;
}

}  // namespace vxhost::model
