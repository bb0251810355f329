#include <gtest/gtest.h>

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

}  // namespace
}  // namespace livra
