#include <gtest/gtest.h>

#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

// Written here byte by byte, without the serializer: the start-up file.
Bytes independentStartupFile() {
    Bytes b;
    for (char ch : std::string("wersia 1.00 DK\r\n")) b.push_back(uint8_t(ch));
    b.push_back(2);
    for (char ch : std::string("0\r\n0\r\n")) b.push_back(uint8_t(ch));
    b.insert(b.end(), 504, 128);
    b.insert(b.end(), 63 * 16, 0);
    b.push_back(64);
    b.insert(b.end(), 16 * 321 * 5 * 4, 0);
    b.insert(b.end(), 16 * 321 * 63, 0);
    return b;
}

int32_t int32At(const Bytes& b, std::size_t pos) {
    return int32_t(uint32_t(b[pos]) | uint32_t(b[pos + 1]) << 8 | uint32_t(b[pos + 2]) << 16 |
                   uint32_t(b[pos + 3]) << 24);
}

// A file system whose n-th write (1-based, counted over all files), finish
// or rename fails; everything else goes to the disk.
class FaultyFileSystem : public FileSystem {
public:
    int failWrite = 0;
    bool failFinish = false;
    bool failRename = false;
    int writes = 0;

    std::unique_ptr<WriteStream> create(const std::filesystem::path& path) override {
        auto real = realFileSystem().create(path);
        if (!real) return nullptr;
        return std::make_unique<Stream>(*this, std::move(real));
    }
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return !failRename && realFileSystem().rename(from, to);
    }
    void remove(const std::filesystem::path& path) override { realFileSystem().remove(path); }

private:
    struct Stream : WriteStream {
        Stream(FaultyFileSystem& fs, std::unique_ptr<WriteStream> real) : fs(fs), real(std::move(real)) {}
        bool write(std::span<const uint8_t> bytes) override {
            if (++fs.writes == fs.failWrite) {
                // Part of the bytes reach the disk, as when it fills up.
                real->write(bytes.first(bytes.size() / 2));
                return false;
            }
            return real->write(bytes);
        }
        bool finish() override { return real->finish() && !fs.failFinish; }
        FaultyFileSystem& fs;
        std::unique_ptr<WriteStream> real;
    };
};

std::size_t filesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

}  // namespace

TEST(ProjectFile, StartupConfigurationMatchesIndependentBytes) {
    Configuration c;
    const Bytes bytes = serializeProject(c, {});
    EXPECT_EQ(bytes.size(), 427824u);
    EXPECT_EQ(bytes, independentStartupFile());
}

TEST(ProjectFile, TablesLandAtTheirOffsets) {
    auto c = newConfiguration();
    c->Tvp1Delay = "17";
    c->Tvp2Delay = "";
    c->Calendar[1][2] = CalendarEntry{30, 6, 5};
    c->FreeChannels[5] = 44;
    c->DirectionKind[5] = DirTram2;
    c->DirectionChannels[5][3] = 33;
    c->DirectionControl[5][6] = 2;
    c->ChannelCount = 40;
    c->TactTable[2][7] = Tact{TactPhase, -1, 300, 0x01020304, 7};
    c->TactSignals[15][320][62] = 9;
    c->TactSignals[0][0][0] = 6;
    const Bytes plan = {1, 2, 3};
    const Bytes b = serializeProject(*c, plan);
    ASSERT_EQ(b.size(), kProjectFixedSize + 2 + 0 + plan.size());

    const std::size_t D = 16 + 1 + 4 + 2;
    EXPECT_EQ(b[17], '1');
    EXPECT_EQ(b[21], 0x0D);  // empty second line
    EXPECT_EQ(b[D + (24 + 2) * 3 + 0], 30);
    EXPECT_EQ(b[D + (24 + 2) * 3 + 1], 6);
    EXPECT_EQ(b[D + (24 + 2) * 3 + 2], 5);
    EXPECT_EQ(b[D + 504 + 5 * 16 + 0], 44);
    EXPECT_EQ(b[D + 504 + 5 * 16 + 1], DirTram2);
    EXPECT_EQ(b[D + 504 + 5 * 16 + 2 + 2 * 3], 33);
    EXPECT_EQ(b[D + 504 + 5 * 16 + 3 + 2 * 6], 2);
    EXPECT_EQ(b[D + 1512], 40);
    const std::size_t tact = D + 1513 + (2 * 321 + 7) * 20;
    EXPECT_EQ(int32At(b, tact), TactPhase);
    EXPECT_EQ(int32At(b, tact + 4), -1);
    EXPECT_EQ(int32At(b, tact + 8), 300);
    EXPECT_EQ(b[tact + 12], 0x04);  // little-endian
    EXPECT_EQ(int32At(b, tact + 16), 7);
    EXPECT_EQ(b[D + 104233], 6);
    EXPECT_EQ(b[D + 427800], 9);
    EXPECT_EQ(b[D + 427801], 1);

    const auto parsed = parseProject(b);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->config->sameTables(*c));
    EXPECT_EQ(parsed->plan, plan);
}

TEST(ProjectFile, DelayTextsAreCp1251LinesAndAnyLineEndIsRead) {
    auto c = newConfiguration();
    c->Tvp1Delay = "5с";
    Bytes b = serializeProject(*c, {});
    EXPECT_EQ(b[17], '5');
    EXPECT_EQ(b[18], 0xF1);  // "с" in cp1251
    EXPECT_EQ(b.size(), kProjectFixedSize + 2 + 1);
    auto parsed = parseProject(b);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->config->Tvp1Delay, "5с");

    // LF-only signature line: still the signature.
    Bytes lf = serializeProject(Configuration{}, {});
    lf.erase(lf.begin() + 14);
    parsed = parseProject(lf);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->plan.empty());
}

TEST(ProjectFile, RejectsWrongSignatureFormatByteAndEveryTruncation) {
    const Bytes good = serializeProject(*sampleConfiguration(), {});
    Bytes bad = good;
    bad[0] = 'W';
    EXPECT_FALSE(parseProject(bad));
    bad = good;
    bad[16] = 1;
    EXPECT_FALSE(parseProject(bad));
    bad = good;
    bad[16] = 3;
    EXPECT_FALSE(parseProject(bad));
    for (std::size_t len : {std::size_t(0), std::size_t(5), std::size_t(16), std::size_t(17), std::size_t(19),
                            std::size_t(22), std::size_t(1000), good.size() - 1}) {
        EXPECT_FALSE(parseProject(std::span(good).first(len))) << len;
    }
    EXPECT_TRUE(parseProject(good));
}

class ProjectFileOnDisk : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path work = dir / "work";
    std::filesystem::path other = dir / "other";
    void SetUp() override {
        std::filesystem::create_directories(work);
        std::filesystem::create_directories(other);
    }
    std::unique_ptr<Configuration> configIn(const std::filesystem::path& folder) {
        auto c = sampleConfiguration();
        c->ProgramDir = folder.string() + "/";
        return c;
    }
};

TEST_F(ProjectFileOnDisk, RoundTripIsByteIdenticalWithPlanBytes) {
    Bytes plan;
    for (int i = 0; i < 5000; ++i) plan.push_back(uint8_t(i * 7));
    writeBytes(work / "imit.snt", plan);
    auto c = configIn(work);
    c->Modified = 1;
    const auto path = (dir / "a.ptm").string();
    ASSERT_TRUE(saveProject(*c, path).ok());
    EXPECT_EQ(c->Modified, 0);
    EXPECT_EQ(c->ProjectFileName, path);
    const Bytes first = readBytes(path);
    EXPECT_EQ(first.size(), kProjectFixedSize + 2 + plan.size());

    auto loaded = newConfiguration();
    loaded->ProgramDir = other.string() + "/";
    ASSERT_TRUE(loadProject(*loaded, path).ok());
    EXPECT_TRUE(loaded->sameTables(*c));
    EXPECT_EQ(readBytes(other / "imit.snt"), plan);
    const auto again = (dir / "b.ptm").string();
    ASSERT_TRUE(saveProject(*loaded, again).ok());
    EXPECT_EQ(readBytes(again), first);
}

TEST_F(ProjectFileOnDisk, LoadingAProjectWithoutPlanEmptiesThePlanFile) {
    auto c = configIn(other);
    const auto path = (dir / "a.ptm").string();
    ASSERT_TRUE(saveProject(*c, path).ok());
    writeBytes(work / "imit.snt", {9, 9, 9});
    auto loaded = configIn(work);
    ASSERT_TRUE(loadProject(*loaded, path).ok());
    ASSERT_TRUE(std::filesystem::exists(work / "imit.snt"));
    EXPECT_EQ(std::filesystem::file_size(work / "imit.snt"), 0u);
}

TEST_F(ProjectFileOnDisk, BadFilesChangeNothing) {
    writeBytes(work / "imit.snt", {1, 2});
    auto c = configIn(work);
    auto before = configIn(work);
    const Bytes good = serializeProject(Configuration{}, Bytes{7, 7, 7});
    struct Case {
        Bytes bytes;
        ProjectStatus status;
        const char* text;
    };
    Bytes truncated(good.begin(), good.end() - 4);
    Bytes format = good;
    format[16] = 1;
    Bytes signature = good;
    signature[3] = 'x';
    for (const auto& [bytes, status, text] :
         {Case{truncated, ProjectStatus::FormatError, kFormatErrorText},
          Case{format, ProjectStatus::FormatError, kFormatErrorText},
          Case{signature, ProjectStatus::FormatError, kFormatErrorText}}) {
        writeBytes(dir / "bad.ptm", bytes);
        const auto r = loadProject(*c, (dir / "bad.ptm").string());
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.message, text);
        EXPECT_TRUE(c->sameTables(*before));
        EXPECT_EQ(readBytes(work / "imit.snt"), (Bytes{1, 2}));
    }
    const auto r = loadProject(*c, (dir / "missing.ptm").string());
    EXPECT_EQ(r.status, ProjectStatus::OpenFailed);
    EXPECT_EQ(r.message, "При чтении произошла ошибка.\nФайл открыть не удалось.\n\n");
}

TEST_F(ProjectFileOnDisk, SaveFailingAtAnyWriteKeepsTheOldFile) {
    writeBytes(work / "imit.snt", {5, 6, 7, 8});
    const auto path = (dir / "keep.ptm").string();
    auto old = configIn(work);
    old->Tvp1Delay = "1";
    ASSERT_TRUE(saveProject(*old, path).ok());
    const Bytes oldBytes = readBytes(path);

    auto c = configIn(work);
    c->Tvp1Delay = "200";
    c->Modified = 1;
    const auto sections = serializeProjectSections(*c, Bytes{5, 6, 7, 8}).size();
    for (int k = 1; k <= int(sections) + 2; ++k) {
        FaultyFileSystem fs;
        if (k <= int(sections))
            fs.failWrite = k;
        else if (k == int(sections) + 1)
            fs.failFinish = true;
        else
            fs.failRename = true;
        const auto r = saveProject(*c, path, fs);
        EXPECT_EQ(r.status, ProjectStatus::WriteFailed) << k;
        EXPECT_EQ(r.message, "При записи произошла ошибка.\nФайл сохранить не удалось.\n");
        EXPECT_EQ(readBytes(path), oldBytes) << k;
        EXPECT_EQ(filesIn(dir.path()), 3u) << "temporary file left behind at k=" << k;  // work, other, keep.ptm
        EXPECT_EQ(c->Modified, 1);
    }
    FaultyFileSystem fine;
    ASSERT_TRUE(saveProject(*c, path, fine).ok());
    EXPECT_EQ(fine.writes, int(sections));
    EXPECT_NE(readBytes(path), oldBytes);
}

TEST_F(ProjectFileOnDisk, SaveIntoAMissingFolderFails) {
    auto c = configIn(work);
    const auto r = saveProject(*c, (dir / "no" / "such" / "a.ptm").string());
    EXPECT_EQ(r.status, ProjectStatus::WriteFailed);
    EXPECT_TRUE(c->ProjectFileName.empty());
}

TEST_F(ProjectFileOnDisk, PlanFileWriteFailureLeavesConfigurationAlone) {
    auto c = configIn(work);
    const auto path = (dir / "a.ptm").string();
    ASSERT_TRUE(saveProject(*c, path).ok());
    auto target = newConfiguration();
    target->ProgramDir = (dir / "missing-folder").string() + "/";
    const auto r = loadProject(*target, path);
    EXPECT_EQ(r.status, ProjectStatus::WriteFailed);
    EXPECT_TRUE(target->sameTables(Configuration{}));
}
