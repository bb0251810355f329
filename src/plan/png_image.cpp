#include "plan/png_image.h"

#include <png.h>

#include <csetjmp>
#include <algorithm>
#include <cstring>
#include <system_error>

#include "model/files.h"

namespace livra {
namespace {

// Everything libpng's callbacks touch; plain data, because libpng leaves its
// errors by longjmp and no C++ object may be skipped on the way out.
struct ReadState {
    const uint8_t* data;
    std::size_t size;
    std::size_t at;
    char message[200];
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* s = static_cast<ReadState*>(png_get_io_ptr(png));
    if (length > s->size - s->at) png_error(png, "unexpected end of file");
    std::memcpy(out, s->data + s->at, length);
    s->at += length;
}

void onError(png_structp png, png_const_charp message) {
    auto* s = static_cast<ReadState*>(png_get_error_ptr(png));
    std::strncpy(s->message, message ? message : "", sizeof s->message - 1);
    s->message[sizeof s->message - 1] = '\0';
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// The header: dimensions and the transforms to 8-bit RGBA. Returns false when
// libpng refused the data. Only trivially destructible locals live here.
bool readHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height, int* interlaced) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, width, height, &depth, &colour, &interlace, nullptr, nullptr);
    *interlaced = interlace != PNG_INTERLACE_NONE;
    if (*width == 0 || *height == 0 || *width > png_uint_32(MaxPngSide) || *height > png_uint_32(MaxPngSide))
        return true;  // the caller refuses the size before anything is allocated
    png_set_expand(png);  // palette → RGB, low grey depths → 8 bits, tRNS → alpha
    png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == png_size_t(*width) * 4;
}

bool readPixels(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, info);  // the CRCs of the chunks after the pixels
    return true;
}

// Sums of one row of the reduced picture: red, green and blue weighted by
// alpha, alpha, and the number of source pixels.
constexpr int SumFields = 5;

void flushRow(const uint64_t* sums, uint8_t* out, int outWidth) {
    for (int x = 0; x < outWidth; ++x, sums += SumFields, out += 4) {
        const uint64_t alpha = sums[3], count = sums[4];
        for (int k = 0; k < 3; ++k) out[k] = alpha ? uint8_t((sums[k] + alpha / 2) / alpha) : 0;
        out[3] = count ? uint8_t((alpha + count / 2) / count) : 0;
    }
}

void addRow(const uint8_t* row, int width, const int* column, uint64_t* sums) {
    for (int x = 0; x < width; ++x, row += 4) {
        uint64_t* s = sums + std::size_t(column[x]) * SumFields;
        const uint32_t a = row[3];
        s[0] += uint32_t(row[0]) * a;
        s[1] += uint32_t(row[1]) * a;
        s[2] += uint32_t(row[2]) * a;
        s[3] += a;
        s[4] += 1;
    }
}

// Rows one at a time into the reduced picture: only one source row is ever
// held. Plain pointers only, for the same reason as above.
bool readRowsReduced(png_structp png, png_infop info, uint8_t* row, const int* column, uint64_t* sums,
                     uint8_t* out, png_uint_32 width, png_uint_32 height, int outWidth, int outHeight) {
    if (setjmp(png_jmpbuf(png))) return false;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, row, nullptr);
        addRow(row, int(width), column, sums);
        const uint64_t target = uint64_t(y) * uint64_t(outHeight) / height;
        const bool last = y + 1 == height || uint64_t(y + 1) * uint64_t(outHeight) / height != target;
        if (last) {
            flushRow(sums, out + target * std::size_t(outWidth) * 4, outWidth);
            std::memset(sums, 0, std::size_t(outWidth) * SumFields * sizeof(uint64_t));
        }
    }
    png_read_end(png, info);
    return true;
}

int fitted(png_uint_32 size, int limit) { return limit > 0 && size > png_uint_32(limit) ? limit : int(size); }

std::vector<int> columnMap(int width, int outWidth) {
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) column[std::size_t(x)] = int(int64_t(x) * outWidth / width);
    return column;
}

}  // namespace

RgbaImage reduceToFit(const RgbaImage& image, PngFit fit) {
    if (image.empty()) return image;
    const int outWidth = fitted(png_uint_32(image.width), fit.width);
    const int outHeight = fitted(png_uint_32(image.height), fit.height);
    if (outWidth == image.width && outHeight == image.height) return image;
    RgbaImage out{outWidth, outHeight, std::vector<uint8_t>(std::size_t(outWidth) * outHeight * 4)};
    const std::vector<int> column = columnMap(image.width, outWidth);
    std::vector<uint64_t> sums(std::size_t(outWidth) * SumFields);
    for (int y = 0; y < image.height; ++y) {
        addRow(image.rgba.data() + std::size_t(y) * image.width * 4, image.width, column.data(), sums.data());
        const int64_t target = int64_t(y) * outHeight / image.height;
        if (y + 1 == image.height || int64_t(y + 1) * outHeight / image.height != target) {
            flushRow(sums.data(), out.rgba.data() + std::size_t(target) * outWidth * 4, outWidth);
            std::fill(sums.begin(), sums.end(), 0);
        }
    }
    return out;
}

std::string pngErrorText(PngError error) {
    switch (error) {
    case PngError::None: return {};
    case PngError::CannotRead: return "Файл не удалось прочитать.";
    case PngError::TooBig: return "Файл слишком велик.";
    case PngError::NotPng: return "Файл не является рисунком PNG.";
    case PngError::BadSize: return "Размер рисунка больше 8192 × 8192 точек или равен нулю.";
    case PngError::Damaged: return "Файл PNG повреждён.";
    }
    return {};
}

PngResult decodePng(std::span<const uint8_t> bytes, PngFit fit) {
    PngResult result;
    if (bytes.size() > MaxPngFileBytes) {
        result.error = PngError::TooBig;
        return result;
    }
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
        result.error = PngError::NotPng;
        return result;
    }
    // The declared size is refused before libpng sees the data: IHDR is
    // always the first chunk, right after the signature.
    if (bytes.size() >= 24 && std::memcmp(bytes.data() + 12, "IHDR", 4) == 0) {
        auto be32 = [&](std::size_t at) {
            return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
        };
        const uint32_t w = be32(16), h = be32(20);
        if (w == 0 || h == 0 || w > uint32_t(MaxPngSide) || h > uint32_t(MaxPngSide)) {
            result.error = PngError::BadSize;
            return result;
        }
    }
    ReadState state{bytes.data(), bytes.size(), 0, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(png ? &png : nullptr, nullptr, nullptr);
        result.error = PngError::Damaged;
        return result;
    }
    png_set_read_fn(png, &state, readFromMemory);
    // Ancillary chunks (text, profiles) cannot make us allocate without bound.
    png_set_chunk_malloc_max(png, 8u * 1024u * 1024u);
    png_set_user_limits(png, MaxPngSide, MaxPngSide);
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_IGNORE_ADLER32)
    // Every chunk's CRC is still checked, so a damaged file is still refused;
    // the stream's own checksum over every pixel byte only costs time.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif

    png_uint_32 width = 0, height = 0;
    int interlaced = 0;
    if (!readHeader(png, info, &width, &height, &interlaced)) {
        result.error = PngError::Damaged;
        result.detail = state.message;
    } else if (width == 0 || height == 0 || width > png_uint_32(MaxPngSide) || height > png_uint_32(MaxPngSide)) {
        result.error = PngError::BadSize;
    } else if (!interlaced && (fitted(width, fit.width) < int(width) || fitted(height, fit.height) < int(height))) {
        RgbaImage image;
        image.width = fitted(width, fit.width);
        image.height = fitted(height, fit.height);
        image.rgba.resize(std::size_t(image.width) * image.height * 4);
        std::vector<uint8_t> row(std::size_t(width) * 4);
        const std::vector<int> column = columnMap(int(width), image.width);
        std::vector<uint64_t> sums(std::size_t(image.width) * SumFields);
        if (readRowsReduced(png, info, row.data(), column.data(), sums.data(), image.rgba.data(), width, height,
                            image.width, image.height)) {
            result.image = std::move(image);
        } else {
            result.error = PngError::Damaged;
            result.detail = state.message;
        }
    } else {
        RgbaImage image;
        image.width = int(width);
        image.height = int(height);
        image.rgba.resize(std::size_t(width) * height * 4);
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.rgba.data() + std::size_t(y) * width * 4;
        if (readPixels(png, info, rows.data())) {
            // An interlaced picture comes whole; it is reduced afterwards.
            if (fitted(width, fit.width) < int(width) || fitted(height, fit.height) < int(height))
                result.image = reduceToFit(image, fit);
            else
                result.image = std::move(image);
        } else {
            result.error = PngError::Damaged;
            result.detail = state.message;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

PngResult readPngFile(const std::filesystem::path& path, PngFit fit) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return {{}, PngError::CannotRead, {}};
    if (size > MaxPngFileBytes) return {{}, PngError::TooBig, {}};
    const auto bytes = readWholeFile(path);
    if (!bytes) return {{}, PngError::CannotRead, {}};
    return decodePng(*bytes, fit);
}

}  // namespace livra
