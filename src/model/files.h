#pragma once
// Whole-file reads and atomic writes. Saving goes to a temporary file in the
// target's folder which is flushed and renamed over the target, so a failure
// at any point leaves the old file as it was.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace livra {

using Bytes = std::vector<uint8_t>;

class WriteStream {
public:
    virtual ~WriteStream() = default;
    virtual bool write(std::span<const uint8_t> bytes) = 0;
    // Flush to the disk and close; false when any of it failed.
    virtual bool finish() = 0;
};

// File primitives behind the atomic write; tests substitute failing ones.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<WriteStream> create(const std::filesystem::path& path) = 0;
    virtual bool rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual void remove(const std::filesystem::path& path) = 0;
};

FileSystem& realFileSystem();

// Writes the chunks in order (one write each) to a temporary file beside
// `target`, then renames it over `target`. On failure the temporary file is
// removed and `target` is untouched.
bool writeFileAtomically(const std::filesystem::path& target, const std::vector<std::span<const uint8_t>>& chunks,
                         FileSystem& fs = realFileSystem());
bool writeFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                         FileSystem& fs = realFileSystem());

// The whole file, or nothing when it cannot be opened or read.
std::optional<Bytes> readWholeFile(const std::filesystem::path& path);

// Paths as the user gives them (UTF-8) and back, also on Windows.
std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// The working folder: $LIVRA_WORKDIR when set, else the program's folder when
// writable, else a per-user data folder (created). Plan file, plan pictures
// and image part files live here.
std::filesystem::path workingFolder();

}  // namespace livra
