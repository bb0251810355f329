// livra traffic and livra timing on a copy of the sample.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/files.h"
#include "support/test_support.h"

namespace livra {
namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();

struct Sample {
    test::TempDir dir;
    std::string project;
    Sample() {
        std::filesystem::copy_file(kRepo / "examples" / "crossroad.ptm", dir / "x.ptm");
        std::filesystem::copy_file(kRepo / "examples" / "crossroad.safety.json", dir / "x.safety.json");
        project = pathToUtf8(dir / "x.ptm");
    }
};

TEST(TimingCommands, TrafficEditsSeveralAtOnceAndPrints) {
    Sample s;
    auto r = test::runLivra({"traffic", s.project, "--program", "4"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Интенсивности для программы 4 не заданы\n");
    r = test::runLivra({"traffic", s.project, "--program", "4", "--flow", "1", "450", "--flow", "2", "220",
                        "--lanes", "2", "2", "--saturation", "2", "1900", "--crossing", "3", "12,5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = test::runLivra({"traffic", s.project, "--program", "4"});
    EXPECT_EQ(r.out,
              "Программа 4: интенсивности движения\n"
              "Напр. 1: 450 ед/ч, полос 1, поток насыщения 1800 ед/ч на полосу (1800 всего)\n"
              "Напр. 2: 220 ед/ч, полос 2, поток насыщения 1900 ед/ч на полосу (3800 всего)\n"
              "Напр. 3 (пешеходное): переход 12,5 м, скорость 1,3 м/с\n");
    // The matrix beside them is kept.
    r = test::runLivra({"check", "--safety", s.project});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    // Other programs have their own counts; --clear drops one program's.
    EXPECT_EQ(test::runLivra({"traffic", s.project, "--program", "5"}).out, "Интенсивности для программы 5 не заданы\n");
    r = test::runLivra({"traffic", s.project, "--program", "4", "--clear", "--flow", "1", "100"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(test::runLivra({"traffic", s.project, "--program", "4"}).out,
              "Программа 4: интенсивности движения\n"
              "Напр. 1: 100 ед/ч, полос 1, поток насыщения 1800 ед/ч на полосу (1800 всего)\n");

    // Bad usage: exit 2 and nothing written.
    const Bytes before = test::readBytes(s.dir / "x.safety.json");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--program", "3", "--flow", "1", "10"},
             {"--program", "17", "--flow", "1", "10"},
             {"--flow", "1", "10"},
             {"--program", "4", "--flow", "1", "10001"},
             {"--program", "4", "--flow", "0", "10"},
             {"--program", "4", "--flow", "64", "10"},
             {"--program", "4", "--flow", "3", "10"},      // a walkers' direction
             {"--program", "4", "--crossing", "1", "10"},  // a vehicle direction
             {"--program", "4", "--lanes", "1", "9"},
             {"--program", "4", "--saturation", "1", "99"},
             {"--program", "4", "--flow", "1"},
             {"--program", "4", "--speed", "1", "2"},
         }) {
        std::vector<std::string> full{"traffic", s.project};
        full.insert(full.end(), args.begin(), args.end());
        r = test::runLivra(full);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args[1] << " " << r.out;
    }
    EXPECT_EQ(test::readBytes(s.dir / "x.safety.json"), before);
}

TEST(TimingCommands, TimingPrintsJsonAppliesAndTheProgramRunsThePrintedCycle) {
    Sample s;
    // No counts: said why, exit 1.
    auto r = test::runLivra({"timing", s.project, "--program", "4"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("нет интенсивностей"), std::string::npos) << r.err;
    ASSERT_EQ(test::runLivra({"traffic", s.project, "--program", "4", "--flow", "1", "450", "--flow", "2", "220"}).exitCode, 0);

    r = test::runLivra({"timing", s.project, "--program", "4", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["program"], 4);
    EXPECT_NEAR(j["Y"].get<double>(), 670.0 / 1800, 1e-12);
    EXPECT_EQ(j["lostTime"], 15);
    EXPECT_EQ(j["cycle0"], 44);
    EXPECT_EQ(j["cycle"], 44);
    ASSERT_EQ(j["phases"].size(), 3u);
    EXPECT_EQ(j["phases"][0]["tact"], 3);
    EXPECT_EQ(j["phases"][0]["directions"], nlohmann::json::array({1, 3}));
    EXPECT_EQ(j["phases"][0]["green"], 11);
    EXPECT_EQ(j["phases"][1]["green"], 5);
    EXPECT_EQ(j["phases"][2]["green"], 7);
    ASSERT_EQ(j["directions"].size(), 2u);
    EXPECT_EQ(j["directions"][0]["number"], 1);
    EXPECT_EQ(j["directions"][0]["saturation"], 1800);
    EXPECT_TRUE(j["meanDelay"].is_number());
    const std::vector<std::string> members{"program", "Y", "lostTime", "cycle0", "cycle", "phases", "directions", "meanDelay"};
    for (const auto& m : members) EXPECT_TRUE(j.contains(m)) << m;

    r = test::runLivra({"timing", s.project, "--program", "4"});
    EXPECT_NE(r.out.find("Y = 0,372; L = 15 с; C0 = 44 с; C = 44 с\n"), std::string::npos) << r.out;

    // --cycle splits a given cycle; bad values are bad usage.
    r = test::runLivra({"timing", s.project, "--program", "4", "--cycle", "70", "--json"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(r.out)["cycle"], 70);
    for (const char* bad : {"9", "256", "x", ""})
        EXPECT_EQ(test::runLivra({"timing", s.project, "--program", "4", "--cycle", bad}).exitCode, 2) << bad;
    EXPECT_EQ(test::runLivra({"timing", s.project, "--cycle", "60"}).exitCode, 2);
    EXPECT_EQ(test::runLivra({"timing", s.project, "--program", "2"}).exitCode, 2);
    EXPECT_EQ(test::runLivra({"timing", s.project, "--program", "4", "--fast"}).exitCode, 2);
    EXPECT_EQ(test::runLivra({"timing", pathToUtf8(s.dir / "none.ptm"), "--program", "4"}).exitCode, 2);

    // --apply: saved, the plan picture kept, and timed again the same cycle.
    const Bytes before = test::readBytes(s.dir / "x.ptm");
    r = test::runLivra({"timing", s.project, "--program", "4", "--apply"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes after = test::readBytes(s.dir / "x.ptm");
    EXPECT_EQ(after.size(), before.size());
    EXPECT_NE(after, before);
    r = test::runLivra({"timing", s.project, "--program", "4", "--json"});
    EXPECT_EQ(nlohmann::json::parse(r.out)["phases"][0]["green"], 11);
    // The plain cycle of the saved program, tact by tact, is the printed one.
    r = test::runLivra({"sumo-export", s.project, "--out", pathToUtf8(s.dir / "x.add.xml")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes xml = test::readBytes(s.dir / "x.add.xml");
    const std::string text(xml.begin(), xml.end());
    const size_t from = text.find("programID=\"4\""), to = text.find("</tlLogic>", from);
    ASSERT_NE(from, std::string::npos);
    int cycle = 0;
    for (size_t at = text.find("duration=\"", from); at < to; at = text.find("duration=\"", at + 1))
        cycle += std::stoi(text.substr(at + 10));
    EXPECT_EQ(cycle, 44);
}

// The report gets a page "Расчёт режима" for the program with counts.
TEST(TimingCommands, ReportHasTheTimingPageOfTheProgramWithCounts) {
    Sample s;
    const std::string pdf = pathToUtf8(s.dir / "r.pdf");
    auto r = test::runLivra({"report", s.project, "--out", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string without = r.out;
    ASSERT_EQ(test::runLivra({"traffic", s.project, "--program", "4", "--flow", "1", "450", "--flow", "2", "220"}).exitCode, 0);
    r = test::runLivra({"report", s.project, "--out", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const int before = std::stoi(without), after = std::stoi(r.out);
    EXPECT_EQ(after, before + 1) << without << r.out;
}

}  // namespace
}  // namespace livra
