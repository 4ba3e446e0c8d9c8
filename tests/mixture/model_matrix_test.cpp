#include "mixture/counts.h"
#include "mixture/model_matrix.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kUntouched = -7.0;
const std::u16string kBlank = u"?";

struct Model {
    std::vector<std::string> labels;  // as written, kBlank where nothing was
    std::vector<std::vector<double>> runs;
};

// The model of the runs with components labelled A, B, C, ... into `columns`
// columns that start out untouched.
Model build(const std::vector<std::vector<double>>& runs, int degree, int type, int columns) {
    const int n = static_cast<int>(runs.size()), q = static_cast<int>(runs[0].size());
    matrix X(n, q, 0.0), model(n, columns, kUntouched);
    Smatrix labels(q, 1), termLabels(columns, 1);
    for (int c = 1; c <= q; ++c) {
        labels.vbset(c, 1, std::u16string(1, static_cast<char16_t>(u'A' + c - 1)));
        for (int r = 1; r <= n; ++r) X.vbset(r, c, runs[r - 1][c - 1]);
    }
    for (int c = 1; c <= columns; ++c) termLabels.vbset(c, 1, kBlank);
    DOEMixPredictorMatrix(&X, n, q, columns, &labels, degree, type, &model, &termLabels);
    Model out{{}, std::vector<std::vector<double>>(n)};
    for (int c = 1; c <= columns; ++c) {
        const std::u16string label = termLabels.vbget(c, 1);
        out.labels.emplace_back(label.begin(), label.end());
        for (int r = 1; r <= n; ++r) out.runs[r - 1].push_back(model.vbget(r, c));
    }
    return out;
}

using Labels = std::vector<std::string>;

}  // namespace

TEST(MixtureModel, LabelsOfEveryFamilyInColumnOrder) {
    const std::vector<std::vector<double>> run{{.5, .3, .2}};
    EXPECT_EQ(build(run, 2, kFullMixtureModel, 6).labels, (Labels{"A", "B", "C", "A*B", "A*C", "B*C"}));
    EXPECT_EQ(build(run, 3, kFullMixtureModel, 10).labels,
              (Labels{"A", "B", "C", "A*B", "A*C", "B*C", "A*B*(A-B)", "A*C*(A-C)", "B*C*(B-C)", "A*B*C"}));
    EXPECT_EQ(build(run, 4, kSpecialMixtureModel, 9).labels,
              (Labels{"A", "B", "C", "A*B", "A*C", "B*C", "A^2 *B*C", "A*B^2 *C", "A*B*C^2"}));
    EXPECT_EQ(build(run, 4, kFullMixtureModel, 15).labels,
              (Labels{"A", "B", "C", "A*B", "A*C", "B*C", "A*B*(A-B)", "A*C*(A-C)", "B*C*(B-C)", "A*B*(A-B)^2",
                      "A*C*(A-C)^2", "B*C*(B-C)^2", "A^2 *B*C", "A*B^2 *C", "A*B*C^2"}));
    const Labels quartic = build({{.4, .3, .2, .1}}, 4, kFullMixtureModel, 35).labels;
    EXPECT_EQ(quartic[25], "B^2 *C*D");
    EXPECT_EQ(quartic[33], "B*C*D^2");
    EXPECT_EQ(quartic[34], "A*B*C*D");
    // Unknown types keep only the linear columns; degrees above 4 still run
    // every family whose condition holds, into the columns the host passed.
    EXPECT_EQ(build(run, 2, 2, 4).labels, (Labels{"A", "B", "C", "?"}));
    EXPECT_EQ(build(run, 5, kFullMixtureModel, 13).labels,
              (Labels{"A", "B", "C", "A*B", "A*C", "B*C", "A*B*(A-B)", "A*C*(A-C)", "B*C*(B-C)", "A^2 *B*C",
                      "A*B^2 *C", "A*B*C^2", "?"}));
}

TEST(MixtureModel, TermValuesAtARun) {
    const double a = .5, b = .3, c = .2;
    const std::vector<double> expected{a, b, c, a * b, a * c, b * c, a * b * (a - b), a * c * (a - c), b * c * (b - c),
                                       a * b * (a - b) * (a - b), a * c * (a - c) * (a - c), b * c * (b - c) * (b - c),
                                       a * a * b * c, a * b * b * c, a * b * c * c};
    const Model model = build({{a, b, c}, {0, 1, 0}}, 4, kFullMixtureModel, 15);
    for (std::size_t t = 0; t < expected.size(); ++t) EXPECT_DOUBLE_EQ(model.runs[0][t], expected[t]) << t;
    for (std::size_t t = 3; t < expected.size(); ++t) EXPECT_EQ(model.runs[1][t], 0.0) << "vertex, term " << t;
    const Model quartic = build({{.4, .3, .2, .1}}, 4, kFullMixtureModel, 35);
    EXPECT_DOUBLE_EQ(quartic.runs[0][34], .4 * .3 * .2 * .1);
}

TEST(MixtureModel, CountsMatchTheColumnsWrittenAndLabelsAreUnique) {
    for (int type : {kFullMixtureModel, kSpecialMixtureModel}) {
        for (int degree = 1; degree <= 4; ++degree) {
            for (int q = 1; q <= 8; ++q) {
                const int count = DOEMixGetnCoef(q, degree, type);
                const Model model = build({std::vector<double>(q, 1.0 / q)}, degree, type, count + 2);
                const std::set<std::string> distinct(model.labels.begin(), model.labels.begin() + count);
                EXPECT_EQ(distinct.size(), static_cast<std::size_t>(count)) << type << degree << q;
                EXPECT_EQ(distinct.count("?"), 0u) << type << degree << q;
                EXPECT_EQ(model.labels[count], "?");
                EXPECT_EQ(model.runs[0][count], kUntouched);
            }
        }
    }
}

TEST(MixtureModel, CountsOutsideTheModelsAndOutsideThe32BitRange) {
    EXPECT_EQ(DOEMixGetnCoef(3, 5, kFullMixtureModel), 0);
    EXPECT_EQ(DOEMixGetnCoef(3, 2, 2), 0);
    EXPECT_EQ(DOEMixGetnCoef(-2, 3, kSpecialMixtureModel), -3);  // truncating division
    EXPECT_EQ(DOEMixGetnCoef(216, 4, kFullMixtureModel), 93240126);
    EXPECT_EQ(DOEMixGetnCoef(65535, 2, kFullMixtureModel), 2147450880);
    EXPECT_EQ(DOEMixGetnCoef(65536, 2, kFullMixtureModel), mixture::kCountOverflow);
    EXPECT_EQ(DOEMixGetnCoef(INT32_MAX, 4, kSpecialMixtureModel), mixture::kCountOverflow);
}

TEST(MixtureModel, HugeComponentCountCostsOnlyTheHostsColumns) {
    matrix X(2, 3, 0.25), model(2, 5, kUntouched);
    Smatrix labels(3, 1), termLabels(5, 1);
    DOEMixPredictorMatrix(&X, 2, INT32_MAX, 5, &labels, 4, kFullMixtureModel, &model, &termLabels);
    EXPECT_EQ(model.vbget(2, 3), 0.25);
    EXPECT_EQ(model.vbget(2, 5), -1.0);  // the absent fifth component reads as -1
}
