// File names beyond ASCII reach `livra` intact on every system: Windows hands
// main() its arguments in the ANSI code page, where Cyrillic turns into "?".
#include <gtest/gtest.h>

#include "model/files.h"
#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

TEST(CliUnicodePaths, CyrillicFoldersAndFilesAreReadWrittenAndNamed) {
    TempDir dir;
    const auto folder = dir.path() / pathFromUtf8("Проекты перекрёстков");
    std::filesystem::create_directories(folder);
    const auto project = folder / pathFromUtf8("Ленина – Мира.ptm");
    writeBytes(project, serializeProject(*sampleConfiguration(), {}));

    const auto dump = runLivra({"dump", pathToUtf8(project)}, dir / "work");
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.out.find("Программа 4"), std::string::npos);

    const auto fresh = folder / pathFromUtf8("новый.ptm");
    const auto made = runLivra({"new", "--out", pathToUtf8(fresh)}, dir / "work");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(readBytes(fresh), serializeProject(Configuration{}, {}));

    // A file that is not there is named as the user typed it.
    const auto missing = runLivra({"dump", pathToUtf8(folder / pathFromUtf8("нет такого.ptm"))}, dir / "work");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("Проекты перекрёстков"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("нет такого.ptm"), std::string::npos) << missing.err;
}
