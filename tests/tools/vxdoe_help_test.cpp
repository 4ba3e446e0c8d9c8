// What the help promises about defaults must be what the jobs do.
#include "tests/tools/vxdoe_run.h"

namespace {

using vxdoe_test::vxdoeRun;

// The help's text for one option: its line and the indented lines under it.
std::string optionHelp(const std::string& help, const std::string& option) {
    const std::size_t at = help.find("  " + option + " ");
    if (at == std::string::npos) return {};
    const std::size_t next = help.find("\n  --", at + 1);
    return help.substr(at, next == std::string::npos ? std::string::npos : next - at);
}

TEST(VxdoeHelp, SensorySecondsShowsNoDefaultTheDesignSearchDoesNotHave) {
    const auto r = vxdoeRun("sensory --help");
    ASSERT_EQ(r.status, 0);
    const std::string seconds = optionHelp(r.out, "--seconds");
    ASSERT_FALSE(seconds.empty()) << r.out;
    // Without --seconds the design search is untimed: no "[default: ...]".
    EXPECT_EQ(seconds.find("[default"), std::string::npos) << seconds;
    EXPECT_NE(seconds.find("untimed"), std::string::npos) << seconds;
    // The order job's own --seconds keeps its default of 10.
    EXPECT_NE(optionHelp(vxdoeRun("orders --help").out, "--seconds").find("[default: 10]"), std::string::npos);
}

}  // namespace
