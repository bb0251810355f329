#include <gtest/gtest.h>

#include "model/files.h"
#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

TEST(ReadWholeFile, OnlyRegularFilesUpToTheirKindsLimit) {
    TempDir dir;
    // A folder reports a huge size on some file systems; a device never ends.
    EXPECT_FALSE(readWholeFile(dir.path()));
    EXPECT_FALSE(readWholeFile("/dev/zero"));
    EXPECT_FALSE(readWholeFile("/dev/null"));
    EXPECT_FALSE(readWholeFile(dir / "missing"));

    const Bytes bytes(70000, 0x5A);  // more than one read chunk
    writeBytes(dir / "f", bytes);
    EXPECT_EQ(readWholeFile(dir / "f", bytes.size()), bytes);
    EXPECT_FALSE(readWholeFile(dir / "f", bytes.size() - 1));
    writeBytes(dir / "empty", {});
    EXPECT_EQ(readWholeFile(dir / "empty"), Bytes{});
    // A link to a regular file is that file (where the system lets a user
    // make links: Windows asks for a privilege).
    std::error_code ec;
    std::filesystem::create_symlink(dir / "f", dir / "link", ec);
    if (!ec) {
        EXPECT_EQ(readWholeFile(dir / "link"), bytes);
    }
}

TEST(ReadWholeFile, AProjectThatIsAFolderCannotBeOpenedAndChangesNothing) {
    TempDir dir;
    auto c = sampleConfiguration();
    c->ProgramDir = (dir / "work").string() + "/";
    std::filesystem::create_directories(dir / "work");
    const auto before = std::make_unique<Configuration>(*c);
    for (const auto& path : {dir.path(), std::filesystem::path("/dev/zero")}) {
        const ProjectResult r = loadProject(*c, path.string());
        EXPECT_EQ(r.status, ProjectStatus::OpenFailed);
        EXPECT_EQ(r.message, kOpenErrorText);
        EXPECT_TRUE(c->sameTables(*before));
    }
    // Larger than any project can be: refused the same way, unread.
    writeBytes(dir / "huge.ptm", Bytes(kMaxProjectFileSize + 1, 0));
    EXPECT_EQ(loadProject(*c, (dir / "huge.ptm").string()).status, ProjectStatus::OpenFailed);
}

TEST(FolderCanHoldFile, AnExistingFolderAndANameThatIsNoFolder) {
    TempDir dir;
    EXPECT_TRUE(folderCanHoldFile(dir / "new.ptm"));
    EXPECT_TRUE(folderCanHoldFile("relative.ptm"));
    writeBytes(dir / "old.ptm", {1});
    EXPECT_TRUE(folderCanHoldFile(dir / "old.ptm"));
    EXPECT_FALSE(folderCanHoldFile(dir / "missing" / "new.ptm"));
    EXPECT_FALSE(folderCanHoldFile(dir.path()));
    EXPECT_FALSE(folderCanHoldFile(dir / "old.ptm" / "new.ptm"));
    EXPECT_FALSE(folderCanHoldFile(""));
}
