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

// The file's first three lines as stored: the delay texts in cp1251 and the
// line end of each line (signature, delay 1, delay 2); `size` counts them
// with the format byte.
struct ProjectHead {
    std::string delay1, delay2;
    std::string ends[3] = {"\r\n", "\r\n", "\r\n"};
    std::size_t size = 0;
};

// Nothing when the bytes do not start with a project file's head. A line
// ends at CR, LF or CR LF.
std::optional<ProjectHead> readProjectHead(std::span<const uint8_t> file);
// The head's bytes as `head` gives them.
Bytes projectHeadBytes(const ProjectHead& head);

// The file's bytes, split into the sections that are written one by one.
std::vector<Bytes> serializeProjectSections(const Configuration& c, std::span<const uint8_t> plan);
Bytes serializeProject(const Configuration& c, std::span<const uint8_t> plan);

// Nothing when the signature, the format byte or the length is wrong.
std::optional<ParsedProject> parseProject(std::span<const uint8_t> bytes);

// Copies what a project file carries (tables, delays, channel count) from
// `from` into `to`, keeping `to`'s editing state.
void replaceTables(Configuration& to, const Configuration& from);

std::filesystem::path planFilePath(const Configuration& c);

// Saves a project's bytes at `path` as every save of the program does. With
// safety data, NAME.safety.json goes together with it, first, stamped with
// the project bytes: a save cut short between the two renames leaves a pair
// that the next opening tells. A failure replaces nothing, or its message
// names what stayed replaced. Without safety data, a readable safety file
// left at NAME.safety.json belongs to some other configuration and goes once
// the project is written (a damaged one stays for the user to mend).
ProjectResult saveProjectFile(const std::string& path, std::span<const uint8_t> project, const SafetyData* safety,
                              const Configuration& c, FileSystem& fs = realFileSystem());

// Saves atomically with saveProjectFile, carrying ProgramDir/imit.snt as the
// plan bytes and c.Safety when it is defined. On success sets
// ProjectFileName and clears Modified; on failure the old files and the
// configuration are unchanged.
ProjectResult saveProject(Configuration& c, const std::string& path, FileSystem& fs = realFileSystem());
// The same with the plan bytes given (the command line keeps those it read).
ProjectResult saveProjectWithPlan(Configuration& c, const std::string& path, std::span<const uint8_t> plan,
                                  FileSystem& fs = realFileSystem());

// Reads the whole file into a fresh configuration, writes its plan bytes to
// ProgramDir/imit.snt (atomically) and only then replaces c's tables. The
// caller updates ProjectFileName, Modified and the views.
ProjectResult loadProject(Configuration& c, const std::string& path, FileSystem& fs = realFileSystem());

}  // namespace livra
