// livra sumo-evaluate on the sample's SUMO example: two programs side by
// side in a real SUMO run, and the clear refusal without SUMO.
#include <cstdlib>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/files.h"
#include "model/project_file.h"
#include "platform/process.h"
#include "support/test_support.h"

namespace livra {
namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();

// The sample with program 4 copied into program 5, and 5 timed from counts.
std::string twoPrograms(const test::TempDir& dir) {
    auto parsed = parseProject(test::readBytes(kRepo / "examples" / "crossroad.ptm"));
    Configuration& c = *parsed->config;
    c.TactTable[4] = c.TactTable[3];
    c.TactSignals[4] = c.TactSignals[3];
    const std::string project = pathToUtf8(dir / "two.ptm");
    EXPECT_TRUE(saveProjectWithPlan(c, project, parsed->plan).ok());
    std::filesystem::copy_file(kRepo / "examples" / "crossroad.safety.json", dir / "two.safety.json");
    EXPECT_EQ(test::runLivra({"traffic", project, "--program", "5", "--flow", "1", "450", "--flow", "2", "220"}).exitCode, 0);
    EXPECT_EQ(test::runLivra({"timing", project, "--program", "5", "--apply"}).exitCode, 0);
    return project;
}

TEST(SumoEvaluate, TwoProgramsSideBySideInSumo) {
    if (!platform::findProgram("sumo") || !platform::findProgram("netconvert")) GTEST_SKIP() << "SUMO is not installed";
    test::TempDir dir;
    const auto sumo = kRepo / "examples" / "sumo";
    const std::string base = pathToUtf8(dir / "base.net.xml"), net = pathToUtf8(dir / "x.net.xml");
    ASSERT_EQ(test::runProgram(platform::findProgram("netconvert")->string(),
                               {"-n", pathToUtf8(sumo / "crossroad.nod.xml"), "-e", pathToUtf8(sumo / "crossroad.edg.xml"),
                                "-x", pathToUtf8(sumo / "crossroad.con.xml"), "-o", base})
                  .exitCode,
              0);
    ASSERT_EQ(test::runProgram(platform::findProgram("netconvert")->string(),
                               {"-s", base, "-i", pathToUtf8(sumo / "crossroad.tll.xml"), "-o", net})
                  .exitCode,
              0);
    const std::string project = twoPrograms(dir);
    const std::string routes = pathToUtf8(sumo / "crossroad.rou.xml");
    auto r = test::runLivra({"sumo-evaluate", project, "--net", net, "--routes", routes, "--tls", "J", "--program", "4",
                             "--program", "5", "--seconds", "900", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["begin"], 21600.0);
    ASSERT_EQ(j["programs"].size(), 2u);
    EXPECT_EQ(j["programs"][0]["program"], 4);
    EXPECT_EQ(j["programs"][0]["cycle"], 76);
    EXPECT_EQ(j["programs"][1]["cycle"], 44);
    for (const auto& p : j["programs"]) {
        EXPECT_GT(p["vehicles"].get<int>(), 250);  // 1340 an hour, a quarter of it
        EXPECT_GT(p["timeLoss"].get<double>(), 3);
        EXPECT_LT(p["timeLoss"].get<double>(), 40);
        EXPECT_EQ(p["approaches"].size(), 4u);
        EXPECT_GT(p["pedestrians"].get<int>(), 50);
        EXPECT_EQ(p["notEntered"], 0);
    }
    // The main road's queue discharges near SUMO's usual 1800..2100 pcu/h.
    const auto& wj = j["programs"][0]["approaches"][3];
    ASSERT_EQ(wj["edge"], "WJ");
    ASSERT_TRUE(wj["saturationFlow"].is_number()) << r.out;
    EXPECT_GT(wj["saturationFlow"].get<double>(), 1500);
    EXPECT_LT(wj["saturationFlow"].get<double>(), 2600);

    // The text form: one line per measure, the programs in columns; the net
    // named relative to the folder the command runs in.
    r = test::runProgram("/bin/sh", {"-c", "cd '" + pathToUtf8(dir.path()) + "' && '" + std::string(LIVRA_CLI_PATH) +
                                               "' sumo-evaluate two.ptm --net x.net.xml --routes '" + routes +
                                               "' --tls J --program 4 --program 5 --seconds 300"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Программа\t4\t5\nЦикл, с\t76\t44\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nПешеходы: ожидание, с/чел\t"), std::string::npos);
}

TEST(SumoEvaluate, WithoutSumoSaysSoAndBadUsage) {
    test::TempDir dir;
    const std::string project = pathToUtf8(kRepo / "examples" / "crossroad.ptm");
    const std::string net = pathToUtf8(dir / "none.net.xml");
    // A search path without sumo. On Windows the program's own DLLs are found
    // through the search path too, so the old one stays behind the empty folder.
    std::string path = pathToUtf8(dir.path());
#ifdef _WIN32
    if (const char* old = std::getenv("PATH")) path += std::string(";") + old;
#endif
    auto r = test::runProgram(LIVRA_CLI_PATH,
                              {"sumo-evaluate", project, "--net", net, "--routes", net, "--tls", "J", "--program", "4"},
                              {{"PATH", path}});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("SUMO не установлен: программа sumo не найдена."), std::string::npos) << r.err;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--net", net, "--routes", net, "--tls", "J"},
             {"--net", net, "--routes", net, "--tls", "J", "--program", "3"},
             {"--net", net, "--routes", net, "--tls", "J", "--program", "17"},
             {"--net", net, "--routes", net, "--tls", "J", "--program", "6"},  // empty
             {"--net", net, "--routes", net, "--tls", "a b", "--program", "4"},
             {"--net", net, "--routes", net, "--tls", "J", "--program", "4", "--seconds", "0"},
             {"--net", net, "--routes", net, "--tls", "J", "--program", "4", "--seconds", "604801"},
             {"--routes", net, "--tls", "J", "--program", "4"},
         }) {
        std::vector<std::string> full{"sumo-evaluate", project};
        full.insert(full.end(), args.begin(), args.end());
        EXPECT_EQ(test::runLivra(full).exitCode, 2) << args.back();
    }
}

}  // namespace
}  // namespace livra
