// vxdoe sensory: an optimal sensory design, each judge tasting some of the
// products: the judge x product incidence (and, on the cyclic route, the
// presentation orders), both criteria and whether the design is proved optimal.
#include "tools/vxdoe/host.h"
#include "tools/vxdoe/job_orders.h"

namespace {

// The host allocates no table larger than this.
constexpr long long kMaxCells = 50'000'000;

// Both criteria are efficiencies of at most E* <= 1, evaluated in floating
// point: a design at the bound reads a few ulps below it (D 0.8749999999999999
// for E* 0.875). A design this close to E* is at it; one changed product in
// one judge's block moves the efficiency by far more.
constexpr double kProvedTolerance = 1e-12;

int positiveCount(const vxdoe::Args& args, const std::string& name) {
    const int n = args.integer(name, 0);
    if (n < 1) throw vxdoe::UsageError("--" + name + " needs a count of at least 1");
    return n;
}

int criterionType(const std::string& name) {
    if (name == "D") return 1;
    if (name == "A") return 2;
    throw vxdoe::UsageError("--criterion must be D or A");
}

std::vector<int32_t> hostTable(long long rows, long long cols) {
    if (rows * cols > kMaxCells) throw vxdoe::UsageError("the design would be too large");
    return std::vector<int32_t>(static_cast<std::size_t>(rows * cols), 0);
}

int runSensory(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    const int iP = positiveCount(args, "products"), iJ = positiveCount(args, "judges");
    const int iR = positiveCount(args, "per-judge");
    if (iR > iP) throw vxdoe::UsageError("--per-judge cannot exceed --products");
    const int critType = criterionType(args.text("criterion", "D"));
    const VARIANT_BOOL cyclic = args.has("cyclic") ? -1 : 0;
    const double seconds = args.number("seconds", 0);
    const VARIANT_BOOL timeStop = args.has("seconds") ? -1 : 0;
    int32_t seed = 0, oSeed = 0;
    VARIANT_BOOL seedInit = 0;
    if (args.has("seed")) seed = args.integer("seed", 0), seedInit = -1;

    std::vector<int32_t> jp = hostTable(iJ, iP), jr = hostTable(iJ, iR);
    double maxcrit = 0, ocrit2 = 0;
    VARIANT_BOOL found = 0;
    int32_t result = 0;
    {
        const vxdoe::orders::Progress progress("searching the design");
        result = lib.entry<decltype(Cpp_RunGetOptimalDesign)>("Cpp_RunGetOptimalDesign")(
            iJ, iP, iR, critType, cyclic, timeStop, seconds, jp.data(), jr.data(), &maxcrit, &ocrit2, &found, &seed,
            &seedInit, &oSeed);
    }
    if (result == VX_E_TOO_MANY_PRODUCTS)
        throw vxdoe::UsageError("--products can be at most " + std::to_string(VX_SENSORY_MOST_PRODUCTS));

    // The incidence, or the presentation orders when there are any (they
    // imply it); --orders below replaces them with its own.
    if (cyclic == -1)
        out.table(vxdoe::orders::judgeRows(vxdoe::numberedColumns("judge", "position_", iR), jr, iJ, iR));
    else
        out.table(vxdoe::orders::judgeRows(vxdoe::numberedColumns("judge", "product_", iP), jp, iJ, iP));
    const double d = critType == 1 ? maxcrit : ocrit2, a = critType == 1 ? ocrit2 : maxcrit;
    // E*, the efficiency of a balanced incomplete block design (1 for
    // complete blocks), bounds both criteria; the gap is how far the
    // maximised one stays below it when the design is not proved optimal.
    const double bound = iR == iP ? 1.0 : (iR - 1.0) * iP / ((iP - 1.0) * iR);
    const bool proved = (cyclic != -1 && found == -1) || bound - maxcrit <= kProvedTolerance;
    out.figure("criterion", critType == 1 ? "D" : "A");
    out.figure("D", vxdoe::number(d));
    out.figure("A", vxdoe::number(a));
    out.figure("E*", bound);
    out.figure("gap", proved ? vxdoe::Value() : vxdoe::number(bound - maxcrit));
    out.figure("proved", proved);
    // The printed table's balance; the orders below keep the incidence and print it themselves.
    if (!args.has("orders"))
        vxdoe::orders::reportBalance(out, cyclic == -1 ? vxdoe::orders::incidenceOf(jr, iJ, iP, iR) : jp, iJ, iP);
    int status = 0;
    if (args.has("orders")) {
        // The presentation orders continue the design's seed stream.
        vxdoe::sheet::Seeds seeds(args);
        seeds.io = oSeed, seeds.init = -1;
        status = vxdoe::orders::orderPresentations(lib, jp, iJ, iP, iR, vxdoe::orders::Options(args), seeds, out);
    }
    // The design's seed reproduces the whole run, orders included.
    out.seed(seed);
    return status;
}

std::vector<vxdoe::Option> sensoryOptions() {
    std::vector<vxdoe::Option> options{
        vxdoe::integer("products", "number of products P")
            .within(1, VX_SENSORY_MOST_PRODUCTS)
            .mandatory()
            .shownAs("P"),
        vxdoe::integer("judges", "number of judges J").atLeast(1).mandatory().shownAs("J"),
        vxdoe::integer("per-judge", "products each judge tastes R").atLeast(1).mandatory().shownAs("R"),
        vxdoe::choice("criterion", "criterion maximised: D- or A-type efficiency", {"D", "A"}).byDefault("D"),
        vxdoe::flag("cyclic", "build the design from cyclic squares, with its presentation orders"),
        vxdoe::sheet::seedOption(),
        vxdoe::flag("orders", "then order each judge's presentations (--lambda, --passes)")};
    // --seconds limits the design search as well as the order search, but
    // differently: the design search is untimed without it, and the library
    // counts both budgets in its clock units of 1/100000 day (0.864 s).
    for (vxdoe::Option& o : vxdoe::orders::optionTable()) {
        if (o.name == "seconds")
            o.byDefault("").meaning =
                "time budget S. Without it the design search makes one untimed pass;\n"
                "with it the search goes on until its design is proved optimal or each of\n"
                "its stages has run for S/2 of the library's clock units of 0.864 s (about\n"
                "0.43 S seconds; S above 86400 counts as 86400). With --orders the order\n"
                "search stops by S units\n"
                "(10 without --seconds, about 8.6 s)";
        options.push_back(std::move(o));
    }
    return options;
}

const vxdoe::JobRegistration kSensory{
    {"sensory", "an optimal sensory design: which products each judge tastes, and its efficiency",
     sensoryOptions(), runSensory}};

}  // namespace
