#include <gtest/gtest.h>

#include "report/report.h"
#include "livra_version.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

// One version everywhere: the release the project names, with the commit
// when built from a checkout.
TEST(Version, TheProgramsAndTheReportShowTheSameVersion) {
    const std::string version = LIVRA_VERSION;
    EXPECT_EQ(version.rfind(LIVRA_RELEASE, 0), 0u) << version;
    EXPECT_TRUE(version == LIVRA_RELEASE || version[std::string(LIVRA_RELEASE).size()] == '+') << version;

    const auto cli = runLivra({"--version"});
    EXPECT_EQ(cli.exitCode, 0);
    EXPECT_EQ(cli.out, "livra " + version + "\n");
    EXPECT_NE(runLivra({"--help"}).out.find("--version"), std::string::npos);
    const auto emulator = runProgram(LIVRA_EMULATOR_PATH, {"--version"});
    EXPECT_EQ(emulator.exitCode, 0);
    EXPECT_EQ(emulator.out, "livra-emulator " + version + "\n");

    const auto c = sampleConfiguration();
    const auto withVersion = report::planReport(*c, {"x.ptm", "09.12.2026", version});
    EXPECT_EQ(withVersion.fields.back(), (std::pair<std::string, std::string>{"Версия программы", version}));
    EXPECT_EQ(report::planReport(*c, {"x.ptm", "09.12.2026"}).fields.size() + 1, withVersion.fields.size());
}
