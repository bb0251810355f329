#include <gtest/gtest.h>

#include "model/files.h"
#include "support/test_support.h"

namespace livra {
namespace {

TEST(ReadWholeFile, FileEmptyFileMissingFileAndFolder) {
    test::TempDir dir;
    test::writeBytes(dir / "a", Bytes{1, 2, 3});
    test::writeBytes(dir / "empty", Bytes{});
    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(readWholeFile(dir / "a"), (Bytes{1, 2, 3}));
    EXPECT_EQ(readWholeFile(dir / "empty"), Bytes{});
    EXPECT_FALSE(readWholeFile(dir / "missing"));
    // A folder where a file is expected is refused, not read as a huge file.
    EXPECT_FALSE(readWholeFile(dir / "folder"));
}

}  // namespace
}  // namespace livra
