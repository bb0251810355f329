#pragma once
// PNG plan pictures. A plan picture is named by the plan file, which travels
// inside project files from other computers, so decoding is bounded: a cap on
// the file size and on the declared dimensions, libpng's own checks (CRCs,
// compressed data) turned into error values, never a crash.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace livra {

constexpr int MaxPngSide = 8192;
constexpr std::uintmax_t MaxPngFileBytes = 64u * 1024u * 1024u;

// Pixels row by row, four bytes each: red, green, blue, alpha.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    bool empty() const { return width <= 0 || height <= 0; }
};

enum class PngError {
    None,
    CannotRead,  // missing or unreadable file
    TooBig,      // the file is larger than MaxPngFileBytes
    NotPng,      // no PNG signature
    BadSize,     // zero or above MaxPngSide in either dimension
    Damaged,     // libpng refused the data: bad CRC, truncated, corrupt stream
};

struct PngResult {
    RgbaImage image;             // empty unless error is None
    PngError error = PngError::None;
    std::string detail;          // libpng's message when it refused the data

    bool ok() const { return error == PngError::None; }
};

// The user's text for a refused picture ("файл повреждён", …).
std::string pngErrorText(PngError error);

// The most pixels a caller will show; a larger picture is reduced while it
// is decoded (area average per channel, weighted by alpha), so a plan
// picture of 8192 × 8192 never needs its full size in memory. 0: no limit.
struct PngFit {
    int width = 0;
    int height = 0;
};

PngResult decodePng(std::span<const uint8_t> bytes, PngFit fit = {});
// Reads the file (refusing one above the size cap before reading it) and
// decodes it.
PngResult readPngFile(const std::filesystem::path& path, PngFit fit = {});

// Area-average reduction to at most `fit` in each dimension; a picture that
// already fits is returned as it is.
RgbaImage reduceToFit(const RgbaImage& image, PngFit fit);

}  // namespace livra
