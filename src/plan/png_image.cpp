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

// How the rows of a reduced picture arrive: libpng's own 8-bit layouts where
// the reduction reads them directly (libpng's per-row transforms cost more
// than the reduction itself), RGBA through libpng's transforms for the rare
// rest (16 bits, low bit depths, a transparent colour of grey or RGB).
enum class RowFormat { Rgba, Rgb, Grey, GreyAlpha, Palette };

int fitted(png_uint_32 size, int limit) { return limit > 0 && size > png_uint_32(limit) ? limit : int(size); }

// The header: dimensions and, unless a picture to be reduced comes in one of
// the layouts above, the transforms to 8-bit RGBA. A palette picture read
// directly gets `palette`: 256 entries of red, green and blue already
// weighted by alpha, then alpha. Returns false when libpng refused the data.
// Only trivially destructible locals live here.
bool readHeader(png_structp png, png_infop info, PngFit fit, png_uint_32* width, png_uint_32* height,
                int* interlaced, RowFormat* format, uint32_t* palette) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, width, height, &depth, &colour, &interlace, nullptr, nullptr);
    *interlaced = interlace != PNG_INTERLACE_NONE;
    *format = RowFormat::Rgba;
    if (*width == 0 || *height == 0 || *width > png_uint_32(MaxPngSide) || *height > png_uint_32(MaxPngSide))
        return true;  // the caller refuses the size before anything is allocated
    const bool transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool reducing = fitted(*width, fit.width) < int(*width) || fitted(*height, fit.height) < int(*height);
    if (reducing && !*interlaced && depth == 8 && (colour == PNG_COLOR_TYPE_PALETTE || !transparentColour)) {
        int channels = 4;
        switch (colour) {
        case PNG_COLOR_TYPE_RGB_ALPHA: break;
        case PNG_COLOR_TYPE_RGB: *format = RowFormat::Rgb, channels = 3; break;
        case PNG_COLOR_TYPE_GRAY: *format = RowFormat::Grey, channels = 1; break;
        case PNG_COLOR_TYPE_GRAY_ALPHA: *format = RowFormat::GreyAlpha, channels = 2; break;
        default: *format = RowFormat::Palette, channels = 1; break;
        }
        if (*format == RowFormat::Palette) {
            // As libpng expands it: an index past the palette is black, one
            // past the transparency list opaque.
            png_colorp colours = nullptr;
            int colourCount = 0, alphaCount = 0;
            png_bytep alphas = nullptr;
            png_get_PLTE(png, info, &colours, &colourCount);
            if (transparentColour) png_get_tRNS(png, info, &alphas, &alphaCount, nullptr);
            for (int i = 0; i < 256; ++i) {
                const uint32_t a = i < alphaCount && alphas ? alphas[i] : 255;
                const bool known = i < colourCount && colours;
                palette[i * 4 + 0] = known ? colours[i].red * a : 0;
                palette[i * 4 + 1] = known ? colours[i].green * a : 0;
                palette[i * 4 + 2] = known ? colours[i].blue * a : 0;
                palette[i * 4 + 3] = a;
            }
        }
        png_read_update_info(png, info);
        return png_get_rowbytes(png, info) == png_size_t(*width) * png_size_t(channels);
    }
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

// One source row into the sums of its reduced row. Each reduced column adds
// its own span of source pixels in 32 bits first (at most 8192 pixels of
// 255 × 255 fit), so the inner loop has no lookup and no 64-bit arithmetic.
template <RowFormat F>
void addRowAs(const uint8_t* row, const int* spanEnd, int outWidth, uint64_t* sums, const uint32_t* palette) {
    constexpr std::size_t step = F == RowFormat::Rgba ? 4 : F == RowFormat::Rgb ? 3 : F == RowFormat::GreyAlpha ? 2 : 1;
    int x = 0;
    for (int c = 0; c < outWidth; ++c, sums += SumFields) {
        const int end = spanEnd[c];
        const uint32_t count = uint32_t(end - x);
        uint32_t r = 0, g = 0, b = 0, a = 0;
        const uint8_t* const stop = row + std::size_t(end) * step;
        for (const uint8_t* p = row + std::size_t(x) * step; p != stop; p += step) {
            if constexpr (F == RowFormat::Rgba) {
                const uint32_t w = p[3];
                r += p[0] * w, g += p[1] * w, b += p[2] * w, a += w;
            } else if constexpr (F == RowFormat::Rgb) {
                r += p[0], g += p[1], b += p[2];
            } else if constexpr (F == RowFormat::Grey) {
                r += p[0];
            } else if constexpr (F == RowFormat::GreyAlpha) {
                const uint32_t w = p[1];
                r += p[0] * w, a += w;
            } else {
                const uint32_t* e = palette + std::size_t(*p) * 4;
                r += e[0], g += e[1], b += e[2], a += e[3];
            }
        }
        x = end;
        if constexpr (F == RowFormat::Rgb || F == RowFormat::Grey) r *= 255, g *= 255, b *= 255, a = 255 * count;
        if constexpr (F == RowFormat::Grey || F == RowFormat::GreyAlpha) g = r, b = r;
        sums[0] += r, sums[1] += g, sums[2] += b, sums[3] += a, sums[4] += count;
    }
}

using AddRow = void (*)(const uint8_t*, const int*, int, uint64_t*, const uint32_t*);

AddRow addRowFor(RowFormat format) {
    switch (format) {
    case RowFormat::Rgba: break;
    case RowFormat::Rgb: return addRowAs<RowFormat::Rgb>;
    case RowFormat::Grey: return addRowAs<RowFormat::Grey>;
    case RowFormat::GreyAlpha: return addRowAs<RowFormat::GreyAlpha>;
    case RowFormat::Palette: return addRowAs<RowFormat::Palette>;
    }
    return addRowAs<RowFormat::Rgba>;
}

// Rows one at a time into the reduced picture: only one source row is ever
// held. Plain pointers only, for the same reason as above.
bool readRowsReduced(png_structp png, png_infop info, AddRow addRow, const uint32_t* palette, uint8_t* row,
                     const int* spanEnd, uint64_t* sums, uint8_t* out, png_uint_32 height, int outWidth,
                     int outHeight) {
    if (setjmp(png_jmpbuf(png))) return false;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, row, nullptr);
        addRow(row, spanEnd, outWidth, sums, palette);
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

// Where each reduced column's span of source columns ends: source column x
// belongs to reduced column x · outWidth / width.
std::vector<int> spanEnds(int width, int outWidth) {
    std::vector<int> end(static_cast<std::size_t>(outWidth), 0);
    for (int x = 0; x < width; ++x) end[std::size_t(int64_t(x) * outWidth / width)] = x + 1;
    return end;
}

}  // namespace

RgbaImage reduceToFit(const RgbaImage& image, PngFit fit) {
    if (image.empty()) return image;
    const int outWidth = fitted(png_uint_32(image.width), fit.width);
    const int outHeight = fitted(png_uint_32(image.height), fit.height);
    if (outWidth == image.width && outHeight == image.height) return image;
    RgbaImage out{outWidth, outHeight, std::vector<uint8_t>(std::size_t(outWidth) * outHeight * 4)};
    const std::vector<int> spanEnd = spanEnds(image.width, outWidth);
    std::vector<uint64_t> sums(std::size_t(outWidth) * SumFields);
    for (int y = 0; y < image.height; ++y) {
        addRowAs<RowFormat::Rgba>(image.rgba.data() + std::size_t(y) * image.width * 4, spanEnd.data(), outWidth,
                                  sums.data(), nullptr);
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
    RowFormat format = RowFormat::Rgba;
    uint32_t palette[256 * 4];
    if (!readHeader(png, info, fit, &width, &height, &interlaced, &format, palette)) {
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
        const std::vector<int> spanEnd = spanEnds(int(width), image.width);
        std::vector<uint64_t> sums(std::size_t(image.width) * SumFields);
        if (readRowsReduced(png, info, addRowFor(format), palette, row.data(), spanEnd.data(), sums.data(),
                            image.rgba.data(), height, image.width, image.height)) {
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
