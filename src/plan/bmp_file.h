#pragma once
// Plan screenshots as Windows bitmaps: 24 bits per pixel, rows bottom-up,
// each row padded to four bytes, no compression.
#include <filesystem>

#include "model/files.h"
#include "plan/png_image.h"

namespace livra {

constexpr std::size_t BmpHeaderSize = 54;  // file header 14 + info header 40

// The file's bytes; alpha is dropped (the plan surface is opaque).
Bytes encodeBmp(const RgbaImage& image);
// Writes atomically: a failure leaves any existing file as it was.
bool writeBmpFile(const std::filesystem::path& path, const RgbaImage& image, FileSystem& fs = realFileSystem());

}  // namespace livra
