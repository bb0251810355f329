#pragma once
// Reads the traffic-light programs of a SUMO file (an additional file, a
// .tll.xml or a whole .net.xml, plain or gzip-compressed) into plain data,
// with Qt's XML reader; a net also gives its signalled links, internal lanes
// and right of way. Bounded by size, depth and counts; a DTD or an entity is
// refused, never expanded.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "sumo/sumo_types.h"

namespace livra {

// A whole city's net file stays below this (unpacked); anything larger is refused.
inline constexpr std::size_t kMaxSumoFileSize = std::size_t(64) << 20;
inline constexpr int kMaxSumoDepth = 32;
inline constexpr std::size_t kMaxSumoPrograms = 100000;
inline constexpr std::size_t kMaxSumoPhases = 1000000;  // in the whole file
inline constexpr std::size_t kMaxSumoAttribute = 65536;  // characters of one value
inline constexpr std::size_t kMaxSumoNetItems = 1000000; // lanes, connections, requests each
// Bounds of the net's numbers: link and lane indices, speeds, lengths, coordinates.
inline constexpr int kMaxSumoLinkIndex = 9999;
inline constexpr int kMaxSumoLaneIndex = 999;
inline constexpr double kMaxSumoSpeed = 1000;       // m/s
inline constexpr double kMaxSumoLength = 1000000;   // m
inline constexpr double kMaxSumoCoordinate = 1e8;   // m, either sign

struct SumoReadResult {
    std::optional<SumoAdditional> file;
    std::string error;  // the refusal when `file` is empty
};

// `bytes` may be gzip-compressed (as .net.xml.gz is); it is unpacked first.
SumoReadResult parseSumoXml(std::string_view bytes);
// Reads the file (regular files only, size-capped) and parses it.
SumoReadResult readSumoFile(const std::string& pathUtf8);

// Whether this build can unpack gzip files.
bool sumoReaderUnpacksGzip();

}  // namespace livra
