#pragma once
// A project as text: `livra dump --json` and the desktop program's export
// write it, `livra new --from` and the import read it back into the same
// file bytes. The JSON carries everything the file holds; what only odd files
// hold (a delay byte outside the code page, line ends other than CR LF, a
// plan file that is not a clean list of records) is written only when
// present.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/configuration.h"
#include "model/files.h"

namespace livra {

// Every tact of every program is some 2 MB of JSON, a plan file's 16 MB
// some 22 MB as base64.
inline constexpr std::size_t kMaxJsonSize = std::size_t(64) << 20;

// The JSON of a project file's bytes, ending with the safety data kept
// beside it (null when none); nothing when the bytes are not a project.
std::optional<std::string> projectToJson(std::span<const uint8_t> file, const SafetyData* safety = nullptr);

struct ProjectFromJson {
    std::unique_ptr<Configuration> config;
    Bytes file;  // the project file's bytes
    Bytes plan;  // the plan file's bytes the project carries
    // The "safety" member as it stands, for the file beside the project; the
    // caller reads it against the configuration.
    std::optional<std::string> safety;
};

// The project that a JSON text describes. On failure nothing and `error`
// names the place and the cause, as "programs[3].tacts[12].tMain: число …".
std::optional<ProjectFromJson> projectFromJson(std::string_view text, std::string& error);

// What a listing of the tables shows (the JSON and `livra dump` alike).
// A direction with a kind, a channel or a mode.
bool directionListed(const Configuration& c, int d);
// The last tact holding anything, derived fields and signals included; -1
// for an empty program.
int lastListedTact(const Configuration& c, int p);
// Signals are listed for directions 1..N: N the last direction with a kind,
// or further when a signal is stored beyond it.
int signalWidth(const Configuration& c);

}  // namespace livra
