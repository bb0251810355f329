#pragma once
// PNG files for the tests: sound ones written with libpng, and the damaged
// kinds a plan file from elsewhere may name.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "model/files.h"
#include "plan/png_image.h"

namespace livra::test {

// A picture whose pixels differ from their neighbours, so that a shifted
// or half-decoded picture cannot pass for it.
inline RgbaImage patternImage(int width, int height) {
    RgbaImage img{width, height, std::vector<uint8_t>(std::size_t(width) * height * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &img.rgba[(std::size_t(y) * width + x) * 4];
            p[0] = uint8_t(x * 7 + y);
            p[1] = uint8_t(y * 5);
            p[2] = uint8_t((x ^ y) * 3);
            p[3] = 255;
        }
    return img;
}

inline Bytes encodePng(const RgbaImage& img) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(img.width);
    image.height = png_uint_32(img.height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, img.rgba.data(), 0, nullptr);
    Bytes out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, img.rgba.data(), 0, nullptr);
    out.resize(size);
    return out;
}

// Offset of a chunk's type field, or 0.
inline std::size_t chunkAt(const Bytes& png, const char* type) {
    const auto it = std::search(png.begin(), png.end(), type, type + 4);
    return it == png.end() ? 0 : std::size_t(it - png.begin());
}

inline uint32_t chunkLength(const Bytes& png, std::size_t typeAt) {
    return uint32_t(png[typeAt - 4]) << 24 | uint32_t(png[typeAt - 3]) << 16 | uint32_t(png[typeAt - 2]) << 8 |
           png[typeAt - 1];
}

inline Bytes withBadIdatCrc(Bytes png) {
    const std::size_t at = chunkAt(png, "IDAT");
    png[at + 4 + chunkLength(png, at)] ^= 0x5A;
    return png;
}

// Cut in the middle of the pixel data.
inline Bytes truncatedPng(Bytes png) {
    const std::size_t at = chunkAt(png, "IDAT");
    png.resize(at + 4 + chunkLength(png, at) / 2);
    return png;
}

// The header claims other dimensions, with a correct CRC.
inline Bytes withDeclaredSize(Bytes png, uint32_t width, uint32_t height) {
    const std::size_t at = chunkAt(png, "IHDR");
    for (int i = 0; i < 4; ++i) {
        png[at + 4 + i] = uint8_t(width >> (24 - 8 * i));
        png[at + 8 + i] = uint8_t(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, png.data() + at, 4 + 13);
    for (int i = 0; i < 4; ++i) png[at + 17 + i] = uint8_t(crc >> (24 - 8 * i));
    return png;
}

}  // namespace livra::test
