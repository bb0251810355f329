#include "format/project_pack.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/cp1251.h"
#include "model/project_file.h"
#include "format/texts.h"
#include "support/test_support.h"

namespace livra {
namespace {

namespace fs = std::filesystem;

// A path from UTF-8 text: a plain string would be read in the system's code
// page on Windows.
fs::path u8(const std::string& text) { return pathFromUtf8(text); }

// Every regular file under a folder, by its path relative to it.
std::vector<std::string> filesUnder(const fs::path& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    if (!fs::exists(dir, ec)) return out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
    {
        std::string name = pathToUtf8(fs::relative(e.path(), dir));
        std::replace(name.begin(), name.end(), '\\', '/');  // as the archive names them
        out.push_back(name + (e.is_directory() ? "/" : ""));
    }
    std::sort(out.begin(), out.end());
    return out;
}

Bytes planNaming(const std::string& pictureName) {
    // The plan file's first line names the picture in CP1251; records may follow.
    const std::string line = utf8ToCp1251(pictureName);
    Bytes plan(line.begin(), line.end());
    plan.push_back('\r');
    plan.push_back('\n');
    return plan;
}

TEST(ProjectPack, TheSampleAndAProjectWithPlanAndSideFileComeBackByteForByte) {
    test::TempDir dir;
    const auto examples = fs::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples";
    struct Case {
        fs::path project;
        std::vector<std::string> names;
    };
    // A project of our own: side file and picture beside it, Cyrillic names.
    fs::create_directories(dir / "mine" / "shem");
    auto c = test::sampleConfiguration();
    const Bytes ptm = serializeProject(*c, planNaming("C:\\Livra\\shem\\план.png"));
    test::writeBytes(dir / "mine" / u8("узел.ptm"), ptm);
    test::writeBytes(dir / "mine" / u8("узел.safety.json"), Bytes{'{', '}'});
    Bytes picture(70000);
    for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = uint8_t(i * 7);
    test::writeBytes(dir / "mine" / "shem" / u8("план.png"), picture);

    // The sample's picture lives in the working folder's shem, as the program keeps it.
    fs::create_directories(dir / "work" / "shem");
    fs::copy_file(examples / "shem" / "crossroad.png", dir / "work" / "shem" / "crossroad.png");

    const Case cases[] = {
        {examples / "crossroad.ptm", {"crossroad.ptm", "crossroad.safety.json", "shem/crossroad.png"}},
        {dir / "mine" / u8("узел.ptm"), {"узел.ptm", "узел.safety.json", "shem/план.png"}},
    };
    for (const Case& k : cases) {
        const auto zip = dir.path() / u8(pathToUtf8(k.project.stem()) + ".zip");
        const PackResult packed = packProject(k.project, zip, dir / "work" / "shem");
        ASSERT_TRUE(packed.ok) << packed.message;
        EXPECT_EQ(packed.names, k.names);
        EXPECT_FALSE(packed.pictureMissing);

        const auto out = dir.path() / u8("out-" + pathToUtf8(k.project.stem()));
        const UnpackResult unpacked = unpackProject(zip, out);
        ASSERT_TRUE(unpacked.ok) << unpacked.message;
        EXPECT_EQ(unpacked.projectFile, out / k.project.filename());
        std::vector<std::string> want = k.names;
        want.push_back("shem/");
        std::sort(want.begin(), want.end());
        EXPECT_EQ(filesUnder(out), want);
        // Byte for byte: project, side file, picture (from wherever it was found).
        EXPECT_EQ(test::readBytes(out / u8(k.names[0])), test::readBytes(k.project));
        EXPECT_EQ(test::readBytes(out / u8(k.names[1])), test::readBytes(k.project.parent_path() / u8(k.names[1])));
        const auto pictureName = pathFromUtf8(k.names[2].substr(5));
        const fs::path source = fs::exists(k.project.parent_path() / "shem" / pictureName)
                                    ? k.project.parent_path() / "shem" / pictureName
                                    : dir / "work" / "shem" / pictureName;
        EXPECT_EQ(test::readBytes(out / "shem" / pictureName), test::readBytes(source));

        // Unpacking again over the same files is no conflict.
        EXPECT_TRUE(unpackProject(zip, out).ok);
    }
    // The unpacked project finds its picture beside itself.
    EXPECT_EQ(findPlanPicture(dir.path() / u8("out-узел") / u8("узел.ptm"), dir / "nowhere", "план.png"),
              dir.path() / u8("out-узел") / "shem" / u8("план.png"));
    EXPECT_EQ(findPlanPicture(dir.path() / u8("out-узел") / u8("узел.ptm"), dir / "nowhere", "../узел.ptm"), fs::path());
}

TEST(ProjectPack, AMissingPictureIsReportedAndTheRestPacked) {
    test::TempDir dir;
    auto c = test::sampleConfiguration();
    test::writeBytes(dir / "a.ptm", serializeProject(*c, planNaming("gone.png")));
    const PackResult r = packProject(dir / "a.ptm", dir / "a.zip", dir / "work");
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.pictureMissing);
    EXPECT_EQ(r.pictureName, "gone.png");
    EXPECT_EQ(r.names, std::vector<std::string>{"a.ptm"});

    // Not a project, no file: refused, no archive written.
    test::writeBytes(dir / "b.ptm", Bytes{'n', 'o'});
    const PackResult notProject = packProject(dir / "b.ptm", dir / "b.zip", dir / "work");
    EXPECT_FALSE(notProject.ok);
    EXPECT_EQ(notProject.message, kPackNotProjectText + pathToUtf8(dir / "b.ptm"));
    EXPECT_FALSE(packProject(dir / "c.ptm", dir / "c.zip", dir / "work").ok);
    EXPECT_FALSE(fs::exists(dir / "b.zip"));
    EXPECT_FALSE(fs::exists(dir / "c.zip"));
}

TEST(ProjectPack, ARefusedArchiveLeavesNothingBehind) {
    test::TempDir dir;
    auto c = test::sampleConfiguration();
    const Bytes ptm = serializeProject(*c, {});
    auto archive = [&](const std::vector<ArchiveEntry>& entries, const std::string& name) {
        Bytes out;
        EXPECT_TRUE(writeZipArchive(entries, out));
        test::writeBytes(dir / name, out);
        return dir / name;
    };
    const auto good = archive({{"p.ptm", ptm}, {"shem/x.png", Bytes{1, 2, 3}}}, "good.zip");
    Bytes badCrc = test::readBytes(good);
    badCrc[badCrc.size() - 22 - 46 - 10 - 46 - 5 - 3 + 0] ^= 0xFF;  // a byte of the picture's data
    test::writeBytes(dir / "crc.zip", badCrc);
    Bytes traversal = test::readBytes(good);
    for (std::size_t i = 0; i + 10 <= traversal.size(); ++i)
        if (std::string(traversal.begin() + std::ptrdiff_t(i), traversal.begin() + std::ptrdiff_t(i + 4)) == "shem")
            traversal[i] = '.', traversal[i + 1] = '.', traversal[i + 2] = '/', traversal[i + 3] = '.';
    test::writeBytes(dir / "traversal.zip", traversal);

    const struct {
        fs::path zip;
        std::string message;
    } refusals[] = {
        {dir / "crc.zip", "Контрольная сумма не совпадает (shem/x.png)"},
        {dir / "traversal.zip", "Недопустимое имя файла в архиве (.././x.png)"},
        {archive({{"readme.txt", Bytes{1}}}, "none.zip"), kUnpackNoProjectText},
        {archive({{"a.ptm", ptm}, {"b.ptm", ptm}}, "two.zip"), kUnpackSeveralProjectsText},
        {archive({{"a.ptm", Bytes{1, 2}}}, "junk.zip"), std::string(kPackNotProjectText) + "a.ptm"},
        {dir / "missing.zip", kPackReadFailedText + pathToUtf8(dir / "missing.zip")},
    };
    for (const auto& k : refusals) {
        const auto out = dir / "deep" / "out";
        const UnpackResult r = unpackProject(k.zip, out);
        EXPECT_FALSE(r.ok) << pathToUtf8(k.zip);
        EXPECT_EQ(r.message, k.message);
        EXPECT_FALSE(fs::exists(dir / "deep")) << pathToUtf8(k.zip);
    }

    // A different file of the same name in the way: nothing written at all.
    fs::create_directories(dir / "busy");
    test::writeBytes(dir / "busy" / "p.ptm", Bytes{9});
    const UnpackResult busy = unpackProject(good, dir / "busy");
    EXPECT_FALSE(busy.ok);
    EXPECT_EQ(busy.message, kUnpackExistsText + pathToUtf8(dir / "busy" / "p.ptm"));
    EXPECT_EQ(filesUnder(dir / "busy"), std::vector<std::string>{"p.ptm"});
    EXPECT_EQ(test::readBytes(dir / "busy" / "p.ptm"), Bytes{9});
}

}  // namespace
}  // namespace livra
