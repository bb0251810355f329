#pragma once
// The SUMO link map as the member "sumo" of the safety data's JSON file:
// {"tls": "C", "net": "x.net.xml", "links": [{"direction": 1, "g": [[4, 1]],
// "yields": [3]}, …]}; direction 0 is a link that shows none. Optional: a
// file without it has no map.
#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "model/sumo_map.h"

namespace livra {

// Reads root["sumo"] when present; the damage in words when it is not sound.
std::optional<std::string> readSumoMapJson(const nlohmann::json& root, SumoLinkMap& out);

// Adds root["sumo"] when the map is not empty.
void writeSumoMapJson(nlohmann::ordered_json& root, const SumoLinkMap& m);

}  // namespace livra
