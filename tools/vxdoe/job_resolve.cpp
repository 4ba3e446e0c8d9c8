// vxdoe resolve: rearranges the judges of a cyclic incomplete-block design
// into consecutive groups that are each a complete replicate.
#include "tools/vxdoe/job_orders.h"

namespace {

int runResolve(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    const int J = args.integer("judges", 0), P = args.integer("products", 0), R = args.integer("per-judge", 0);
    vxdoe::orders::checkSizes(J, P, R);
    const int tries = args.integer("tries", 1000);
    if (tries < 1) throw vxdoe::UsageError("--tries needs a count of at least 1");
    vxdoe::sheet::Seeds seeds(args);
    std::vector<int32_t> jp = vxdoe::orders::cyclicIncidence(J, P, R), jr;
    for (int k = 0; k < R; ++k)  // each judge's products in cyclic order
        for (int j = 0; j < J; ++j) jr.push_back((j + k) % P + 1);
    int32_t groupSize = 0;
    VARIANT_BOOL resolvable = 0;
    lib.entry<decltype(Cpp_TransResolve)>("Cpp_TransResolve")(J, P, R, tries, jp.data(), jr.data(), &groupSize,
                                                              &resolvable, &seeds.io, &seeds.init, &seeds.out);
    seeds.report(out, true);
    out.figure("resolvable", resolvable == -1);
    out.figure("group_size", resolvable == -1 ? vxdoe::Value(static_cast<double>(groupSize)) : vxdoe::Value());
    // The regrouped judges as the incidence, each row with the number the
    // judge had in the cyclic design (among judges tasting the same
    // products, the first not yet placed) and its group.
    std::vector<int32_t> cells(static_cast<std::size_t>(J) * 2, 0);
    cells.insert(cells.end(), jp.begin(), jp.end());
    std::vector<bool> placed(static_cast<std::size_t>(J), false);
    const std::vector<int32_t> cyclic = vxdoe::orders::cyclicIncidence(J, P, R);
    auto sameProducts = [&](int original, int j) {
        for (int p = 0; p < P; ++p)
            if (cyclic[static_cast<std::size_t>(p) * J + original] != jp[static_cast<std::size_t>(p) * J + j])
                return false;
        return true;
    };
    for (int j = 0; j < J; ++j) {
        for (int original = 0; original < J; ++original)
            if (!placed[static_cast<std::size_t>(original)] && sameProducts(original, j)) {
                placed[static_cast<std::size_t>(original)] = true;
                cells[static_cast<std::size_t>(j)] = original + 1;
                break;
            }
        cells[static_cast<std::size_t>(J + j)] = resolvable == -1 ? j / groupSize + 1 : 0;
    }
    std::vector<std::string> columns{"judge", "original_judge", "group"};
    for (const std::string& c : vxdoe::numberedColumns("", "product_", P)) columns.push_back(c);
    vxdoe::Table t = vxdoe::orders::judgeRows(columns, cells, J, P + 2);
    if (resolvable != -1)
        for (auto& row : t.rows) row[2] = vxdoe::Value();  // no groups
    out.table(std::move(t));
    return resolvable == -1 ? 0 : 1;  // like a list with no match: the job ran, and the answer is none
}

const vxdoe::JobRegistration kResolve{
    {"resolve",
     "the judges of a cyclic design regrouped into consecutive complete replicates",
     {vxdoe::integer("judges", "number of judges J").atLeast(1).mandatory().shownAs("J"),
      vxdoe::integer("products", "number of products P").atLeast(1).mandatory().shownAs("P"),
      vxdoe::integer("per-judge", "products each judge tastes R").atLeast(1).mandatory().shownAs("R"),
      vxdoe::integer("tries", "random tries at most").atLeast(1).byDefault("1000"), vxdoe::sheet::seedOption()},
     runResolve}};

}  // namespace
