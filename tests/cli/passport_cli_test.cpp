// livra passport and the passport's report as a user runs them: the object
// data set from a script, printed, carried by dump --json, and found again
// in the text a PDF reader takes out of the report.
#include <gtest/gtest.h>

#include <sstream>

#include "model/project_file.h"
#include "model/safety_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

std::filesystem::path examples() { return std::filesystem::path(LIVRA_TEST_DATA) / ".." / ".." / "examples"; }

// The sample and its safety file copied into `dir`.
std::string copySample(const TempDir& dir) {
    std::filesystem::copy_file(examples() / "crossroad.ptm", dir / "crossroad.ptm");
    std::filesystem::copy_file(examples() / "crossroad.safety.json", dir / "crossroad.safety.json");
    return pathToUtf8(dir / "crossroad.ptm");
}

std::string pdfText(const std::string& pdf) {
#ifdef _WIN32
    (void)pdf;
    return {};
#else
    const auto r = runProgram("/usr/bin/pdftotext", {"-layout", pdf, "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
#endif
}

// The text with every run of blanks made one space, so words a table puts
// in columns read as a line does; the reader keeps or drops the blanks
// round a short "→" as it likes, so they go.
std::string squeezed(const std::string& text) {
    std::string out;
    for (char ch : text) {
        const bool blank = ch == ' ' || ch == '\t';
        if (blank && !out.empty() && out.back() == ' ') continue;
        out += blank ? ' ' : ch;
    }
    for (std::size_t at = out.find(" → "); at != std::string::npos; at = out.find(" → ", at)) out.replace(at, 5, "→");
    return out;
}

TEST(CliPassport, ScriptsSetThePassportAndItIsPrintedAndDumped) {
    TempDir dir;
    const std::string project = copySample(dir);
    const Bytes before = readBytes(dir / "crossroad.ptm");
    const auto set = runLivra({"passport", project, "--name", "Перекрёсток ул. Ленина — ул. Мира", "--address",
                               "г. Энск", "--owner", "ГКУ «Дороги»", "--designer", "ООО «Проект»", "--prepared",
                               "Иванов И. И.", "--checked", "Петров П. П.", "--approved", "Сидоров С. С.", "--revision",
                               "2", "--revision-date", "01.12.2026", "--direction-name", "1", "ул. Ленина, прямо",
                               "--direction-name", "63", "не в ходу", "--program-name", "4", "Утро"});
    EXPECT_EQ(set.exitCode, 2) << "direction 63 is not in use";
    const auto ok = runLivra({"passport", project, "--name", "Перекрёсток ул. Ленина — ул. Мира", "--prepared",
                              "Иванов И. И.", "--revision", "2", "--revision-date", "01.12.2026", "--direction-name", "1",
                              "ул. Ленина, прямо", "--program-name", "4", "Утро", "--program-name", "16", "Вечер",
                              "--program-name", "1", "Ночь, КК"});
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "");
    EXPECT_EQ(readBytes(dir / "crossroad.ptm"), before) << "the project file is not touched";

    const auto shown = runLivra({"passport", project});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("Объект: Перекрёсток ул. Ленина — ул. Мира\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Разработал: Иванов И. И.\nПроверил: \n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Дата редакции: 01.12.2026\n"), std::string::npos);
    EXPECT_NE(shown.out.find("Названия направлений:\n  1\tул. Ленина, прямо\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("  1 (КК)\tНочь, КК\n  4\tУтро\n  16\tВечер\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Записи в ДК:\n  Проверенной записи в ДК ещё не было\n"), std::string::npos);

    // The matrix stays as it was; an empty text clears a field.
    SafetyData s;
    auto c = std::move(parseProject(before)->config);
    ASSERT_EQ(loadSafetyFile(pathToUtf8(dir / "crossroad.safety.json"), *c, s).status, SafetyFileStatus::Loaded);
    EXPECT_TRUE(s.defined);
    EXPECT_EQ(s.intergreen[0][1], 5);
    ASSERT_EQ(runLivra({"passport", project, "--prepared", "", "--program-name", "16", ""}).exitCode, 0);
    ASSERT_EQ(loadSafetyFile(pathToUtf8(dir / "crossroad.safety.json"), *c, s).status, SafetyFileStatus::Loaded);
    EXPECT_EQ(s.object.prepared, "");
    EXPECT_EQ(s.object.programNames[15], "");
    EXPECT_EQ(s.object.programNames[3], "Утро");

    const auto dump = runLivra({"dump", project, "--json"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.out.find("\"object\": {"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("\"name\": \"Перекрёсток ул. Ленина — ул. Мира\""), std::string::npos);

    // A project without any companion file: the data starts a file of its
    // own, which says it holds no matrix.
    writeBytes(dir / "bare.ptm", before);
    ASSERT_EQ(runLivra({"passport", pathToUtf8(dir / "bare.ptm"), "--name", "Без матрицы"}).exitCode, 0);
    SafetyData bare;
    ASSERT_EQ(loadSafetyFile(pathToUtf8(dir / "bare.safety.json"), *c, bare).status, SafetyFileStatus::Loaded);
    EXPECT_FALSE(bare.defined);
    EXPECT_EQ(bare.object.name, "Без матрицы");
    const auto bareDump = runLivra({"dump", pathToUtf8(dir / "bare.ptm"), "--json"});
    EXPECT_NE(bareDump.out.find("\"matrix\": false"), std::string::npos) << bareDump.out;
}

TEST(CliPassport, BadOptionsAreRefusedAtEveryBound) {
    TempDir dir;
    writeBytes(dir / "full.ptm", serializeProject(*fullConfiguration(), {}));
    const std::string project = pathToUtf8(dir / "full.ptm");
    // Numbers: 1 and the last are taken, one beyond either end is not.
    EXPECT_EQ(runLivra({"passport", project, "--direction-name", "1", "a", "--direction-name", "63", "b"}).exitCode, 0);
    EXPECT_EQ(runLivra({"passport", project, "--program-name", "1", "a", "--program-name", "16", "b"}).exitCode, 0);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--direction-name", "0", "a"},   {"--direction-name", "64", "a"}, {"--direction-name", "x", "a"},
             {"--direction-name", "1"},        {"--program-name", "0", "a"},    {"--program-name", "17", "a"},
             {"--program-name", "4 ", "a"},    {"--revision-date", "31.02.2026"}, {"--revision-date", "1.1.2026"},
             {"--revision-date", "01.01.3000"}, {"--name"},                    {"--colour", "red"},
             {"--name", "две\nстроки"},        {"--name", std::string(kMaxObjectTextLength + 1, 'x')},
             {"--direction-name", "2", std::string(kMaxObjectNameLength + 1, 'y')}}) {
        std::vector<std::string> args = {"passport", project};
        args.insert(args.end(), bad.begin(), bad.end());
        const auto r = runLivra(args);
        EXPECT_EQ(r.exitCode, 2) << bad[0];
        EXPECT_NE(r.err.find("livra passport:"), std::string::npos) << r.err;
    }
    EXPECT_EQ(runLivra({"passport", project, "--revision-date", "31.12.2999", "--name",
                        std::string(kMaxObjectTextLength, 'x')})
                  .exitCode,
              0);
    EXPECT_EQ(runLivra({"passport"}).exitCode, 2);
    EXPECT_EQ(runLivra({"passport", pathToUtf8(dir / "missing.ptm")}).exitCode, 2);
    // A damaged companion file is reported and left for the user to mend.
    writeBytes(dir / "full.safety.json", Bytes{'{', 'x'});
    const auto damaged = runLivra({"passport", project, "--name", "y"});
    EXPECT_EQ(damaged.exitCode, 2);
    EXPECT_EQ(readBytes(dir / "full.safety.json"), (Bytes{'{', 'x'}));
}

TEST(CliPassport, TheReportsTextHoldsThePassport) {
    TempDir dir;
    const std::string project = copySample(dir);
    ASSERT_EQ(runLivra({"passport", project, "--name", "Перекрёсток Ленина и Мира", "--prepared", "Иванов И. И.",
                        "--checked", "Петров П. П.", "--approved", "Сидоров С. С.", "--revision", "7", "--direction-name",
                        "1", "Ленина прямо", "--program-name", "4", "Утро", "--program-name", "2", "Ночь ЖМ"})
                  .exitCode,
              0);
    const std::string pdf = pathToUtf8(dir / "passport.pdf");
    const std::string csv = pathToUtf8(dir / "tables.csv");
    const auto r = runLivra({"report", project, "--out", pdf, "--csv", csv});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes tableBytes = readBytes(dir / "tables.csv");
    const std::string table(tableBytes.begin(), tableBytes.end());
    EXPECT_NE(table.find("4;2→3;1 Ленина прямо;4;6;6;да"), std::string::npos) << table;
#ifndef _WIN32
    const std::string text = squeezed(pdfText(pdf));
    for (const char* expected :
         {"Паспорт светофорного объекта", "Перекрёсток Ленина и Мира", "Разработал Иванов И. И.", "Проверил Петров П. П.",
          "Утвердил Сидоров С. С.", "Подпись", "Редакция 7",
          // each phase's directions
          "Фаза 1: 5 с (Т мин 5 с)", "Фаза 2: 30 с (Т мин 12 с)", "Идут: 1 Ленина прямо", "Фаза 3: 20 с (Т мин 8 с)",
          "Идут: 2",
          // each change's required and provided intergreens
          "Промтакт 1→2", "► 1 Ленина прямо→4 6 6", "1 Ленина прямо→2 5 6", "3→2 5 6", "Промтакт 2→3",
          "Промтакт 3→1",
          // the named calendar
          "Пн–Пт 01:00 2 (ЖМ) «Ночь ЖМ»", "06:00 4 «Утро»", "Сб–Вс"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    // The revision in every page's footer.
    std::size_t footers = 0;
    for (std::size_t at = text.find("Редакция 7 · Проект"); at != std::string::npos;
         at = text.find("Редакция 7 · Проект", at + 1))
        ++footers;
    const auto pages = runProgram("/usr/bin/pdfinfo", {pdf});
    const auto n = pages.out.find("Pages:");
    ASSERT_NE(n, std::string::npos);
    EXPECT_EQ(footers, std::size_t(std::atoi(pages.out.c_str() + n + 6)));
#endif
}

TEST(CliPassport, AProjectWithoutPlanOrObjectDataGivesASoundReport) {
    TempDir dir;
    writeBytes(dir / "bare.ptm", serializeProject(*sampleConfiguration(), {}));
    const std::string pdf = pathToUtf8(dir / "bare.pdf");
    const auto r = runLivra({"report", pathToUtf8(dir / "bare.ptm"), "--out", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
#ifndef _WIN32
    const std::string text = squeezed(pdfText(pdf));
    EXPECT_NE(text.find("Паспорт светофорного объекта"), std::string::npos);
    EXPECT_NE(text.find("Разработал"), std::string::npos);
    EXPECT_NE(text.find("Фаза 1"), std::string::npos);
    EXPECT_NE(text.find("План не задан: фазы показаны схемой."), std::string::npos) << text;
#endif
}

}  // namespace
