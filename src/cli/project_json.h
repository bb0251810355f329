#pragma once
// A project as text: `livra dump --json` writes it, `livra new --from` reads
// it back into the same file bytes. The JSON carries everything the file
// holds; what only odd files hold (a delay byte outside the code page, line
// ends other than CR LF, a plan file that is not a clean list of records) is
// written only when present.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/configuration.h"
#include "model/files.h"

namespace livra::cli {

// The file's first three lines as stored: the delay texts in cp1251 and the
// line end of each line (signature, delay 1, delay 2).
struct ProjectHead {
    std::string delay1, delay2;
    std::string ends[3] = {"\r\n", "\r\n", "\r\n"};
};

// Nothing when the bytes are not a project file's head.
std::optional<ProjectHead> readProjectHead(std::span<const uint8_t> file);

// The JSON of a project file's bytes, ending with the safety data kept
// beside it (null when none); nothing when the bytes are not a project.
std::optional<std::string> projectToJson(std::span<const uint8_t> file, const SafetyData* safety = nullptr);

// The extra members that follow the calendar (head details, plan).
void dumpJsonFileMembers(const Configuration& c, std::ostream& out, const ProjectHead& head,
                         std::span<const uint8_t> plan);

// Every tact of every program is some 2 MB of JSON, a plan file's 16 MB
// some 22 MB as base64.
inline constexpr std::size_t kMaxJsonSize = std::size_t(64) << 20;

struct ProjectFromJson {
    std::unique_ptr<Configuration> config;
    Bytes file;  // the project file's bytes
    // The "safety" member as it stands, for the file beside the project; the
    // caller reads it against the configuration.
    std::optional<std::string> safety;
};

// The project that a JSON text describes. On failure nothing and `error`
// names the place, as "programs[3].tacts[12].tMain: …".
std::optional<ProjectFromJson> projectFromJson(std::string_view text, std::string& error);

}  // namespace livra::cli
