// The decoder takes part files read from a controller. Input layout: byte 0
// chooses how the rest is split into the ten parts:
//   even: parts 1..7, 9 and 10 take their own sizes in turn (the last ones
//         short when the input ends), part 8 gets everything after them;
//   odd:  each part in turn is a 16-bit little-endian length and that many
//         bytes (cut at the end of the input), so sizes can be anything.
// A decoded configuration must survive the validator and compile back into
// an image that decodes again to the same directions and calendar.
#include <cstdint>
#include <cstdlib>

#include "check/validator.h"
#include "image/image.h"

using namespace livra;

namespace {

ImageFiles split(const uint8_t* data, std::size_t size) {
    ImageFiles image;
    std::size_t at = 1;
    auto take = [&](std::size_t n) {
        n = std::min(n, size - at);
        Bytes out(data + at, data + at + n);
        at += n;
        return out;
    };
    if (data[0] % 2 == 0) {
        for (const auto& part : imageParts())
            if (part.size >= 0) image[std::size_t(part.number - 1)] = take(std::size_t(part.size));
        image[PartPrograms - 1] = take(size - at);
    } else {
        for (std::size_t i = 0; i < image.size(); ++i) {
            const auto length = take(2);
            image[i] = take(length.size() == 2 ? std::size_t(length[0] | length[1] << 8) : 0);
        }
    }
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto decoded = decodeImage(split(data, size));
    if (!decoded) return 0;
    VectorErrorList list;
    validateConfiguration(*decoded, list);
    const auto again = decodeImage(encodeImage(*decoded));
    if (!again || again->DirectionKind != decoded->DirectionKind || again->Calendar != decoded->Calendar ||
        again->DirectionChannels != decoded->DirectionChannels || again->ChannelCount != decoded->ChannelCount)
        std::abort();
    return 0;
}
