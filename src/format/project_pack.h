#pragma once
// A project that travels whole: the project file, its side file
// (NAME.safety.json) and its plan picture (shem/NAME) in one archive, and
// back out of it into a folder. The project file's bytes go in and come out
// as they are.
#include <filesystem>
#include <string>
#include <vector>

#include "format/zip_archive.h"

namespace livra {

struct PackResult {
    bool ok = false;
    std::string message;             // why not, for the user; empty on success
    std::vector<std::string> names;  // the archive's entries, in order
    bool pictureMissing = false;     // the plan names a picture that was found nowhere
    std::string pictureName;         // the picture the plan names (UTF-8), empty when none
};

// Where a project's plan picture named `name` is found: the working folder's
// "shem" (`workingShem`) first, as the plan has always looked, then "shem"
// beside the project file. Empty when in neither.
std::filesystem::path findPlanPicture(const std::filesystem::path& projectFile, const std::filesystem::path& workingShem,
                                      const std::string& name);

// The plan picture's file name as the project's plan bytes name it (UTF-8);
// empty when the plan names none.
std::string planPictureNameOf(std::span<const uint8_t> projectBytes);

// Collects the entries of the project at `projectFile`: NAME.ptm, then
// NAME.safety.json when present, then shem/PICTURE when found.
PackResult collectProject(const std::filesystem::path& projectFile, const std::filesystem::path& workingShem,
                          std::vector<ArchiveEntry>& entries);

// Writes the archive of the project at `projectFile` to `archiveFile`
// atomically.
PackResult packProject(const std::filesystem::path& projectFile, const std::filesystem::path& archiveFile,
                       const std::filesystem::path& workingShem);

struct UnpackResult {
    bool ok = false;
    std::string message;                       // why not, for the user; empty on success
    std::filesystem::path projectFile;         // the unpacked project file
    std::vector<std::filesystem::path> files;  // every file written
};

// Checks the whole archive first (names, sizes, checksums, exactly one
// project file at its top, the project file readable as one), then writes
// its files under `folder` (created when missing). A file already there
// with other contents is not replaced. On any failure nothing is left
// behind: no file, no folder the unpacking made.
UnpackResult unpackProject(const std::filesystem::path& archiveFile, const std::filesystem::path& folder);

}  // namespace livra
