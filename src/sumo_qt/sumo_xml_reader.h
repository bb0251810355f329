#pragma once
// Reads the traffic-light programs of a SUMO file (an additional file, a
// .tll.xml or a whole .net.xml) into plain data, with Qt's XML reader. Bounded
// by size, depth and counts; a DTD or an entity is refused, never expanded.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "sumo/sumo_types.h"

namespace livra {

// A whole city's net file stays below this; anything larger is refused.
inline constexpr std::size_t kMaxSumoFileSize = std::size_t(64) << 20;
inline constexpr int kMaxSumoDepth = 32;
inline constexpr std::size_t kMaxSumoPrograms = 100000;
inline constexpr std::size_t kMaxSumoPhases = 1000000;  // in the whole file
inline constexpr std::size_t kMaxSumoAttribute = 65536;  // characters of one value

struct SumoReadResult {
    std::optional<SumoAdditional> file;
    std::string error;  // the refusal when `file` is empty
};

SumoReadResult parseSumoXml(std::string_view bytes);
// Reads the file (regular files only, size-capped) and parses it.
SumoReadResult readSumoFile(const std::string& pathUtf8);

}  // namespace livra
