// Plan pictures come named by plan files from other computers: any bytes
// must decode or be refused without a crash, and a decoded picture must be
// within the limits with a buffer that matches its size.
#include <cstdint>
#include <cstdlib>

#include "plan/png_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const livra::PngResult r = livra::decodePng(std::span<const uint8_t>(data, size));
    if (r.ok()) {
        const auto& img = r.image;
        if (img.width < 1 || img.height < 1 || img.width > livra::MaxPngSide || img.height > livra::MaxPngSide) std::abort();
        if (img.rgba.size() != std::size_t(img.width) * std::size_t(img.height) * 4) std::abort();
    } else if (!r.image.rgba.empty()) {
        std::abort();  // a refusal carries no half picture
    }
    // The same bytes reduced while decoded, as a plan surface loads them.
    const livra::PngResult small = livra::decodePng(std::span<const uint8_t>(data, size), {16, 16});
    if (small.ok() != r.ok()) std::abort();
    if (small.ok() && (small.image.width > 16 || small.image.height > 16 ||
                       small.image.rgba.size() != std::size_t(small.image.width) * std::size_t(small.image.height) * 4))
        std::abort();
    return 0;
}
