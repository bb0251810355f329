// livra design: a program built from its phases, refusals that leave the
// files as they were, and --show's form read back into the same bytes.
#include <gtest/gtest.h>

#include "model/files.h"
#include "support/test_support.h"

namespace livra {
namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();

struct Copy {
    test::TempDir dir;
    std::string project;
    Copy() {
        std::filesystem::copy_file(kRepo / "examples" / "crossroad.ptm", dir / "x.ptm");
        std::filesystem::copy_file(kRepo / "examples" / "crossroad.safety.json", dir / "x.safety.json");
        project = pathToUtf8(dir / "x.ptm");
    }
    Bytes ptm() const { return test::readBytes(dir / "x.ptm"); }
    Bytes json() const { return test::readBytes(dir / "x.safety.json"); }
};

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out{""};
    for (char ch : line) {
        if (ch == ' ' || ch == '\n') {
            if (!out.back().empty()) out.emplace_back();
        } else {
            out.back() += ch;
        }
    }
    if (out.back().empty()) out.pop_back();
    return out;
}

TEST(DesignCommand, BuildsTheProgramPrintsEachChangeAndSavesAsSaveDoes) {
    Copy x;
    const Bytes jsonBefore = x.json();
    auto r = test::runLivra({"design", x.project, "--program", "5", "--phase", "1,3:10:25", "--phase", "2,4:8:20",
                             "--call1-after", "1", "--call1-phase", "3,4:12"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Ф1→ТВП1: 9 с, решает 1→4: 6 с\n"
                     "ТВП1→Ф1: 8 с, решает 4→1: 5 с\n"
                     "Ф1→Ф2: 9 с, решает 1→4: 6 с\n"
                     "Ф2→Ф1: 9 с, решает 2→3: 6 с\n"
                     "Записано: " + x.project + "\n")
        << r.out;
    // The matrix written with it, the same; only the stamp of the project
    // bytes it belongs to is new.
    auto unstamped = [](const Bytes& b) {
        std::string s(b.begin(), b.end());
        const auto at = s.find(",\n  \"projectCrc32\"");
        if (at != std::string::npos) s.erase(at, s.find('\n', at + 2) - at);
        return s;
    };
    EXPECT_EQ(unstamped(x.json()), unstamped(jsonBefore));
    r = test::runLivra({"design", x.project, "--program", "5", "--show"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "--phase 1,3:10:25 --phase 2,4:8:20 --call1-after 1 --call1-phase 3,4:12\n");
    // The program the sample's calendar does not run is checked all the same.
    r = test::runLivra({"check", "--safety", x.project});
    EXPECT_EQ(r.exitCode, 0) << r.out;
}

// The sample's calendar runs program 4 after the night flashing: a design
// that starts on a green gets the all-red start-up, the shortest the seams
// allow, and says so; without it the check finds the seams.
TEST(DesignCommand, AProgramAfterTheNightFlashingGetsItsAllRedStartUp) {
    Copy x;
    auto r = test::runLivra({"design", x.project, "--program", "4", "--phase", "1,3:12:30", "--phase", "2,4:8:20",
                             "--call1-after", "1", "--call1-phase", "3,4:12"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Добавлена фаза «все красные» 5 с в начало цикла: календарь переключает программу 4 "
                          "с ЖМ или ОС или на них\n", 0),
              0u)
        << r.out;
    r = test::runLivra({"design", x.project, "--program", "4", "--show"});
    // The sample's own design, call after road 1 included.
    EXPECT_EQ(r.out, "--phase :5:5 --phase 1,3:12:30 --phase 2,4:8:20 --call1-after 2 --call1-phase 3,4:12\n");
    r = test::runLivra({"check", "--safety", x.project});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "Ошибок не обнаружено\nПроверка безопасности: замечаний нет\n");

    // One second shorter, given by hand: drivers who entered on flashing
    // yellow get less than their intergreen.
    r = test::runLivra({"design", x.project, "--program", "4", "--phase", ":4:4", "--phase", "1,3:12:30", "--phase",
                        "2,4:8:20", "--call1-after", "2", "--call1-phase", "3,4:12", "--no-start-up"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("Добавлена фаза"), std::string::npos);
    r = test::runLivra({"check", "--safety", x.project});
    EXPECT_NE(r.out.find("(после программы 2 (ЖМ) по календарю): напр. 2 → 3 — зелёный через 5 с после жёлтого мигания, "
                         "нужно не менее 6 с"),
              std::string::npos)
        << r.out;
    // Without the start-up at all: straight from flashing yellow to green.
    r = test::runLivra({"design", x.project, "--program", "4", "--phase", "1,3:12:30", "--phase", "2,4:8:20",
                        "--call1-after", "1", "--call1-phase", "3,4:12", "--no-start-up"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = test::runLivra({"check", "--safety", x.project});
    EXPECT_NE(r.out.find("жёлтое мигание сменяется зелёным без красного"), std::string::npos) << r.out;
    // A program the calendar never meets with ЖМ or ОС is built as given.
    r = test::runLivra({"design", x.project, "--program", "5", "--phase", "1,3:10:25", "--phase", "2,4:8:20",
                        "--call1-after", "1", "--call1-phase", "3,4:10"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("Добавлена фаза"), std::string::npos) << r.out;
}

TEST(DesignCommand, ShowThenDesignWithItsOutputGivesTheSameBytes) {
    Copy x;
    auto r = test::runLivra({"design", x.project, "--program", "6", "--phase", "1:6:15", "--phase", "1,3:5:10",
                             "--phase", "2,4:7:18", "--phase", "2:5:9"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = test::runLivra({"design", x.project, "--program", "7", "--phase", "1,3:10:25", "--phase", "2,4:8:20",
                        "--call1-after", "2", "--call1-phase", "3,4:12"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The sample's programs 4 and 5 are built here too.
    for (const char* program : {"4", "5", "6", "7"}) {
        r = test::runLivra({"design", x.project, "--program", program, "--show"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Bytes before = x.ptm();
        std::vector<std::string> args{"design", x.project, "--program", program};
        for (const std::string& w : words(r.out)) args.push_back(w);
        r = test::runLivra(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(x.ptm(), before) << program;
    }
}

TEST(DesignCommand, RefusalsNameWhatToMendAndLeaveBothFilesAsTheyWere) {
    Copy x;
    const Bytes ptm = x.ptm(), json = x.json();
    auto refused = [&](std::vector<std::string> args, const std::string& why) {
        args.insert(args.begin(), {"design", x.project, "--program", "4"});
        const auto r = test::runLivra(args);
        EXPECT_EQ(r.exitCode, 1) << why;
        EXPECT_EQ(r.err, "livra design: " + why + "\nНичего не изменено.\n");
        EXPECT_EQ(x.ptm(), ptm);
        EXPECT_EQ(x.json(), json);
    };
    refused({"--phase", "1,2:10:20", "--phase", "3,4:10:20"},
            "Ф1: напр. 1 и 2 конфликтуют — уберите одно из них из фазы");
    refused({"--phase", "1,3:10:20", "--phase", "2,4:4:20"}, "Ф2: Т мин 4 с меньше наименьшего зелёного 5 с напр. 2");
    refused({"--phase", "1,3:10:20", "--phase", "2,4:10:20", "--call1-after", "1", "--call1-phase", "1,4:10"},
            "Фаза вызова ТВП1: напр. 1 и 4 конфликтуют — уберите одно из них из фазы");
    refused({"--phase", "1,3:0:20"}, "Ф1: Т мин должно быть от 1 до 255 с");

    // Bad usage: exit 2, nothing written.
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--phase", "0,1"}, {"--phase", "1,64"}, {"--phase", "1,1"}, {"--phase", "1:5"}, {"--phase", "1:a:5"},
             {"--phase", "1:5:5:5"}, {}, {"--phase", "1", "--show"}, {"--phase", "1", "--call1-after", "1"},
             {"--phase", "1", "--call2-phase", "3"}, {"--phase", "1", "--call1-after", "0", "--call1-phase", "3"},
             {"--phase", "1", "--bogus"}}) {
        std::vector<std::string> args{"design", x.project, "--program", "4"};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(test::runLivra(args).exitCode, 2) << (bad.empty() ? "" : bad[0] + " " + bad[1]);
    }
    for (const char* program : {"3", "17", "x"})
        EXPECT_EQ(test::runLivra({"design", x.project, "--program", program, "--phase", "1"}).exitCode, 2);
    EXPECT_EQ(test::runLivra({"design", pathToUtf8(x.dir / "none.ptm"), "--program", "4", "--phase", "1"}).exitCode, 2);
    EXPECT_EQ(x.ptm(), ptm);

    // A missing intergreen, and no matrix at all.
    ASSERT_EQ(test::runLivra({"safety", x.project, "--no-intergreen", "4", "1"}).exitCode, 0);
    const Bytes withoutOne = x.json();
    auto r = test::runLivra({"design", x.project, "--program", "4", "--phase", "1,3", "--phase", "2,4"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "livra design: Для пары 4→1 не задано промежуточное время — задайте его в матрице конфликтов\n"
                     "Ничего не изменено.\n");
    EXPECT_EQ(x.ptm(), ptm);
    EXPECT_EQ(x.json(), withoutOne);
    std::filesystem::remove(x.dir / "x.safety.json");
    r = test::runLivra({"design", x.project, "--program", "4", "--phase", "1,3"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Матрица конфликтов не задана"), std::string::npos);
    EXPECT_EQ(x.ptm(), ptm);
}

}  // namespace
}  // namespace livra
