#include "mixture/counts.h"
#include "mixture/model_matrix.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kUntouched = -7.0;
using Labels = std::vector<std::string>;

struct Model {
    Labels labels;  // "?" where nothing was written
    std::vector<double> firstRun;
};

// The model of the runs, components labelled A, B, C, ..., into `columns`
// columns that start out untouched.
Model build(const std::vector<std::vector<double>>& runs, int degree, int type, int columns) {
    const int n = static_cast<int>(runs.size()), q = static_cast<int>(runs[0].size());
    matrix X(n, q, 0.0), model(n, columns, kUntouched);
    Smatrix labels(q, 1), termLabels(columns, 1);
    for (int c = 1; c <= q; ++c) {
        labels.vbset(c, 1, std::u16string(1, static_cast<char16_t>(u'A' + c - 1)));
        for (int r = 1; r <= n; ++r) X.vbset(r, c, runs[r - 1][c - 1]);
    }
    for (int c = 1; c <= columns; ++c) termLabels.vbset(c, 1, u"?");
    DOEMixPredictorMatrix(&X, n, q, columns, &labels, degree, type, &model, &termLabels);
    Model out;
    for (int c = 1; c <= columns; ++c) {
        const std::u16string label = termLabels.vbget(c, 1);
        out.labels.emplace_back(label.begin(), label.end());
        out.firstRun.push_back(model.vbget(1, c));
    }
    return out;
}

}  // namespace

TEST(MixtureModel, LabelsAndValuesOfEveryFamilyInColumnOrder) {
    const double a = .5, b = .3, c = .2;
    const Model full = build({{a, b, c}}, 4, kFullMixtureModel, 15);
    EXPECT_EQ(full.labels, (Labels{"A", "B", "C", "A*B", "A*C", "B*C", "A*B*(A-B)", "A*C*(A-C)", "B*C*(B-C)",
                                   "A*B*(A-B)^2", "A*C*(A-C)^2", "B*C*(B-C)^2", "A^2 *B*C", "A*B^2 *C", "A*B*C^2"}));
    const std::vector<double> values{a, b, c, a * b, a * c, b * c, a * b * (a - b), a * c * (a - c), b * c * (b - c),
                                     a * b * (a - b) * (a - b), a * c * (a - c) * (a - c), b * c * (b - c) * (b - c),
                                     a * a * b * c, a * b * b * c, a * b * c * c};
    for (std::size_t t = 0; t < values.size(); ++t) EXPECT_DOUBLE_EQ(full.firstRun[t], values[t]) << t;
    EXPECT_EQ(build({{a, b, c}}, 3, kFullMixtureModel, 10).labels.back(), "A*B*C");
    EXPECT_EQ(build({{a, b, c}}, 4, kSpecialMixtureModel, 9).labels,
              (Labels{"A", "B", "C", "A*B", "A*C", "B*C", "A^2 *B*C", "A*B^2 *C", "A*B*C^2"}));
    const Model quartic = build({{.4, .3, .2, .1}}, 4, kFullMixtureModel, 35);
    EXPECT_EQ(quartic.labels[33], "B*C*D^2");
    EXPECT_EQ(quartic.labels[34], "A*B*C*D");
    EXPECT_DOUBLE_EQ(quartic.firstRun[34], .4 * .3 * .2 * .1);
    // A vertex zeroes every term but its own linear one.
    EXPECT_EQ(build({{0, 1, 0}}, 4, kFullMixtureModel, 15).firstRun, (std::vector<double>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Unknown types keep only the linear columns; degrees above 4 still run
    // every family whose condition holds, into the columns the host passed.
    EXPECT_EQ(build({{a, b, c}}, 2, 2, 4).labels, (Labels{"A", "B", "C", "?"}));
    EXPECT_EQ(build({{a, b, c}}, 5, kFullMixtureModel, 13).labels[11], "A*B*C^2");
}

TEST(MixtureModel, CountsMatchTheColumnsWrittenAndLabelsAreUnique) {
    for (int type : {kFullMixtureModel, kSpecialMixtureModel}) {
        for (int degree = 1; degree <= 4; ++degree) {
            for (int q = 1; q <= 8; ++q) {
                const int count = DOEMixGetnCoef(q, degree, type);
                const Model model = build({std::vector<double>(q, 1.0 / q)}, degree, type, count + 1);
                const std::set<std::string> distinct(model.labels.begin(), model.labels.begin() + count);
                EXPECT_EQ(distinct.size(), static_cast<std::size_t>(count)) << type << degree << q;
                EXPECT_EQ(distinct.count("?"), 0u) << type << degree << q;
                EXPECT_EQ(model.labels[count], "?");
                EXPECT_EQ(model.firstRun[count], kUntouched);
            }
        }
    }
    EXPECT_EQ(DOEMixGetnCoef(3, 5, kFullMixtureModel), 0);
    EXPECT_EQ(DOEMixGetnCoef(-2, 3, kSpecialMixtureModel), -3);  // truncating division
    // Intermediate products past 2^31 would wrap in 32-bit arithmetic.
    EXPECT_EQ(DOEMixGetnCoef(216, 4, kFullMixtureModel), 93240126);
    EXPECT_EQ(DOEMixGetnCoef(65536, 2, kFullMixtureModel), mixture::kCountOverflow);
}

TEST(MixtureModel, HugeComponentCountCostsOnlyTheHostsColumns) {
    matrix X(2, 3, 0.25), model(2, 5, kUntouched);
    Smatrix labels(3, 1), termLabels(5, 1);
    DOEMixPredictorMatrix(&X, 2, INT32_MAX, 5, &labels, 4, kFullMixtureModel, &model, &termLabels);
    EXPECT_EQ(model.vbget(2, 3), 0.25);
    EXPECT_EQ(model.vbget(2, 5), -1.0);  // the absent fifth component reads as -1
}
