#include "app/image_transfer.h"

#include <algorithm>

#include "link/controller_records.h"

namespace livra {
namespace {

constexpr std::size_t kWriteBlock = kMaxRequestData;  // 41 image bytes a frame
constexpr std::size_t kReadBlock = 40;

}  // namespace

bool fetchBlocks(LinkSession& s, uint8_t command, uint32_t first, std::size_t count, std::size_t block, Bytes& out,
                 std::size_t& done, std::size_t total) {
    out.clear();
    out.reserve(count);
    while (out.size() < count) {
        const std::size_t want = std::min(block, count - out.size());
        const uint8_t zero[] = {0};
        if (s.request(command, int64_t(first + out.size()), zero, want) != ExchangeResult::Ok) return false;
        const auto& data = s.reply().data;
        out.insert(out.end(), data.begin(), data.begin() + std::ptrdiff_t(want));
        done += want;
        s.progress(done, total);
    }
    return true;
}

std::size_t imageBytes(const ImageFiles& image) {
    std::size_t total = 0;
    for (const auto& bytes : image) total += bytes.size();
    return total;
}

LinkOutcome fetchImage(LinkSession& s, ImageFiles& files) {
    // Fixed parts in the controller's order, then part 7, whose first
    // four bytes give the length of part 8.
    static constexpr int kOrder[] = {1, 2, 3, 4, 5, 6, 9, 10, 7};
    std::size_t fixed = 0, done = 0;
    for (int n : kOrder) fixed += std::size_t(imagePart(n).size);
    // Until part 7 tells the length of part 8, the total counts part 8 at
    // its largest; the real length can only be smaller, so the bar only
    // ever moves forward.
    const std::size_t largestPrograms = kExternalMemoryLimit - std::size_t(imagePart(PartHeader).size);
    std::size_t total = fixed + largestPrograms;
    s.progress(0, total);
    for (int n : kOrder) {
        const ImagePart& part = imagePart(n);
        if (!fetchBlocks(s, part.readCommand, part.firstPosition, std::size_t(part.size), kReadBlock,
                         files[std::size_t(n - 1)], done, total))
            return s.failure();
    }
    const Bytes& header = files[PartHeader - 1];
    const uint32_t length =
        uint32_t(header[0]) | uint32_t(header[1]) << 8 | uint32_t(header[2]) << 16 | uint32_t(header[3]) << 24;
    // The programs and the header share the external memory; a longer length
    // cannot be real.
    if (length > kExternalMemoryLimit - uint32_t(imagePart(PartHeader).size)) return LinkOutcome::Damaged;
    total = fixed + length;
    s.progress(done, total);
    const ImagePart& programs = imagePart(PartPrograms);
    if (!fetchBlocks(s, programs.readCommand, programs.firstPosition, length, kReadBlock, files[PartPrograms - 1],
                     done, total))
        return s.failure();
    return LinkOutcome::Ok;
}

LinkOutcome sendImage(LinkSession& s, const ImageFiles& image) {
    const std::size_t total = imageBytes(image);
    std::size_t done = 0;
    s.progress(0, total);
    for (const ImagePart& part : imageParts()) {
        const Bytes& bytes = image[std::size_t(part.number - 1)];
        // An empty part has nothing to send; a frame needs at least one byte.
        for (std::size_t offset = 0; offset < bytes.size(); offset += kWriteBlock) {
            const std::size_t n = std::min(kWriteBlock, bytes.size() - offset);
            // From the first frame on, even one whose reply was lost, the
            // controller may have taken new bytes.
            if (s.request(part.writeCommand, int64_t(part.firstPosition + offset),
                          std::span<const uint8_t>(bytes.data() + offset, n)) != ExchangeResult::Ok)
                return LinkOutcome::PartlyWritten;
            done += n;
            s.progress(done, total);
        }
    }
    return LinkOutcome::Ok;
}

}  // namespace livra
