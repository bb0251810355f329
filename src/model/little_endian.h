#pragma once
// Little-endian numbers in byte buffers, as the archive and picture formats
// store them. Reads expect the caller to have checked the buffer's length.
#include <cstdint>
#include <span>

#include "model/files.h"

namespace livra {

inline uint16_t getLe16(std::span<const uint8_t> b, std::size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }
inline uint32_t getLe32(std::span<const uint8_t> b, std::size_t at) {
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
}
inline void putLe16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void putLe32(Bytes& out, uint32_t v) {
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

}  // namespace livra
