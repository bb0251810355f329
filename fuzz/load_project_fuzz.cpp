// Project files come from anywhere. Byte 0 chooses the mode:
//   even: the rest is the file, as it is;
//   odd:  bytes 1..3 are an offset (little-endian) into a valid project of a
//         small configuration, and the rest is written over it from there,
//         so the tables get arbitrary values behind a valid header.
// Whatever parses must go through the validator, the encoder and the
// decoder without harm, and save to a file that parses again.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "check/validator.h"
#include "image/image.h"
#include "model/project_file.h"

using namespace livra;

namespace {

const Bytes& templateProject() {
    static const Bytes bytes = [] {
        auto c = std::make_unique<Configuration>();
        c->DirectionKind[0] = DirVehicle;
        c->DirectionChannels[0] = {1, 2, 3, 0, 0, 0, 0};
        c->DirectionKind[1] = DirTram1, c->DirectionKind[2] = DirTram2, c->DirectionKind[3] = DirTram3;
        c->DirectionKind[4] = DirTvp1;
        c->TactTable[3][0] = Tact{TactPhase, 5, 10, 10, 1};
        c->TactTable[3][1] = Tact{TactTvp1, 0, 4, 0, 0};
        for (int t = 0; t < 2; ++t)
            for (int d = 0; d < 5; ++d) c->TactSignals[3][t][d] = SignalRed;
        c->Calendar[0][0] = CalendarEntry{0, 6, 4};
        return serializeProject(*c, {});
    }();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Bytes file;
    if (data[0] % 2 == 0) {
        file.assign(data + 1, data + size);
    } else {
        if (size < 4) return 0;
        file = templateProject();
        const std::size_t offset = std::size_t(data[1] | data[2] << 8 | data[3] << 16) % file.size();
        const std::size_t n = std::min(size - 4, file.size() - offset);
        std::copy(data + 4, data + 4 + n, file.begin() + std::ptrdiff_t(offset));
    }
    const auto parsed = parseProject(file);
    if (!parsed) return 0;
    const Configuration& c = *parsed->config;
    VectorErrorList list;
    validateConfiguration(c, list);
    if (list.lines.size() != 1) std::abort();
    const auto image = encodeImage(c);
    reportImageSize(image, list);
    decodeImage(image);
    if (!parseProject(serializeProject(c, parsed->plan))) std::abort();
    return 0;
}
