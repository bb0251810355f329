#pragma once
// One archive file holding several files (the project, its side file, its
// plan picture), in the common zip layout any archiver opens. Written with
// deflated entries where that saves room (stored ones otherwise); read with
// every size, offset, name and checksum checked, since an archive comes from
// anywhere: nothing of it is trusted until the whole of it has been checked.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/crc32.h"
#include "model/files.h"

namespace livra {

struct ArchiveEntry {
    std::string name;  // relative, '/' between folders, UTF-8: "shem/plan.png"
    Bytes data;
    bool operator==(const ArchiveEntry&) const = default;
};

// What a read accepts; far above any project, far below what would exhaust
// the memory.
struct ArchiveLimits {
    std::size_t maxEntries = 64;
    std::size_t maxEntrySize = std::size_t(64) << 20;
    std::size_t maxTotalSize = std::size_t(160) << 20;
};

enum class ArchiveError {
    None,
    NotAnArchive,   // no end record: not a zip file, or cut short
    Unsupported,    // several volumes, 64-bit sizes, encryption, a method other than stored/deflate
    Damaged,        // sizes or offsets outside the file, records that disagree
    BadName,        // an absolute name, "..", a drive, a backslash or a control character
    DuplicateName,  // two entries of one name
    TooLarge,       // an entry or the whole above the limits, or too many entries
    BadChecksum,    // the data does not match its CRC-32
};

struct ArchiveReadResult {
    ArchiveError error = ArchiveError::None;
    std::string entryName;              // the entry the error is about, when there is one
    std::vector<ArchiveEntry> entries;  // in the archive's order; empty on error
    bool ok() const { return error == ArchiveError::None; }
};

// Whether a name may be taken out into a folder: relative, no "." or ".."
// part, no empty part, no backslash, colon or control character, at most
// 255 bytes.
bool isSafeEntryName(const std::string& name);

// The archive's bytes. Every name must be safe and unique (false otherwise,
// `out` untouched).
bool writeZipArchive(const std::vector<ArchiveEntry>& entries, Bytes& out);

// Every entry's data, checked; folder entries ("name/") are skipped.
ArchiveReadResult readZipArchive(std::span<const uint8_t> bytes, const ArchiveLimits& limits = {});

// The error-list wording of a failed read.
std::string archiveErrorText(const ArchiveReadResult& r);

}  // namespace livra
