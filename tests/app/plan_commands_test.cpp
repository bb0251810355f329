#include "app/plan_commands.h"

#include <gtest/gtest.h>

#include <deque>

#include "plan/bmp_file.h"
#include "support/png_fixtures.h"
#include "support/scripted_dialogs.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

class PlanCommands : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Configuration> c = newConfiguration();
    Plan plan;
    ScriptedDialogs ui;
    const Bytes picture = encodePng(patternImage(60, 40));

    void SetUp() override {
        ui.titledDialogsOnly = true;
        c->ProgramDir = pathToUtf8(dir.path()) + char(std::filesystem::path::preferred_separator);
        plan.planPicturePath = pathToUtf8(dir / "shem" / "old.png");
    }
    std::string at(const std::filesystem::path& p) { return pathToUtf8(p); }
};

TEST_F(PlanCommands, APictureFromElsewhereIsCopiedIntoShemAfterItDecoded) {
    writeBytes(dir / "elsewhere.png", picture);
    ui.fileNames = {at(dir / "elsewhere.png")};
    const auto shown = loadPlanPicture(*c, plan, ui);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->width, 60);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].title, "Открыть");
    EXPECT_EQ(ui.dialogs[0].filter, "PNG (*.png)");
    EXPECT_EQ(ui.dialogs[0].folder, c->ProgramDir);  // "shem" does not exist yet
    EXPECT_EQ(readBytes(dir / "shem" / "elsewhere.png"), picture);
    EXPECT_EQ(plan.planPicturePath, at(dir / "shem" / "elsewhere.png"));
    EXPECT_EQ(c->Modified, 1);
    EXPECT_TRUE(ui.boxes.empty());

    // Now it starts in "shem", and a file there is taken as it is.
    ui.fileNames = {at(dir / "shem" / "elsewhere.png")};
    ASSERT_TRUE(loadPlanPicture(*c, plan, ui));
    EXPECT_EQ(ui.dialogs[1].folder, at(dir / "shem"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "shem"), {}), 1);

    // The same picture from elsewhere again: nothing to ask, nothing to copy.
    ui.fileNames = {at(dir / "elsewhere.png")};
    EXPECT_TRUE(loadPlanPicture(*c, plan, ui));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PlanCommands, ADifferentFileOfTheSameNameInShemIsReplacedOnlyOnYes) {
    std::filesystem::create_directories(dir / "shem");
    const Bytes other = encodePng(patternImage(10, 10));
    writeBytes(dir / "shem" / "cross.png", other);
    std::filesystem::create_directories(dir / "new");
    writeBytes(dir / "new" / "cross.png", picture);

    ui.fileNames = {at(dir / "new" / "cross.png")};
    ui.answers = {Answer::No};
    EXPECT_FALSE(loadPlanPicture(*c, plan, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Подтвердить сохранение");
    EXPECT_EQ(ui.boxes[0].text, "В папке shem уже есть другой файл cross.png.\nЗаменить?");
    EXPECT_EQ(readBytes(dir / "shem" / "cross.png"), other);
    EXPECT_EQ(plan.planPicturePath, at(dir / "shem" / "old.png"));
    EXPECT_EQ(c->Modified, 0);

    ui.fileNames = {at(dir / "new" / "cross.png")};
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(loadPlanPicture(*c, plan, ui));
    EXPECT_EQ(readBytes(dir / "shem" / "cross.png"), picture);
    EXPECT_EQ(plan.planPicturePath, at(dir / "shem" / "cross.png"));
}

TEST_F(PlanCommands, ARefusedPictureChangesNothingAndSaysWhy) {
    writeBytes(dir / "bad.png", withBadIdatCrc(picture));
    ui.fileNames = {at(dir / "bad.png"), at(dir / "missing.png"), std::nullopt};
    EXPECT_FALSE(loadPlanPicture(*c, plan, ui));
    EXPECT_FALSE(loadPlanPicture(*c, plan, ui));
    EXPECT_FALSE(loadPlanPicture(*c, plan, ui));  // cancelled: no box
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].title, "Ошибка");
    EXPECT_EQ(ui.boxes[0].icon, Icon::Error);
    EXPECT_EQ(ui.boxes[0].text, "Не удалось загрузить план перекрестка bad.png.\nФайл PNG повреждён.\nПлан остался прежним.");
    EXPECT_NE(ui.boxes[1].text.find("Файл не удалось прочитать."), std::string::npos);
    EXPECT_EQ(plan.planPicturePath, at(dir / "shem" / "old.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "shem"));
    EXPECT_EQ(c->Modified, 0);
}

TEST_F(PlanCommands, ScreenshotAppendsBmpAsksBeforeReplacingAndReportsAFailedWrite) {
    const RgbaImage shot = patternImage(500, 500);
    int grabs = 0;
    auto grab = [&] {
        ++grabs;
        return shot;
    };
    c->ProjectFileName = at(dir / "projects" / "cross.ptm");
    writeBytes(dir / "taken.bmp", {1, 2, 3});
    // "taken" exists: No asks again, the second name is new.
    ui.fileNames = {at(dir / "taken"), at(dir / "plan")};
    ui.answers = {Answer::No};
    ASSERT_TRUE(savePlanScreenshot(*c, grab, ui));
    ASSERT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(ui.dialogs[0].title, "Сохранить скриншот");
    EXPECT_EQ(ui.dialogs[0].filter, "Файлы |*.bmp");
    EXPECT_EQ(ui.dialogs[0].folder, at(dir / "projects"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Подтвердить сохранение");
    EXPECT_EQ(ui.boxes[0].text, "taken.bmp уже существует.\nЗаменить?");
    EXPECT_EQ(ui.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ui.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(readBytes(dir / "taken.bmp"), (Bytes{1, 2, 3}));
    EXPECT_EQ(readBytes(dir / "plan.bmp"), encodeBmp(shot));
    EXPECT_EQ(grabs, 1);

    // A folder that does not exist: the write fails with a box, not silently.
    ui.boxes.clear();
    ui.fileNames = {at(dir / "no" / "such" / "shot.bmp")};
    EXPECT_FALSE(savePlanScreenshot(*c, grab, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Ошибка");
    EXPECT_EQ(ui.boxes[0].icon, Icon::Error);
    EXPECT_EQ(ui.boxes[0].text.rfind("Не удалось сохранить скриншот ", 0), 0u);

    ui.fileNames = {std::nullopt};
    EXPECT_FALSE(savePlanScreenshot(*c, grab, ui));
    EXPECT_EQ(grabs, 2);
}

}  // namespace
