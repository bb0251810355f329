// The safety data through the file commands, the controller write's gate,
// direction deletes and undo/redo.
#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "app/safety_commands.h"
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

// A file system whose second file (the safety file) cannot be created.
class FailingSecond : public FileSystem {
public:
    std::unique_ptr<WriteStream> create(const std::filesystem::path& p) override {
        if (++creates == 2) return nullptr;
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
    FailingSecond fs;
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
    setPair(c->Safety, 0, 1);
    EXPECT_FALSE(safetyAllowsWrite(*c, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Внимание");
    EXPECT_EQ(ui.boxes[0].text,
              std::string(kSafetyRefusedText) +
                  "Программа 4, такт 1: напр. 1 и 2 — конфликтующие направления одновременно на разрешающем сигнале\n");
    EXPECT_EQ(ui.boxes[0].buttons, Buttons::Ok);

    // No conflict but sequence faults: the question, answered No, then Yes.
    c->Safety.conflict[0].reset(1), c->Safety.conflict[1].reset(0);
    ui.boxes.clear();
    ui.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(safetyAllowsWrite(*c, ui));
    EXPECT_TRUE(safetyAllowsWrite(*c, ui));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].title, "Проверка безопасности");
    EXPECT_EQ(ui.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ui.boxes[0].text.rfind(kSafetyAskText, 0), 0u);
    EXPECT_NE(ui.boxes[0].text.find("\n\nЗаписать всё равно?"), std::string::npos);
    // The box carries the findings; the list keeps what the write put there.
    EXPECT_NE(ui.boxes[0].text.find("Программа 4, такт 1: напр. 1 — красный сменяется зелёным без красного с жёлтым\n"),
              std::string::npos);
    EXPECT_TRUE(ui.lines.empty());
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
