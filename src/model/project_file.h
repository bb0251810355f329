#pragma once
// The project file (.ptm): a signature line, the format byte, the two delay
// lines (cp1251), the tables in a fixed order, then the plan file's bytes.
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "model/configuration.h"
#include "model/files.h"
#include "model/texts.h"

namespace livra {

inline constexpr const char* kProjectSignature = "wersia 1.00 DK";
inline constexpr uint8_t kProjectFormat = 2;
inline constexpr const char* kPlanFileName = "imit.snt";

// Bytes after the second delay line up to the plan bytes.
inline constexpr std::size_t kProjectTablesSize = 504 + 63 * 16 + 1 + 16 * 321 * 5 * 4 + 16 * 321 * 63;
// Size of a project with empty delay texts and no plan bytes.
inline constexpr std::size_t kProjectFixedSize = 16 + 1 + 2 + 2 + kProjectTablesSize;
static_assert(kProjectFixedSize == 427822);

enum class ProjectStatus { Ok, OpenFailed, FormatError, WriteFailed };

struct ProjectResult {
    ProjectStatus status = ProjectStatus::Ok;
    std::string message;  // text of the "Ошибка" box; empty on success
    bool ok() const { return status == ProjectStatus::Ok; }
};

struct ParsedProject {
    std::unique_ptr<Configuration> config;  // tables and delays; editing state at defaults
    Bytes plan;
};

// The file's bytes, split into the sections that are written one by one.
std::vector<Bytes> serializeProjectSections(const Configuration& c, std::span<const uint8_t> plan);
Bytes serializeProject(const Configuration& c, std::span<const uint8_t> plan);

// Nothing when the signature, the format byte or the length is wrong.
std::optional<ParsedProject> parseProject(std::span<const uint8_t> bytes);

// Copies what a project file carries (tables, delays, channel count) from
// `from` into `to`, keeping `to`'s editing state.
void replaceTables(Configuration& to, const Configuration& from);

std::filesystem::path planFilePath(const Configuration& c);

// Saves atomically, carrying ProgramDir/imit.snt as the plan bytes; with a
// safety matrix, NAME.safety.json is written together with it. On
// success sets ProjectFileName and clears Modified; on failure the old file
// and the configuration are unchanged.
ProjectResult saveProject(Configuration& c, const std::string& path, FileSystem& fs = realFileSystem());
// The same with the plan bytes given (the command line keeps those it read).
ProjectResult saveProjectWithPlan(Configuration& c, const std::string& path, std::span<const uint8_t> plan,
                                  FileSystem& fs = realFileSystem());

// Reads the whole file into a fresh configuration, writes its plan bytes to
// ProgramDir/imit.snt (atomically) and only then replaces c's tables. The
// caller updates ProjectFileName, Modified and the views.
ProjectResult loadProject(Configuration& c, const std::string& path, FileSystem& fs = realFileSystem());

}  // namespace livra
