#include "format/project_pack.h"

#include <algorithm>
#include <system_error>

#include "model/cp1251.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "format/texts.h"
#include "plan/plan_objects.h"

namespace livra {
namespace {

bool isRegularFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec) && !ec;
}

bool pathExists(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::exists(p, ec) || std::filesystem::is_symlink(p, ec);
}

bool endsWithPtm(const std::string& name) {
    if (name.size() < 5) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
    return ext == ".ptm";
}

PackResult packFailure(std::string message) {
    PackResult r;
    r.message = std::move(message);
    return r;
}

UnpackResult unpackFailure(std::string message) {
    UnpackResult r;
    r.message = std::move(message);
    return r;
}

}  // namespace

std::string planPictureNameOf(std::span<const uint8_t> projectBytes) {
    const auto parsed = parseProject(projectBytes);
    if (!parsed || parsed->plan.empty()) return {};
    const std::string stored = storedPicturePath(parsed->plan);
    const auto cut = stored.find_last_of("\\/:");
    const std::string name = cut == std::string::npos ? stored : stored.substr(cut + 1);
    return cp1251ToUtf8(name);
}

std::filesystem::path findPlanPicture(const std::filesystem::path& projectFile, const std::filesystem::path& workingShem,
                                      const std::string& name) {
    if (name.empty() || !isSafeEntryName(name) || name.find('/') != std::string::npos) return {};
    const auto inWorking = workingShem / pathFromUtf8(name);
    if (!workingShem.empty() && isRegularFile(inWorking)) return inWorking;
    const auto beside = projectFile.parent_path() / "shem" / pathFromUtf8(name);
    if (!projectFile.empty() && isRegularFile(beside)) return beside;
    return {};
}

PackResult collectProject(const std::filesystem::path& projectFile, const std::filesystem::path& workingShem,
                          std::vector<ArchiveEntry>& entries) {
    entries.clear();
    const std::string projectName = pathToUtf8(projectFile.filename());
    const auto project = readWholeFile(projectFile, kMaxProjectFileSize);
    if (!project) return packFailure(kPackNoProjectText + pathToUtf8(projectFile));
    if (!parseProject(*project)) return packFailure(kPackNotProjectText + pathToUtf8(projectFile));
    PackResult r;
    entries.push_back({projectName, *project});

    const auto safety = pathFromUtf8(safetyFileNameFor(pathToUtf8(projectFile)));
    if (isRegularFile(safety)) {
        const auto bytes = readWholeFile(safety);
        if (!bytes) return packFailure(kPackReadFailedText + pathToUtf8(safety));
        entries.push_back({pathToUtf8(safety.filename()), *bytes});
    }

    r.pictureName = planPictureNameOf(*project);
    if (!r.pictureName.empty()) {
        const auto picture = findPlanPicture(projectFile, workingShem, r.pictureName);
        if (picture.empty()) {
            r.pictureMissing = true;
        } else {
            const auto bytes = readWholeFile(picture, kMaxReadSize);
            if (!bytes) return packFailure(kPackReadFailedText + pathToUtf8(picture));
            entries.push_back({"shem/" + r.pictureName, *bytes});
        }
    }
    for (const ArchiveEntry& e : entries) r.names.push_back(e.name);
    r.ok = true;
    return r;
}

PackResult packProject(const std::filesystem::path& projectFile, const std::filesystem::path& archiveFile,
                       const std::filesystem::path& workingShem) {
    std::vector<ArchiveEntry> entries;
    PackResult r = collectProject(projectFile, workingShem, entries);
    if (!r.ok) return r;
    Bytes archive;
    if (!writeZipArchive(entries, archive)) return packFailure(kPackNamesText);
    if (!writeFileAtomically(archiveFile, archive)) return packFailure(kPackWriteFailedText + pathToUtf8(archiveFile));
    return r;
}

UnpackResult unpackProject(const std::filesystem::path& archiveFile, const std::filesystem::path& folder) {
    const auto bytes = readWholeFile(archiveFile, std::size_t(200) << 20);
    if (!bytes) return unpackFailure(kPackReadFailedText + pathToUtf8(archiveFile));
    const ArchiveReadResult read = readZipArchive(*bytes);
    if (!read.ok()) return unpackFailure(archiveErrorText(read));

    // Exactly one project file, at the top, readable as a project.
    const ArchiveEntry* project = nullptr;
    for (const ArchiveEntry& e : read.entries) {
        if (e.name.find('/') != std::string::npos || !endsWithPtm(e.name)) continue;
        if (project) return unpackFailure(kUnpackSeveralProjectsText);
        project = &e;
    }
    if (!project) return unpackFailure(kUnpackNoProjectText);
    if (!parseProject(project->data)) return unpackFailure(kPackNotProjectText + project->name);

    // Nothing written yet: a file in the way is found before anything moves.
    std::vector<FileToWrite> files;
    UnpackResult r;
    for (const ArchiveEntry& e : read.entries) {
        const auto target = folder / pathFromUtf8(e.name);
        if (pathExists(target)) {
            const auto there = isRegularFile(target) ? readWholeFile(target, e.data.size() + 1) : std::nullopt;
            if (!there || *there != e.data) return unpackFailure(kUnpackExistsText + pathToUtf8(target));
            r.files.push_back(target);
            continue;  // the same file is there already
        }
        files.push_back({target, e.data});
    }

    // The folders the unpacking makes are removed again when it fails.
    std::vector<std::filesystem::path> made;
    auto undoFolders = [&made] {
        std::error_code ec;
        for (auto it = made.rbegin(); it != made.rend(); ++it) std::filesystem::remove(*it, ec);
    };
    for (const FileToWrite& f : files) {
        std::vector<std::filesystem::path> missing;
        for (auto p = f.target.parent_path(); !p.empty() && !pathExists(p); p = p.parent_path()) {
            missing.push_back(p);
            if (p == p.parent_path()) break;
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            std::error_code ec;
            if (!std::filesystem::create_directory(*it, ec) || ec) {
                undoFolders();
                return unpackFailure(kPackWriteFailedText + pathToUtf8(*it));
            }
            made.push_back(*it);
        }
    }
    // Every target was new, so a failed set takes its files away again; one
    // that could not be removed then is tried once more.
    const WriteTogetherResult written = writeFilesTogether(files);
    if (!written.ok()) {
        for (const int i : written.replaced) {
            std::error_code ec;
            std::filesystem::remove(files[std::size_t(i)].target, ec);
        }
        undoFolders();
        return unpackFailure(kPackWriteFailedText + pathToUtf8(files[std::size_t(written.failed)].target));
    }
    for (const FileToWrite& f : files) r.files.push_back(f.target);
    r.projectFile = folder / pathFromUtf8(project->name);
    r.ok = true;
    return r;
}

}  // namespace livra
