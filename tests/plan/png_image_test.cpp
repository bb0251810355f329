#include "plan/png_image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "plan/bmp_file.h"
#include "support/png_fixtures.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::encodePng;
using test::patternImage;

TEST(PngImage, DecodesRgbaGreyAndRgbIntoRgbaPixelForPixel) {
    const RgbaImage pattern = patternImage(37, 23);
    const PngResult rgba = decodePng(encodePng(pattern));
    ASSERT_TRUE(rgba.ok()) << rgba.detail;
    EXPECT_EQ(rgba.image.width, 37);
    EXPECT_EQ(rgba.image.height, 23);
    EXPECT_EQ(rgba.image.rgba, pattern.rgba);

    // Grey and RGB without alpha come out as opaque RGBA.
    for (const png_uint_32 format : {png_uint_32(PNG_FORMAT_GRAY), png_uint_32(PNG_FORMAT_RGB)}) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = 3;
        image.height = 2;
        image.format = format;
        const uint8_t pixels[18] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180};
        png_alloc_size_t size = 100000;
        Bytes file(size);
        ASSERT_TRUE(png_image_write_to_memory(&image, file.data(), &size, 0, pixels, 0, nullptr));
        file.resize(size);
        const PngResult r = decodePng(file);
        ASSERT_TRUE(r.ok()) << r.detail;
        ASSERT_EQ(r.image.rgba.size(), 24u);
        const int channels = format == PNG_FORMAT_GRAY ? 1 : 3;
        for (int i = 0; i < 6; ++i) {
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(r.image.rgba[i * 4 + k], pixels[i * channels + (channels == 1 ? 0 : k)]) << i;
            EXPECT_EQ(r.image.rgba[i * 4 + 3], 255);
        }
    }
}

TEST(PngImage, RefusesDamagedAndOversizedInputWithoutAPicture) {
    const Bytes good = encodePng(patternImage(40, 30));
    struct Case {
        const char* name;
        Bytes bytes;
        PngError expected;
    } cases[] = {
        {"empty", {}, PngError::NotPng},
        {"not a PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, PngError::NotPng},
        {"signature only", Bytes(good.begin(), good.begin() + 8), PngError::Damaged},
        {"truncated", test::truncatedPng(good), PngError::Damaged},
        {"bad CRC", test::withBadIdatCrc(good), PngError::Damaged},
        {"huge declared", test::withDeclaredSize(good, 100000, 100000), PngError::BadSize},
        {"one above the limit", test::withDeclaredSize(good, 8193, 30), PngError::BadSize},
        {"declared larger than the data", test::withDeclaredSize(good, 400, 300), PngError::Damaged},
    };
    for (const auto& c : cases) {
        const PngResult r = decodePng(c.bytes);
        EXPECT_EQ(r.error, c.expected) << c.name << ": " << r.detail;
        EXPECT_TRUE(r.image.rgba.empty()) << c.name;
        EXPECT_FALSE(pngErrorText(r.error).empty()) << c.name;
    }

    test::TempDir dir;
    EXPECT_EQ(readPngFile(dir / "missing.png").error, PngError::CannotRead);
    // Refused by its size before a byte is read (the file is sparse).
    std::filesystem::resize_file((test::writeBytes(dir / "big.png", good), dir / "big.png"), MaxPngFileBytes + 1);
    EXPECT_EQ(readPngFile(dir / "big.png").error, PngError::TooBig);
    test::writeBytes(dir / "good.png", good);
    EXPECT_TRUE(readPngFile(dir / "good.png").ok());
}

// A PNG put together by hand: 8-bit RGBA rows with the given filter bytes,
// the zlib stream split over `pieces` IDAT chunks, then `tail` (chunks
// before IEND).
struct HandMadePng {
    int width = 64, height = 48;
    uint8_t filter = 1;      // for every row; 5 does not exist
    int pieces = 7;
    bool cutStream = false;  // the stream ends before the last row
    bool badAdler = false;
    int badCrcPiece = -1;
    std::vector<std::pair<std::string, Bytes>> tail;

    Bytes bytes() const {
        auto put32 = [](Bytes& out, uint32_t v) {
            for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
        };
        auto chunk = [&](Bytes& out, const char* type, const Bytes& data, bool badCrc = false) {
            put32(out, uint32_t(data.size()));
            Bytes typed(type, type + 4);
            typed.insert(typed.end(), data.begin(), data.end());
            out.insert(out.end(), typed.begin(), typed.end());
            put32(out, uint32_t(crc32(0, typed.data(), uInt(typed.size()))) ^ (badCrc ? 1u : 0u));
        };
        Bytes raw;
        for (int y = 0; y < height; ++y) {
            raw.push_back(filter);
            for (int x = 0; x < width * 4; ++x) raw.push_back(uint8_t(x * 7 + y * 3 + (x ^ y)));
        }
        uLongf size = compressBound(uLong(raw.size()));
        Bytes z(size);
        compress2(z.data(), &size, raw.data(), uLong(raw.size()), 9);
        z.resize(size);
        if (badAdler) z.back() ^= 0x10;
        if (cutStream) z.resize(z.size() / 2);
        Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        Bytes ihdr;
        put32(ihdr, uint32_t(width));
        put32(ihdr, uint32_t(height));
        ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
        chunk(out, "IHDR", ihdr);
        const std::size_t step = (z.size() + pieces - 1) / pieces;
        for (int i = 0; std::size_t(i) * step < z.size(); ++i) {
            const auto from = z.begin() + std::ptrdiff_t(i * step);
            chunk(out, "IDAT", Bytes(from, from + std::ptrdiff_t(std::min(step, z.size() - i * step))), i == badCrcPiece);
        }
        for (const auto& [type, data] : tail) chunk(out, type.c_str(), data);
        chunk(out, "IEND", {});
        return out;
    }
};

// A text chunk after the pixels that claims far more than the file holds (the
// 990-byte picture claiming 1.2 GB): refused as damaged before anything is
// allocated for it, reduced or whole. One that the file does hold is read.
TEST(PngImage, AChunkClaimingMoreThanTheFileHoldsIsRefused) {
    HandMadePng small;
    small.width = 16, small.height = 12;
    Bytes png = small.bytes();
    png.resize(test::chunkAt(png, "IEND") - 4);
    const Bytes claim = {0x47, 0x86, 0x8C, 0x00, 't', 'E', 'X', 't', 'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    png.insert(png.end(), claim.begin(), claim.end());
    png.resize(990, 'A');
    ASSERT_EQ(test::chunkLength(png, test::chunkAt(png, "tEXt")), 1200000000u);
    for (const PngFit fit : {PngFit{}, PngFit{4, 3}}) {
        const PngResult r = decodePng(png, fit);
        EXPECT_EQ(r.error, PngError::Damaged);
        EXPECT_EQ(r.detail, "") << "refused before libpng read the chunk";
        EXPECT_TRUE(r.image.rgba.empty());
    }
    // One byte more than what is left of the file (IEND included) is refused
    // the same way; text the file does hold is read past.
    HandMadePng text = small;
    text.tail = {{"tEXt", Bytes(100, 'a')}};
    Bytes held = text.bytes();
    EXPECT_TRUE(decodePng(held).ok());
    held[test::chunkAt(held, "tEXt") - 1] = 100 + 12 + 1;
    EXPECT_EQ(decodePng(held).error, PngError::Damaged);
    EXPECT_EQ(decodePng(held).detail, "");
}

// The reduced picture (inflated whole, unfiltered here) against libpng's
// whole picture reduced afterwards: the same pixels, and the same verdict on
// a damaged or odd file.
TEST(PngImage, ReducedAndWholeDecodingGiveTheSameVerdictAndPixels) {
    struct Case {
        std::string name;
        HandMadePng png;
        bool ok;
    };
    std::vector<Case> cases;
    auto add = [&](std::string name, bool ok, auto change) {
        HandMadePng png;
        change(png);
        cases.push_back({std::move(name), png, ok});
    };
    for (uint8_t filter = 0; filter <= 4; ++filter)
        add("filter " + std::to_string(filter), true, [&](HandMadePng& p) { p.filter = filter; });
    add("filter type 5", false, [](HandMadePng& p) { p.filter = 5; });
    add("one IDAT", true, [](HandMadePng& p) { p.pieces = 1; });
    add("stream too short", false, [](HandMadePng& p) { p.cutStream = true; });
    add("stream checksum wrong (libpng skips it)", true, [](HandMadePng& p) { p.badAdler = true; });
    add("bad CRC in the fourth IDAT", false, [](HandMadePng& p) { p.badCrcPiece = 3; });
    add("text after the pixels", true, [](HandMadePng& p) { p.tail = {{"tEXt", Bytes{'a', 0, 'b'}}}; });
    // libpng passes over it with a warning; the whole-buffer path leaves it to libpng.
    add("IDAT after another chunk", true,
        [](HandMadePng& p) { p.tail = {{"tEXt", Bytes{'a', 0, 'b'}}, {"IDAT", Bytes{1, 2, 3}}}; });
    add("unknown ancillary chunk", true, [](HandMadePng& p) { p.tail = {{"zzZz", Bytes{1}}}; });
    add("unknown critical chunk", false, [](HandMadePng& p) { p.tail = {{"ZZZZ", Bytes{1}}}; });

    for (const Case& c : cases) {
        const Bytes file = c.png.bytes();
        const PngResult whole = decodePng(file);
        EXPECT_EQ(whole.ok(), c.ok) << c.name << ": " << whole.detail;
        for (const PngFit fit : {PngFit{20, 20}, PngFit{64, 47}, PngFit{1, 1}}) {
            const PngResult reduced = decodePng(file, fit);
            EXPECT_EQ(reduced.error, whole.error) << c.name;
            if (whole.ok() && reduced.ok()) {
                EXPECT_EQ(reduced.image.rgba, reduceToFit(whole.image, fit).rgba) << c.name;
            }
        }
    }
}

TEST(PngImage, ALargePictureIsReducedWhileDecodedAsTheWholePictureWouldBe) {
    // Row by row while decoding against the whole picture reduced afterwards.
    const RgbaImage big = patternImage(1203, 761);
    const PngResult reduced = decodePng(encodePng(big), {500, 500});
    ASSERT_TRUE(reduced.ok()) << reduced.detail;
    EXPECT_EQ(reduced.image.width, 500);
    EXPECT_EQ(reduced.image.height, 500);
    EXPECT_EQ(reduced.image.rgba, reduceToFit(big, {500, 500}).rgba);
    // A dimension within the limit is kept.
    const PngResult wide = decodePng(encodePng(patternImage(900, 300)), {500, 500});
    EXPECT_EQ(wide.image.width, 500);
    EXPECT_EQ(wide.image.height, 300);
    EXPECT_EQ(decodePng(encodePng(patternImage(40, 30)), {500, 500}).image.rgba, patternImage(40, 30).rgba);

    // Area average weighted by alpha: a transparent pixel lends no colour.
    const RgbaImage four{4, 2, {10, 20, 30, 255, 30, 40, 50, 255, 0, 0, 0, 0, 200, 100, 50, 255,
                                10, 20, 30, 255, 30, 40, 50, 255, 0, 0, 0, 0, 200, 100, 50, 255}};
    const RgbaImage two = reduceToFit(four, {2, 1});
    EXPECT_EQ(two.rgba, (std::vector<uint8_t>{20, 30, 40, 255, 200, 100, 50, 128}));
    EXPECT_EQ(decodePng(encodePng(four), {2, 1}).image.rgba, two.rgba);
}

// Each source pixel added straight to the reduced pixel its scaled position
// falls on, colour weighted by alpha, rounded at the end.
RgbaImage reducedByDefinition(const RgbaImage& in, int outWidth, int outHeight) {
    std::vector<uint64_t> sums(std::size_t(outWidth) * outHeight * 5);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            const uint8_t* p = &in.rgba[(std::size_t(y) * in.width + x) * 4];
            uint64_t* s = &sums[(std::size_t(y * outHeight / in.height) * outWidth + x * outWidth / in.width) * 5];
            for (int k = 0; k < 3; ++k) s[k] += uint64_t(p[k]) * p[3];
            s[3] += p[3], s[4] += 1;
        }
    RgbaImage out{outWidth, outHeight, std::vector<uint8_t>(std::size_t(outWidth) * outHeight * 4)};
    for (std::size_t i = 0; i < std::size_t(outWidth) * outHeight; ++i) {
        const uint64_t* s = &sums[i * 5];
        for (int k = 0; k < 3; ++k) out.rgba[i * 4 + k] = s[3] ? uint8_t((s[k] + s[3] / 2) / s[3]) : 0;
        out.rgba[i * 4 + 3] = uint8_t((s[3] + s[4] / 2) / s[4]);
    }
    return out;
}

TEST(PngImage, EachEightBitLayoutIsReducedAsItsWholeDecodedPictureWould) {
    // Grey, grey with alpha, RGB, RGBA and palettes (with and without
    // transparency) are reduced from libpng's own rows; the whole picture,
    // decoded through libpng's transforms to RGBA and reduced afterwards, is
    // the independent model.
    constexpr int w = 301, h = 203;
    std::vector<uint8_t> rgba(std::size_t(w) * h * 4), indices(std::size_t(w) * h);
    uint8_t colours[256 * 4];
    for (int i = 0; i < 256; ++i) {
        colours[i * 4 + 0] = uint8_t(i * 37), colours[i * 4 + 1] = uint8_t(255 - i);
        colours[i * 4 + 2] = uint8_t(i * i), colours[i * 4 + 3] = uint8_t(i % 5 == 0 ? 0 : i % 3 == 0 ? 255 : i * 11);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = std::size_t(y) * w + x;
            for (int k = 0; k < 4; ++k) rgba[i * 4 + k] = uint8_t(x * (k + 3) + y * (7 - k) + (x ^ y) * k);
            indices[i] = uint8_t((x / 3 + y * 7) % 256);
        }
    const png_uint_32 formats[] = {PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB, PNG_FORMAT_RGBA,
                                   PNG_FORMAT_RGB_COLORMAP, PNG_FORMAT_RGBA_COLORMAP};
    for (const png_uint_32 format : formats) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = w;
        image.height = h;
        image.format = format;
        const bool mapped = (format & PNG_FORMAT_FLAG_COLORMAP) != 0;
        image.colormap_entries = mapped ? 256 : 0;
        // The simplified writer reads the first channels of each pixel it needs.
        std::vector<uint8_t> pixels(mapped ? indices : std::vector<uint8_t>());
        if (!mapped) {
            const int channels = int(PNG_IMAGE_SAMPLE_CHANNELS(format));
            pixels.resize(std::size_t(w) * h * channels);
            for (std::size_t i = 0; i < std::size_t(w) * h; ++i)
                for (int k = 0; k < channels; ++k) pixels[i * channels + k] = rgba[i * 4 + k];
        }
        png_alloc_size_t size = 0;
        ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, mapped ? colours : nullptr));
        Bytes file(size);
        ASSERT_TRUE(png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0, mapped ? colours : nullptr));
        file.resize(size);

        const PngResult whole = decodePng(file);
        ASSERT_TRUE(whole.ok()) << format << ": " << whole.detail;
        for (const PngFit fit : {PngFit{100, 70}, PngFit{100, 0}, PngFit{0, 70}, PngFit{1, 1}}) {
            const PngResult reduced = decodePng(file, fit);
            ASSERT_TRUE(reduced.ok()) << format << ": " << reduced.detail;
            const RgbaImage model = reduceToFit(whole.image, fit);
            EXPECT_EQ(reduced.image.width, model.width) << format;
            EXPECT_EQ(reduced.image.height, model.height) << format;
            EXPECT_EQ(reduced.image.rgba, model.rgba) << format << " into " << fit.width << " × " << fit.height;
        }
        EXPECT_EQ(reduceToFit(whole.image, {100, 70}).rgba, reducedByDefinition(whole.image, 100, 70).rgba) << format;
    }
}

TEST(BmpFile, GoldenBytesOfASmallAndThePlanSizedBitmap) {
    // 2 × 2: rows bottom-up, blue-green-red, each row padded from 6 to 8 bytes.
    const RgbaImage small{2, 2, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}};
    const Bytes expected = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                    // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,  // info header
        16, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        9, 8, 7, 12, 11, 10, 0, 0,  // the lower row first
        3, 2, 1, 6, 5, 4, 0, 0,
    };
    EXPECT_EQ(encodeBmp(small), expected);

    const RgbaImage plan = patternImage(500, 500);
    const Bytes bmp = encodeBmp(plan);
    ASSERT_EQ(bmp.size(), 54u + 500u * 500u * 3u);
    EXPECT_EQ(Bytes(bmp.begin() + 2, bmp.begin() + 6), (Bytes{0xE6, 0x71, 0x0B, 0x00}));   // 750054
    EXPECT_EQ(Bytes(bmp.begin() + 18, bmp.begin() + 26), (Bytes{0xF4, 1, 0, 0, 0xF4, 1, 0, 0}));
    const uint8_t* bottomLeft = &plan.rgba[std::size_t(499) * 500 * 4];
    EXPECT_EQ(bmp[54], bottomLeft[2]);
    EXPECT_EQ(bmp[55], bottomLeft[1]);
    EXPECT_EQ(bmp[56], bottomLeft[0]);
    // A buffer that does not match its size gives no pixels, not a wild read.
    EXPECT_EQ(encodeBmp(RgbaImage{500, 500, {1, 2, 3}}).size(), BmpHeaderSize);
}

// Refuses the rename that would put the new file in place.
class NoRenameFileSystem : public FileSystem {
public:
    std::unique_ptr<WriteStream> create(const std::filesystem::path& p) override { return realFileSystem().create(p); }
    bool rename(const std::filesystem::path&, const std::filesystem::path&) override { return false; }
    void remove(const std::filesystem::path& p) override { realFileSystem().remove(p); }
};

TEST(BmpFile, WritesAtomicallyAndAFailureKeepsTheOldFile) {
    test::TempDir dir;
    const RgbaImage plan = patternImage(500, 500);
    ASSERT_TRUE(writeBmpFile(dir / "plan.bmp", plan));
    EXPECT_EQ(test::readBytes(dir / "plan.bmp"), encodeBmp(plan));

    NoRenameFileSystem failing;
    EXPECT_FALSE(writeBmpFile(dir / "plan.bmp", patternImage(10, 10), failing));
    EXPECT_EQ(test::readBytes(dir / "plan.bmp"), encodeBmp(plan));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(writeBmpFile(dir / "empty.bmp", RgbaImage{}));
}

}  // namespace
}  // namespace livra
