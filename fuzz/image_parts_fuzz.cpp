// The ten part files of the working folder, as another program or a damaged
// disk may leave them: the read gives exactly the bytes of the files, or
// nothing when a part is missing, is not a regular file or is longer than
// the part can be.
// Input: 3 bytes of 2-bit kinds for parts 1..10 (0, 1: a file; 2: missing;
// 3: a folder of that name), then for each part a 16-bit little-endian
// length and that many bytes (cut at the end of the input).
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "image/image.h"

using namespace livra;
namespace fs = std::filesystem;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// One folder for the whole run, removed at its end.
struct Scratch {
    fs::path path = fs::temp_directory_path() / ("livra-parts-fuzz-" + std::to_string(std::random_device{}()));
    Scratch() { fs::create_directories(path); }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

const fs::path& scratch() {
    static const Scratch folder;
    return folder.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint32_t kinds = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16;
    std::size_t at = 3;
    const fs::path& folder = scratch();
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());

    ImageFiles written;
    bool readable = true;
    for (const auto& part : imageParts()) {
        const int kind = int(kinds >> (2 * (part.number - 1))) & 3;
        std::size_t n = 0;
        if (at + 2 <= size) n = std::size_t(data[at]) | std::size_t(data[at + 1]) << 8, at += 2;
        n = std::min(n, size - std::min(at, size));
        Bytes bytes(data + at, data + at + n);
        at += n;
        const fs::path path = partFilePath(folder, part.number);
        if (kind == 2) {
            readable = false;
        } else if (kind == 3) {
            fs::create_directory(path);
            readable = false;
        } else {
            std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        std::streamsize(bytes.size()));
            const std::size_t limit = part.size < 0 ? kMaxProgramPartSize : std::size_t(part.size);
            if (bytes.size() > limit) readable = false;
            written[std::size_t(part.number - 1)] = std::move(bytes);
        }
    }
    const auto image = readImageParts(folder);
    check(image.has_value() == readable);
    if (image) check(*image == written);
    return 0;
}
