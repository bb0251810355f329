// Files that belong together are replaced together: a failed rename puts the
// old ones back, a save cut short leaves a pair the next opening tells, and
// what a killed save left behind goes with the next one.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/files.h"
#include "model/project_file.h"
#include "model/project_stamp.h"
#include "model/safety_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

// Real files. The n-th rename (from 1) fails; with `stuck` every later one
// fails too, so nothing can be put back. Folder syncs are counted.
class FailingRename : public FileSystem {
public:
    FailingRename(int n, bool stuck) : failAt_(n), stuck_(stuck) {}
    std::unique_ptr<WriteStream> create(const std::filesystem::path& p) override { return realFileSystem().create(p); }
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        ++renames_;
        if (renames_ == failAt_ || (stuck_ && failAt_ > 0 && renames_ > failAt_)) return false;
        return realFileSystem().rename(from, to);
    }
    void remove(const std::filesystem::path& p) override { realFileSystem().remove(p); }
    void syncFolder(const std::filesystem::path& folder) override { synced.push_back(folder); }
    std::vector<std::filesystem::path> synced;

private:
    int failAt_, renames_ = 0;
    bool stuck_;
};

// A program killed after `renames` renames: from then on nothing reaches the
// disk, so the files stay as the kill left them.
class KilledAfter : public FileSystem {
public:
    explicit KilledAfter(int renames) : left_(renames) {}
    std::unique_ptr<WriteStream> create(const std::filesystem::path& p) override {
        return dead_ ? nullptr : realFileSystem().create(p);
    }
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (dead_ || left_-- == 0) {
            dead_ = true;
            return false;
        }
        return realFileSystem().rename(from, to);
    }
    void remove(const std::filesystem::path& p) override {
        if (!dead_) realFileSystem().remove(p);
    }
    bool link(const std::filesystem::path& a, const std::filesystem::path& b) override {
        return !dead_ && FileSystem::link(a, b);
    }

private:
    int left_;
    bool dead_ = false;
};

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::vector<std::string> namesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(pathToUtf8(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::unique_ptr<Configuration> withMatrix() {
    auto c = sampleConfiguration();
    c->Safety.defined = true;
    c->Safety.conflict[0].set(1), c->Safety.conflict[1].set(0);
    c->Safety.intergreen[0][1] = 5;
    return c;
}

TEST(SaveTogether, AFailedRenamePutsBackWhatWasReplacedOrNamesIt) {
    TempDir dir;
    const std::vector<std::string> names = {"a", "b", "c", "d"};
    auto writeOld = [&] {
        for (const auto& n : names) writeBytes(dir / n, bytesOf("old " + n));
    };
    const Bytes fresh[4] = {bytesOf("new a"), bytesOf("new b"), bytesOf("new c"), bytesOf("new d")};
    std::vector<FileToWrite> files;
    for (std::size_t i = 0; i < names.size(); ++i) files.push_back({dir / names[i], fresh[i]});
    for (int failing = 1; failing <= 4; ++failing) {
        writeOld();
        FailingRename fs(failing, false);
        const WriteTogetherResult r = writeFilesTogether(files, fs);
        EXPECT_EQ(r.failed, failing - 1);
        EXPECT_TRUE(r.replaced.empty()) << failing;
        for (const auto& n : names) EXPECT_EQ(readBytes(dir / n), bytesOf("old " + n)) << failing << n;
        EXPECT_EQ(namesIn(dir.path()), names) << "nothing left beside them";
        EXPECT_TRUE(fs.synced == std::vector<std::filesystem::path>{dir.path()}) << "the folder synced once";
    }
    // Nothing can be put back: exactly the files before the failing one stay new.
    writeOld();
    FailingRename stuck(3, true);
    const WriteTogetherResult r = writeFilesTogether(files, stuck);
    EXPECT_EQ(r.failed, 2);
    EXPECT_EQ(r.replaced, (std::vector<int>{0, 1}));
    EXPECT_EQ(readBytes(dir / "a"), fresh[0]);
    EXPECT_EQ(readBytes(dir / "b"), fresh[1]);
    EXPECT_EQ(readBytes(dir / "c"), bytesOf("old c"));
    EXPECT_EQ(readBytes(dir / "d"), bytesOf("old d"));
    // A file that was not there before goes again.
    writeOld();
    std::filesystem::remove(dir / "a");
    FailingRename second(2, false);
    EXPECT_EQ(writeFilesTogether(files, second).replaced, std::vector<int>{});
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));
    FailingRename none(0, false);
    EXPECT_TRUE(writeFilesTogether(files, none).ok());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(readBytes(dir / names[i]), fresh[i]);
    EXPECT_EQ(namesIn(dir.path()), names);
}

TEST(SaveTogether, TheNextSaveRemovesWhatAKilledOneLeft) {
    TempDir dir;
    writeBytes(dir / "p.ptm", bytesOf("old"));
    const Bytes fresh = bytesOf("new");
    KilledAfter killed(0);
    EXPECT_FALSE(writeFileAtomically(dir / "p.ptm", fresh, killed));
    EXPECT_EQ(namesIn(dir.path()).size(), 2u) << "the kill left its temporary file";
    // Also older ones, and only names a save gives: others stay.
    for (const char* name : {"p.ptm.tmp12_0", "p.ptm.tmp999999_17", "p.ptm.tmp", "p.ptm.tmp1_", "p.ptm.tmpx_1",
                             "p.ptm.tmp1_2.bak", "q.ptm.tmp1_1"})
        writeBytes(dir / name, bytesOf("x"));
    ASSERT_TRUE(writeFileAtomically(dir / "p.ptm", fresh));
    EXPECT_EQ(readBytes(dir / "p.ptm"), fresh);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"p.ptm", "p.ptm.tmp", "p.ptm.tmp1_", "p.ptm.tmp1_2.bak",
                                                             "p.ptm.tmpx_1", "q.ptm.tmp1_1"}));
}

TEST(ProjectStamp, ChecksumAndItsMemberInTheSafetyFile) {
    const std::string check = "123456789";
    EXPECT_EQ(projectChecksum(std::span(reinterpret_cast<const uint8_t*>(check.data()), check.size())), 0xCBF43926u);
    EXPECT_EQ(projectChecksum({}), 0u);

    auto c = withMatrix();
    c->Safety.project.crc32 = 0x0000ABCDu;
    const std::string text = safetyJson(c->Safety, *c);
    EXPECT_NE(text.find("\"projectCrc32\": \"0000abcd\""), std::string::npos) << text;
    SafetyData back;
    ASSERT_EQ(parseSafetyJson(text, *c, back).status, SafetyFileStatus::Loaded);
    EXPECT_EQ(back.project.crc32.value_or(0), 0x0000ABCDu);
    // Files written before the stamp read as they did.
    c->Safety.project = {};
    EXPECT_EQ(safetyJson(c->Safety, *c).find("projectCrc32"), std::string::npos);

    auto with = [&](const std::string& value) {
        std::string t = text;
        t.replace(t.find("\"0000abcd\""), 10, value);
        SafetyData s;
        const auto r = parseSafetyJson(t, *c, s);
        return r.status == SafetyFileStatus::Loaded ? std::to_string(*s.project.crc32) : r.message;
    };
    EXPECT_EQ(with("\"00000000\""), "0");
    EXPECT_EQ(with("\"ffffffff\""), "4294967295");
    EXPECT_EQ(with("\"FFFFFFFF\""), "4294967295");
    const std::string bad = "Файл данных безопасности повреждён: поле \"projectCrc32\" — не восемь шестнадцатеричных цифр";
    for (const char* v : {"\"fffffff\"", "\"1ffffffff\"", "\"0000000g\"", "\"-0000001\"", "\"+0000001\"", "\"\"", "43981",
                          "null"})
        EXPECT_EQ(with(v), bad) << v;
}

// A save killed between the renames: the old pair, or the new one, or a pair
// the next opening reports as not saved together, with its data kept. Never
// a silent mix.
TEST(SaveTogether, AProjectAndItsSafetyFileCutShortAreTold) {
    for (const bool oldSideStamped : {false, true}) {
        for (int renames = 0; renames <= 3; ++renames) {
            TempDir dir;
            const std::string path = pathToUtf8(dir / "p.ptm");
            auto old = withMatrix();
            ASSERT_TRUE(saveProject(*old, path).ok());
            if (!oldSideStamped) {
                // As the program wrote it before stamps.
                old->Safety.project = {};
                const std::string text = safetyJson(old->Safety, *old);
                writeBytes(dir / "p.safety.json", bytesOf(text));
            }
            auto c = withMatrix();
            c->Tvp1Delay = "7";
            c->Safety.intergreen[0][1] = 9;
            KilledAfter killed(renames);
            const bool saved = saveProject(*c, path, killed).ok();
            EXPECT_EQ(saved, renames >= 2);

            auto opened = newConfiguration();
            ASSERT_TRUE(loadProject(*opened, path).ok());
            const SafetyLoadResult r = loadProjectSafety(*opened, path);
            const bool newProject = opened->Tvp1Delay == "7";
            const bool newSide = opened->Safety.intergreen[0][1] == 9;
            if (renames == 0) {
                EXPECT_FALSE(newProject || newSide);
                EXPECT_EQ(r.status, SafetyFileStatus::Loaded);
            } else if (renames == 1) {
                EXPECT_TRUE(!newProject && newSide);
                EXPECT_EQ(r.status, SafetyFileStatus::Mismatched);
                EXPECT_EQ(r.message, kSafetyMismatchText);
                EXPECT_TRUE(opened->Safety.conflict[0][1]) << "the data is kept";
            } else {
                EXPECT_TRUE(newProject && newSide);
                EXPECT_EQ(r.status, SafetyFileStatus::Loaded);
            }
            // The next save leaves the two files alone beside each other.
            ASSERT_TRUE(saveProject(*c, path).ok());
            EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"p.ptm", "p.safety.json"}));
            EXPECT_EQ(loadProjectSafety(*opened, path).status, SafetyFileStatus::Loaded);
        }
    }
    // The project changed by another program: reported the same way.
    TempDir dir;
    const std::string path = pathToUtf8(dir / "p.ptm");
    auto c = withMatrix();
    ASSERT_TRUE(saveProject(*c, path).ok());
    c->Tvp2Delay = "3";
    writeBytes(dir / "p.ptm", serializeProject(*c, {}));
    EXPECT_EQ(loadProjectSafety(*c, path).status, SafetyFileStatus::Mismatched);
}

TEST(SaveTogether, AFailureIsReportedOnlyWhenNothingWasReplaced) {
    TempDir dir;
    const std::string path = pathToUtf8(dir / "p.ptm");
    auto old = sampleConfiguration();
    ASSERT_TRUE(saveProject(*old, path).ok());
    const Bytes oldBytes = readBytes(dir / "p.ptm");
    std::filesystem::create_directory(dir / "p.safety.json");
    auto c = withMatrix();
    c->Tvp1Delay = "7";
    const ProjectResult r = saveProject(*c, path);
    EXPECT_EQ(r.status, ProjectStatus::WriteFailed);
    EXPECT_EQ(r.message, std::string(kSaveErrorText) + kSafetySaveErrorText);
    EXPECT_EQ(readBytes(dir / "p.ptm"), oldBytes) << "the project was not replaced";
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"p.ptm", "p.safety.json"}));

    // The project's rename fails and the old safety file cannot go back: said.
    std::filesystem::remove(dir / "p.safety.json");
    ASSERT_TRUE(saveProject(*withMatrix(), path).ok());
    FailingRename stuck(2, true);
    const ProjectResult half = saveProject(*c, path, stuck);
    EXPECT_EQ(half.message, std::string(kSaveErrorText) + kSafetyReplacedAloneText + pathToUtf8(dir / "p.safety.json") + "\n");
    EXPECT_EQ(loadProjectSafety(*c, path).status, SafetyFileStatus::Mismatched);
}

}  // namespace
