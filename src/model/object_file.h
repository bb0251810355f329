#pragma once
// The object data's member of the companion file: "object", optional, every
// member of it optional too.
#include <nlohmann/json.hpp>
#include <string>

#include "model/object_data.h"

namespace livra {

// Reads the "object" member into `out`; the cause in words when it is not
// sound (then `out` is left half-filled: the caller parses into a fresh object).
std::string readObjectJson(const nlohmann::json& v, ObjectData& out);

// Only the members that hold something, in a fixed order.
nlohmann::ordered_json objectJson(const ObjectData& o);

// The one-line checks the command line and the dialog share: empty when the
// text may stand in the field, the cause otherwise.
std::string objectTextProblem(const std::string& text, std::size_t limit, bool multiline);

}  // namespace livra
