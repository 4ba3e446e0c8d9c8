#include "mixture/counts.h"
#include "mixture/model_matrix.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr double kUntouched = -7.0;
using Labels = std::vector<std::string>;

struct Model {
    Labels labels;  // "?" where nothing was written
    std::vector<std::vector<double>> runs;  // per run, every column
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
    Model out{{}, std::vector<std::vector<double>>(static_cast<std::size_t>(n))};
    for (int c = 1; c <= columns; ++c) {
        const std::u16string label = termLabels.vbget(c, 1);
        out.labels.emplace_back(label.begin(), label.end());
        for (int r = 1; r <= n; ++r) out.runs[r - 1].push_back(model.vbget(r, c));
    }
    return out;
}

// The model written out plainly from the term table: families in column
// order, index tuples by nested loops, each value by its own product.
struct Term {
    std::string label;
    std::vector<double> values;  // one per run
};

std::vector<Term> expectedTerms(const std::vector<std::vector<double>>& runs, int degree, int type) {
    const int q = static_cast<int>(runs[0].size());
    const auto L = [](int i) { return std::string(1, static_cast<char>('A' + i)); };
    std::vector<Term> terms;
    const auto add = [&](std::string label, auto value) {
        Term t{std::move(label), {}};
        for (const auto& x : runs) t.values.push_back(value(x));
        terms.push_back(std::move(t));
    };
    const auto pairs = [&](auto family) {
        for (int i = 0; i < q; ++i)
            for (int j = i + 1; j < q; ++j) family(i, j);
    };
    const auto triples = [&](auto family) {
        for (int i = 0; i < q; ++i)
            for (int j = i + 1; j < q; ++j)
                for (int k = j + 1; k < q; ++k) family(i, j, k);
    };
    const bool full = type == kFullMixtureModel;
    for (int i = 0; i < q; ++i) add(L(i), [&](const auto& x) { return x[i]; });
    if (type != kFullMixtureModel && type != kSpecialMixtureModel) return terms;
    if (degree >= 2)
        pairs([&](int i, int j) { add(L(i) + "*" + L(j), [&](const auto& x) { return x[i] * x[j]; }); });
    if (full && degree >= 3)
        pairs([&](int i, int j) {
            add(L(i) + "*" + L(j) + "*(" + L(i) + "-" + L(j) + ")",
                [&](const auto& x) { return x[i] * x[j] * (x[i] - x[j]); });
        });
    if (degree == 3)
        triples([&](int i, int j, int k) {
            add(L(i) + "*" + L(j) + "*" + L(k), [&](const auto& x) { return x[i] * x[j] * x[k]; });
        });
    if (full && degree == 4)
        pairs([&](int i, int j) {
            add(L(i) + "*" + L(j) + "*(" + L(i) + "-" + L(j) + ")^2",
                [&](const auto& x) { return x[i] * x[j] * ((x[i] - x[j]) * (x[i] - x[j])); });
        });
    if (degree >= 4) {
        triples([&](int i, int j, int k) {
            add(L(i) + "^2 *" + L(j) + "*" + L(k), [&](const auto& x) { return x[i] * x[i] * x[j] * x[k]; });
        });
        triples([&](int i, int j, int k) {
            add(L(i) + "*" + L(j) + "^2 *" + L(k), [&](const auto& x) { return x[i] * (x[j] * x[j]) * x[k]; });
        });
        triples([&](int i, int j, int k) {
            add(L(i) + "*" + L(j) + "*" + L(k) + "^2", [&](const auto& x) { return x[i] * x[j] * (x[k] * x[k]); });
        });
    }
    if (full && degree == 4)
        for (int i = 0; i < q; ++i)
            for (int j = i + 1; j < q; ++j)
                for (int k = j + 1; k < q; ++k)
                    for (int l = k + 1; l < q; ++l)
                        add(L(i) + "*" + L(j) + "*" + L(k) + "*" + L(l),
                            [&](const auto& x) { return x[i] * x[j] * x[k] * x[l]; });
    return terms;
}

// Runs of q components with unequal proportions, so that every term tells
// its components apart (a swapped index or a wrong factor changes the value).
std::vector<std::vector<double>> unevenRuns(int q) {
    std::vector<std::vector<double>> runs;
    for (int shift = 0; shift < 3; ++shift) {
        std::vector<double> x(static_cast<std::size_t>(q));
        double sum = 0;
        for (int i = 0; i < q; ++i) sum += x[static_cast<std::size_t>(i)] = 1.0 + ((i + shift) % q) * (i + 2);
        for (double& v : x) v /= sum;
        runs.push_back(x);
    }
    std::vector<double> vertex(static_cast<std::size_t>(q), 0.0);
    vertex[static_cast<std::size_t>(q - 1)] = 1;
    runs.push_back(vertex);
    return runs;
}

}  // namespace

TEST(MixtureModel, EveryColumnMatchesTheTermTableAtEveryRun) {
    for (int type : {kFullMixtureModel, kSpecialMixtureModel, 2, -1})
        for (int degree = 1; degree <= 5; ++degree)
            for (int q = 1; q <= 6; ++q) {
                SCOPED_TRACE(testing::Message() << "type " << type << ", degree " << degree << ", q " << q);
                const auto runs = unevenRuns(q);
                const std::vector<Term> terms = expectedTerms(runs, degree, type);
                const int columns = static_cast<int>(terms.size()) + 2;
                const Model model = build(runs, degree, type, columns);
                for (int c = 1; c <= columns; ++c) {
                    const bool written = c <= static_cast<int>(terms.size());
                    EXPECT_EQ(model.labels[c - 1], written ? terms[c - 1].label : "?") << "column " << c;
                    for (std::size_t r = 0; r < runs.size(); ++r)
                        EXPECT_DOUBLE_EQ(model.runs[r][c - 1], written ? terms[c - 1].values[r] : kUntouched)
                            << "run " << r + 1 << ", column " << c;
                }
                // The term count agrees with the columns written, but for the
                // degrees the counts leave out.
                if (degree <= 4 && (type == kFullMixtureModel || type == kSpecialMixtureModel)) {
                    EXPECT_EQ(DOEMixGetnCoef(q, degree, type), static_cast<int>(terms.size()));
                }
            }
}

TEST(MixtureModel, TermCountsByTheirClosedForms) {
    // q = 10: C(11, 2), C(12, 3), C(13, 4); special cubic q + C(q, 2) + C(q, 3), quartic q + C(q, 2) + 3 C(q, 3).
    const int full[] = {10, 55, 220, 715}, special[] = {10, 55, 175, 415};
    for (int d = 1; d <= 4; ++d) {
        EXPECT_EQ(DOEMixGetnCoef(10, d, kFullMixtureModel), full[d - 1]);
        EXPECT_EQ(DOEMixGetnCoef(10, d, kSpecialMixtureModel), special[d - 1]);
    }
    EXPECT_EQ(DOEMixGetnCoef(3, 5, kFullMixtureModel), 0);
    EXPECT_EQ(DOEMixGetnCoef(3, 0, kSpecialMixtureModel), 0);
    EXPECT_EQ(DOEMixGetnCoef(3, 2, 2), 0);
    EXPECT_EQ(DOEMixGetnCoef(-2, 3, kSpecialMixtureModel), -3);  // truncating division
    // Intermediate products past 2^31 would wrap in 32-bit arithmetic.
    EXPECT_EQ(DOEMixGetnCoef(216, 4, kFullMixtureModel), 93240126);
    EXPECT_EQ(DOEMixGetnCoef(65536, 2, kFullMixtureModel), mixture::kCountOverflow);
}

TEST(MixtureModel, HugeComponentCountCostsOnlyTheHostsColumnsAndAMissingContainerWritesNothing) {
    matrix X(2, 3, 0.25), model(2, 5, kUntouched);
    Smatrix labels(3, 1), termLabels(5, 1);
    DOEMixPredictorMatrix(&X, 2, INT32_MAX, 5, &labels, 4, kFullMixtureModel, &model, &termLabels);
    EXPECT_EQ(model.vbget(2, 3), 0.25);
    EXPECT_EQ(model.vbget(2, 5), -1.0);  // the absent fifth component reads as -1
    // A missing container writes nothing.
    matrix one(1, 6, kUntouched);
    Smatrix terms(6, 1);
    labels.vbset(1, 1, u"A");
    DOEMixPredictorMatrix(nullptr, 1, 3, 6, &labels, 2, kFullMixtureModel, &one, &terms);
    DOEMixPredictorMatrix(&X, 1, 3, 6, nullptr, 2, kFullMixtureModel, &one, &terms);
    DOEMixPredictorMatrix(&X, 1, 3, 6, &labels, 2, kFullMixtureModel, &one, nullptr);
    for (int c = 1; c <= 6; ++c) EXPECT_EQ(one.vbget(1, c), kUntouched);
    DOEMixPredictorMatrix(&X, 1, 3, 6, &labels, 2, kFullMixtureModel, nullptr, &terms);
    EXPECT_EQ(terms.vbget(1, 1), u"");
}
