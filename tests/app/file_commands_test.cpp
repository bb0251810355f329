#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "app/file_commands.h"
#include "model/project_file.h"
#include "support/scripted_dialogs.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

struct RecordingViews : FileCommandViews {
    std::string title;
    int replaced = 0;
    void setTitle(const std::string& t) override { title = t; }
    void configurationReplaced() override { ++replaced; }
};

class FileCommands : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Configuration> c = sampleConfiguration();
    ScriptedDialogs ui;
    RecordingViews views;

    void SetUp() override { c->ProgramDir = pathToUtf8(dir.path()) + "/"; }
    std::string at(const std::string& name) { return pathToUtf8(dir / name); }
    void writeProject(const std::string& name, const Configuration& from) {
        writeBytes(dir / name, serializeProject(from, {}));
    }
};

TEST_F(FileCommands, TitleRule) {
    EXPECT_EQ(windowTitleFor("/home/u/projects/cross.ptm"), "Конфигуратор ДК 'Ливра'  -  cross.ptm");
    EXPECT_EQ(windowTitleFor("C:\\proj\\a.ptm"), "Конфигуратор ДК 'Ливра'  -  a.ptm");
    EXPECT_EQ(windowTitleFor(""), "Конфигуратор ДК 'Ливра'  -  ");
}

TEST_F(FileCommands, ExtensionRule) {
    EXPECT_EQ(withProjectExtension("plan"), "plan.ptm");
    EXPECT_EQ(withProjectExtension("plan.PTM"), "plan.PTM");
    EXPECT_EQ(withProjectExtension("plan.ptm.txt"), "plan.ptm.txt.ptm");
    EXPECT_EQ(withProjectExtension("dir.ptm/plan"), "dir.ptm/plan.ptm");
}

TEST_F(FileCommands, OpenWithUnsavedChangesAnsweredNoChangesNothing) {
    auto other = newConfiguration();
    writeProject("other.ptm", *other);
    c->Modified = 1;
    c->ProjectFileName = "mine.ptm";
    const auto before = std::make_unique<Configuration>(*c);
    ui.answers = {Answer::No};

    EXPECT_FALSE(openProject(*c, ui, views));
    expectBox(ui.boxes, "Чтение файла", "Загруженная программа полностью заменит текущую!\nПродолжить?",
              Icon::Exclamation, Buttons::YesNo);
    EXPECT_EQ(ui.fileDialogs, 0);
    EXPECT_TRUE(c->sameTables(*before));
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(c->ProjectFileName, "mine.ptm");
    EXPECT_EQ(views.title, "");
}

TEST_F(FileCommands, OpenAnsweredYesLoadsAndShows) {
    auto other = newConfiguration();
    addDirection(*other, 0, DirTram1);
    writeProject("other.ptm", *other);
    c->Modified = 1;
    ui.answers = {Answer::Yes};
    ui.fileNames = {at("other.ptm")};

    EXPECT_TRUE(openProject(*c, ui, views));
    EXPECT_TRUE(c->sameTables(*other));
    EXPECT_EQ(c->Modified, 0);
    EXPECT_EQ(c->ProjectFileName, at("other.ptm"));
    EXPECT_EQ(views.title, "Конфигуратор ДК 'Ливра'  -  other.ptm");
    EXPECT_EQ(views.replaced, 1);
}

TEST_F(FileCommands, OpenOfANonProjectShowsTheLoaderErrorAndKeepsEverything) {
    writeBytes(dir / "junk.ptm", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    const auto before = std::make_unique<Configuration>(*c);
    ui.fileNames = {at("junk.ptm"), at("missing.ptm")};

    EXPECT_FALSE(openProject(*c, ui, views));  // not modified: no question first
    EXPECT_FALSE(openProject(*c, ui, views));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].title, "Ошибка");
    EXPECT_EQ(ui.boxes[0].text, "Формат файла не поддерживается");
    EXPECT_EQ(ui.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(ui.boxes[1].text, "При чтении произошла ошибка.\nФайл открыть не удалось.\n\n");
    EXPECT_TRUE(c->sameTables(*before));
    EXPECT_EQ(views.replaced, 0);
}

TEST_F(FileCommands, OpenCancelledInTheDialogStopsSilently) {
    ui.fileNames = {std::nullopt};
    EXPECT_FALSE(openProject(*c, ui, views));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCommands, CommandLineOpensWithoutQuestions) {
    auto other = newConfiguration();
    addDirection(*other, 0, DirVehicle);
    writeProject("cmd.ptm", *other);
    c->Modified = 1;

    EXPECT_TRUE(openProjectFromCommandLine(*c, at("cmd.ptm"), ui, views));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(c->sameTables(*other));
    EXPECT_EQ(c->Modified, 0);
    EXPECT_EQ(views.title, "Конфигуратор ДК 'Ливра'  -  cmd.ptm");
    EXPECT_FALSE(openProjectFromCommandLine(*c, "", ui, views));
}

TEST_F(FileCommands, SaveOfANewProjectAppendsTheExtensionOnce) {
    c->Modified = 1;
    ui.fileNames = {at("plan")};
    EXPECT_TRUE(saveProjectCommand(*c, ui, views));
    EXPECT_TRUE(std::filesystem::exists(dir / "plan.ptm"));
    EXPECT_EQ(c->ProjectFileName, at("plan.ptm"));
    EXPECT_EQ(c->Modified, 0);
    EXPECT_EQ(views.title, "Конфигуратор ДК 'Ливра'  -  plan.ptm");
    auto back = parseProject(readBytes(dir / "plan.ptm"));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->config->sameTables(*c));

    auto fresh = sampleConfiguration();
    fresh->ProgramDir = c->ProgramDir;
    ui.fileNames = {at("upper.PTM")};
    EXPECT_TRUE(saveProjectCommand(*fresh, ui, views));
    EXPECT_TRUE(std::filesystem::exists(dir / "upper.PTM"));
    EXPECT_FALSE(std::filesystem::exists(dir / "upper.PTM.ptm"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCommands, SaveOverAnotherExistingFileAsksAndNoChoosesAgain) {
    writeBytes(dir / "taken.ptm", Bytes{1, 2, 3});
    c->Modified = 1;
    ui.fileNames = {at("taken"), std::nullopt};
    ui.answers = {Answer::No};

    EXPECT_FALSE(saveProjectCommand(*c, ui, views));
    expectBox(ui.boxes, "Подтвердить сохранение", "taken.ptm уже существует.\nЗаменить?", Icon::Exclamation,
              Buttons::YesNo);
    EXPECT_EQ(ui.fileDialogs, 2);
    EXPECT_EQ(readBytes(dir / "taken.ptm"), (Bytes{1, 2, 3}));
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(c->ProjectFileName, "");

    // Yes replaces it; from then on Save writes its own file without asking.
    ui.fileNames = {at("taken.ptm")};
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(saveProjectCommand(*c, ui, views));
    EXPECT_EQ(readBytes(dir / "taken.ptm").size(), kProjectFixedSize + 2);
    c->Modified = 1;
    ui.boxes.clear();
    EXPECT_TRUE(saveProjectCommand(*c, ui, views));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(ui.fileDialogs, 3);
}

TEST_F(FileCommands, SaveAsToTheCurrentFileAsks) {
    ui.fileNames = {at("cur")};
    ASSERT_TRUE(saveProjectCommand(*c, ui, views));
    c->Modified = 1;

    ui.fileNames = {at("cur.ptm"), std::nullopt};
    ui.answers = {Answer::No};
    EXPECT_FALSE(saveProjectAs(*c, ui, views));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "cur.ptm уже существует.\nЗаменить?");
    EXPECT_EQ(c->Modified, 1);

    ui.fileNames = {at("cur.ptm")};
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(saveProjectAs(*c, ui, views));
    EXPECT_EQ(c->Modified, 0);
}

TEST_F(FileCommands, SaveOfANamedProjectDoesNotSilentlyReplaceAnotherFile) {
    // A project opened under a foreign extension would be saved as name.ptm;
    // that file is not the project's own, so it is not replaced unasked.
    writeBytes(dir / "x.dat.ptm", Bytes{9});
    c->ProjectFileName = at("x.dat");
    c->Modified = 1;
    ui.answers = {Answer::No};
    ui.fileNames = {std::nullopt};
    EXPECT_FALSE(saveProjectCommand(*c, ui, views));
    EXPECT_EQ(readBytes(dir / "x.dat.ptm"), Bytes{9});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Подтвердить сохранение");
}

TEST_F(FileCommands, FailedSaveKeepsNameAndModified) {
    c->ProjectFileName = at("no-such-folder/p.ptm");
    c->Modified = 1;
    EXPECT_FALSE(saveProjectCommand(*c, ui, views));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Ошибка");
    EXPECT_EQ(ui.boxes[0].text, "При записи произошла ошибка.\nФайл сохранить не удалось.\n");
    EXPECT_EQ(c->ProjectFileName, at("no-such-folder/p.ptm"));
    EXPECT_EQ(c->Modified, 1);
}

TEST_F(FileCommands, NewAsksClearsTheTablesAndRemovesThePlan) {
    writeBytes(dir / "imit.snt", Bytes{1, 2, 3, 4});
    c->Modified = 1;
    c->ChannelCount = 16;
    c->CurrentProgram = 6;
    c->ProjectFileName = "a.ptm";
    ui.answers = {Answer::No};
    EXPECT_FALSE(newConfiguration(*c, ui, views));
    expectBox(ui.boxes, "Создать", "Созданная  программа полностью заменит текущую!\nПродолжить?", Icon::Exclamation);
    EXPECT_TRUE(std::filesystem::exists(dir / "imit.snt"));
    EXPECT_NE(c->DirectionKind[0], 0);

    ui.answers = {Answer::Yes};
    EXPECT_TRUE(newConfiguration(*c, ui, views));
    EXPECT_FALSE(std::filesystem::exists(dir / "imit.snt"));
    auto empty = newConfiguration();
    empty->ChannelCount = 16;
    EXPECT_TRUE(c->sameTables(*empty));
    EXPECT_EQ(c->CurrentProgram, 6);
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(c->ProjectFileName, "");
    EXPECT_EQ(views.title, "Конфигуратор ДК 'Ливра'  -  ");
    EXPECT_EQ(views.replaced, 1);

    // Saving right after it writes a project without plan bytes.
    ui.fileNames = {at("fresh")};
    ASSERT_TRUE(saveProjectCommand(*c, ui, views));
    EXPECT_EQ(readBytes(dir / "fresh.ptm").size(), kProjectFixedSize + 2);
}

// The error list speaks of the configuration on screen: a verdict or a
// controller result about the one New or Open replaced must not stay behind,
// while a refused New or a failed Open leaves it as it is.
TEST_F(FileCommands, NewAndOpenEmptyTheErrorListOfTheReplacedProject) {
    auto other = newConfiguration();
    writeProject("other.ptm", *other);
    writeBytes(dir / "junk.ptm", Bytes{'x', '\n'});
    c->Modified = 1;
    ui.lines = {"Ошибок не обнаружено"};

    ui.answers = {Answer::No};
    EXPECT_FALSE(newConfiguration(*c, ui, views));
    EXPECT_EQ(ui.lines, std::vector<std::string>{"Ошибок не обнаружено"});
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(newConfiguration(*c, ui, views));
    EXPECT_TRUE(ui.lines.empty());

    ui.lines = {"Конфигурация записана в ДК (1 202 байт)"};
    ui.answers = {Answer::Yes};
    ui.fileNames = {at("junk.ptm")};
    EXPECT_FALSE(openProject(*c, ui, views));
    EXPECT_EQ(ui.lines.size(), 1u);
    ui.answers = {Answer::Yes};
    ui.fileNames = {at("other.ptm")};
    EXPECT_TRUE(openProject(*c, ui, views));
    EXPECT_TRUE(ui.lines.empty());

    ui.lines = {"Пустой каледарь"};
    EXPECT_TRUE(openProjectFromCommandLine(*c, at("other.ptm"), ui, views));
    EXPECT_TRUE(ui.lines.empty());
}

TEST_F(FileCommands, ExitQuestionAndAnswers) {
    // Nothing unsaved: no question.
    EXPECT_TRUE(exitApplication(*c, ui, views));
    EXPECT_TRUE(ui.boxes.empty());

    c->Modified = 1;
    ui.answers = {Answer::Cancel};
    EXPECT_FALSE(exitApplication(*c, ui, views));
    expectBox(ui.boxes, "Выход", "файл не был сохранен. Сохранить его сейчас?", Icon::Question, Buttons::YesNoCancel);
    EXPECT_EQ(c->Modified, 1);

    ui.answers = {Answer::No};
    EXPECT_TRUE(exitApplication(*c, ui, views));
    EXPECT_EQ(c->Modified, 1);

    // Yes saves; a save that did not happen keeps the program running.
    ui.answers = {Answer::Yes};
    ui.fileNames = {std::nullopt};
    EXPECT_FALSE(exitApplication(*c, ui, views));
    ui.answers = {Answer::Yes};
    ui.fileNames = {at("onexit")};
    EXPECT_TRUE(exitApplication(*c, ui, views));
    EXPECT_TRUE(std::filesystem::exists(dir / "onexit.ptm"));
    EXPECT_EQ(c->Modified, 0);
}

}  // namespace

// Export and import through JSON: the same tables, plan and safety data come
// back as an unsaved project; a faulty text changes nothing and names the place.
TEST(FileCommandsJson, ExportAndImportCarryTheWholeProject) {
    TempDir dir;
    auto c = sampleConfiguration();
    c->ProgramDir = pathToUtf8(dir.path()) + "/";
    c->ProjectFileName = pathToUtf8(dir / "cross.ptm");
    c->Safety.defined = true;
    c->Safety.conflict[0].set(1), c->Safety.conflict[1].set(0);
    c->Safety.intergreen[0][1] = 6;
    const Bytes plan = {'a', '.', 'p', 'n', 'g', '\r', '\n'};
    writeBytes(dir / kPlanFileName, plan);
    ScriptedDialogs ui;
    ui.fileNames = {pathToUtf8(dir / "cross")};
    ASSERT_TRUE(exportProjectJson(*c, ui));
    EXPECT_TRUE(ui.boxes.empty());
    ASSERT_TRUE(std::filesystem::exists(dir / "cross.json"));

    auto other = newConfiguration();
    other->ProgramDir = c->ProgramDir;
    other->ProjectFileName = "old.ptm";
    writeBytes(dir / kPlanFileName, {});
    RecordingViews views;
    ScriptedDialogs in;
    in.fileNames = {pathToUtf8(dir / "cross.json")};
    ASSERT_TRUE(importProjectJson(*other, in, views));
    EXPECT_TRUE(in.boxes.empty());
    EXPECT_TRUE(other->sameTables(*c));
    EXPECT_EQ(other->Safety.conflict, c->Safety.conflict);
    EXPECT_EQ(other->Safety.intergreen, c->Safety.intergreen);
    EXPECT_EQ(readBytes(dir / kPlanFileName), plan);
    EXPECT_EQ(other->Modified, 1);
    EXPECT_EQ(other->ProjectFileName, "");
    EXPECT_EQ(views.replaced, 1);

    // A fault: a box with the place, the project as it was.
    writeBytes(dir / "bad.json", Bytes(std::string_view(R"({"format": "livra-configuration", "channelCount": 256})").begin(),
                                       std::string_view(R"({"format": "livra-configuration", "channelCount": 256})").end()));
    const auto before = std::make_unique<Configuration>(*other);
    ScriptedDialogs bad;
    bad.answers = {Answer::Yes};
    bad.fileNames = {pathToUtf8(dir / "bad.json")};
    EXPECT_FALSE(importProjectJson(*other, bad, views));
    ASSERT_EQ(bad.boxes.size(), 2u);
    EXPECT_EQ(bad.boxes[0].text, "Загруженная программа полностью заменит текущую!\nПродолжить?");
    EXPECT_EQ(bad.boxes[1].title, "Ошибка");
    EXPECT_EQ(bad.boxes[1].text, "Проект из JSON не построен, текущий не изменён:\nchannelCount: число 256 вне 0..255");
    EXPECT_TRUE(other->sameTables(*before));
    EXPECT_EQ(other->Safety, before->Safety);
    EXPECT_EQ(readBytes(dir / kPlanFileName), plan);
}
