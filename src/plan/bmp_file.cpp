#include "plan/bmp_file.h"

#include "model/little_endian.h"

namespace livra {
namespace {

constexpr uint32_t PixelsPerMetre = 3780;  // 96 dots per inch

}  // namespace

Bytes encodeBmp(const RgbaImage& image) {
    // A buffer that does not match its dimensions gives an empty bitmap
    // rather than a read past its end.
    const bool sound = !image.empty() && image.rgba.size() == std::size_t(image.width) * std::size_t(image.height) * 4;
    const std::size_t width = sound ? std::size_t(image.width) : 0;
    const std::size_t height = sound ? std::size_t(image.height) : 0;
    const std::size_t rowBytes = (width * 3 + 3) / 4 * 4;
    const std::size_t pixelBytes = rowBytes * height;
    Bytes out;
    out.reserve(BmpHeaderSize + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    putLe32(out, uint32_t(BmpHeaderSize + pixelBytes));
    putLe32(out, 0);  // two reserved words
    putLe32(out, uint32_t(BmpHeaderSize));
    putLe32(out, 40);
    putLe32(out, uint32_t(width));
    putLe32(out, uint32_t(height));  // positive: the last row comes first
    putLe16(out, 1);                 // planes
    putLe16(out, 24);                // bits per pixel
    putLe32(out, 0);                 // no compression
    putLe32(out, uint32_t(pixelBytes));
    putLe32(out, PixelsPerMetre);
    putLe32(out, PixelsPerMetre);
    putLe32(out, 0);  // colours used
    putLe32(out, 0);  // important colours
    for (std::size_t y = height; y-- > 0;) {
        const uint8_t* p = image.rgba.data() + y * width * 4;
        for (std::size_t x = 0; x < width; ++x, p += 4) {
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        out.insert(out.end(), rowBytes - width * 3, 0);
    }
    return out;
}

bool writeBmpFile(const std::filesystem::path& path, const RgbaImage& image, FileSystem& fs) {
    if (image.empty() || image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4) return false;
    const Bytes bytes = encodeBmp(image);
    return writeFileAtomically(path, bytes, fs);
}

}  // namespace livra
