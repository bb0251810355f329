#pragma once
// The traffic counts' member of the safety file: "traffic", optional, so
// files written before it open unchanged.
#include <nlohmann/json.hpp>
#include <string>

#include "model/traffic_data.h"

namespace livra {

// Reads root["traffic"] when present; an empty string when it was sound,
// else what is wrong with it (`out` may then be partly filled).
std::string readTrafficMember(const nlohmann::json& root, TrafficData& out);

// Adds root["traffic"] when there are counts.
void writeTrafficMember(nlohmann::ordered_json& root, const TrafficData& t);

}  // namespace livra
