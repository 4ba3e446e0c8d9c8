#include "response/surface_table.h"

#include "services/numeric.h"

namespace {

constexpr double kGridSteps = 20.0;

// Factor value of grid point u (1-based) along a factor's range.
double GridValue(double min, double max, int u) { return min + (u - 1) * (max - min) / kGridSteps; }
// The same point in coded units, from -1 on.
double GridCoded(int u) { return 2.0 * (u - 1) / kGridSteps - 1.0; }

// The squares are formed first, as the model's terms x1^2 and x2^2 are:
// (c * x) * x rounds differently from c * (x * x).
double Predict(const matrix* Coeff, double x1, double x2) {
    return Coeff->vbget(5) * x1 * x2 + Coeff->vbget(1) * x1 + Coeff->vbget(6) + Coeff->vbget(2) * x2 +
           Coeff->vbget(3) * (x1 * x1) + Coeff->vbget(4) * (x2 * x2);
}

}  // namespace

void SurfaceCalcTable(int indMax, matrix* OutTable, matrix* MinF, matrix* MaxF, matrix* Coeff, double* ominY,
                      double* omaxY) {
    *ominY = num::kNoValuePositive;
    *omaxY = num::kNoValue;
    OutTable->vbset(1, 1, num::kNoValue);
    for (int u = 1; u < indMax; ++u) {
        OutTable->vbset(1, u + 1, GridValue(MinF->vbget(1), MaxF->vbget(1), u));
        OutTable->vbset(u + 1, 1, GridValue(MinF->vbget(2), MaxF->vbget(2), u));
        const double x1 = GridCoded(u);
        for (int v = 1; v < indMax; ++v) {
            const double y = Predict(Coeff, x1, GridCoded(v));
            if (y < *ominY) *ominY = y;
            if (y > *omaxY) *omaxY = y;
            OutTable->vbset(v + 1, u + 1, y);
        }
    }
    // Widening the untouched start values would turn the maximum into
    // -infinity: without a grid point both keep them.
    if (indMax <= 1) return;
    if (*ominY > num::kNoValue) *ominY *= 0.98;
    if (*omaxY < num::kNoValuePositive) *omaxY *= 1.02;
}
