// livra check --safety, livra safety, livra dump --json with a safety file.
#include <gtest/gtest.h>

#include "model/files.h"
#include "support/test_support.h"

namespace livra {
namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();

TEST(SafetyCommands, CheckWithSafetyOnTheSampleAndOnTheOldOne) {
    const auto sample = pathToUtf8(kRepo / "examples" / "crossroad.ptm");
    auto r = test::runLivra({"check", "--safety", sample});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "Ошибок не обнаружено\nПроверка безопасности: замечаний нет\n");
    // Without --safety: exactly as before.
    r = test::runLivra({"check", sample});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Ошибок не обнаружено\n");

    // The old sample with the sample's matrix beside it: its faults, exit 1.
    test::TempDir dir;
    std::filesystem::copy_file(kRepo / "tests" / "data" / "crossroad_unsafe.ptm", dir / "old.ptm");
    test::copySafetyUnstamped(kRepo / "examples" / "crossroad.safety.json", dir / "old.safety.json");
    r = test::runLivra({"check", "--safety", pathToUtf8(dir / "old.ptm")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.rfind("Ошибок не обнаружено\n", 0), 0u);
    EXPECT_NE(r.out.find("Программа 4, такт 8 (при вызове ТВП1): напр. 1 — зелёный сменяется красным без жёлтого\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Программа 4, такт 1 (при вызове ТВП1): напр. 4 → 1 — промежуточное время 0 с, нужно не менее 5 с; "
                         "вставьте промтакт не менее 5 с перед тактом 1 программы 4\n"),
              std::string::npos)
        << r.out;

    // A damaged safety file: reported, exit 2; a bad option: exit 2.
    test::writeBytes(dir / "old.safety.json", Bytes{'[', '1'});
    r = test::runLivra({"check", "--safety", pathToUtf8(dir / "old.ptm")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Файл данных безопасности повреждён"), std::string::npos) << r.err;
    EXPECT_EQ(test::runLivra({"check", "--safe", pathToUtf8(dir / "old.ptm")}).exitCode, 2);
}

TEST(SafetyCommands, SafetyEditsTheSideFileAndDumpShowsIt) {
    test::TempDir dir;
    std::filesystem::copy_file(kRepo / "tests" / "data" / "crossroad_unsafe.ptm", dir / "x.ptm");
    const auto project = pathToUtf8(dir / "x.ptm");
    auto r = test::runLivra({"safety", project});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Матрица конфликтов не задана\n");
    r = test::runLivra({"safety", project, "--conflict", "1", "2", "--intergreen", "4", "1", "6", "--rule", "yellow", "4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes json = test::readBytes(dir / "x.safety.json");
    const std::string text(json.begin(), json.end());
    EXPECT_NE(text.find("\"conflicts\": [\n    [\n      1,\n      2\n    ],\n    [\n      1,\n      4\n    ]\n  ]"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"yellow\": 4"), std::string::npos);

    r = test::runLivra({"dump", "--json", project});
    ASSERT_EQ(r.exitCode, 0);
    // The last member, after the calendar and the plan.
    const auto safetyAt = r.out.find(",\n  \"safety\": {\n    \"format\": \"livra-safety\"");
    ASSERT_NE(safetyAt, std::string::npos);
    EXPECT_LT(r.out.find("\n  \"plan\": "), safetyAt);
    EXPECT_EQ(r.out.substr(r.out.size() - 6), "  }\n}\n");

    r = test::runLivra({"safety", project, "--no-conflict", "1", "4"});
    ASSERT_EQ(r.exitCode, 0);
    r = test::runLivra({"check", "--safety", project});
    EXPECT_EQ(r.out.find("4 → 1"), std::string::npos);

    // Directions that are no signal heads, a pair with itself, bad seconds:
    // refused, the file untouched.
    const Bytes kept = test::readBytes(dir / "x.safety.json");
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--conflict", "1", "5"}, {"--conflict", "2", "2"}, {"--conflict", "1", "9"},
          {"--intergreen", "1", "2", "256"}, {"--rule", "green", "3"}, {"--conflict", "1"}})
    {
        std::vector<std::string> args{"safety", project};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(test::runLivra(args).exitCode, 2) << bad[0];
    }
    EXPECT_EQ(test::readBytes(dir / "x.safety.json"), kept);
}

}  // namespace
}  // namespace livra
