#include <gtest/gtest.h>

#include "app/save_names.h"
#include "support/scripted_dialogs.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::ScriptedDialogs;

TEST(SaveNames, ExtensionsAndFileNameParts) {
    EXPECT_EQ(withExtension("a/b", ".ptm"), "a/b.ptm");
    EXPECT_EQ(withExtension("a/b.PTM", ".ptm"), "a/b.PTM");
    EXPECT_EQ(withExtension("a.ptm/b", ".ptm"), "a.ptm/b.ptm");  // the folder's dot is not the name's
    EXPECT_EQ(withExtension("journal.txt.bak", ".txt"), "journal.txt.bak.txt");
    EXPECT_EQ(withExtension("", ".txt"), ".txt");
    EXPECT_EQ(fileNamePart("C:\\проекты\\узел.ptm"), "узел.ptm");
    EXPECT_EQ(fileNamePart("/home/u/узел.ptm"), "узел.ptm");
    EXPECT_EQ(fileNamePart("узел.ptm"), "узел.ptm");
}

// A taken name is asked about; "Нет" offers the dialog again, a cancelled
// dialog ends with nothing, "Да" gives the name with its extension.
TEST(SaveNames, ATakenNameIsAskedAboutUntilTheUserDecides) {
    test::TempDir dir;
    test::writeBytes(dir / "taken.txt", {1});
    const std::string taken = pathToUtf8(dir / "taken");
    ScriptedDialogs ui;
    ui.fileNames = {taken, pathToUtf8(dir / "new"), taken, std::nullopt};
    ui.answers = {Answer::No, Answer::Yes};
    EXPECT_EQ(askSaveFileName(ui, "Файлы |*.txt", "", ".txt"), pathToUtf8(dir / "new") + ".txt");
    test::expectBox(ui.boxes, "Подтвердить сохранение", "taken.txt уже существует.\nЗаменить?", Icon::Exclamation,
                    Buttons::YesNo);
    EXPECT_EQ(askSaveFileName(ui, "Файлы |*.txt", "", ".txt"), taken + ".txt");
    EXPECT_EQ(askSaveFileName(ui, "Файлы |*.txt", "", ".txt"), std::nullopt);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_TRUE(ui.fileNames.empty());
}

// The diagram window's exports: a free name is not asked about; a taken one
// is asked about by its whole path under "Внимание", and only "Да" lets it be
// written.
TEST(SaveNames, TheDiagramExportsAskByTheWholePath) {
    test::TempDir dir;
    const std::string free = pathToUtf8(dir / "схема.png");
    const std::string taken = pathToUtf8(dir / "отчёт.pdf");
    test::writeBytes(dir / "отчёт.pdf", {1});
    ScriptedDialogs ui;
    EXPECT_TRUE(mayWriteTo(ui, free, OverwriteWording::WholePath));
    EXPECT_TRUE(ui.boxes.empty());

    ui.answers = {Answer::No};
    EXPECT_FALSE(mayWriteTo(ui, taken, OverwriteWording::WholePath));
    test::expectBox(ui.boxes, "Внимание", "Файл " + taken + " уже существует.\nЗаменить?", Icon::Exclamation,
                    Buttons::YesNo);
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(mayWriteTo(ui, taken, OverwriteWording::WholePath));
    // The save dialogs' wording names the file alone.
    ui.boxes.clear();
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(mayWriteTo(ui, taken));
    test::expectBox(ui.boxes, "Подтвердить сохранение", "отчёт.pdf уже существует.\nЗаменить?", Icon::Exclamation,
                    Buttons::YesNo);
}

}  // namespace
}  // namespace livra
