// Project archives come by mail from anywhere: any bytes must be read without
// a crash or an overrun, every entry that is accepted must be safe to take out
// and match its checksum, and what is accepted must write and read back the same.
#include <cstdint>
#include <cstdlib>

#include "format/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    livra::ArchiveLimits limits;
    limits.maxEntrySize = 1 << 20;
    limits.maxTotalSize = 4 << 20;
    const auto r = livra::readZipArchive(std::span<const uint8_t>(data, size), limits);
    if (!r.ok()) {
        if (!r.entries.empty()) std::abort();
        return 0;
    }
    for (const auto& e : r.entries)
        if (!livra::isSafeEntryName(e.name) || e.data.size() > limits.maxEntrySize) std::abort();
    livra::Bytes again;
    if (!livra::writeZipArchive(r.entries, again)) std::abort();
    const auto back = livra::readZipArchive(again, limits);
    if (!back.ok() || back.entries != r.entries) std::abort();
    return 0;
}
