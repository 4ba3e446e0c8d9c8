// A linear model over the factors, built once and handed to every stage
// (search, criteria, report): its terms, its columns and their names, the
// model row of a point, and the moment matrix W over the region.
//
// A term is a product of factors, each numeric one raised to a power 1..3.
// A numeric factor enters in coded units; a categorical factor of s levels
// enters in effects coding as the library codes it: s - 1 columns, level i
// (0-based) below s - 1 holding 1 in its own column, the last level -1 in
// all. A term's columns are the products of its factors' columns, so a
// categorical factor of s levels times a numeric one gives s - 1 columns.
// The intercept is always the first column.
#pragma once

#include "host/model/factor.h"

#include <Eigen/Dense>

#include <string>
#include <vector>

namespace vxhost::model {

// A factor's power in a term, one per factor: 0 absent; 1..3 for a numeric
// factor, 1 for a categorical one.
struct Term {
    std::vector<int> powers;
    bool operator==(const Term&) const = default;
};

class Model {
public:
    // std::invalid_argument when a term is malformed, repeated, or cannot be
    // estimated by any plan (a power at or past a numeric factor's levels).
    Model(std::vector<Factor> factors, std::vector<Term> terms);

    // `text`: main, interactions, quadratic, or terms joined by +, each of
    // factor names joined by *, numeric ones with ^2 or ^3 allowed.
    static Model parse(std::vector<Factor> factors, const std::string& text);

    const std::vector<Factor>& factors() const { return factors_; }
    const std::vector<Term>& terms() const { return terms_; }
    int columns() const { return static_cast<int>(names_.size()); }
    // "1" for the intercept, then e.g. temp, temp*time, temp^2, cat.1.
    const std::vector<std::string>& columnNames() const { return names_; }

    // The model row of a point (one value per factor), columns() cells.
    void row(const double* point, double* out) const;
    Eigen::VectorXd row(const std::vector<double>& point) const;
    // The rows of points stored one after another, factors() values each.
    Eigen::MatrixXd matrix(const std::vector<double>& points) const;

    // The same model with a categorical block factor of `blocks` levels
    // (named "block") appended and its main effect the last term.
    Model withBlocks(int blocks) const;
    // The highest power factor j has in any term (0 when it is in none).
    int highestPower(std::size_t j) const;
    // 1 for a column of the treatments, 0 for one that holds a block factor.
    Eigen::VectorXd treatmentColumns() const;

    // W = E[f(x) f(x)'] with each continuous factor uniform on [-1, 1], each
    // discrete one uniform over its levels, the factors independent.
    Eigen::MatrixXd moments() const;

private:
    // Column c is the product over factors j of component(j, parts_[c][j]).
    // The part of a numeric factor is its power; of a categorical one 0
    // (absent) or 1 + the effects column it takes.
    double component(std::size_t j, int part, double value) const;
    double factorMoment(std::size_t j, int a, int b) const;

    std::vector<Factor> factors_;
    std::vector<Term> terms_;
    std::vector<std::vector<int>> parts_;
    std::vector<std::vector<double>> powerMoments_;  // E[x^m] of each factor, m = 0..6
    std::vector<std::string> names_;
};

}  // namespace vxhost::model
