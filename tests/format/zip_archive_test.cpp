#include "format/zip_archive.h"

#include <gtest/gtest.h>

#include <string>

namespace livra {
namespace {

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

void put16(Bytes& b, std::size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(Bytes& b, std::size_t at, uint32_t v) {
    put16(b, at, uint16_t(v));
    put16(b, at + 2, uint16_t(v >> 16));
}

// Where the central directory's first record starts, from the end record.
std::size_t centralAt(const Bytes& b) {
    const std::size_t end = b.size() - 22;
    return std::size_t(b[end + 16]) | std::size_t(b[end + 17]) << 8 | std::size_t(b[end + 18]) << 16;
}

TEST(ZipArchive, CrcIsTheStandardOne) {
    EXPECT_EQ(crc32Of({}), 0u);
    EXPECT_EQ(crc32Of(bytesOf("hi")), 0xd8932aacu);
    EXPECT_EQ(crc32Of(bytesOf("123456789")), 0xcbf43926u);  // the check value
}

TEST(ZipArchive, AStoredEntryIsWrittenByteForByteInTheCommonLayout) {
    Bytes out;
    ASSERT_TRUE(writeZipArchive({{"a.txt", bytesOf("hi")}}, out));
    // Local record, data, central record, end record: every byte.
    const Bytes expected = {
        0x50, 0x4b, 0x03, 0x04, 20, 0, 0x00, 0x08, 0, 0, 0, 0, 0x21, 0x00,  // sig, version, UTF-8, stored, 1980-01-01
        0xac, 0x2a, 0x93, 0xd8, 2, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0,        // crc, sizes, name length, no extra
        'a', '.', 't', 'x', 't', 'h', 'i',
        0x50, 0x4b, 0x01, 0x02, 20, 0, 20, 0, 0x00, 0x08, 0, 0, 0, 0, 0x21, 0x00,
        0xac, 0x2a, 0x93, 0xd8, 2, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                          // comment, disk, attributes, offset 0
        'a', '.', 't', 'x', 't',
        0x50, 0x4b, 0x05, 0x06, 0, 0, 0, 0, 1, 0, 1, 0, 51, 0, 0, 0, 37, 0, 0, 0, 0, 0,
    };
    EXPECT_EQ(out, expected);
    const auto r = readZipArchive(out);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].name, "a.txt");
    EXPECT_EQ(r.entries[0].data, bytesOf("hi"));
}

TEST(ZipArchive, EntriesComeBackAsTheyWentIn) {
    // Compressible, incompressible, empty, in a folder, a Cyrillic name.
    Bytes big(300000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i % 7 == 0 ? i * 31 : 'x');
    Bytes noise(5000);
    uint32_t x = 12345;
    for (auto& b : noise) b = uint8_t((x = x * 1103515245 + 12345) >> 24);
    const std::vector<ArchiveEntry> entries = {
        {"перекресток.ptm", big}, {"noise.bin", noise}, {"empty", {}}, {"shem/план.png", bytesOf("png")}};
    Bytes out;
    ASSERT_TRUE(writeZipArchive(entries, out));
#ifndef _WIN32
    // The Windows build has no libdeflate: its entries are stored.
    EXPECT_LT(out.size(), big.size() / 2);  // the repetitive entry was deflated
#endif
    const auto r = readZipArchive(out);
    ASSERT_TRUE(r.ok()) << archiveErrorText(r);
    EXPECT_EQ(r.entries, entries);
    // The same files give the same bytes.
    Bytes again;
    ASSERT_TRUE(writeZipArchive(r.entries, again));
    EXPECT_EQ(again, out);
}

TEST(ZipArchive, NamesThatWouldLeaveTheFolderAreRefused) {
    for (const char* bad : {"../x", "a/../../x", "/etc/passwd", "C:x", "a\\..\\x", "", "a//b", "./a", "a/.", "con.",
                            "a ", "line\nbreak", "a?b"}) {
        EXPECT_FALSE(isSafeEntryName(bad)) << bad;
        Bytes out;
        EXPECT_FALSE(writeZipArchive({{bad, bytesOf("x")}}, out)) << bad;
    }
    for (const char* good : {"a.ptm", "shem/plan.png", "Перекресток 1.safety.json", "..a", "a..b"})
        EXPECT_TRUE(isSafeEntryName(good)) << good;

    // An archive made elsewhere with such a name: refused as a whole.
    Bytes out;
    ASSERT_TRUE(writeZipArchive({{"ok.ptm", bytesOf("1")}, {"xx/evil", bytesOf("2")}}, out));
    for (std::size_t i = 0; i + 7 <= out.size(); ++i)
        if (std::string(out.begin() + std::ptrdiff_t(i), out.begin() + std::ptrdiff_t(i + 7)) == "xx/evil") {
            out[i] = '.';
            out[i + 1] = '.';
        }
    const auto r = readZipArchive(out);
    EXPECT_EQ(r.error, ArchiveError::BadName);
    EXPECT_EQ(r.entryName, "../evil");
    EXPECT_TRUE(r.entries.empty());
    EXPECT_EQ(archiveErrorText(r), "Недопустимое имя файла в архиве (../evil)");

    Bytes twice;
    EXPECT_FALSE(writeZipArchive({{"a", {}}, {"a", {}}}, twice));
}

TEST(ZipArchive, DamagedAndHostileArchivesAreRefusedWithTheirCause) {
    Bytes good;
    ASSERT_TRUE(writeZipArchive({{"a.txt", bytesOf("hello")}, {"b.txt", bytesOf("world")}}, good));
    const std::size_t central = centralAt(good);
    auto refused = [](const Bytes& b, ArchiveError want, ArchiveLimits limits = {}) {
        const auto r = readZipArchive(b, limits);
        EXPECT_EQ(r.error, want);
        EXPECT_TRUE(r.entries.empty());
    };

    refused({}, ArchiveError::NotAnArchive);
    refused(bytesOf("just some text, long enough to hold an end record"), ArchiveError::NotAnArchive);
    refused(Bytes(good.begin(), good.end() - 1), ArchiveError::NotAnArchive);  // cut short

    Bytes crc = good;
    crc[30 + 5] ^= 1;  // one bit of the first entry's data
    refused(crc, ArchiveError::BadChecksum);

    Bytes huge = good;  // declares 4 GB − 2 unpacked
    put32(huge, central + 24, 0xFFFFFFFEu);
    refused(huge, ArchiveError::TooLarge);
    Bytes zip64 = good;
    put32(zip64, central + 24, 0xFFFFFFFFu);
    refused(zip64, ArchiveError::Unsupported);
    ArchiveLimits small;
    small.maxTotalSize = 8;  // each entry fits, both do not
    refused(good, ArchiveError::TooLarge, small);
    small = {};
    small.maxEntries = 1;
    refused(good, ArchiveError::TooLarge, small);

    Bytes offset = good;  // the local record beyond the directory
    put32(offset, central + 42, uint32_t(central + 100));
    refused(offset, ArchiveError::Damaged);
    Bytes packed = good;  // more packed bytes than the file holds
    put32(packed, central + 20, 0x7FFFFFFF);
    refused(packed, ArchiveError::Damaged);
    Bytes names = good;  // central and local names disagree
    names[central + 46] = 'z';
    refused(names, ArchiveError::Damaged);
    Bytes count = good;  // the end record counts more entries than there are
    put16(count, count.size() - 22 + 8, 3);
    put16(count, count.size() - 22 + 10, 3);
    refused(count, ArchiveError::Damaged);

    Bytes encrypted = good;
    put16(encrypted, central + 8, 0x0801);
    refused(encrypted, ArchiveError::Unsupported);
    Bytes method = good;
    put16(method, central + 10, 12);  // bzip2
    refused(method, ArchiveError::Unsupported);
    Bytes volumes = good;
    put16(volumes, volumes.size() - 22 + 4, 1);
    refused(volumes, ArchiveError::Unsupported);

    Bytes duplicate;
    ASSERT_TRUE(writeZipArchive({{"a.txt", bytesOf("1")}, {"b.txt", bytesOf("2")}}, duplicate));
    const std::size_t second = centralAt(duplicate) + 46 + 5;
    duplicate[second + 46] = 'a';  // the second central name
    duplicate[30 + 5 + 1 + 30] = 'a';  // and its local one
    refused(duplicate, ArchiveError::DuplicateName);
}

}  // namespace
}  // namespace livra
