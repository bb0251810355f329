#include "plan/png_image.h"

#include <png.h>

#include <csetjmp>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>

#ifdef LIVRA_HAVE_LIBDEFLATE
#include <libdeflate.h>
#include <zlib.h>

#include <thread>
#endif

#include "model/files.h"
#include "platform/platform.h"

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
                int* interlaced, RowFormat* format, uint32_t* palette, bool* direct) {
    if (setjmp(png_jmpbuf(png))) return false;
    *direct = false;
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
        *direct = true;
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

#ifdef LIVRA_HAVE_LIBDEFLATE
// --- The whole-buffer path ---
//
// zlib inflates long runs of a repeated pixel (what drawn plans are made of)
// a byte at a time; libdeflate does the same data some twenty times faster,
// but only a whole buffer at a time. So a picture whose pixel data is not too
// large for memory is inflated whole, unfiltered here and reduced row by row.
// libpng has read and checked everything before the pixel data. This path
// checks every chunk's CRC and the stream's own checksum and takes only a
// file that libpng would take without a word: on anything else (a bad CRC, a
// stream too short or too long, an odd chunk after the pixels) it gives up
// and libpng decodes the file as before and gives its verdict.

// Pixel data up to 4096 × 4096 RGBA and the filter bytes.
constexpr std::size_t WholeInflateLimit = std::size_t(4096) * (4096 * 4 + 1);

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

bool chunkTypeValid(const uint8_t* t) {
    for (int i = 0; i < 4; ++i)
        if (!((t[i] >= 'A' && t[i] <= 'Z') || (t[i] >= 'a' && t[i] <= 'z'))) return false;
    return true;
}

// The chunks from the first IDAT to IEND, as libpng would accept them.
struct PixelChunks {
    std::vector<std::pair<std::size_t, std::size_t>> idat;  // data offset and length of each IDAT
    std::size_t idatBytes = 0;
    std::size_t iendEnd = 0;  // end of IEND's CRC
};

std::optional<PixelChunks> pixelChunks(std::span<const uint8_t> bytes, std::size_t firstIdat, std::size_t idatLimit) {
    PixelChunks chunks;
    std::size_t at = firstIdat;
    bool inIdat = true;
    while (true) {
        if (bytes.size() - at < 12) return std::nullopt;
        const uint32_t length = be32(&bytes[at]);
        const uint8_t* type = &bytes[at + 4];
        // libpng's limits: 2^31 − 1 for any length, the malloc limit for a
        // chunk other than IDAT.
        if (length > 0x7FFFFFFFu || !chunkTypeValid(type) || bytes.size() - at - 12 < length) return std::nullopt;
        const bool idat = std::memcmp(type, "IDAT", 4) == 0;
        if (idat) {
            if (!inIdat || length > idatLimit) return std::nullopt;
            chunks.idat.emplace_back(at + 8, length);
            chunks.idatBytes += length;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            if (length != 0) return std::nullopt;
            chunks.iendEnd = at + 12;
            return chunks;
        } else if ((type[0] & 0x20) == 0 || length > 8u * 1024u * 1024u) {
            return std::nullopt;  // a critical chunk out of place, or one libpng refuses for size
        } else {
            inIdat = false;
        }
        at += 12 + std::size_t(length);
    }
}

// Every critical chunk's CRC from the first IDAT on (ancillary ones libpng
// only warns about).
bool criticalCrcsGood(std::span<const uint8_t> bytes, std::size_t firstIdat, std::size_t end) {
    for (std::size_t at = firstIdat; at < end;) {
        const uint32_t length = be32(&bytes[at]);
        if ((bytes[at + 4] & 0x20) == 0) {
            uLong crc = crc32(0L, Z_NULL, 0);
            crc = crc32_z(crc, &bytes[at + 4], std::size_t(length) + 4);
            if (crc != be32(&bytes[at + 8 + length])) return false;
        }
        at += 12 + std::size_t(length);
    }
    return true;
}

uint8_t paeth(uint8_t a, uint8_t b, uint8_t c) {
    const int pa = std::abs(int(b) - int(c));
    const int pb = std::abs(int(a) - int(c));
    const int pc = std::abs(int(a) + int(b) - 2 * int(c));
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes a row's filter in place; `prior` is the row above (zeros for the
// first). False for a filter type that does not exist.
template <int Bpp>
bool unfilterAs(uint8_t filter, uint8_t* row, const uint8_t* prior, std::size_t n) {
    switch (filter) {
    case 0: return true;
    case 1:
        for (std::size_t i = Bpp; i < n; ++i) row[i] = uint8_t(row[i] + row[i - Bpp]);
        return true;
    case 2:
        for (std::size_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + prior[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < Bpp && i < n; ++i) row[i] = uint8_t(row[i] + prior[i] / 2);
        for (std::size_t i = Bpp; i < n; ++i) row[i] = uint8_t(row[i] + ((unsigned(row[i - Bpp]) + prior[i]) >> 1));
        return true;
    case 4:
        for (std::size_t i = 0; i < Bpp && i < n; ++i) row[i] = uint8_t(row[i] + prior[i]);
        for (std::size_t i = Bpp; i < n; i += Bpp)
            for (int k = 0; k < Bpp; ++k)
                row[i + k] = uint8_t(row[i + k] + paeth(row[i + k - Bpp], prior[i + k], prior[i + k - Bpp]));
        return true;
    default: return false;
    }
}

using Unfilter = bool (*)(uint8_t, uint8_t*, const uint8_t*, std::size_t);

Unfilter unfilterFor(int channels) {
    switch (channels) {
    case 1: return unfilterAs<1>;
    case 2: return unfilterAs<2>;
    case 3: return unfilterAs<3>;
    default: return unfilterAs<4>;
    }
}

int channelsOf(RowFormat format) {
    switch (format) {
    case RowFormat::Rgb: return 3;
    case RowFormat::Grey:
    case RowFormat::Palette: return 1;
    case RowFormat::GreyAlpha: return 2;
    case RowFormat::Rgba: break;
    }
    return 4;
}

std::optional<RgbaImage> decodeWholeReduced(std::span<const uint8_t> bytes, std::size_t firstIdat, png_uint_32 width,
                                            png_uint_32 height, RowFormat format, const uint32_t* palette,
                                            int outWidth, int outHeight) {
    const int channels = channelsOf(format);
    const std::size_t rowBytes = std::size_t(width) * channels;
    const std::size_t rawSize = std::size_t(height) * (rowBytes + 1);
    if (rawSize > WholeInflateLimit) return std::nullopt;
    // libpng's bound for an IDAT chunk: the pixel data with deflate's overhead.
    std::size_t rowFactor = rowBytes + 1;
    std::size_t idatLimit = std::size_t(height) * rowFactor;
    rowFactor = std::min<std::size_t>(rowFactor, 32566);
    idatLimit += 6 + 5 * (idatLimit / rowFactor + 1);
    idatLimit = std::max<std::size_t>(std::min<std::size_t>(idatLimit, 0x7FFFFFFFu), 8u * 1024u * 1024u);
    const auto chunks = pixelChunks(bytes, firstIdat, idatLimit);
    // A 32 KB window (what every encoder writes): zlib and libdeflate then
    // agree on every stream.
    if (!chunks || chunks->idatBytes < 2 || (bytes[chunks->idat[0].first] >> 4) != 7) return std::nullopt;

    // The CRCs on another core while this one inflates.
    bool crcsGood = false;
    std::thread crcWorker;
    try {
        crcWorker = std::thread([&] { crcsGood = criticalCrcsGood(bytes, firstIdat, chunks->iendEnd); });
    } catch (const std::system_error&) {
        crcsGood = criticalCrcsGood(bytes, firstIdat, chunks->iendEnd);
    }
    struct Joiner {
        std::thread& t;
        ~Joiner() {
            if (t.joinable()) t.join();
        }
    } joiner{crcWorker};

    // The stream is split over the IDAT chunks; libdeflate wants it whole.
    std::optional<platform::ScratchBuffer> stream;
    std::span<const uint8_t> in;
    if (chunks->idat.size() == 1) {
        in = bytes.subspan(chunks->idat[0].first, chunks->idat[0].second);
    } else {
        stream.emplace(chunks->idatBytes);
        if (!stream->data()) return std::nullopt;
        std::size_t at = 0;
        for (const auto& [offset, length] : chunks->idat) {
            std::memcpy(stream->data() + at, bytes.data() + offset, length);
            at += length;
        }
        in = std::span<const uint8_t>(stream->data(), chunks->idatBytes);
    }
    // Not zeroed: libdeflate writes every byte or the path gives up.
    const platform::ScratchBuffer raw(rawSize);
    if (!raw.data()) return std::nullopt;
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    if (!inflater) return std::nullopt;
    std::size_t inUsed = 0, outMade = 0;
    const auto status =
        libdeflate_zlib_decompress_ex(inflater, in.data(), in.size(), raw.data(), rawSize, &inUsed, &outMade);
    libdeflate_free_decompressor(inflater);
    if (status != LIBDEFLATE_SUCCESS || inUsed != in.size() || outMade != rawSize) return std::nullopt;

    RgbaImage image{outWidth, outHeight, std::vector<uint8_t>(std::size_t(outWidth) * outHeight * 4)};
    const std::vector<int> spanEnd = spanEnds(int(width), outWidth);
    std::vector<uint64_t> sums(std::size_t(outWidth) * SumFields);
    const std::vector<uint8_t> zeros(rowBytes);
    const Unfilter unfilter = unfilterFor(channels);
    const AddRow addRow = addRowFor(format);
    const uint8_t* prior = zeros.data();
    for (png_uint_32 y = 0; y < height; ++y) {
        uint8_t* line = raw.data() + std::size_t(y) * (rowBytes + 1);
        if (!unfilter(line[0], line + 1, prior, rowBytes)) return std::nullopt;
        addRow(line + 1, spanEnd.data(), outWidth, sums.data(), palette);
        prior = line + 1;
        const uint64_t target = uint64_t(y) * uint64_t(outHeight) / height;
        if (y + 1 == height || uint64_t(y + 1) * uint64_t(outHeight) / height != target) {
            flushRow(sums.data(), image.rgba.data() + target * std::size_t(outWidth) * 4, outWidth);
            std::fill(sums.begin(), sums.end(), 0);
        }
    }
    if (crcWorker.joinable()) crcWorker.join();
    if (!crcsGood) return std::nullopt;
    return image;
}
#endif

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

namespace {

// Whether every chunk up to IEND lies within the bytes. libpng takes a
// chunk's declared length at its word and may allocate that much before it
// finds the data short: a picture of a kilobyte claiming a text chunk of a
// gigabyte after its pixels cost the gigabyte and seconds. A chunk longer than
// what is left of the file is damage whatever its kind; with this, no chunk
// costs more than the file's own size.
bool chunksWithinBytes(std::span<const uint8_t> bytes) {
    std::size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const uint32_t length = uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
                                uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length > 0x7FFFFFFFu || std::uint64_t(length) + 12 > bytes.size() - at) return false;
        if (std::memcmp(bytes.data() + at + 4, "IEND", 4) == 0) return true;
        at += std::size_t(length) + 12;
    }
    return true;  // no IEND: libpng gives the verdict
}

}  // namespace

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
    if (!chunksWithinBytes(bytes)) {
        result.error = PngError::Damaged;
        return result;
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
    bool direct = false;  // rows come in one of the 8-bit layouts, untransformed
    if (!readHeader(png, info, fit, &width, &height, &interlaced, &format, palette, &direct)) {
        result.error = PngError::Damaged;
        result.detail = state.message;
    } else if (width == 0 || height == 0 || width > png_uint_32(MaxPngSide) || height > png_uint_32(MaxPngSide)) {
        result.error = PngError::BadSize;
    } else if (!interlaced && (fitted(width, fit.width) < int(width) || fitted(height, fit.height) < int(height))) {
        RgbaImage image;
        image.width = fitted(width, fit.width);
        image.height = fitted(height, fit.height);
#ifdef LIVRA_HAVE_LIBDEFLATE
        // libpng stops before the first IDAT's data, its length and type read.
        std::optional<RgbaImage> whole;
        if (direct && state.at >= 8 && std::memcmp(bytes.data() + state.at - 4, "IDAT", 4) == 0)
            whole = decodeWholeReduced(bytes, state.at - 8, width, height, format, palette, image.width, image.height);
        if (whole) {
            result.image = std::move(*whole);
            png_destroy_read_struct(&png, &info, nullptr);
            return result;
        }
#endif
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
