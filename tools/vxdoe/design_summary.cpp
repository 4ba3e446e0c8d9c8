#include "tools/vxdoe/design_summary.h"

#include "host/optimal/model.h"

#include <cctype>
#include <cmath>
#include <set>

namespace vxdoe::summary {

namespace {

const char* const kTooMany = "too many to enumerate";

// Every combination of one value per dimension, the last dimension fastest.
ModelMatrix grid(const std::vector<std::vector<double>>& values) {
    ModelMatrix g{1, static_cast<int>(values.size()), {}};
    for (const std::vector<double>& v : values) g.rows *= static_cast<int>(v.size());
    std::vector<std::size_t> at(values.size(), 0);
    for (int r = 0; r < g.rows; ++r) {
        for (std::size_t d = 0; d < values.size(); ++d) g.cells.push_back(values[d][at[d]]);
        for (std::size_t d = values.size(); d-- > 0;) {
            if (++at[d] < values[d].size()) break;
            at[d] = 0;
        }
    }
    return g;
}

// How many points that grid has, as a double so that no count overflows.
double gridSize(const std::vector<std::vector<double>>& values) {
    double n = 1;
    for (const std::vector<double>& v : values) n *= static_cast<double>(v.size());
    return n;
}

std::vector<double> levelNumbers(int s) {
    std::vector<double> v;
    for (int l = 1; l <= s; ++l) v.push_back(l);
    return v;
}

// A key of the summary from a term's name: letters, digits and _ as they
// are, any other run of characters as one _.
std::string keyOf(const std::string& term) {
    std::string key;
    for (char c : term) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '_';
        if (plain) key += c;
        else if (key.empty() || key.back() != '_') key += '_';
    }
    return key;
}

// A figure to twelve digits; not finite (a missing part, a zero divisor): null.
Value figureOf(double v) { return number(twelveDigits(v)); }

// Rows whose second moments are those of the full factorial of these
// levels, W = diag(1, (I + J) / s of each factor): over the factorial every
// factor is balanced and independent of the others, so the coded columns of
// two factors are uncorrelated and have mean 0. With n rows, the intercept
// row is sqrt(n) e_0 and each level l of factor j gives its coded block
// scaled by sqrt(n / s_j), zero elsewhere; their mean of x x' is W.
ModelMatrix factorialMoments(const std::vector<int>& levels, int icode) {
    const int p = vxhost::modelColumns(levels);
    int n = 1;
    for (int s : levels) n += s;
    ModelMatrix m{n, p, std::vector<double>(static_cast<std::size_t>(n) * p, 0.0)};
    m.cells[0] = std::sqrt(static_cast<double>(n));
    std::vector<int> run(levels.size(), 1);
    std::vector<double> row(static_cast<std::size_t>(p));
    int r = 1, first = 1;
    for (std::size_t j = 0; j < levels.size(); ++j) {
        const int s = levels[j];
        for (int l = 1; l <= s; ++l, ++r) {
            run[j] = l;
            vxhost::modelRow(levels, icode, run.data(), row.data());
            for (int c = first; c < first + s - 1; ++c)
                m.cells[static_cast<std::size_t>(r) * p + c] = row[static_cast<std::size_t>(c)] * std::sqrt(double(n) / s);
        }
        run[j] = 1;
        first += s - 1;
    }
    return m;
}

}  // namespace

bool enumerable(long long rows, int columns) { return rows >= 0 && static_cast<double>(rows) * columns <= kMostCells; }

ModelMatrix rowsOf(const double* columnMajor, int rows, int first, int cols) {
    ModelMatrix m{rows, cols, std::vector<double>(static_cast<std::size_t>(rows) * cols)};
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            m.cells[static_cast<std::size_t>(r) * cols + c] = columnMajor[static_cast<std::size_t>(first + c) * rows + r];
    return m;
}

ModelMatrix unionOf(const ModelMatrix& a, const ModelMatrix& b) {
    auto keyOfRow = [](const ModelMatrix& m, int r) {
        std::vector<long long> key;
        for (int c = 0; c < m.cols; ++c) key.push_back(std::llround(m.at(r, c) * 1e9));
        return key;
    };
    std::set<std::vector<long long>> seen;
    for (int r = 0; r < a.rows; ++r) seen.insert(keyOfRow(a, r));
    ModelMatrix u = a;
    for (int r = 0; r < b.rows; ++r)
        if (seen.insert(keyOfRow(b, r)).second) {
            u.cells.insert(u.cells.end(), b.cells.begin() + static_cast<long>(r) * b.cols,
                           b.cells.begin() + static_cast<long>(r + 1) * b.cols);
            ++u.rows;
        }
    return u;
}

ModelMatrix expanded(const ModelMatrix& points, int columns,
                     const std::function<void(const double* point, double* row)>& expandRow) {
    ModelMatrix m{points.rows, columns, std::vector<double>(static_cast<std::size_t>(points.rows) * columns)};
    for (int r = 0; r < points.rows; ++r)
        expandRow(&points.cells[static_cast<std::size_t>(r) * points.cols], &m.cells[static_cast<std::size_t>(r) * columns]);
    return m;
}

Model modelOf(const ModelMatrix& plan, const std::optional<ModelMatrix>& candidates, int columns,
              std::vector<std::string> terms, const std::function<void(const double* point, double* row)>& expandRow) {
    Model model;
    model.terms = std::move(terms);
    if (enumerable(plan.rows, columns)) model.plan = expanded(plan, columns, expandRow);
    if (candidates) model.candidates = expanded(*candidates, columns, expandRow);
    return model;
}

double twelveDigits(double v) {
    if (v == 0.0 || !std::isfinite(v)) return v;
    const double scale = std::pow(10.0, 11 - static_cast<int>(std::floor(std::log10(std::fabs(v)))));
    return std::round(v * scale) / scale;
}

void report(Output& out, const Model& model, const Bounds& bounds, bool withD) {
    // Missing figures are NaN, which number() prints as null.
    const double none = std::nan("");
    auto valueOf = [none](const std::optional<double>& v) { return v ? *v : none; };
    vxhost::DesignFigures f;
    const ModelMatrix* over = model.candidates ? &*model.candidates : model.moments ? &*model.moments : nullptr;
    if (model.plan) f = vxhost::evaluateDesign(*model.plan, over ? *over : ModelMatrix{});
    const double D = model.plan ? f.D : none, A = valueOf(f.A);
    const double G = model.candidates ? valueOf(f.G) : none;
    if (withD) out.figure("D", figureOf(D));
    out.figure("A", figureOf(A));
    out.figure("G", figureOf(G));
    out.figure("D_efficiency", figureOf(100.0 * D / valueOf(bounds.D)));
    out.figure("A_efficiency", figureOf(100.0 * valueOf(bounds.A) / A));
    out.figure("G_efficiency", figureOf(model.plan ? 100.0 * model.plan->cols / G : none));
    out.figure("max_SPV", figureOf(G));
    out.figure("mean_SPV", figureOf(valueOf(f.meanSPV)));
    reportColumns(out, model.terms, f);
    if (model.candidates)
        out.figure("candidates", static_cast<double>(model.candidates->rows));
    else
        out.figure("candidates", model.plan || model.moments ? Value(kTooMany) : Value());
}

void reportColumns(Output& out, const std::vector<std::string>& terms, const vxhost::DesignFigures& f) {
    const double none = std::nan("");
    auto valueOf = [none](const std::optional<double>& v) { return v ? *v : none; };
    // The correlation as printed; a pair is named only when it stands out from 0.
    const double r = f.largestCorrelation ? twelveDigits(std::fabs(f.largestCorrelation->value)) : none;
    out.figure("largest_correlation", figureOf(r));
    out.figure("largest_correlation_pair",
               r > 1e-12 ? Value(terms[static_cast<std::size_t>(f.largestCorrelation->first - 1)] + "," +
                                 terms[static_cast<std::size_t>(f.largestCorrelation->second - 1)])
                         : Value());
    for (std::size_t t = 0; t < terms.size(); ++t)
        out.figure("VIF_" + keyOf(terms[t]), figureOf(t < f.vif.size() ? valueOf(f.vif[t]) : none));
}

namespace {

// Words wrapped at 100 columns, as the options' help reads.
std::string wrapped(const std::string& text) {
    std::string out, line;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t to = text.find(' ', from);
        if (to == std::string::npos) to = text.size();
        const std::string word = text.substr(from, to - from);
        if (!line.empty() && line.size() + 1 + word.size() > 100) out += line + "\n", line.clear();
        line += (line.empty() ? "" : " ") + word;
        from = to + 1;
    }
    return out + line;
}

}  // namespace

std::string helpNotes(const std::string& model, const std::string& candidates) {
    return wrapped("The summary judges the plan for " + model +
           ": D = det(M)^(1/p) and A = trace(M^-1)/p with M = X'X/N, G = max_SPV and mean_SPV, the scaled "
           "prediction variance N x'(X'X)^-1 x over " + candidates +
           "; D_, A_ and G_efficiency in percent (G's bound is p), null where no bound is known; "
           "largest_correlation between two model columns and its pair; VIF_<term> (characters other "
           "than letters, digits and _ as _); candidates, their count.");
}

Model mainEffects(const std::vector<int>& levels, int icode, const std::vector<std::string>& names,
                  const ModelMatrix& plan) {
    std::vector<std::string> terms;
    std::vector<std::vector<double>> values;
    for (std::size_t j = 0; j < levels.size(); ++j) {
        for (int c = 1; c < levels[j]; ++c) terms.push_back(levels[j] == 2 ? names[j] : names[j] + "." + std::to_string(c));
        values.push_back(levelNumbers(levels[j]));
    }
    const int p = vxhost::modelColumns(levels);
    std::vector<int> run(levels.size());
    auto expandRow = [&](const double* point, double* row) {
        for (std::size_t j = 0; j < levels.size(); ++j) run[j] = static_cast<int>(point[j]);
        vxhost::modelRow(levels, icode, run.data(), row);
    };
    const bool enumerated = gridSize(values) * p <= kMostCells;
    Model model = modelOf(plan, enumerated ? std::optional<ModelMatrix>(grid(values)) : std::nullopt, p,
                          std::move(terms), expandRow);
    if (!enumerated) model.moments = factorialMoments(levels, icode);
    return model;
}

Model secondOrder(const ModelMatrix& coded, const std::vector<std::string>& names) {
    const int k = coded.cols;
    std::vector<std::string> terms = names;
    for (int i = 0; i < k; ++i)
        for (int j = i + 1; j < k; ++j) terms.push_back(names[i] + "*" + names[j]);
    for (int i = 0; i < k; ++i) terms.push_back(names[i] + "^2");
    const int p = 1 + static_cast<int>(terms.size());
    auto expandRow = [k](const double* x, double* row) {
        *row++ = 1.0;
        for (int i = 0; i < k; ++i) *row++ = x[i];
        for (int i = 0; i < k; ++i)
            for (int j = i + 1; j < k; ++j) *row++ = x[i] * x[j];
        for (int i = 0; i < k; ++i) *row++ = x[i] * x[i];
    };
    const std::vector<std::vector<double>> values(static_cast<std::size_t>(k), {-1.0, 0.0, 1.0});
    const bool enumerated = (gridSize(values) + coded.rows) * p <= kMostCells;
    return modelOf(coded, enumerated ? std::optional<ModelMatrix>(unionOf(grid(values), coded)) : std::nullopt, p,
                   std::move(terms), expandRow);
}

}  // namespace vxdoe::summary
