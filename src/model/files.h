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

// Several files that belong together (the ten image parts): each is written
// to a temporary file beside its target, and only when all of them were
// written are they renamed over their targets, so a failure while writing
// leaves every target as it was. Returns -1 when all were written, else the
// index of the file that failed (a failing rename, rarer by far, leaves the
// files before it replaced).
struct FileToWrite {
    std::filesystem::path target;
    std::span<const uint8_t> bytes;
};
int writeFilesTogether(const std::vector<FileToWrite>& files, FileSystem& fs = realFileSystem());

// Upper bounds of what is read whole, by the kind of file: far above any real
// file of that kind, far below what would exhaust the memory.
inline constexpr std::size_t kMaxProjectFileSize = std::size_t(32) << 20;  // tables ~0.4 MB + plan
inline constexpr std::size_t kMaxPlanFileSize = std::size_t(16) << 20;
inline constexpr std::size_t kMaxReadSize = std::size_t(64) << 20;

// The whole file, or nothing when it is not a regular file (a folder, a
// device), cannot be opened or read, or is longer than `limit`.
std::optional<Bytes> readWholeFile(const std::filesystem::path& path, std::size_t limit = kMaxReadSize);

// Whether a file could be saved at `target` as far as can be told without
// writing: its folder exists and `target` is not itself a folder. Asked
// before work that is slow or not repeatable (a read from the controller), so
// a mistyped output path fails at once rather than after it.
bool folderCanHoldFile(const std::filesystem::path& target);

// Paths as the user gives them (UTF-8) and back, also on Windows.
std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// The working folder: $LIVRA_WORKDIR when set, else the program's folder when
// writable and not an installed one (platform::insideInstalledProgramsFolder),
// else a per-user data folder (created). Plan file, plan pictures and image
// part files live here.
std::filesystem::path workingFolder();
// The same choice for a given program folder, user folder and install state:
// a per-user folder made here starts with the plan pictures the program came
// with (shem/ beside it, or ../share/livra/shem of a Linux installation).
std::filesystem::path workingFolderFor(const std::filesystem::path& program, const std::filesystem::path& user,
                                       bool installed);

}  // namespace livra
