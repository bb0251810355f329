#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "model/files.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

TEST(Platform, ReplaceFileTakesTheOldFilesPlaceOrLeavesItWhole) {
    TempDir dir;
    const auto target = dir / "project.ptm";
    writeBytes(target, {1, 2, 3, 4, 5});

    // Onto an existing file (a plain rename fails there on Windows).
    writeBytes(dir / "new", {9, 8});
    ASSERT_TRUE(platform::replaceFile(dir / "new", target));
    EXPECT_EQ(readBytes(target), (Bytes{9, 8}));
    EXPECT_FALSE(std::filesystem::exists(dir / "new"));

    // Into a free place.
    writeBytes(dir / "other", {7});
    ASSERT_TRUE(platform::replaceFile(dir / "other", dir / "fresh"));
    EXPECT_EQ(readBytes(dir / "fresh"), Bytes{7});

    // A missing source changes nothing.
    EXPECT_FALSE(platform::replaceFile(dir / "missing", target));
    EXPECT_EQ(readBytes(target), (Bytes{9, 8}));

    // Saving twice over the same file goes through the same step.
    ASSERT_TRUE(writeFileAtomically(target, Bytes{1}));
    ASSERT_TRUE(writeFileAtomically(target, Bytes{2, 2}));
    EXPECT_EQ(readBytes(target), (Bytes{2, 2}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "no temporary file left";
}

TEST(Platform, CyrillicNamesAndBinaryBytesSurviveTheSystemsFileCalls) {
    TempDir dir;
    const auto folder = dir.path() / pathFromUtf8("Перекрёсток №5");
    std::filesystem::create_directories(folder);
    const auto file = folder / pathFromUtf8("Ливра план.ptm");
    // CR LF, a lone LF, Ctrl-Z and NUL: a text mode would change or cut them.
    const Bytes bytes{'a', '\r', '\n', 'b', '\n', 0x1A, 0x00, 'c', '\r'};
    ASSERT_TRUE(writeFileAtomically(file, bytes));
    ASSERT_TRUE(writeFileAtomically(file, bytes));
    EXPECT_EQ(readWholeFile(file), bytes);
    EXPECT_EQ(pathToUtf8(file.filename()), "Ливра план.ptm");
    EXPECT_EQ(pathFromUtf8(pathToUtf8(file)), file);

    EXPECT_TRUE(platform::programDirectory().is_absolute());
    EXPECT_FALSE(platform::userDataDirectory().empty());
}

TEST(Platform, InstalledProgramsFolderIsToldFromEveryOtherFolder) {
#ifdef _WIN32
    const char* programFiles = std::getenv("ProgramFiles");
    ASSERT_TRUE(programFiles && *programFiles);
    const std::string root = programFiles;
    EXPECT_TRUE(platform::insideInstalledProgramsFolder(pathFromUtf8(root + "\\Livra")));
    EXPECT_TRUE(platform::insideInstalledProgramsFolder(pathFromUtf8(root + "\\Ливра\\bin")));
    // The file system ignores case, and so does the check.
    std::string lower = root;
    for (char& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_TRUE(platform::insideInstalledProgramsFolder(pathFromUtf8(lower + "\\Livra")));
    EXPECT_TRUE(platform::insideInstalledProgramsFolder(pathFromUtf8(root + "/Livra")));
    // A folder whose name only starts the same is another folder.
    EXPECT_FALSE(platform::insideInstalledProgramsFolder(pathFromUtf8(root + " Extra\\Livra")));
    EXPECT_FALSE(platform::insideInstalledProgramsFolder(pathFromUtf8(root + "\\..\\Livra")));
    EXPECT_FALSE(platform::insideInstalledProgramsFolder(pathFromUtf8("C:\\Users\\Инженер\\Livra")));
#else
    EXPECT_TRUE(platform::insideInstalledProgramsFolder("/usr/bin"));
    EXPECT_TRUE(platform::insideInstalledProgramsFolder("/usr/local/bin"));
    EXPECT_TRUE(platform::insideInstalledProgramsFolder("/opt/livra/bin"));
    EXPECT_FALSE(platform::insideInstalledProgramsFolder("/usrlocal/bin"));
    EXPECT_FALSE(platform::insideInstalledProgramsFolder("/usr/../home/user/build/src"));
    EXPECT_FALSE(platform::insideInstalledProgramsFolder("/home/user/opt/bin"));
#endif
    EXPECT_FALSE(platform::insideInstalledProgramsFolder(TempDir().path()));
}

TEST(Platform, AnInstalledProgramWorksInTheUsersFolderWhichStartsWithItsPlanPictures) {
    TempDir dir;
    const auto program = dir / "Программа ДК";
    std::filesystem::create_directories(program / "shem");
    writeBytes(program / "shem" / "plan.png", {1, 2, 3});
    const auto user = dir / "Пользователь" / "Livra";

    // Run from a folder of its own (a build, an unpacked zip): that folder.
    EXPECT_EQ(workingFolderFor(program, user, false), program);
    EXPECT_FALSE(std::filesystem::exists(user));

    // Installed: the user's folder, made, with the shipped pictures in it.
    EXPECT_EQ(workingFolderFor(program, user, true), user);
    EXPECT_EQ(readBytes(user / "shem" / "plan.png"), (Bytes{1, 2, 3}));
    // A picture the user took out stays out; one put in stays.
    std::filesystem::remove(user / "shem" / "plan.png");
    writeBytes(user / "shem" / "own.png", {9});
    EXPECT_EQ(workingFolderFor(program, user, true), user);
    EXPECT_FALSE(std::filesystem::exists(user / "shem" / "plan.png"));
    EXPECT_EQ(readBytes(user / "shem" / "own.png"), Bytes{9});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(program), {}), 1) << "nothing written beside the program";

    // A Linux installation keeps the pictures in ../share/livra/shem.
    const auto bin = dir / "usr" / "bin";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(dir / "usr" / "share" / "livra" / "shem");
    writeBytes(dir / "usr" / "share" / "livra" / "shem" / "cross.png", {4});
    const auto other = dir / "other";
    EXPECT_EQ(workingFolderFor(bin, other, true), other);
    EXPECT_EQ(readBytes(other / "shem" / "cross.png"), Bytes{4});
    EXPECT_TRUE(std::filesystem::is_empty(bin));
}

}  // namespace
}  // namespace livra
