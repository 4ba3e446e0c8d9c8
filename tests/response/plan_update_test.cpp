// Plan comparison and update through the host's entry points.
#include "boundary/VORNEXDO1M.h"
#include "services/bstr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Header strings the host allocates and frees.
struct Strings {
    std::vector<BSTR> b;
    explicit Strings(const std::vector<std::u16string>& s) {
        for (const auto& x : s) b.push_back(stringToBstr(x));
    }
    ~Strings() {
        for (BSTR x : b) SysFreeString(x);
    }
};

// A plan of 3 runs and two factors (columns: run, standard order, replicate,
// flag, A, B, response) and its edited copy with columns headed
// "B", "No.", "A" as the user left them.
struct Comparison {
    std::vector<double> X{1, 2, 3, 1, 2, 3, 1, 1, 1, 0, 0, 0, 10, 20, 30, 5, 6, 7, -1, -1, -1};
    std::vector<double> Xbis{5, 6, 7, 1, 2, 3, 10, 20, 30};
    std::vector<std::u16string> headers{u"B", u"No.", u"A"};
    std::vector<VARIANT_BOOL> changes = std::vector<VARIANT_BOOL>(3 * 6, 0);
    int32_t code = 0;

    void run() {
        Strings str(headers), names({u"A", u"B"}), ref({u"No."});
        Cpp_ComparePlan(3, 7, 2, X.data(), Xbis.data(), static_cast<int>(headers.size()), str.b.data(),
                        names.b.data(), ref.b.data(), &code, changes.data());
    }
    VARIANT_BOOL flag(int r, int c) const { return changes[static_cast<std::size_t>(c - 1) * 3 + r - 1]; }
    double x(int r, int c) const { return X[static_cast<std::size_t>(c - 1) * 3 + r - 1]; }
};

TEST(ComparePlan, AnEditedValueIsTakenOverAndFlagged) {
    Comparison c;
    c.Xbis[7] = 25;  // run 2, factor A
    c.run();
    EXPECT_EQ(c.code, 3);
    EXPECT_EQ(c.x(2, 5), 25);
    EXPECT_EQ(c.flag(2, 5), -1);
    EXPECT_EQ(c.flag(2, 6), 0);
    EXPECT_EQ(c.x(2, 7), -1) << "responses are not compared";
}

TEST(ComparePlan, MissingColumnsReportedAndNothingTouched) {
    const std::vector<std::vector<std::u16string>> headers{
        {u"B", u"No.", u"a"}, {u"X", u"No.", u"A"}, {u"B", u"No", u"X"}, {u"A", u"No.", u"A"}};
    const int codes[] = {-1, -2, -10, -2};  // exact match only; the reference column first
    for (std::size_t i = 0; i < headers.size(); ++i) {
        Comparison c;
        c.headers = headers[i];
        c.Xbis[7] = 25;
        c.run();
        EXPECT_EQ(c.code, codes[i]);
        EXPECT_EQ(c.x(2, 5), 20);
        EXPECT_EQ(c.flag(2, 5), 0);
    }
}

TEST(ComparePlan, ALaterColumnWithTheSameHeaderWins) {
    Comparison c;
    c.Xbis.insert(c.Xbis.end(), {99, 99, 99});
    c.headers.push_back(u"B");
    c.run();
    EXPECT_EQ(c.code, 3);
    EXPECT_EQ(c.x(1, 6), 99);
}

TEST(UpdatePlan, CodesFactorsAndTakesResponses) {
    // 2 runs, 1 factor, 2 responses: columns run, std, rep, flag, factor, y1, y2.
    std::vector<double> X{1, 2, 1, 2, 1, 1, 0, 0, 17.5, 10, 0, 0, 0, 0};
    std::vector<double> Y{3, 4, 5, 6}, Xnorm(2, 0), minF{10}, maxF{20};
    Cpp_UpdatePlan(2, 7, 1, 2, Y.data(), X.data(), Xnorm.data(), minF.data(), maxF.data());
    EXPECT_EQ(Xnorm, (std::vector<double>{0.5, -1}));
    EXPECT_EQ(std::vector<double>(X.begin() + 10, X.end()), Y);

    std::vector<double> same{7};
    X[8] = 7;
    Cpp_UpdatePlan(2, 7, 1, 0, Y.data(), X.data(), Xnorm.data(), same.data(), same.data());
    EXPECT_TRUE(std::isnan(Xnorm[0])) << "0 / 0 keeps its IEEE value";
    EXPECT_TRUE(std::isinf(Xnorm[1]));
}

// The comparison in its stated order, every run against every row of Xbis
// (column 1 the standard order, columns 2.. the factors): the index must
// give exactly this, duplicates, NaN and signed zeros included.
struct Flat {
    int rows, cols;
    std::vector<double>& v;
    double get(int r, int c) const {
        return r >= 1 && r <= rows && c >= 1 && c <= cols ? v[static_cast<std::size_t>(c - 1) * rows + r - 1] : -1.0;
    }
    void set(int r, int c, double x) {
        if (r >= 1 && r <= rows && c >= 1 && c <= cols) v[static_cast<std::size_t>(c - 1) * rows + r - 1] = x;
    }
};

int32_t CompareInStatedOrder(int nplan, int nFac, Flat X, Flat Xbis, std::vector<VARIANT_BOOL>& changes) {
    int32_t code = 5;
    for (int i = 1; i <= nplan; ++i)
        for (int j = 1; j <= nplan; ++j) {
            if (Xbis.get(j, 1) != X.get(i, 2)) continue;
            for (int f = 1; f <= nFac; ++f) {
                VARIANT_BOOL& flag = changes[static_cast<std::size_t>(f + 3) * nplan + i - 1];
                if (j != i) flag = -1;
                if (X.get(i, f + 4) != Xbis.get(j, f + 1)) {
                    flag = -1;
                    X.set(i, f + 4, Xbis.get(j, f + 1));
                    code = 3;
                }
            }
            if (j != i && code == 5) code = 4;
        }
    return code;
}

TEST(ComparePlan, TheIndexGivesTheStatedOrdersResultsBitForBit) {
    const double palette[] = {0.0, -0.0, 1, 2, -1, std::nan("")};
    std::mt19937 draw(7);
    const auto value = [&] { return palette[draw() % 6]; };
    for (int trial = 0; trial < 300; ++trial) {
        const int nplan = 1 + static_cast<int>(draw() % 9), nFac = static_cast<int>(draw() % 3);
        const int pplan = 1 + static_cast<int>(draw() % (nFac + 6));  // some plans lack factor columns
        std::vector<double> X(static_cast<std::size_t>(nplan * pplan)), Xbis(static_cast<std::size_t>(nplan * (nFac + 1)));
        for (double& x : X) x = value();
        for (double& x : Xbis) x = value();
        std::vector<std::u16string> headers{u"Std", u"A", u"B"}, names{u"A", u"B"};
        headers.resize(static_cast<std::size_t>(nFac + 1));
        names.resize(static_cast<std::size_t>(nFac));
        Strings str(headers), lg(names), ref({u"Std"});
        std::vector<double> expectedX = X;
        std::vector<VARIANT_BOOL> changes(static_cast<std::size_t>(nplan * (nFac + 4)), 0), expected = changes;
        const int32_t code = CompareInStatedOrder(nplan, nFac, {nplan, pplan, expectedX}, {nplan, nFac + 1, Xbis}, expected);
        int32_t got = 0;
        Cpp_ComparePlan(nplan, pplan, nFac, X.data(), Xbis.data(), nFac + 1, str.b.data(), lg.b.data(), ref.b.data(),
                        &got, changes.data());
        ASSERT_EQ(got, code) << "trial " << trial;
        ASSERT_EQ(changes, expected) << "trial " << trial;
        ASSERT_EQ(std::memcmp(X.data(), expectedX.data(), X.size() * sizeof(double)), 0) << "trial " << trial;
    }
}

TEST(UpdatePlan, CountsWithNothingBehindThemEndAtOnce) {
    // Found by fuzzing: 0 runs and INT32_MAX responses spun through 2^31
    // empty passes and overflowed the loop counter.
    double none = 0;
    Cpp_UpdatePlan(0, 0, 0, INT32_MAX, &none, &none, &none, &none, &none);
    EXPECT_EQ(none, 0);
}

}  // namespace
