#include "model/project_stamp.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace livra {

uint32_t projectChecksum(std::span<const uint8_t> bytes) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

ProjectStamp stampOf(std::span<const uint8_t> projectBytes) { return {projectChecksum(projectBytes)}; }

std::string readProjectStamp(const nlohmann::json& root, ProjectStamp& out) {
    out = {};
    const auto it = root.find("projectCrc32");
    if (it == root.end()) return {};
    const std::string fault = "поле \"projectCrc32\" — не восемь шестнадцатеричных цифр";
    if (!it->is_string()) return fault;
    const auto& text = it->get_ref<const std::string&>();
    uint32_t value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 8 || r.ec != std::errc() || r.ptr != text.data() + text.size()) return fault;
    out.crc32 = value;
    return {};
}

void writeProjectStamp(const ProjectStamp& stamp, nlohmann::ordered_json& root) {
    if (!stamp.crc32) return;
    char text[9];
    std::snprintf(text, sizeof text, "%08x", unsigned(*stamp.crc32));
    root["projectCrc32"] = text;
}

}  // namespace livra
