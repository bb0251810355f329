#include <gtest/gtest.h>

#include "image/image.h"
#include "support/test_support.h"

namespace livra {
namespace {

TEST(ImageParts, OneTableForEncoderAndLink) {
    const auto& parts = imageParts();
    const char* names[] = {"decod_Ee_nprog.snt",    "decod_Erkanal.snt",     "decod_Ee_obcolnap.snt",
                           "decod_Ertvp.snt",       "decod_Ersosttvp.snt",   "decod_Eemaskonf.snt",
                           "decod_Ee_napavima.snt", "decod_programmosn.snt", "decod_Ee_bud.snt",
                           "decod_Ee_nacprogppz.snt"};
    const uint8_t writes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0B, 0x0C};
    const uint8_t reads[] = {0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x20, 0x21, 0x1E, 0x1F};
    const int sizes[] = {168, 255, 1, 4, 1, 64, 69, -1, 336, 64};
    for (int i = 0; i < ImagePartCount; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(parts[i].number, i + 1);
        EXPECT_STREQ(parts[i].fileName, names[i]);
        EXPECT_EQ(parts[i].writeCommand, writes[i]);
        EXPECT_EQ(parts[i].readCommand, reads[i]);
        EXPECT_EQ(parts[i].size, sizes[i]);
        EXPECT_EQ(parts[i].firstPosition, i == 6 ? 100000u : i == 7 ? 0u : 1u);
        EXPECT_EQ(parts[i].external, i == 6 || i == 7);
        EXPECT_EQ(&imagePart(i + 1), &parts[i]);
    }
    test::TempDir dir;
    EXPECT_EQ(partFilePath(dir.path(), PartHeader), dir.path() / "decod_Ee_napavima.snt");
}

TEST(ImageParts, WriteAndReadBack) {
    test::TempDir dir;
    const auto image = encodeImage(*test::sampleConfiguration());
    const auto folder = dir / "new folder";
    ASSERT_TRUE(writeImageParts(folder, image));
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, ImagePartCount);  // no temporary files left behind
    for (const auto& p : imageParts())
        EXPECT_EQ(test::readBytes(partFilePath(folder, p.number)), image[std::size_t(p.number - 1)]);
    const auto back = readImageParts(folder);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, image);
}

TEST(ImageParts, ReadingIsBounded) {
    test::TempDir dir;
    const auto image = encodeImage(*test::sampleConfiguration());
    ASSERT_TRUE(writeImageParts(dir.path(), image));
    // A short file is read as it is; the decoder refuses it.
    test::writeBytes(partFilePath(dir.path(), PartCallInputs), Bytes{1, 2});
    auto back = readImageParts(dir.path());
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[3], (Bytes{1, 2}));
    EXPECT_FALSE(decodeImage(*back));
    // A file longer than its part can be is not read at all.
    test::writeBytes(partFilePath(dir.path(), PartCallInputs), Bytes(5, 0));
    EXPECT_FALSE(readImageParts(dir.path()));
    test::writeBytes(partFilePath(dir.path(), PartCallInputs), Bytes(4, 0));
    test::writeBytes(partFilePath(dir.path(), PartPrograms), Bytes(kMaxProgramPartSize + 1, 0x11));
    EXPECT_FALSE(readImageParts(dir.path()));
    test::writeBytes(partFilePath(dir.path(), PartPrograms), Bytes(kMaxProgramPartSize, 0x11));
    EXPECT_TRUE(readImageParts(dir.path()));
    std::filesystem::remove(partFilePath(dir.path(), PartCalendarTimes));
    EXPECT_FALSE(readImageParts(dir.path()));
}

TEST(ImageParts, WriteFailureIsReported) {
    test::TempDir dir;
    const auto blocker = dir / "file";
    test::writeBytes(blocker, Bytes{1});
    EXPECT_FALSE(writeImageParts(blocker / "sub", encodeImage(*test::sampleConfiguration())));
}

// Real files, but the n-th file created (from 1) cannot be.
class FailingCreate : public FileSystem {
public:
    explicit FailingCreate(int n) : failAt_(n) {}
    std::unique_ptr<WriteStream> create(const std::filesystem::path& path) override {
        return ++created_ == failAt_ ? nullptr : realFileSystem().create(path);
    }
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return realFileSystem().rename(from, to);
    }
    void remove(const std::filesystem::path& path) override { realFileSystem().remove(path); }

private:
    int failAt_;
    int created_ = 0;
};

TEST(ImageParts, TheTenFilesAreReplacedTogetherOrNotAtAll) {
    // A set mixed from two images decodes as a configuration nobody compiled.
    test::TempDir dir;
    const ImageFiles old = encodeImage(*test::sampleConfiguration());
    const ImageFiles fresh = encodeImage(*test::fullConfiguration());
    ASSERT_TRUE(writeImageParts(dir.path(), old));
    for (int failing = 1; failing <= ImagePartCount; ++failing) {
        FailingCreate fs(failing);
        int failedPart = 0;
        EXPECT_FALSE(writeImageParts(dir.path(), fresh, &failedPart, fs));
        EXPECT_EQ(failedPart, imageParts()[std::size_t(failing - 1)].number);
        const auto onDisk = readImageParts(dir.path());
        ASSERT_TRUE(onDisk);
        EXPECT_EQ(*onDisk, old) << "failing at file " << failing;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), ImagePartCount)
            << "no temporary file is left behind";
    }
    FailingCreate none(0);
    ASSERT_TRUE(writeImageParts(dir.path(), fresh, nullptr, none));
    EXPECT_EQ(*readImageParts(dir.path()), fresh);
}

ImageFiles withExternalSize(std::size_t external) {
    ImageFiles f = encodeImage(*test::sampleConfiguration());
    f[7].assign(external - f[6].size(), 0);
    return f;
}

TEST(ImageSizeReport, FiveLinesAndTheLimit) {
    VectorErrorList list;
    list.add("Ошибок не обнаружено");
    // The sample: 2 directions, records of 6 bytes: 1 + 1 + 1 + 3 + 12 records.
    EXPECT_EQ(reportImageSize(encodeImage(*test::sampleConfiguration()), list), 0);
    EXPECT_EQ(list.lines, (std::vector<std::string>{
                              "Ошибок не обнаружено", "Программа скомпилирована успешно",
                              "Размер сгенерированного кода сост.:", "Под внешнею EEPROM 177 байт",
                              "Под внутреннею EEPROM 893 байт", "Итого 1070 байт"}));

    list.lines.clear();
    EXPECT_EQ(reportImageSize(withExternalSize(100000), list), 0);
    EXPECT_EQ(list.lines[2], "Под внешнею EEPROM 100000 байт");
    EXPECT_EQ(list.lines[4], "Итого 100893 байт");
    list.lines.clear();
    EXPECT_EQ(reportImageSize(withExternalSize(100001), list), 1);
    EXPECT_EQ(list.lines.size(), 5u);  // the lines come before the refusal
    EXPECT_EQ(list.lines[2], "Под внешнею EEPROM 100001 байт");

    list.lines.clear();
    EXPECT_EQ(reportImageSize(encodeImage(*test::fullConfiguration()), list), 1);
    EXPECT_EQ(list.lines[2], "Под внешнею EEPROM " + std::to_string(69 + kMaxProgramPartSize) + " байт");
}

}  // namespace
}  // namespace livra
