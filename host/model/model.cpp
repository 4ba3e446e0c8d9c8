#include "host/model/model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

namespace vxhost::model {

namespace {

// Past these a plan's matrices (columns^2 cells) and the terms of the
// named models stop being small.
constexpr int kMostFactors = 200;
constexpr int kMostColumns = 1000;
constexpr int kMostPower = 3;

std::string trimmed(const std::string& s) {
    const auto first = std::find_if_not(s.begin(), s.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
    const auto last = std::find_if_not(s.rbegin(), s.rend(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
    return first < last.base() ? std::string(first, last.base()) : std::string();
}

std::vector<std::string> split(const std::string& text, char at) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t i; (i = text.find(at, from)) != std::string::npos; from = i + 1) parts.push_back(trimmed(text.substr(from, i - from)));
    parts.push_back(trimmed(text.substr(from)));
    return parts;
}

std::size_t factorNamed(const std::vector<Factor>& factors, const std::string& name, const std::string& term) {
    for (std::size_t j = 0; j < factors.size(); ++j)
        if (factors[j].name == name) return j;
    throw std::invalid_argument("model term \"" + term + "\": no factor named \"" + name + "\"");
}

// One term of an explicit list, e.g. "temp*time" or "temp^2".
Term termOf(const std::vector<Factor>& factors, const std::string& text) {
    if (text.empty()) throw std::invalid_argument("model: an empty term (two + in a row, or one at an end)");
    Term t{std::vector<int>(factors.size(), 0)};
    for (const std::string& piece : split(text, '*')) {
        const std::size_t caret = piece.find('^');
        const std::string name = trimmed(piece.substr(0, caret));
        const std::size_t j = factorNamed(factors, name, text);
        int power = 1;
        if (caret != std::string::npos) {
            const std::string exponent = trimmed(piece.substr(caret + 1));
            if (exponent != "2" && exponent != "3")
                throw std::invalid_argument("model term \"" + text + "\": the power must be ^2 or ^3");
            power = exponent[0] - '0';
        }
        if (t.powers[j] != 0)
            throw std::invalid_argument("model term \"" + text + "\": " + name + " appears twice (write " + name + "^2)");
        t.powers[j] = power;
    }
    return t;
}

Term single(std::size_t factors, std::size_t j, int power) {
    Term t{std::vector<int>(factors, 0)};
    t.powers[j] = power;
    return t;
}

// main, interactions or quadratic, in that order of terms.
std::vector<Term> namedTerms(const std::vector<Factor>& factors, const std::string& name) {
    const std::size_t f = factors.size();
    std::vector<Term> terms;
    for (std::size_t j = 0; j < f; ++j) terms.push_back(single(f, j, 1));
    if (name == "main") return terms;
    for (std::size_t a = 0; a < f; ++a)
        for (std::size_t b = a + 1; b < f; ++b) {
            Term t = single(f, a, 1);
            t.powers[b] = 1;
            terms.push_back(t);
        }
    if (name == "quadratic")
        for (std::size_t j = 0; j < f; ++j)
            if (factors[j].numeric()) terms.push_back(single(f, j, 2));
    return terms;
}

std::string termName(const std::vector<Factor>& factors, const Term& t) {
    std::string name;
    for (std::size_t j = 0; j < factors.size(); ++j) {
        if (t.powers[j] == 0) continue;
        if (!name.empty()) name += '*';
        name += factors[j].name;
        if (t.powers[j] > 1) name += '^' + std::to_string(t.powers[j]);
    }
    return name;
}

void checkTerm(const std::vector<Factor>& factors, const Term& t) {
    if (t.powers.size() != factors.size() || std::all_of(t.powers.begin(), t.powers.end(), [](int k) { return k == 0; }))
        throw std::invalid_argument("model: a term must hold at least one of the factors");
    for (std::size_t j = 0; j < factors.size(); ++j) {
        const Factor& f = factors[j];
        const int k = t.powers[j];
        const std::string where = "model term \"" + termName(factors, t) + "\": ";
        if (k < 0 || k > (f.numeric() ? kMostPower : 1))
            throw std::invalid_argument(where + (f.numeric() ? "powers go up to 3" : "^2 and ^3 apply to numeric factors only; " + f.name + " is categorical"));
        // A power at or past the level count is a combination of the lower
        // powers over those levels: no plan could estimate it.
        if (f.kind == FactorKind::Numeric && k >= f.levelCount)
            throw std::invalid_argument(where + "needs " + f.name + " at " + std::to_string(k + 1) + " or more levels");
    }
}

// (factor, part) of the columns a term gives, with their names: every
// combination of one effects column per categorical factor in it.
void addColumns(const std::vector<Factor>& factors, const Term& t, std::vector<std::vector<int>>& parts,
                std::vector<std::string>& names) {
    std::vector<int> part(factors.size(), 0);
    std::vector<std::size_t> categorical;
    for (std::size_t j = 0; j < factors.size(); ++j) {
        part[j] = t.powers[j];
        if (t.powers[j] != 0 && !factors[j].numeric()) categorical.push_back(j);
    }
    while (true) {
        if (static_cast<int>(parts.size()) >= kMostColumns)
            throw std::invalid_argument("model: more than " + std::to_string(kMostColumns) + " columns");
        parts.push_back(part);
        std::string name;
        for (std::size_t j = 0; j < factors.size(); ++j) {
            if (part[j] == 0) continue;
            if (!name.empty()) name += '*';
            name += factors[j].name;
            if (!factors[j].numeric() && factors[j].levelCount > 2) name += '.' + std::to_string(part[j]);
            if (factors[j].numeric() && part[j] > 1) name += '^' + std::to_string(part[j]);
        }
        names.push_back(name);
        // The next combination, the last categorical factor fastest.
        std::size_t k = categorical.size();
        while (k > 0 && part[categorical[k - 1]] == factors[categorical[k - 1]].levelCount - 1) part[categorical[--k]] = 1;
        if (k == 0) return;
        ++part[categorical[k - 1]];
    }
}

// E[x^m], m = 0..2 kMostPower, for x uniform over the levels of a discrete
// numeric factor, or on [-1, 1] for a continuous one (1 / (m + 1) for even
// m, 0 for odd).
std::vector<double> powerMoments(const Factor& f) {
    std::vector<double> moments(2 * kMostPower + 1, 0.0);
    for (int m = 0; m <= 2 * kMostPower; ++m) {
        if (f.kind == FactorKind::Continuous) {
            moments[m] = m % 2 == 1 ? 0.0 : 1.0 / (m + 1);
            continue;
        }
        for (double x : f.levelValues()) moments[m] += std::pow(x, m) / f.levelCount;
    }
    return moments;
}

void checkFactorCount(std::size_t factors) {
    if (factors == 0) throw std::invalid_argument("model: no factors");
    if (factors > static_cast<std::size_t>(kMostFactors))
        throw std::invalid_argument("model: more than " + std::to_string(kMostFactors) + " factors");
}

}  // namespace

Model::Model(std::vector<Factor> factors, std::vector<Term> terms) : factors_(std::move(factors)), terms_(std::move(terms)) {
    checkFactorCount(factors_.size());
    for (std::size_t j = 0; j < factors_.size(); ++j) {
        for (std::size_t k = 0; k < j; ++k)
            if (factors_[j].name == factors_[k].name)
                throw std::invalid_argument("factor " + factors_[j].name + " given twice");
        powerMoments_.push_back(powerMoments(factors_[j]));
    }
    parts_.push_back(std::vector<int>(factors_.size(), 0));
    names_.push_back("1");
    for (std::size_t t = 0; t < terms_.size(); ++t) {
        checkTerm(factors_, terms_[t]);
        if (std::find(terms_.begin(), terms_.begin() + static_cast<std::ptrdiff_t>(t), terms_[t]) != terms_.begin() + static_cast<std::ptrdiff_t>(t))
            throw std::invalid_argument("model term \"" + termName(factors_, terms_[t]) + "\" given twice");
        addColumns(factors_, terms_[t], parts_, names_);
    }
}

Model Model::parse(std::vector<Factor> factors, const std::string& text) {
    const std::string t = trimmed(text);
    if (t == "main" || t == "interactions" || t == "quadratic") {
        checkFactorCount(factors.size());
        std::vector<Term> terms = namedTerms(factors, t);
        return Model(std::move(factors), std::move(terms));
    }
    std::vector<Term> terms;
    for (const std::string& piece : split(t, '+')) terms.push_back(termOf(factors, piece));
    return Model(std::move(factors), std::move(terms));
}

double Model::component(std::size_t j, int part, double value) const {
    const Factor& f = factors_[j];
    if (part == 0) return 1.0;
    if (!f.numeric()) {
        const int level = static_cast<int>(value);
        return level == f.levelCount - 1 ? -1.0 : (level == part - 1 ? 1.0 : 0.0);
    }
    double v = value;
    for (int i = 1; i < part; ++i) v *= value;
    return v;
}

void Model::row(const double* point, double* out) const {
    for (std::size_t c = 0; c < parts_.size(); ++c) {
        double v = 1.0;
        for (std::size_t j = 0; j < factors_.size(); ++j) v *= component(j, parts_[c][j], point[j]);
        out[c] = v;
    }
}

Eigen::VectorXd Model::row(const std::vector<double>& point) const {
    Eigen::VectorXd x(columns());
    row(point.data(), x.data());
    return x;
}

Eigen::MatrixXd Model::matrix(const std::vector<double>& points) const {
    const std::size_t f = factors_.size();
    const Eigen::Index n = static_cast<Eigen::Index>(points.size() / f);
    Eigen::MatrixXd X(n, columns());
    Eigen::VectorXd x(columns());
    for (Eigen::Index r = 0; r < n; ++r) {
        row(points.data() + static_cast<std::size_t>(r) * f, x.data());
        X.row(r) = x.transpose();
    }
    return X;
}

// E[component a * component b] of factor j alone. Effects columns of a
// categorical factor of s levels: each has mean 0, and two of them (c, d)
// meet in the last level (both -1) and, when c = d, in level c: (1 + [c = d]) / s.
double Model::factorMoment(std::size_t j, int a, int b) const {
    const Factor& f = factors_[j];
    if (f.numeric()) return powerMoments_[j][static_cast<std::size_t>(a + b)];
    if (a == 0 && b == 0) return 1.0;
    if (a == 0 || b == 0) return 0.0;
    return (a == b ? 2.0 : 1.0) / f.levelCount;
}

Eigen::MatrixXd Model::moments() const {
    const int p = columns();
    Eigen::MatrixXd W(p, p);
    for (int a = 0; a < p; ++a)
        for (int b = 0; b <= a; ++b) {
            double v = 1.0;
            for (std::size_t j = 0; j < factors_.size() && v != 0.0; ++j) v *= factorMoment(j, parts_[a][j], parts_[b][j]);
            W(a, b) = W(b, a) = v;
        }
    return W;
}

}  // namespace vxhost::model

namespace vxhost::model {

Model Model::withBlocks(int blocks) const {
    Factor block;
    block.name = "block";
    block.kind = FactorKind::Categorical;
    block.block = true;
    block.levelCount = blocks;
    for (int b = 1; b <= blocks; ++b) block.categories.push_back(std::to_string(b));
    std::vector<Factor> factors = factors_;
    factors.push_back(block);
    std::vector<Term> terms = terms_;
    for (Term& t : terms) t.powers.push_back(0);
    terms.push_back(single(factors.size(), factors.size() - 1, 1));
    return Model(std::move(factors), std::move(terms));
}

int Model::highestPower(std::size_t j) const {
    int highest = 0;
    for (const Term& t : terms_) highest = std::max(highest, t.powers[j]);
    return highest;
}

Eigen::VectorXd Model::treatmentColumns() const {
    Eigen::VectorXd mask = Eigen::VectorXd::Ones(columns());
    for (std::size_t c = 0; c < parts_.size(); ++c)
        for (std::size_t j = 0; j < factors_.size(); ++j)
            if (factors_[j].block && parts_[c][j] != 0) mask(static_cast<Eigen::Index>(c)) = 0.0;
    return mask;
}

}  // namespace vxhost::model
