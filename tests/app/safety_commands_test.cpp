// The safety data through the file commands, the controller write's gate,
// direction deletes and undo/redo.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/file_commands.h"
#include "app/safety_commands.h"
#include "edit/conflict_matrix.h"
#include "edit/directions_edit.h"
#include "edit/edit_history.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "support/scripted_dialogs.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::addDirection;
using test::addTact;

void setPair(SafetyData& s, int a, int b, int from_to = -1, int to_from = -1) {
    s.defined = true;
    s.conflict[a].set(b), s.conflict[b].set(a);
    s.intergreen[a][b] = int16_t(from_to);
    s.intergreen[b][a] = int16_t(to_from);
}

class SafetyFiles : public ::testing::Test {
protected:
    test::TempDir dir;
    std::unique_ptr<Configuration> c = test::sampleConfiguration();
    test::ScriptedDialogs ui;
    FileCommandViews views;
    void SetUp() override { c->ProgramDir = pathToUtf8(dir.path()) + "/"; }
    std::string path(const char* name) { return pathToUtf8(dir / name); }
    bool exists(const char* name) { return std::filesystem::exists(dir / name); }
};

TEST_F(SafetyFiles, SaveWritesBothOpenReadsThemAndNoMatrixWritesNoFile) {
    ui.fileNames.push_back(path("a.ptm"));
    ASSERT_TRUE(saveProjectAs(*c, ui, views));
    EXPECT_TRUE(exists("a.ptm"));
    EXPECT_FALSE(exists("a.safety.json"));  // no matrix, no file existed: none made

    setPair(c->Safety, 0, 1, 4, 5);
    c->Modified = 1;
    ASSERT_TRUE(saveProjectCommand(*c, ui, views));
    ASSERT_TRUE(exists("a.safety.json"));

    auto other = test::newConfiguration();
    other->ProgramDir = c->ProgramDir;
    ui.fileNames.push_back(path("a.ptm"));
    ASSERT_TRUE(openProject(*other, ui, views));
    EXPECT_TRUE(other->Safety.defined);
    EXPECT_EQ(other->Safety.intergreen[1][0], 5);
    EXPECT_TRUE(ui.lines.empty());

    // "Создать" starts without a matrix; saving it over a.ptm takes the old
    // project's matrix away, as it belongs to that configuration.
    other->Modified = 0;
    ASSERT_TRUE(newConfiguration(*other, ui, views));
    EXPECT_FALSE(other->Safety.defined);
    ui.fileNames.push_back(path("a.ptm"));
    ui.answers.push_back(Answer::Yes);  // replace a.ptm
    ASSERT_TRUE(saveProjectAs(*other, ui, views));
    EXPECT_FALSE(exists("a.safety.json"));
}

TEST_F(SafetyFiles, DamagedOrStaleFilesAreReportedAndTheProjectOpens) {
    ASSERT_TRUE(saveProject(*c, path("p.ptm")).ok());
    test::writeBytes(dir / "p.safety.json", Bytes{'{', 'x'});
    auto other = test::newConfiguration();
    other->ProgramDir = c->ProgramDir;
    ui.fileNames.push_back(path("p.ptm"));
    ASSERT_TRUE(openProject(*other, ui, views));
    EXPECT_TRUE(other->sameTables(*c));
    EXPECT_FALSE(other->Safety.defined);
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0], "Файл данных безопасности повреждён: это не JSON");
    // Saving without a matrix leaves the damaged file for the user to mend.
    other->Modified = 1;
    ASSERT_TRUE(saveProjectCommand(*other, ui, views));
    EXPECT_EQ(test::readBytes(dir / "p.safety.json"), (Bytes{'{', 'x'}));

    // A file written for other directions: reported, used.
    SafetyData s;
    setPair(s, 0, 1);
    auto changed = std::make_unique<Configuration>(*c);
    changed->DirectionKind[1] = DirVehicle;
    const std::string text = safetyJson(s, *changed);
    test::writeBytes(dir / "p.safety.json", Bytes(text.begin(), text.end()));
    other->Modified = 0;
    ui.fileNames.push_back(path("p.ptm"));
    ASSERT_TRUE(openProject(*other, ui, views));
    EXPECT_TRUE(other->Safety.conflict[0][1]);
    EXPECT_EQ(ui.lines, std::vector<std::string>{
                            "Данные безопасности записаны для других направлений (напр. 2): проверьте матрицу конфликтов"});
}

// A file system whose first file (the safety file, written before the
// project) cannot be created.
class FailingSafetyFile : public FileSystem {
public:
    std::unique_ptr<WriteStream> create(const std::filesystem::path& p) override {
        if (++creates == 1) return nullptr;
        return realFileSystem().create(p);
    }
    bool rename(const std::filesystem::path& a, const std::filesystem::path& b) override {
        return realFileSystem().rename(a, b);
    }
    void remove(const std::filesystem::path& p) override { realFileSystem().remove(p); }
    int creates = 0;
};

TEST_F(SafetyFiles, AFailedSafetyFileLeavesBothFilesAsTheyWere) {
    ASSERT_TRUE(saveProject(*c, path("q.ptm")).ok());
    const Bytes before = test::readBytes(dir / "q.ptm");
    c->TactTable[3][0].tMain = 44;
    setPair(c->Safety, 0, 1, 3);
    FailingSafetyFile fs;
    const ProjectResult r = saveProject(*c, path("q.ptm"), fs);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message, std::string(kSaveErrorText) + kSafetySaveErrorText);
    EXPECT_EQ(test::readBytes(dir / "q.ptm"), before);
    EXPECT_FALSE(exists("q.safety.json"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary file left
}

TEST(SafetyGate, AConflictRefusesOtherFindingsAskWithNoAsTheDefault) {
    auto c = test::sampleConfiguration();  // vehicle 1 and pedestrians 2 both green in tact 1
    test::ScriptedDialogs ui;
    setPair(c->Safety, 0, 1, 0, 0);  // 0 s both ways: a time given
    EXPECT_FALSE(safetyAllowsWrite(*c, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Внимание");
    EXPECT_EQ(ui.boxes[0].text,
              std::string(kSafetyRefusedText) + kSafetyRefusedConflictText +
                  "Программа 4, такт 1: напр. 1 и 2 — конфликтующие направления одновременно на разрешающем сигнале\n");
    EXPECT_EQ(ui.boxes[0].buttons, Buttons::Ok);
    // The list: the safety lines, then the refusal's own line.
    ASSERT_FALSE(ui.lines.empty());
    EXPECT_EQ(ui.lines.back(), "Запись в ДК отменена: конфликт");

    // No conflict but sequence faults: the question, answered No, then Yes.
    c->Safety.conflict[0].reset(1), c->Safety.conflict[1].reset(0);
    ui.boxes.clear();
    ui.lines.clear();
    ui.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(safetyAllowsWrite(*c, ui));
    EXPECT_TRUE(safetyAllowsWrite(*c, ui));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].title, "Проверка безопасности");
    EXPECT_EQ(ui.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ui.boxes[0].text.rfind(kSafetyAskText, 0), 0u);
    EXPECT_NE(ui.boxes[0].text.find("\n\nЗаписать всё равно?"), std::string::npos);
    // The box carries the findings; the list shows them too, with no refusal.
    EXPECT_NE(ui.boxes[0].text.find("Программа 4, такт 1: напр. 1 — красный сменяется зелёным без красного с жёлтым\n"),
              std::string::npos);
    ASSERT_FALSE(ui.lines.empty());
    EXPECT_EQ(std::count(ui.lines.begin(), ui.lines.end(), "Программа 4, такт 1: напр. 1 — красный сменяется зелёным без красного с жёлтым"), 2);
    EXPECT_EQ(std::find_if(ui.lines.begin(), ui.lines.end(),
                           [](const std::string& l) { return l.rfind(kSafetyRefusedLine, 0) == 0; }),
              ui.lines.end());
}

// A project no engineer would make: 63 walker heads in two groups, all of a
// group green together, every pair conflicting with 5 s between them, in
// programs 4..7; program 8 has one conflict of its own. Per program 4..7:
// conflicts 496 (tact 1) + 465 (tact 3), intergreens of 2 s 32 × 31 into
// tact 1 and into tact 3, green → red without flashing 32 (tact 2) + 31
// (tact 4): 3008; program 8: 1 conflict and 2 of green → red.
TEST(SafetyGate, APathologicalProjectIsWordedInPartCountedWhollyAndStillBlocked) {
    auto c = test::newConfiguration();
    for (int d = 0; d < DirectionCount; ++d) addDirection(*c, d, DirPedestrian);
    for (int p = 3; p < 7; ++p) {
        for (int t = 0; t < 4; ++t) addTact(*c, p, TactPhase, t % 2 ? 2 : 10, 0, SignalRed);
        for (int d = 0; d < DirectionCount; ++d) c->TactSignals[p][d < 32 ? 0 : 2][d] = SignalGreen;
    }
    addTact(*c, 7, TactPhase, 10, 0, SignalRed);
    addTact(*c, 7, TactPhase, 10, 0, SignalRed);
    c->TactSignals[7][0][0] = c->TactSignals[7][0][1] = SignalGreen;
    test::addAlarm(*c, 0, 0, 0, 4);  // no calendar switch
    for (int a = 0; a < DirectionCount; ++a)
        for (int b = 0; b < DirectionCount; ++b)
            if (a != b) setPair(c->Safety, a, b, 5, 5);

    const SafetyReport r = checkSafety(*c, c->Safety);
    const long conflicts = 4 * (496 + 465) + 1, all = 4 * 3008 + 3;
    ASSERT_EQ(int(r.findings.size()), kSafetyWorded);
    EXPECT_EQ(long(r.findings.size()) + r.notWorded, all);
    long wordedConflicts = 0;
    std::set<std::pair<int, SafetyRule>> wordedKinds;
    for (const SafetyFinding& f : r.findings) {
        wordedConflicts += f.rule == SafetyRule::Conflict;
        wordedKinds.insert({f.program, f.rule});
    }
    EXPECT_EQ(r.conflictsNotWorded, conflicts - wordedConflicts);
    // Every program and rule with a finding has its first ones worded.
    EXPECT_EQ(wordedKinds.size(), 4u * 3 + 2);
    const auto lines = safetyReportLines(r);
    ASSERT_EQ(lines.size(), r.findings.size() + 1);
    EXPECT_EQ(lines[0], "Программа 4, такт 1: напр. 1 и 2 — конфликтующие направления одновременно на разрешающем сигнале");
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) {
                               return l.rfind("Программа 4, такт 1: напр. 33 → 1 — промежуточное время 2 с, нужно не "
                                              "менее 5 с; удлините промтакт",
                                              0) == 0;
                           }),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Программа 8, такт 1: напр. 1 и 2 — конфликтующие направления одновременно на разрешающем "
                        "сигнале"),
              lines.end());
    EXPECT_EQ(lines.back(), "… и ещё " + std::to_string(all - kSafetyWorded) +
                                " замечаний, из них конфликтов: " + std::to_string(conflicts - wordedConflicts));

    // Every tact with a finding is marked, the counted ones with their number.
    const auto marks = findingsByTact(r, 3);
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks.at(0).front().rfind("Программа 4, такт 1: напр. 1 и 2", 0), 0u);
    EXPECT_EQ(marks.at(0).back().rfind("… и ещё ", 0), 0u);
    EXPECT_EQ(marks.at(2), std::vector<std::string>{"… и ещё 1457 замечаний в этом такте"});
    // Tact 4 also frames the intergreens into tact 1 that it is the interphase of.
    EXPECT_EQ(marks.at(3).back(), "… и ещё 31 замечание в этом такте");
    EXPECT_NE(marks.at(3).front().find("; удлините промтакт 4 программы 4 на 3 с"), std::string::npos);
    EXPECT_EQ(findingsByTact(r, 7).size(), 2u);

    // The write is refused, the box counting every conflict.
    test::ScriptedDialogs ui;
    EXPECT_TRUE(r.hasConflict());
    EXPECT_FALSE(safetyAllowsWrite(*c, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Внимание");
    const std::string& box = ui.boxes[0].text;
    EXPECT_EQ(box.rfind(kSafetyRefusedText, 0), 0u);
    // Two groups, conflicts then intergreens, each its heading, the first
    // few and the exact rest.
    const std::string conflictPart = std::string(kSafetyRefusedText) + kSafetyRefusedConflictText;
    ASSERT_EQ(box.rfind(conflictPart, 0), 0u);
    const auto shortAt = box.find(kSafetyRefusedIntergreenText);
    ASSERT_NE(shortAt, std::string::npos);
    const std::string listed = box.substr(conflictPart.size(), shortAt - conflictPart.size());
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), kSafetyBoxLines + 1);
    EXPECT_NE(listed.find("… и ещё " + std::to_string(conflicts - kSafetyBoxLines) + "\n"), std::string::npos);
    const std::string shortOnes = box.substr(shortAt + std::string(kSafetyRefusedIntergreenText).size());
    EXPECT_EQ(std::count(shortOnes.begin(), shortOnes.end(), '\n'), kSafetyBoxLines + 1);
    EXPECT_EQ(ui.lines.back(), "Запись в ДК отменена: конфликт, промежуточное время меньше заданного");
}

TEST(SafetyEdits, DeletingADirectionRenumbersPairsAndDropsItsOwn) {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirPedestrian);
    addDirection(*c, 2, DirVehicle);
    addDirection(*c, 3, DirTram1);  // rows 4, 5, 6
    addDirection(*c, 6, DirPedestrian);
    SafetyData& s = c->Safety;
    setPair(s, 0, 1, 4, 5);  // 1-2: goes with direction 2
    setPair(s, 0, 2, 6, 7);  // 1-3 becomes 1-2
    setPair(s, 2, 6, 3, 2);  // 3-7 becomes 2-6, then 2-3 after the tram
    setPair(s, 3, 4);        // inside the tram: goes with it
    s.calculatorInputs[{2, 6}] = IntergreenInputs{1, 2, 3, 4, 5, 6};
    s.calculatorInputs[{1, 0}] = IntergreenInputs{};
    ASSERT_TRUE(deleteDirection(*c, 1));
    EXPECT_FALSE(s.conflict[0][1] && s.intergreen[0][1] == 4);
    EXPECT_TRUE(s.conflict[0][1] && s.conflict[1][0]);
    EXPECT_EQ(s.intergreen[0][1], 6);
    EXPECT_EQ(s.intergreen[1][0], 7);
    EXPECT_TRUE(s.conflict[1][5]);
    EXPECT_EQ(s.intergreen[1][5], 3);
    EXPECT_EQ(s.calculatorInputs.size(), 1u);
    EXPECT_EQ(s.calculatorInputs.count({1, 5}), 1u);
    ASSERT_TRUE(deleteDirection(*c, 3));  // the tram, as a whole
    EXPECT_TRUE(s.conflict[1][2] && s.conflict[2][1]);
    EXPECT_EQ(s.intergreen[2][1], 2);
    int pairs = 0;
    for (const auto& row : s.conflict) pairs += int(row.count());
    EXPECT_EQ(pairs, 4);  // 1-2 and 2-3, both ways
    EXPECT_EQ(s.calculatorInputs.count({1, 2}), 1u);
}

TEST(SafetyEdits, AMatrixEditIsOneUndoStep) {
    auto c = test::sampleConfiguration();
    EditHistory history;
    history.reset(*c);
    setPair(c->Safety, 0, 1, 5, 6);
    EXPECT_TRUE(history.checkpoint(*c));
    c->TactTable[3][0].tMain = 33;
    EXPECT_TRUE(history.checkpoint(*c));
    EXPECT_EQ(history.undo(*c), 3);  // the tact first
    EXPECT_TRUE(c->Safety.defined);
    EXPECT_EQ(history.undo(*c), -1);  // then the matrix
    EXPECT_FALSE(c->Safety.defined);
    EXPECT_FALSE(c->Safety.conflict[0][1]);
    EXPECT_EQ(history.redo(*c), -1);
    EXPECT_EQ(c->Safety.intergreen[1][0], 6);
}

}  // namespace
}  // namespace livra
