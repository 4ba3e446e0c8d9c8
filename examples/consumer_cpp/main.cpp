// A C++ program using the installed library through find_package: the run
// sheet of a central composite design, sized first and then generated, as a
// host does.
#include <VORNEXDO1M.h>

#include <algorithm>
#include <cstdio>
#include <vector>

int main() {
    const int32_t ccd = 2, factors = 3, responses = 1, centres = 2, replicates = 1;
    int32_t runs = 0, cols = 0, block = 0;
    Cpp_PlanDimension(2, ccd, factors, responses, centres, replicates, 0, &runs, &cols, &block);

    std::vector<double> sheet(static_cast<std::size_t>(runs) * cols, 0.0);
    std::vector<double> low(factors, -1.0), high(factors, 1.0), step(factors, 0.0);
    int32_t seed = 1, nextSeed = 0;
    Cpp_PlanGenerate(2, ccd, factors, responses, centres, replicates, 0, 0, 0, runs, cols, block, low.data(),
                     high.data(), step.data(), sheet.data(), &seed, -1, &nextSeed);

    // 2^3 cube + 6 axial + 2 centre runs; 4 bookkeeping columns, 3 factors,
    // 1 response. The largest level of factor 1 (sheet column 5) is the
    // axial distance, (2^3)^(1/4) for a rotatable design.
    double axial = 0.0;
    for (int32_t r = 0; r < runs; ++r) axial = std::max(axial, sheet[4 * static_cast<std::size_t>(runs) + r]);
    std::printf("central composite, 3 factors, 2 centre runs: %d runs x %d columns, axial distance %.6f\n", runs,
                cols, axial);
    return 0;
}
