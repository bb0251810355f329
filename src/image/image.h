#pragma once
// The controller image: ten memory parts, each kept as a file `decod_….snt`
// in the working folder. The encoder compiles a configuration into them, the
// link sends and fetches them, the decoder turns them back.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "model/configuration.h"
#include "model/error_list.h"
#include "model/files.h"

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

// The bytes of the ten parts, index = part number - 1.
using ImageFiles = std::array<Bytes, ImagePartCount>;

std::filesystem::path partFilePath(const std::filesystem::path& folder, int partNumber);

// Compiles the configuration; pure.
ImageFiles encodeImage(const Configuration& c);

// Writes / reads the ten part files of a folder. Writing is atomic per file.
bool writeImageParts(const std::filesystem::path& folder, const ImageFiles& image);
std::optional<ImageFiles> readImageParts(const std::filesystem::path& folder);

// Decodes into a fresh configuration (calendar empty, 64 channels, derived
// tact fields recomputed). Nothing when the image is damaged; the caller then
// keeps its configuration.
std::optional<Configuration> decodeImage(const ImageFiles& image);

inline constexpr uint32_t kExternalMemoryLimit = 100000;
inline constexpr const char* kImageTooLargeTitle = "Внимание";
inline constexpr const char* kImageTooLargeText =
    "Запись в ДК запрещена\nНет места в памяти ДК\nРазмер программы превышает допустимый предел.\n"
    "Сократите количество тактов или направлений";

// Adds the five size lines to the list; 0 = writing allowed, 1 = the external
// part is larger than 100000 bytes (the caller shows kImageTooLargeText).
int reportImageSize(const ImageFiles& image, ErrorList& list);

}  // namespace livra
