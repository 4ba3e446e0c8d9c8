#include "classical/design_layouts.h"

#include "classical/design_dimensions.h"
#include "services/numeric.h"
#include "services/run_sheet.h"

#include <algorithm>

namespace rsm {

namespace {

int RowsInPlan(const matrix* plan, int runs) { return rowsHeld(plan, runs); }

double Factor(const matrix* plan, int row, int f) { return plan->vbget(row, runsheet::FactorColumn(f)); }
void SetFactor(matrix* plan, int row, int f, double v) { plan->vbset(row, runsheet::FactorColumn(f), v); }

// Row `to` := -row `from` in factors 1..d.
void SetNegation(matrix* plan, int to, int from, int d) {
    for (int f = 1; f <= d; ++f) SetFactor(plan, to, f, -Factor(plan, from, f));
}

bool BitIsSet(int value, int bit) { return bit < 31 && ((value >> bit) & 1) != 0; }

// First row a Doehlert design adds for dimension m: after the 2j rows of every
// lower dimension j, (m - 1)^2 + m.
int FirstDoehlertRow(int m) { return (m - 1) * (m - 1) + m; }

}  // namespace

void LayFactorial3(matrix* plan, int k) {
    const int nf = runsheet::FactorsInSheet(plan, k);
    const int runs = RowsInPlan(plan, ThreeToThe(k));
    for (int r = 1; r <= runs; ++r) {
        int rest = r - 1;  // r - 1 written in base 3, least significant digit first
        for (int f = 1; f <= nf; ++f, rest /= 3) SetFactor(plan, r, f, rest % 3 - 1);
    }
}

void LayCentralComposite(matrix* plan, int k) {
    const int nf = runsheet::FactorsInSheet(plan, k);
    const int corners = TwoToThe(k);
    for (int r = 1; r <= RowsInPlan(plan, corners); ++r)
        for (int f = 1; f <= nf; ++f) SetFactor(plan, r, f, BitIsSet(r - 1, f - 1) ? 1.0 : -1.0);
    const double alpha = num::pow(2, 0.25 * k);
    for (int f = 1; f <= nf; ++f) {
        const long long low = static_cast<long long>(corners) + 2LL * f - 1;
        if (low > plan->rows()) break;
        SetFactor(plan, static_cast<int>(low), f, -alpha);
        SetFactor(plan, static_cast<int>(low) + 1, f, alpha);
    }
}

long long FirstCentralCompositeCentre(int k) { return static_cast<long long>(TwoToThe(k)) + 2LL * k + 1; }

long long Factorial3CentreRow(int k) {
    // Every factor at 0 is the digit 1 in each of the k places of r - 1.
    constexpr long long kPastAnySheet = 1LL << 40;
    long long below = 0;
    for (int f = 0; f < k && below < kPastAnySheet; ++f) below = 3 * below + 1;
    return below + 1;
}

// Box-Behnken and Doehlert place their rows by all k factors, so a sheet
// narrower than the design still holds every cell that fits; the loops end
// with the sheet's last row.
void LayBoxBehnken(matrix* plan, int k) {
    int row = 1;
    for (int i = 1; i < k; ++i) {
        for (int j = i + 1; j <= k; ++j, row += 4) {
            if (row > plan->rows()) return;
            // Corners in the order (-,-), (+,-), (-,+), (+,+): factor i varies fastest.
            for (int corner = 0; corner < 4; ++corner) {
                SetFactor(plan, row + corner, i, (corner & 1) ? 1.0 : -1.0);
                SetFactor(plan, row + corner, j, (corner & 2) ? 1.0 : -1.0);
            }
        }
    }
}

// Every cell of a factor column is computed from cells of the same column,
// so the columns the sheet lacks are skipped outright: the work follows the
// cells written, not the k^3 cells of the whole design.
void LayDoehlert(matrix* plan, int k) {
    if (k < 1) return;
    const int nf = runsheet::FactorsInSheet(plan, k);
    SetFactor(plan, 1, 1, 1.0);
    SetFactor(plan, 2, 1, -1.0);
    int next = 3;
    for (int d = 2; d <= k && next <= plan->rows(); ++d) {
        const int width = std::min(d, nf);
        // A new point above the previous dimension's first point, lifted into
        // dimension d so that it stays at distance 1 from the centre.
        const int s = FirstDoehlertRow(d - 1);
        const int p = next;
        for (int f = 1; f <= std::min(d - 2, nf); ++f) SetFactor(plan, p, f, Factor(plan, s, f));
        SetFactor(plan, p, d - 1, Factor(plan, s, d - 1) / d);
        SetFactor(plan, p, d, num::sqr((d + 1.0) / (2.0 * d)));
        SetNegation(plan, p + 1, p, width);
        // Its differences with the first point of every lower dimension.
        int q = p + 2;
        for (int m = 1; m <= d - 1; ++m, q += 2) {
            const int t = FirstDoehlertRow(m);
            for (int f = 1; f <= width; ++f) SetFactor(plan, q, f, Factor(plan, t, f) - Factor(plan, p, f));
            SetNegation(plan, q + 1, q, width);
        }
        next = q;
    }
}

}  // namespace rsm
