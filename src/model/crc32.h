#pragma once
// The standard CRC-32 (as zip, PNG and the safety file's project stamp use it).
#include <cstdint>
#include <span>

namespace livra {

uint32_t crc32Of(std::span<const uint8_t> bytes);

}  // namespace livra
