// vxdoe resolve: rearranges the judges of a cyclic incomplete-block design
// into consecutive groups that are each a complete replicate.
#include "tools/vxdoe/job_orders.h"

namespace {

int runResolve(const vxdoe::Library& lib, const vxdoe::Args& args, std::ostream& out) {
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
    seeds.report(true);
    if (resolvable != -1) {
        out << "not resolvable\n";
        return 0;
    }
    vxdoe::printRow(out, {"group size", std::to_string(groupSize)});
    std::vector<std::string> header{"judge", "group"};
    for (int r = 1; r <= R; ++r) header.push_back("product " + std::to_string(r));
    vxdoe::printRow(out, header);
    for (int j = 0; j < J; ++j) {
        std::vector<std::string> row{std::to_string(j + 1), std::to_string(j / groupSize + 1)};
        for (int p = 0; p < P; ++p)
            if (jp[static_cast<std::size_t>(p) * J + j] == 1) row.push_back(std::to_string(p + 1));
        vxdoe::printRow(out, row);
    }
    return 0;
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
