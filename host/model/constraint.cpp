#include "host/model/constraint.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace vxhost::model {

namespace {

// A tolerance on the coded scale: a point on a constraint's boundary, reached
// by rounding, still satisfies it.
constexpr double kOnBoundary = 1e-9;

[[noreturn]] void refuse(const std::string& text, const std::string& why) {
    throw std::invalid_argument("\"" + text + "\": " + why);
}

std::size_t factorNamed(const std::vector<Factor>& factors, const std::string& text, const std::string& name) {
    for (std::size_t j = 0; j < factors.size(); ++j)
        if (factors[j].name == name) return j;
    refuse(text, "no factor is named " + name);
}

// Reads a linear expression in the factors' own units, term by term.
class LinearReader {
public:
    LinearReader(const std::vector<Factor>& factors, const std::string& text) : factors_(factors), text_(text) {}

    // sum of coefficients[j] * own_j + constant, read up to a relation.
    struct Expression {
        std::vector<double> coefficients;
        double constant = 0.0;
    };
    Expression expression() {
        Expression e{std::vector<double>(factors_.size(), 0.0), 0.0};
        double sign = 1.0;
        if (skip('-')) sign = -1.0;
        else skip('+');
        while (true) {
            term(sign, e);
            if (skip('+')) sign = 1.0;
            else if (skip('-')) sign = -1.0;
            else return e;
        }
    }

    // <=, <, >=, >; true for one that bounds from above.
    bool relation() {
        space();
        if (at_ < text_.size() && (text_[at_] == '<' || text_[at_] == '>')) {
            const bool upper = text_[at_] == '<';
            ++at_;
            if (at_ < text_.size() && text_[at_] == '=') ++at_;
            return upper;
        }
        refuse(text_, "expected <=, <, >= or > after the left side");
    }

    void end() {
        space();
        if (at_ != text_.size()) refuse(text_, "unexpected \"" + text_.substr(at_) + "\"");
    }

private:
    void space() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    bool skip(char c) {
        space();
        if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
        return false;
    }

    // A number (factor -1), or a numeric factor by its index.
    struct Atom {
        double number = 1.0;
        long factor = -1;
    };
    Atom atom() {
        space();
        const std::size_t from = at_;
        if (at_ < text_.size() && (std::isalpha(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_')) {
            while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_')) ++at_;
            const std::size_t j = factorNamed(factors_, text_, text_.substr(from, at_ - from));
            if (!factors_[j].numeric()) refuse(text_, factors_[j].name + " is categorical; a constraint is over numeric factors");
            return {1.0, static_cast<long>(j)};
        }
        char* end = nullptr;
        const double v = std::strtod(text_.c_str() + from, &end);
        if (end == text_.c_str() + from || !std::isfinite(v)) refuse(text_, "expected a number or a factor's name at \"" + text_.substr(from) + "\"");
        at_ = static_cast<std::size_t>(end - text_.c_str());
        return {v, -1};
    }

    // A number, a factor, or a number times a factor (either way round).
    void term(double sign, Expression& e) {
        Atom a = atom();
        if (skip('*')) {
            const Atom b = atom();
            if (a.factor >= 0 && b.factor >= 0) refuse(text_, "a product of two factors is not linear");
            a = {a.number * b.number, std::max(a.factor, b.factor)};
        }
        if (a.factor >= 0) e.coefficients[static_cast<std::size_t>(a.factor)] += sign * a.number;
        else e.constant += sign * a.number;
    }

    const std::vector<Factor>& factors_;
    const std::string& text_;
    std::size_t at_ = 0;
};

Relation relationIn(const std::string& op) {
    if (op == "=") return Relation::Equal;
    if (op == "!=") return Relation::NotEqual;
    if (op == "<") return Relation::Below;
    if (op == "<=") return Relation::AtMost;
    if (op == ">") return Relation::Above;
    return Relation::AtLeast;
}

std::string trimmed(const std::string& s) {
    const auto from = s.find_first_not_of(" \t");
    if (from == std::string::npos) return {};
    return s.substr(from, s.find_last_not_of(" \t") - from + 1);
}

Condition conditionIn(const std::vector<Factor>& factors, const std::string& text, const std::string& given) {
    const std::string part = trimmed(given);
    const std::size_t op = part.find_first_of("=!<>");
    if (op == std::string::npos || op == 0) refuse(text, "expected NAME=VALUE, NAME!=VALUE, NAME<VALUE, ... in \"" + part + "\"");
    std::size_t value = op + 1;
    if (value < part.size() && part[value] == '=') ++value;
    const std::string opText = part.substr(op, value - op);
    if (opText == "!" || opText == "==") refuse(text, "\"" + opText + "\" is not a relation");
    Condition c{factorNamed(factors, text, trimmed(part.substr(0, op))), relationIn(opText), 0.0};
    const Factor& f = factors[c.factor];
    const std::string v = trimmed(part.substr(value));
    if (!f.numeric()) {
        if (c.relation != Relation::Equal && c.relation != Relation::NotEqual)
            refuse(text, f.name + " is categorical: it takes = or !=");
        const auto at = std::find(f.categories.begin(), f.categories.end(), v);
        if (at == f.categories.end()) refuse(text, f.name + " has no level \"" + v + "\"");
        c.value = static_cast<double>(at - f.categories.begin());
        return c;
    }
    char* end = nullptr;
    const double own = std::strtod(v.c_str(), &end);
    if (v.empty() || end != v.c_str() + v.size() || !std::isfinite(own)) refuse(text, "\"" + v + "\" is not a number");
    c.value = f.coded(own);
    return c;
}

}  // namespace

bool LinearConstraint::holds(const double* point) const {
    double sum = 0.0;
    for (std::size_t j = 0; j < coefficients.size(); ++j) sum += coefficients[j] * point[j];
    return sum <= bound + kOnBoundary * (1.0 + std::fabs(bound));
}

bool Condition::holds(const double* point) const {
    const double x = point[factor];
    switch (relation) {
        case Relation::Equal: return std::fabs(x - value) <= kOnBoundary;
        case Relation::NotEqual: return std::fabs(x - value) > kOnBoundary;
        case Relation::Below: return x < value - kOnBoundary;
        case Relation::AtMost: return x <= value + kOnBoundary;
        case Relation::Above: return x > value + kOnBoundary;
        case Relation::AtLeast: return x >= value - kOnBoundary;
    }
    return false;
}

bool Exclusion::excludes(const double* point) const {
    return std::all_of(conditions.begin(), conditions.end(), [point](const Condition& c) { return c.holds(point); });
}

LinearConstraint parseConstraint(const std::vector<Factor>& factors, const std::string& text) {
    LinearReader reader(factors, text);
    const LinearReader::Expression left = reader.expression();
    const bool upper = reader.relation();
    const LinearReader::Expression right = reader.expression();
    reader.end();
    // left - right <= 0 (or >= 0), then own_j = mid_j + half_j x_j.
    const double sign = upper ? 1.0 : -1.0;
    LinearConstraint c{std::vector<double>(factors.size(), 0.0), -sign * (left.constant - right.constant)};
    double least = 0.0;  // the least the left side takes over the factors' ranges
    bool names = false;
    for (std::size_t j = 0; j < factors.size(); ++j) {
        const double own = sign * (left.coefficients[j] - right.coefficients[j]);
        if (own == 0.0) continue;
        names = true;
        const double mid = 0.5 * (factors[j].low + factors[j].high), half = 0.5 * (factors[j].high - factors[j].low);
        c.coefficients[j] = own * half;
        c.bound -= own * mid;
        least -= std::fabs(c.coefficients[j]);
    }
    if (!names) refuse(text, "it names no factor");
    if (least > c.bound + kOnBoundary * (1.0 + std::fabs(c.bound))) refuse(text, "no point of the factors' ranges satisfies it");
    return c;
}

Exclusion parseExclusion(const std::vector<Factor>& factors, const std::string& text) {
    Exclusion e;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        e.conditions.push_back(conditionIn(factors, text, text.substr(from, comma - from)));
        if (comma == std::string::npos) return e;
        from = comma + 1;
    }
}

}  // namespace vxhost::model
