// How good a plan is for its model before it is run: the figures a
// practitioner judges a design by, from its model matrix X (N runs x p
// columns, the intercept first) and the candidate set it was chosen from.
// With M = X'X / N:
//   D = det(M)^(1/p)                     maximised; 1 for an orthogonal +-1 plan
//   A = trace(M^-1) / p                  minimised
//   SPV(x) = x' M^-1 x                   the scaled prediction variance at x
//   G = max over the candidates of SPV   at least p when the candidates hold the plan's rows
// the largest absolute correlation between two model columns (past the
// intercept), and each column's variance inflation factor.
#pragma once

#include <optional>
#include <vector>

namespace vxhost {

// rows x cols, row by row.
struct ModelMatrix {
    int rows = 0, cols = 0;
    std::vector<double> cells;
    double at(int r, int c) const { return cells[static_cast<std::size_t>(r) * cols + c]; }
};

// Columns first < second, 0-based among all model columns.
struct ColumnCorrelation {
    double value = 0;
    int first = 0, second = 0;
};

struct DesignFigures {
    // X'X is singular (or numerically so): D is 0 and no other figure exists.
    bool singular = true;
    double D = 0;
    std::optional<double> A, G, meanSPV;
    // None when fewer than two model columns past the intercept vary.
    std::optional<ColumnCorrelation> largestCorrelation;
    // One per model column past the intercept; none for a column that does
    // not vary or lies in the span of the others.
    std::vector<std::optional<double>> vif;
};

// The figures of plan X over the candidate set (same columns as X).
DesignFigures evaluateDesign(const ModelMatrix& X, const ModelMatrix& candidates);

// G-efficiency in percent: p / G, 100 for a plan whose largest prediction
// variance over the candidates is the least any plan can have.
double gEfficiency(const DesignFigures& f, int p);

// The A of an orthogonal main-effects plan of qualitative factors (effects
// coding): each balanced factor of s levels adds a block (I + J) / s, whose
// inverse has trace s (s - 2) + 1; the intercept adds 1.
double orthogonalA(const std::vector<int>& levels);

}  // namespace vxhost
