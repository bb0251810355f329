#pragma once
// The controller image: ten memory parts, each kept as a file `decod_….snt`
// in the working folder. The encoder compiles a configuration into them, the
// link sends and fetches them, the decoder turns them back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "model/configuration.h"
#include "model/error_list.h"
#include "model/files.h"
#include "model/texts.h"

namespace livra {

constexpr int ImagePartCount = 10;

struct ImagePart {
    int number;             // 1..10, the order the write command sends them
    const char* fileName;   // "decod_Ee_nprog.snt", …
    uint8_t writeCommand;
    uint8_t readCommand;
    uint32_t firstPosition; // number field of the first frame
    int size;               // bytes; -1 for part 8 (length stored in part 7)
    bool external;          // external EEPROM (parts 7, 8)
};

// The ten parts in sending order.
const std::array<ImagePart, ImagePartCount>& imageParts();
// The entry of one part, 1..10.
const ImagePart& imagePart(int partNumber);

// Fixed part numbers, for readability at the call sites.
enum ImagePartNumber : int {
    PartCalendarPrograms = 1,  // decod_Ee_nprog.snt
    PartChannels = 2,          // decod_Erkanal.snt
    PartDirectionCount = 3,    // decod_Ee_obcolnap.snt
    PartCallInputs = 4,        // decod_Ertvp.snt
    PartCallTactUse = 5,       // decod_Ersosttvp.snt
    PartMonitoring = 6,        // decod_Eemaskonf.snt
    PartHeader = 7,            // decod_Ee_napavima.snt
    PartPrograms = 8,          // decod_programmosn.snt
    PartCalendarTimes = 9,     // decod_Ee_bud.snt
    PartProgramOffsets = 10,   // decod_Ee_nacprogppz.snt
};

// Largest possible part 8: every tact of every program with 63 directions.
inline constexpr std::size_t kMaxProgramPartSize = std::size_t(ProgramCount) * TactCount * (DirectionCount + 4);

// The bytes of the ten parts, index = part number - 1.
using ImageFiles = std::array<Bytes, ImagePartCount>;

std::filesystem::path partFilePath(const std::filesystem::path& folder, int partNumber);

// Compiles the configuration; pure.
ImageFiles encodeImage(const Configuration& c);

// Writes / reads the ten part files of a folder. Writing creates the folder
// and replaces the ten files together (writeFilesTogether): when any of them
// cannot be written or renamed, the old set stands (a mixed set would decode
// as an image nobody compiled); false then, with the failing part's number in
// `failedPart` and, should an old part not go back, the numbers of the parts
// left new in `replacedParts`. Reading is bounded: nothing when a file is
// missing, unreadable or longer than its part can be.
bool writeImageParts(const std::filesystem::path& folder, const ImageFiles& image, int* failedPart = nullptr,
                     FileSystem& fs = realFileSystem(), std::vector<int>* replacedParts = nullptr);
std::optional<ImageFiles> readImageParts(const std::filesystem::path& folder);

// Decodes into a fresh configuration (calendar empty, 64 channels, derived
// tact fields recomputed, call-input cells marked). Null when the image is
// damaged; the caller then keeps its configuration. On the heap because a
// Configuration is large.
std::unique_ptr<Configuration> decodeImage(const ImageFiles& image);

inline constexpr uint32_t kExternalMemoryLimit = 100000;

struct ImageSize {
    std::size_t external = 0;  // parts 7 and 8
    std::size_t internal = 0;  // the other eight
};
ImageSize imageSize(const ImageFiles& image);

// Adds the five size lines to the list; 0 = writing allowed, 1 = the external
// part is larger than 100000 bytes (the caller shows kImageTooLargeText).
int reportImageSize(const ImageFiles& image, ErrorList& list);

}  // namespace livra
