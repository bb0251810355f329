#pragma once
// Whole-file reads and atomic writes. Saving goes to a temporary file in the
// target's folder which is flushed and renamed over the target, so a failure
// at any point leaves the old file as it was.
#include <cstdint>
#include <filesystem>
#include <istream>
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
    // A second name for an existing file (its old version kept while a set of
    // files is replaced); false when the file system has none to give.
    virtual bool link(const std::filesystem::path& existing, const std::filesystem::path& name);
    // The renames in `folder` made durable.
    virtual void syncFolder(const std::filesystem::path& folder);
};

FileSystem& realFileSystem();

// Every save writes the new bytes to a temporary file beside the file it
// replaces (NAME.tmpSTAMP_N), flushes it and renames it over the old one,
// then syncs the folder. A symlink is written through (the file it names is
// replaced, the link stays); the replaced file's permissions are kept.
// Temporary files that a killed save left beside the target are removed by
// the next save of that target.

// Writes the chunks in order (one write each) and renames the result over
// `target`. On failure the temporary file is removed and `target` is
// untouched.
bool writeFileAtomically(const std::filesystem::path& target, const std::vector<std::span<const uint8_t>>& chunks,
                         FileSystem& fs = realFileSystem());
bool writeFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                         FileSystem& fs = realFileSystem());

// Several files that belong together (the ten image parts, a project and its
// safety file): all are written first, then renamed over their targets in
// order. The old version of each target is kept under a second name until
// the last rename, so when a rename fails the ones before it are put back:
// the old set stands whole, or the new one.
struct FileToWrite {
    std::filesystem::path target;
    std::span<const uint8_t> bytes;
};
struct WriteTogetherResult {
    int failed = -1;  // the file that could not be written or renamed; -1 when all were
    // After a failure, the files that stayed replaced because putting the
    // old version back failed too; empty when every target is as it was.
    std::vector<int> replaced;
    bool ok() const { return failed < 0; }
};
WriteTogetherResult writeFilesTogether(const std::vector<FileToWrite>& files, FileSystem& fs = realFileSystem());

// Upper bounds of what is read whole, by the kind of file: far above any real
// file of that kind, far below what would exhaust the memory.
inline constexpr std::size_t kMaxProjectFileSize = std::size_t(32) << 20;  // tables ~0.4 MB + plan
inline constexpr std::size_t kMaxPlanFileSize = std::size_t(16) << 20;
inline constexpr std::size_t kMaxReadSize = std::size_t(64) << 20;

// The whole file, or nothing when it is not a regular file (a folder, a
// device), cannot be opened or read, or is longer than `limit`.
// A stream's bytes appended to `bytes`, or nothing past `limit` or on a read error.
std::optional<Bytes> readStreamCapped(std::istream& in, std::size_t limit, Bytes bytes = {});
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
