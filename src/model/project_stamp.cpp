#include "model/project_stamp.h"

#include <charconv>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "model/crc32.h"

namespace livra {

uint32_t projectChecksum(std::span<const uint8_t> bytes) { return crc32Of(bytes); }

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
