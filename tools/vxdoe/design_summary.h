// The figures a practitioner judges a plan by, in a job's summary: D, A and
// G with their efficiencies where a bound is known, the largest and mean
// scaled prediction variance over the candidate set, the largest absolute
// correlation between two model columns and the pair that has it, and each
// term's variance inflation factor (host/evaluate/design_figures.h).
//
// Keys: D, A, G, D_efficiency, A_efficiency, G_efficiency (percent),
// max_SPV, mean_SPV, largest_correlation, largest_correlation_pair,
// VIF_<term> (the term's name with every run of characters other than
// letters, digits and _ written as one _), candidates (how many points the
// prediction variance ran over, or "too many to enumerate"). A figure that
// does not exist (a singular plan, no bound, no enumerated candidates) is
// null, so that every run of a job gives the same keys.
#pragma once

#include "host/evaluate/design_figures.h"
#include "tools/vxdoe/output.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vxdoe::summary {

// The most cells (points x model columns) a plan or a candidate set may have
// to be evaluated: 32 MB of doubles, a fraction of a second.
inline constexpr long long kMostCells = 1LL << 22;

using vxhost::ModelMatrix;

// Whether rows x columns cells are few enough to evaluate.
bool enumerable(long long rows, int columns);

// Points of a factor space (levels, coded units, proportions) are kept as
// matrices too, one point a row. These are the rows x cols cells of a
// column-major table from column `first` on.
ModelMatrix rowsOf(const double* columnMajor, int rows, int first, int cols);

// The rows of a, then those of b that a lacks (equal to 1e-9): a candidate
// set made to hold the plan's own points.
ModelMatrix unionOf(const ModelMatrix& a, const ModelMatrix& b);

// The model rows of points, `columns` cells each, by expandRow(point, row).
ModelMatrix expanded(const ModelMatrix& points, int columns,
                     const std::function<void(const double* point, double* row)>& expandRow);

// A plan's model: its matrix, its candidates' and the names of the model
// columns past the first (the intercept, or a mixture's first component).
struct Model {
    std::optional<ModelMatrix> plan;  // none: too large to evaluate
    std::vector<std::string> terms;
    // The candidate set's rows, or none when there are too many to enumerate.
    std::optional<ModelMatrix> candidates;
    // Without candidates: rows whose second moments are the candidate set's,
    // so that their mean prediction variance is the candidate set's too.
    std::optional<ModelMatrix> moments;
};

// The plan's and the candidates' model rows, each kept when small enough.
Model modelOf(const ModelMatrix& plan, const std::optional<ModelMatrix>& candidates, int columns,
              std::vector<std::string> terms, const std::function<void(const double* point, double* row)>& expandRow);

// The bounds of D and A that the job knows (D of an orthogonal plan, ...).
struct Bounds {
    std::optional<double> D, A;
};

// Every figure above; D is left out when the job has given its own.
void report(Output& out, const Model& model, const Bounds& bounds, bool withD = true);
// Of those, the ones of the model's columns: largest_correlation, its pair,
// VIF_<term>, for the terms past the intercept.
void reportColumns(Output& out, const std::vector<std::string>& terms, const vxhost::DesignFigures& f);

// To twelve significant digits, which print the same under every C runtime
// (logarithms and powers may differ in their last bit).
double twelveDigits(double v);

// The help's paragraph on these figures, for a job whose candidate set and
// model are as described.
std::string helpNotes(const std::string& model, const std::string& candidates);

// ----- models -----------------------------------------------------------------------

// Main effects of qualitative factors in the library's effects coding
// (icode 1 or 2), the plan given as levels 1..s, one run a row; candidates
// the full factorial, or its moments when it is too large. A factor of s
// levels has s - 1 columns, named name.1 .. name.(s-1), or name alone when
// s is 2.
Model mainEffects(const std::vector<int>& levels, int icode, const std::vector<std::string>& names,
                  const ModelMatrix& plan);

// The full second-order model in coded units: intercept, the linear terms,
// the two-factor interactions Xi*Xj, the squares Xi^2. Candidates: the 3^k
// grid of coded levels and the plan's own points.
Model secondOrder(const ModelMatrix& coded, const std::vector<std::string>& names);

}  // namespace vxdoe::summary
