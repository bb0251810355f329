#include "plan/png_image.h"

#include <png.h>

#include <csetjmp>
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
bool readHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, width, height, &depth, &colour, &interlace, nullptr, nullptr);
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

}  // namespace

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

PngResult decodePng(std::span<const uint8_t> bytes) {
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

    png_uint_32 width = 0, height = 0;
    if (!readHeader(png, info, &width, &height)) {
        result.error = PngError::Damaged;
        result.detail = state.message;
    } else if (width == 0 || height == 0 || width > png_uint_32(MaxPngSide) || height > png_uint_32(MaxPngSide)) {
        result.error = PngError::BadSize;
    } else {
        RgbaImage image;
        image.width = int(width);
        image.height = int(height);
        image.rgba.resize(std::size_t(width) * height * 4);
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.rgba.data() + std::size_t(y) * width * 4;
        if (readPixels(png, info, rows.data())) {
            result.image = std::move(image);
        } else {
            result.error = PngError::Damaged;
            result.detail = state.message;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

PngResult readPngFile(const std::filesystem::path& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return {{}, PngError::CannotRead, {}};
    if (size > MaxPngFileBytes) return {{}, PngError::TooBig, {}};
    const auto bytes = readWholeFile(path);
    if (!bytes) return {{}, PngError::CannotRead, {}};
    return decodePng(*bytes);
}

}  // namespace livra
