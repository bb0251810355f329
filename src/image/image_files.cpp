// The part table, the part files in the working folder and the size report.
#include <fstream>

#include "image/image.h"

namespace livra {

const std::array<ImagePart, ImagePartCount>& imageParts() {
    static const std::array<ImagePart, ImagePartCount> parts = {{
        {1, "decod_Ee_nprog.snt", 0x01, 0x14, 1, 168, false},
        {2, "decod_Erkanal.snt", 0x02, 0x15, 1, 255, false},
        {3, "decod_Ee_obcolnap.snt", 0x03, 0x16, 1, 1, false},
        {4, "decod_Ertvp.snt", 0x04, 0x17, 1, 4, false},
        {5, "decod_Ersosttvp.snt", 0x05, 0x18, 1, 1, false},
        {6, "decod_Eemaskonf.snt", 0x06, 0x19, 1, 64, false},
        {7, "decod_Ee_napavima.snt", 0x07, 0x20, 100000, 69, true},
        {8, "decod_programmosn.snt", 0x08, 0x21, 0, -1, true},
        {9, "decod_Ee_bud.snt", 0x0B, 0x1E, 1, 336, false},
        {10, "decod_Ee_nacprogppz.snt", 0x0C, 0x1F, 1, 64, false},
    }};
    return parts;
}

const ImagePart& imagePart(int partNumber) {
    const auto& parts = imageParts();
    if (partNumber < 1 || partNumber > ImagePartCount) return parts[0];
    return parts[std::size_t(partNumber - 1)];
}

std::filesystem::path partFilePath(const std::filesystem::path& folder, int partNumber) {
    return folder / imagePart(partNumber).fileName;
}

bool writeImageParts(const std::filesystem::path& folder, const ImageFiles& image, int* failedPart, FileSystem& fs,
                     std::vector<int>* replacedParts) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::vector<FileToWrite> files;
    for (const auto& part : imageParts())
        files.push_back({partFilePath(folder, part.number), image[std::size_t(part.number - 1)]});
    const WriteTogetherResult written = writeFilesTogether(files, fs);
    if (written.ok()) return true;
    if (failedPart) *failedPart = imageParts()[std::size_t(written.failed)].number;
    if (replacedParts)
        for (int i : written.replaced) replacedParts->push_back(imageParts()[std::size_t(i)].number);
    return false;
}

namespace {

// At most `limit` bytes; nothing when the file is missing, unreadable, longer
// or not a regular file (a folder opens as an empty stream on some systems).
std::optional<Bytes> readBounded(const std::filesystem::path& path, std::size_t limit) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes bytes(limit + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (in.bad()) return std::nullopt;
    const auto got = std::size_t(in.gcount());
    if (got > limit) return std::nullopt;
    bytes.resize(got);
    return bytes;
}

}  // namespace

std::optional<ImageFiles> readImageParts(const std::filesystem::path& folder) {
    ImageFiles image;
    for (const auto& part : imageParts()) {
        const std::size_t limit = part.size < 0 ? kMaxProgramPartSize : std::size_t(part.size);
        auto bytes = readBounded(partFilePath(folder, part.number), limit);
        if (!bytes) return std::nullopt;
        image[std::size_t(part.number - 1)] = std::move(*bytes);
    }
    return image;
}

ImageSize imageSize(const ImageFiles& image) {
    ImageSize size;
    for (const auto& part : imageParts())
        (part.external ? size.external : size.internal) += image[std::size_t(part.number - 1)].size();
    return size;
}

int reportImageSize(const ImageFiles& image, ErrorList& list) {
    const ImageSize size = imageSize(image);
    list.status("Программа скомпилирована успешно");
    list.add("Размер сгенерированного кода сост.:");
    list.add("Под внешнею EEPROM " + std::to_string(size.external) + " байт");
    list.add("Под внутреннею EEPROM " + std::to_string(size.internal) + " байт");
    list.add("Итого " + std::to_string(size.external + size.internal) + " байт");
    return size.external > kExternalMemoryLimit ? 1 : 0;
}

}  // namespace livra
