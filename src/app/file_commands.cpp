#include "app/file_commands.h"

#include "app/safety_commands.h"

#include <filesystem>
#include <system_error>

#include "app/save_names.h"
#include "format/project_json.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"

namespace livra {
namespace {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(pathFromUtf8(path), ec);
}

void showProjectError(UserDialogs& ui, const ProjectResult& r) {
    ui.messageBox(kErrorTitle, r.message, Buttons::Ok, Icon::Exclamation);
}

bool askYes(UserDialogs& ui, const char* title, const std::string& text) {
    return ui.messageBox(title, text, Buttons::YesNo, Icon::Exclamation) == Answer::Yes;
}

// Loads a project and shows it; steps shared by Open and the command line.
bool loadAndShow(Configuration& c, const std::string& path, UserDialogs& ui, FileCommandViews& views) {
    const ProjectResult r = loadProject(c, path);
    if (!r.ok()) {
        showProjectError(ui, r);
        return false;
    }
    c.Modified = 0;
    c.ProjectFileName = path;
    updateTitle(c, views);
    ui.clear();  // earlier verdicts were about the configuration just replaced
    // A missing safety file is no matrix yet; a stale or damaged one is
    // reported, and the project opens all the same.
    reportSafetyLoad(loadProjectSafety(c, path), ui);
    views.configurationReplaced();
    return true;
}

// Save and Save as. `alwaysChoose` shows the dialog even for a named project
// and asks before overwriting any existing file, the current one included.
bool saveFlow(Configuration& c, UserDialogs& ui, FileCommandViews& views, bool alwaysChoose) {
    bool choose = alwaysChoose || c.ProjectFileName.empty();
    for (;;) {
        std::string path = c.ProjectFileName;
        if (choose) {
            auto chosen = ui.saveFileName(kProjectFilter, c.ProjectFileName);
            if (!chosen || chosen->empty()) return false;
            path = *chosen;
        }
        path = withProjectExtension(path);
        // Writing silently is only safe over the project's own file; an
        // added extension may name some other existing file.
        const bool ownFile = !choose && path == c.ProjectFileName;
        if (!ownFile && fileExists(path) && !confirmOverwrite(ui, path)) {
            choose = true;
            continue;
        }
        const ProjectResult r = saveProject(c, path);
        if (!r.ok()) {
            showProjectError(ui, r);
            return false;
        }
        c.ProjectFileName = path;
        c.Modified = 0;
        updateTitle(c, views);
        return true;
    }
}

}  // namespace

std::string windowTitleFor(const std::string& projectFileName) {
    return std::string(kBaseTitle) + "  -  " + fileNamePart(projectFileName);
}

void updateTitle(const Configuration& c, FileCommandViews& views) {
    views.setTitle(windowTitleFor(c.ProjectFileName));
}

std::string withProjectExtension(const std::string& path) { return withExtension(path, ".ptm"); }

bool newConfiguration(Configuration& c, UserDialogs& ui, FileCommandViews& views) {
    if (c.Modified == 1 && !askYes(ui, kNewTitle, kNewQuestion)) return false;
    // The new configuration has no intersection plan.
    std::error_code ec;
    std::filesystem::remove(planFilePath(c), ec);
    resetConfiguration(c);
    c.Modified = 1;
    c.ProjectFileName.clear();
    updateTitle(c, views);
    ui.clear();  // the old project's verdict does not speak for the new one
    views.configurationReplaced();
    return true;
}

bool openProject(Configuration& c, UserDialogs& ui, FileCommandViews& views) {
    if (c.Modified == 1 && !askYes(ui, kOpenTitle, kOpenQuestion)) return false;
    auto path = ui.openFileName(kProjectFilter);
    if (!path || path->empty()) return false;
    return loadAndShow(c, *path, ui, views);
}

bool openProjectFromCommandLine(Configuration& c, const std::string& path, UserDialogs& ui,
                                FileCommandViews& views) {
    if (path.empty()) return false;
    return loadAndShow(c, path, ui, views);
}

bool saveProjectCommand(Configuration& c, UserDialogs& ui, FileCommandViews& views) {
    return saveFlow(c, ui, views, false);
}

bool saveProjectAs(Configuration& c, UserDialogs& ui, FileCommandViews& views) {
    return saveFlow(c, ui, views, true);
}

bool importProjectJson(Configuration& c, UserDialogs& ui, FileCommandViews& views) {
    if (c.Modified == 1 && !askYes(ui, kImportJsonTitle, kOpenQuestion)) return false;
    const auto path = ui.openFileName(kJsonFilter);
    if (!path || path->empty()) return false;
    const auto text = readWholeFile(pathFromUtf8(*path), kMaxJsonSize);
    if (!text) {
        ui.messageBox(kErrorTitle, kOpenErrorText, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    std::string error;
    auto project = projectFromJson(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), error);
    auto safety = std::make_unique<SafetyData>();
    if (project && project->safety) {
        const SafetyLoadResult read = parseSafetyJson(*project->safety, *project->config, *safety);
        if (read.status != SafetyFileStatus::Loaded) error = "safety: " + read.message;
    }
    if (!project || !error.empty()) {
        ui.messageBox(kErrorTitle, kImportJsonErrorText + error, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    // The plan goes where the simulator reads it, as an opened project's does.
    if (!c.ProgramDir.empty() && !writeFileAtomically(planFilePath(c), project->plan)) {
        ui.messageBox(kErrorTitle, kSaveErrorText, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    replaceTables(c, *project->config);
    c.Safety = *safety;
    c.Modified = 1;
    c.ProjectFileName.clear();
    updateTitle(c, views);
    ui.clear();
    views.configurationReplaced();
    return true;
}

bool exportProjectJson(const Configuration& c, UserDialogs& ui) {
    const std::string suggested =
        c.ProjectFileName.empty() ? std::string() : pathToUtf8(pathFromUtf8(c.ProjectFileName).replace_extension(".json"));
    const auto path = askSaveFileName(ui, kJsonFilter, suggested, ".json");
    if (!path) return false;
    Bytes plan;
    if (!c.ProgramDir.empty()) {
        if (auto bytes = readWholeFile(planFilePath(c), kMaxPlanFileSize)) plan = std::move(*bytes);
    }
    const auto text = projectToJson(serializeProject(c, plan), &c.Safety);
    if (!text || !writeFileAtomically(pathFromUtf8(*path), std::span(reinterpret_cast<const uint8_t*>(text->data()),
                                                                      text->size()))) {
        ui.messageBox(kErrorTitle, kSaveErrorText, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    return true;
}

bool exitApplication(Configuration& c, UserDialogs& ui, FileCommandViews& views) {
    if (c.Modified != 1) return true;
    switch (ui.messageBox(kExitTitle, kExitQuestion, Buttons::YesNoCancel, Icon::Question)) {
    case Answer::Yes:
        // Quitting after a save that did not happen would lose the changes
        // the user just asked to keep.
        return saveProjectCommand(c, ui, views);
    case Answer::No:
        return true;
    default:
        return false;
    }
}

}  // namespace livra
