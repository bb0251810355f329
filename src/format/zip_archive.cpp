#include "format/zip_archive.h"

#include <algorithm>
#include <set>

#include "format/texts.h"
#include "model/little_endian.h"

#ifdef LIVRA_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace livra {
namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint16_t kVersionNeeded = 20;
// 1980-01-01 00:00: the same archive bytes for the same files.
constexpr uint16_t kDosTime = 0;
constexpr uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;

// Deflated bytes when that is shorter than the data, else nothing.
bool deflateInto(std::span<const uint8_t> data, Bytes& packed) {
#ifdef LIVRA_HAVE_LIBDEFLATE
    if (data.empty()) return false;
    libdeflate_compressor* z = libdeflate_alloc_compressor(6);
    if (!z) return false;
    packed.resize(libdeflate_deflate_compress_bound(z, data.size()));
    const std::size_t n = libdeflate_deflate_compress(z, data.data(), data.size(), packed.data(), packed.size());
    libdeflate_free_compressor(z);
    if (n == 0 || n >= data.size()) return false;
    packed.resize(n);
    return true;
#else
    (void)data;
    (void)packed;
    return false;
#endif
}

// Exactly `size` bytes out of the deflate stream, or false.
bool inflateExactly(std::span<const uint8_t> packed, std::size_t size, Bytes& out) {
#ifdef LIVRA_HAVE_LIBDEFLATE
    out.assign(size, 0);
    libdeflate_decompressor* z = libdeflate_alloc_decompressor();
    if (!z) return false;
    std::size_t consumed = 0;
    // A null "actual size" makes a stream of any other length an error.
    const libdeflate_result r =
        libdeflate_deflate_decompress_ex(z, packed.data(), packed.size(), out.data(), size, &consumed, nullptr);
    libdeflate_free_decompressor(z);
    return r == LIBDEFLATE_SUCCESS;
#else
    (void)packed;
    (void)size;
    (void)out;
    return false;
#endif
}

bool hasDeflate() {
#ifdef LIVRA_HAVE_LIBDEFLATE
    return true;
#else
    return false;
#endif
}

ArchiveReadResult failure(ArchiveError e, std::string name = {}) {
    ArchiveReadResult r;
    r.error = e;
    r.entryName = std::move(name);
    return r;
}

}  // namespace

bool isSafeEntryName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name.front() == '/') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t slash = name.find('/', start);
        const std::size_t end = slash == std::string::npos ? name.size() : slash;
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        // Windows reads "name." and "name " as "name", and "CON" as a device;
        // such names are refused rather than interpreted.
        if (part.back() == '.' || part.back() == ' ') return false;
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    for (unsigned char ch : name)
        if (ch < 0x20 || ch == 0x7F || ch == '\\' || ch == ':' || ch == '*' || ch == '?' || ch == '"' || ch == '<' ||
            ch == '>' || ch == '|')
            return false;
    return true;
}

bool writeZipArchive(const std::vector<ArchiveEntry>& entries, Bytes& out) {
    std::set<std::string> names;
    for (const ArchiveEntry& e : entries) {
        if (!isSafeEntryName(e.name) || !names.insert(e.name).second) return false;
        if (e.data.size() >= 0xFFFFFFFFu) return false;  // 64-bit sizes are not written
    }
    if (entries.size() >= 0xFFFF) return false;
    Bytes archive, central;
    for (const ArchiveEntry& e : entries) {
        Bytes packed;
        const bool deflated = deflateInto(e.data, packed);
        const std::span<const uint8_t> body = deflated ? std::span<const uint8_t>(packed) : std::span<const uint8_t>(e.data);
        const uint32_t crc = crc32Of(e.data);
        const uint16_t method = deflated ? kMethodDeflate : kMethodStored;
        if (archive.size() >= 0xFFFFFFFFu) return false;
        const uint32_t offset = uint32_t(archive.size());
        auto common = [&](Bytes& b) {
            putLe16(b, kVersionNeeded);
            putLe16(b, kFlagUtf8);
            putLe16(b, method);
            putLe16(b, kDosTime);
            putLe16(b, kDosDate);
            putLe32(b, crc);
            putLe32(b, uint32_t(body.size()));
            putLe32(b, uint32_t(e.data.size()));
            putLe16(b, uint32_t(e.name.size()));
            putLe16(b, 0);  // extra field
        };
        putLe32(archive, kLocalSignature);
        common(archive);
        archive.insert(archive.end(), e.name.begin(), e.name.end());
        archive.insert(archive.end(), body.begin(), body.end());

        putLe32(central, kCentralSignature);
        putLe16(central, kVersionNeeded);  // made by: MS-DOS, 2.0
        common(central);
        putLe16(central, 0);  // comment
        putLe16(central, 0);  // disk
        putLe16(central, 0);  // internal attributes
        putLe32(central, 0);  // external attributes
        putLe32(central, offset);
        central.insert(central.end(), e.name.begin(), e.name.end());
    }
    if (archive.size() + central.size() >= 0xFFFFFFFFu) return false;
    const uint32_t centralOffset = uint32_t(archive.size());
    archive.insert(archive.end(), central.begin(), central.end());
    putLe32(archive, kEndSignature);
    putLe16(archive, 0);
    putLe16(archive, 0);
    putLe16(archive, uint32_t(entries.size()));
    putLe16(archive, uint32_t(entries.size()));
    putLe32(archive, uint32_t(central.size()));
    putLe32(archive, centralOffset);
    putLe16(archive, 0);
    out = std::move(archive);
    return true;
}

ArchiveReadResult readZipArchive(std::span<const uint8_t> bytes, const ArchiveLimits& limits) {
    if (bytes.size() < kEndSize) return failure(ArchiveError::NotAnArchive);
    // The end record sits at the end, after a comment of at most 65535 bytes;
    // the one whose comment reaches exactly to the end is it.
    std::size_t end = std::string::npos;
    const std::size_t lowest = bytes.size() > kEndSize + 0xFFFF ? bytes.size() - kEndSize - 0xFFFF : 0;
    for (std::size_t at = bytes.size() - kEndSize + 1; at-- > lowest;) {
        if (getLe32(bytes, at) == kEndSignature && at + kEndSize + getLe16(bytes, at + 20) == bytes.size()) {
            end = at;
            break;
        }
    }
    if (end == std::string::npos) return failure(ArchiveError::NotAnArchive);
    const uint16_t disk = getLe16(bytes, end + 4), centralDisk = getLe16(bytes, end + 6);
    const uint16_t onDisk = getLe16(bytes, end + 8), count = getLe16(bytes, end + 10);
    const uint32_t centralSize = getLe32(bytes, end + 12), centralOffset = getLe32(bytes, end + 16);
    if (disk != 0 || centralDisk != 0 || onDisk != count) return failure(ArchiveError::Unsupported);
    if (count == 0xFFFF || centralSize == 0xFFFFFFFFu || centralOffset == 0xFFFFFFFFu)
        return failure(ArchiveError::Unsupported);
    if (count > limits.maxEntries) return failure(ArchiveError::TooLarge);
    if (std::size_t(centralOffset) + centralSize > end) return failure(ArchiveError::Damaged);

    ArchiveReadResult result;
    std::set<std::string> names;
    std::size_t total = 0;
    std::size_t at = centralOffset;
    const std::size_t centralEnd = std::size_t(centralOffset) + centralSize;
    for (uint16_t i = 0; i < count; ++i) {
        if (at + kCentralSize > centralEnd || getLe32(bytes, at) != kCentralSignature)
            return failure(ArchiveError::Damaged);
        const uint16_t flags = getLe16(bytes, at + 8), method = getLe16(bytes, at + 10);
        const uint32_t crc = getLe32(bytes, at + 16), packedSize = getLe32(bytes, at + 20), size = getLe32(bytes, at + 24);
        const uint16_t nameLength = getLe16(bytes, at + 28), extraLength = getLe16(bytes, at + 30),
                       commentLength = getLe16(bytes, at + 32);
        const uint32_t localOffset = getLe32(bytes, at + 42);
        const std::size_t next = at + kCentralSize + nameLength + extraLength + commentLength;
        if (next > centralEnd) return failure(ArchiveError::Damaged);
        std::string name(bytes.begin() + std::ptrdiff_t(at + kCentralSize),
                         bytes.begin() + std::ptrdiff_t(at + kCentralSize + nameLength));
        at = next;
        if (packedSize == 0xFFFFFFFFu || size == 0xFFFFFFFFu || localOffset == 0xFFFFFFFFu)
            return failure(ArchiveError::Unsupported, name);
        if (flags & kFlagEncrypted) return failure(ArchiveError::Unsupported, name);
        if (method != kMethodStored && !(method == kMethodDeflate && hasDeflate()))
            return failure(ArchiveError::Unsupported, name);
        const bool folder = !name.empty() && name.back() == '/';
        const std::string checked = folder ? name.substr(0, name.size() - 1) : name;
        if (!isSafeEntryName(checked)) return failure(ArchiveError::BadName, name);
        if (!names.insert(checked).second) return failure(ArchiveError::DuplicateName, name);
        if (size > limits.maxEntrySize) return failure(ArchiveError::TooLarge, name);
        total += size;
        if (total > limits.maxTotalSize) return failure(ArchiveError::TooLarge, name);
        if (method == kMethodStored && packedSize != size) return failure(ArchiveError::Damaged, name);

        // The local record must agree with the directory's.
        if (std::size_t(localOffset) + kLocalSize > centralOffset || getLe32(bytes, localOffset) != kLocalSignature)
            return failure(ArchiveError::Damaged, name);
        const uint16_t localNameLength = getLe16(bytes, localOffset + 26);
        const uint16_t localExtraLength = getLe16(bytes, localOffset + 28);
        const std::size_t dataAt = std::size_t(localOffset) + kLocalSize + localNameLength + localExtraLength;
        if (localNameLength != nameLength || getLe16(bytes, localOffset + 8) != method ||
            dataAt + packedSize > centralOffset ||
            !std::equal(name.begin(), name.end(), bytes.begin() + std::ptrdiff_t(localOffset + kLocalSize),
                        [](char a, uint8_t b) { return uint8_t(a) == b; }))
            return failure(ArchiveError::Damaged, name);
        if (folder) {
            if (size != 0) return failure(ArchiveError::Damaged, name);
            continue;
        }
        const auto packed = bytes.subspan(dataAt, packedSize);
        ArchiveEntry entry{name, {}};
        if (method == kMethodStored) entry.data.assign(packed.begin(), packed.end());
        else if (!inflateExactly(packed, size, entry.data)) return failure(ArchiveError::Damaged, name);
        if (crc32Of(entry.data) != crc) return failure(ArchiveError::BadChecksum, name);
        result.entries.push_back(std::move(entry));
    }
    return result;
}

std::string archiveErrorText(const ArchiveReadResult& r) {
    const char* cause = "";
    switch (r.error) {
    case ArchiveError::None: return {};
    case ArchiveError::NotAnArchive: cause = kArchiveNotZipText; break;
    case ArchiveError::Unsupported: cause = kArchiveUnsupportedText; break;
    case ArchiveError::Damaged: cause = kArchiveDamagedText; break;
    case ArchiveError::BadName: cause = kArchiveBadNameText; break;
    case ArchiveError::DuplicateName: cause = kArchiveDuplicateText; break;
    case ArchiveError::TooLarge: cause = kArchiveTooLargeText; break;
    case ArchiveError::BadChecksum: cause = kArchiveChecksumText; break;
    }
    std::string text = cause;
    if (!r.entryName.empty()) text += " (" + r.entryName + ")";
    return text;
}

}  // namespace livra
