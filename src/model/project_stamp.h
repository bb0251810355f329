#pragma once
// The project bytes a safety file was written with. The project and its
// safety file are two files, so a save cut short between their renames can
// leave one new and one old; the stamp tells such a pair on the next opening.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace livra {

struct ProjectStamp {
    std::optional<uint32_t> crc32;  // absent in files written before stamps
    bool operator==(const ProjectStamp&) const = default;
};

// CRC-32 (the common polynomial, as zip and PNG use it).
uint32_t projectChecksum(std::span<const uint8_t> bytes);
ProjectStamp stampOf(std::span<const uint8_t> projectBytes);

// The optional "projectCrc32" member of the safety file: eight hexadecimal
// digits. Reading returns the fault, empty when there is none.
std::string readProjectStamp(const nlohmann::json& root, ProjectStamp& out);
void writeProjectStamp(const ProjectStamp& stamp, nlohmann::ordered_json& root);

}  // namespace livra
