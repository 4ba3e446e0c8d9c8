// vxdoe mixture: a simplex design, in proportions or in real quantities.
// vxdoe mixture-model: the model matrix of a simplex design, under its term labels.
#include "tools/vxdoe/design_summary.h"
#include "tools/vxdoe/output.h"

#include <cmath>
#include <numeric>

namespace {

// The host allocates no table larger than this.
constexpr long long kMaxCells = 50'000'000;

int designType(const std::string& name) {
    if (name == "lattice") return 1;
    if (name == "centroid") return 2;
    if (name == "augmented") return 3;
    throw vxdoe::UsageError("--design must be lattice, centroid or augmented");
}

int modelType(const std::string& name) {
    if (name == "full") return 0;
    if (name == "special") return 1;
    throw vxdoe::UsageError("--type must be full or special");
}

int componentCount(const vxdoe::Args& args) {
    const int q = args.integer("components", 0);
    if (q < 1) throw vxdoe::UsageError("--components needs a count of at least 1");
    return q;
}

std::vector<double> hostTable(long long rows, long long cols) {
    if (rows < 0 || cols < 0 || rows * cols > kMaxCells) throw vxdoe::UsageError("the table would be too large");
    return std::vector<double>(static_cast<std::size_t>(rows * cols), 0.0);
}

struct Table {
    int32_t rows = 0;
    int32_t cols = 0;
    std::vector<double> cells;
};

// Sized first, then filled, as the spreadsheet host does.
Table simplexDesign(const vxdoe::Library& lib, int q, int degree, int type) {
    Table design;
    lib.entry<decltype(Cpp_DOEMixGetSizeoSimplex)>("Cpp_DOEMixGetSizeoSimplex")(q, degree, type, &design.rows,
                                                                                &design.cols);
    design.cells = hostTable(design.rows, design.cols);
    lib.entry<decltype(Cpp_DOEMixSimplex)>("Cpp_DOEMixSimplex")(q, degree, type, design.cells.data(), design.rows,
                                                                design.cols);
    return design;
}

// Lower bounds L (zeros when absent); the proportions x become
// (x * scale + L) * total, the scale defaulting to the room 1 - sum(L) the
// bounds leave. The library maps whatever it is given, so the host refuses
// what is no blend: bounds that leave no room, a scale that pushes the blend
// past its total or below its bounds, a total that is not positive (the
// parser refuses a negative bound).
void toRealQuantities(const vxdoe::Library& lib, const vxdoe::Args& args, Table& design) {
    std::vector<double> lower = args.has("lower") ? args.numbers("lower") : std::vector<double>(design.cols, 0.0);
    if (lower.size() != static_cast<std::size_t>(design.cols))
        throw vxdoe::UsageError("--lower needs one bound per component");
    // Snapped, so that bounds of 0.2,0.1,0.1 leave 0.6 and not 0.5999999999999999,
    // which would refuse --scale 0.6.
    const double sum = vxdoe::snapped(std::accumulate(lower.begin(), lower.end(), 0.0), 1.0);
    const double room = vxdoe::snapped(1.0 - sum, 1.0);
    if (room <= 0)
        throw vxdoe::UsageError("--lower: the bounds sum to " + vxdoe::shortest(sum) + ", which leaves no room below 1");
    const double scale = args.number("scale", room);
    if (scale <= 0 || scale > room)
        throw vxdoe::UsageError("--scale: " + vxdoe::shortest(scale) + " must lie above 0 and at most at " +
                                vxdoe::shortest(room) + ", the room 1 - sum of --lower leaves");
    const double total = args.number("total", 1.0);
    if (total <= 0) throw vxdoe::UsageError("--total: " + vxdoe::shortest(total) + " is not a positive quantity");
    lib.entry<decltype(Cpp_DOEMixRealCoord)>("Cpp_DOEMixRealCoord")(design.cells.data(), design.rows, design.cols,
                                                                    lower.data(), scale, total);
}

// The Scheffe polynomial's columns at the blends of design, under their labels.
struct Predictors {
    std::vector<std::string> labels;
    Table matrix;
};

Predictors predictors(const vxdoe::Library& lib, const Table& design, const std::vector<std::string>& componentNames,
                      int degree, int type) {
    const int q = design.cols;
    const int32_t nCoef = lib.entry<decltype(Cpp_DOEMixGetnCoef)>("Cpp_DOEMixGetnCoef")(q, design.rows, degree, type);
    Predictors p{{}, {design.rows, nCoef, hostTable(design.rows, nCoef)}};
    std::vector<double> blends = design.cells;
    std::vector<BSTR> names, labels(static_cast<std::size_t>(nCoef), nullptr);
    for (const std::string& name : componentNames) names.push_back(lib.allocString(vxdoe::fromUtf8(name)));
    lib.entry<decltype(Cpp_DOEMixPredictorMatrix)>("Cpp_DOEMixPredictorMatrix")(
        blends.data(), design.rows, q, nCoef, names.data(), degree, type, p.matrix.cells.data(), labels.data());
    for (BSTR label : labels) p.labels.push_back(vxdoe::toUtf8(lib.readString(label)));
    for (BSTR b : names) lib.freeString(b);
    for (BSTR b : labels) lib.freeString(b);
    return p;
}

// The finest simplex lattice, of degree 12 at most, whose model rows stay
// within what the summary evaluates; 12 parts hold every blend of one to
// four components in equal parts. Degree 0: none fits.
int candidateLattice(int q, int nCoef) {
    for (int m = 12; m >= 1; --m) {
        double points = 1;  // (q + m - 1)! / ((q - 1)! m!)
        for (int i = 1; i <= m; ++i) points = points * (q - 1 + i) / i;
        if (vxdoe::summary::enumerable(static_cast<long long>(std::fmin(points, 1e18)), nCoef)) return m;
    }
    return 0;
}

// The figures of the design's proportions for the full Scheffe polynomial
// of degree --degree (none past the library's 4), over a fine simplex
// lattice and the design's own blends. The polynomial has no intercept: its
// first component stands in for it (the components sum to 1, so the spans
// agree), and the correlations and VIFs are those of the other terms in
// that form.
void reportFigures(const vxdoe::Library& lib, const Table& design, const std::vector<std::string>& names, int degree,
                   vxdoe::Output& out) {
    namespace summary = vxdoe::summary;
    summary::Model model;
    if (degree <= 4) {
        const Predictors plan = predictors(lib, design, names, degree, 0);
        model.terms.assign(plan.labels.begin() + 1, plan.labels.end());
        model.plan = summary::rowsOf(plan.matrix.cells.data(), plan.matrix.rows, 0, plan.matrix.cols);
        if (const int m = candidateLattice(design.cols, plan.matrix.cols); m > 0) {
            const Table lattice = simplexDesign(lib, design.cols, m, 1);
            const summary::ModelMatrix blends =
                summary::unionOf(summary::rowsOf(lattice.cells.data(), lattice.rows, 0, lattice.cols),
                                 summary::rowsOf(design.cells.data(), design.rows, 0, design.cols));
            Table candidates{blends.rows, blends.cols, hostTable(blends.rows, blends.cols)};
            for (int r = 0; r < blends.rows; ++r)
                for (int c = 0; c < blends.cols; ++c)
                    candidates.cells[static_cast<std::size_t>(c) * blends.rows + r] = blends.at(r, c);
            const Predictors rows = predictors(lib, candidates, names, degree, 0);
            model.candidates = summary::rowsOf(rows.matrix.cells.data(), rows.matrix.rows, 0, rows.matrix.cols);
        }
    }
    summary::report(out, model, {});
}

int runMixture(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    const int q = componentCount(args);
    const int degree = args.integer("degree", 2);
    Table design = simplexDesign(lib, q, degree, designType(args.text("design", "")));
    // Named once the table is known to fit: a count of components past it
    // would otherwise make that many default names first.
    const std::vector<std::string> names = vxdoe::factorNames(args, q);
    const Table proportions = design;
    if (args.has("lower") || args.has("scale") || args.has("total")) toRealQuantities(lib, args, design);
    out.table(vxdoe::columnMajor(names, design.cells.data(), design.rows, design.cols, true));
    reportFigures(lib, proportions, names, degree, out);
    return 0;
}

int runMixtureModel(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    const int q = componentCount(args);
    const int degree = args.integer("degree", 2);
    const int type = modelType(args.text("type", "full"));
    const Table design = simplexDesign(lib, q, degree, designType(args.text("design", "lattice")));
    const Predictors model = predictors(lib, design, vxdoe::factorNames(args, q), degree, type);
    out.table(vxdoe::columnMajor(model.labels, model.matrix.cells.data(), model.matrix.rows, model.matrix.cols, true));
    return 0;
}

vxdoe::Option componentsOption() {
    return vxdoe::integer("components", "number of components Q").atLeast(1).mandatory().shownAs("Q");
}

const std::vector<std::string> kDesigns{"lattice", "centroid", "augmented"};

const vxdoe::JobRegistration kMixture{
    {"mixture",
     "a simplex design (lattice, centroid, augmented centroid), in proportions or real quantities",
     {componentsOption(), vxdoe::choice("design", "simplex design", kDesigns).mandatory(),
      vxdoe::integer("degree", "degree of the lattice").atLeast(1).byDefault("2"),
      vxdoe::numbers("lower", "lower bound of each component, as a proportion, the bounds summing below 1")
          .atLeast(0)
          .shownAs("L1,L2,..."),
      vxdoe::number("scale", "proportion the pseudo-components share, above 0 and at most 1 - sum of --lower")
          .byDefault("1 - sum of --lower"),
      vxdoe::number("total", "total quantity of a blend, above 0").byDefault("1"), vxdoe::namesOption()},
     runMixture,
     vxdoe::summary::helpNotes(
         "the full Scheffe polynomial of --degree (up to 4) in the proportions; its first component stands in for an intercept in the correlations and VIFs",
         "the simplex lattice of degree 12 (lower when that is too large) and the design's own blends")}};
const vxdoe::JobRegistration kMixtureModel{
    {"mixture-model",
     "the model matrix of a simplex design, under its term labels",
     {componentsOption(), vxdoe::integer("degree", "degree of the model").within(1, 4).byDefault("2"),
      vxdoe::choice("type", "canonical polynomial: full, or special (no differences)", {"full", "special"})
          .byDefault("full"),
      vxdoe::choice("design", "simplex design the model is built on", kDesigns).byDefault("lattice"),
      vxdoe::namesOption()},
     runMixtureModel}};

}  // namespace
