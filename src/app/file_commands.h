#pragma once
// The commands of the "Файл" menu: New, Open, Save, Save as and Exit, with
// their questions and the window title. Toolkit-free: they ask through
// UserDialogs and refresh the window through FileCommandViews.
#include <string>

#include "app/texts.h"
#include "app/user_dialogs.h"
#include "model/configuration.h"

namespace livra {

// What the file commands refresh in the main window. The defaults do nothing,
// so tests and the command line pass a plain FileCommandViews.
class FileCommandViews {
public:
    virtual ~FileCommandViews() = default;
    virtual void setTitle(const std::string& /*title*/) {}
    // After a load or New: calendar list, directions picture scrolled back to
    // the top, channel count and delay fields from the model.
    virtual void configurationReplaced() {}
};

// "Конфигуратор ДК 'Ливра'  -  " followed by the file-name part of the path.
std::string windowTitleFor(const std::string& projectFileName);
void updateTitle(const Configuration& c, FileCommandViews& views);

// The path with ".ptm" appended unless its extension already is ptm (any case).
std::string withProjectExtension(const std::string& path);

// Each returns true when it changed the configuration or the file.
bool newConfiguration(Configuration& c, UserDialogs& ui, FileCommandViews& views);
bool openProject(Configuration& c, UserDialogs& ui, FileCommandViews& views);
bool openProjectFromCommandLine(Configuration& c, const std::string& path, UserDialogs& ui,
                                FileCommandViews& views);
bool saveProjectCommand(Configuration& c, UserDialogs& ui, FileCommandViews& views);
bool saveProjectAs(Configuration& c, UserDialogs& ui, FileCommandViews& views);

// "Импорт из JSON…": the project a JSON text describes (as `livra dump
// --json` prints it) replaces the tables as Open does, with its plan and its
// safety data, as a project not yet saved. A fault is shown with its place
// and changes nothing.
bool importProjectJson(Configuration& c, UserDialogs& ui, FileCommandViews& views);
// "Экспорт в JSON…": the project as Save would write it, as that JSON text.
bool exportProjectJson(const Configuration& c, UserDialogs& ui);

// True when the program may quit; false keeps it running with the changes.
bool exitApplication(Configuration& c, UserDialogs& ui, FileCommandViews& views);

}  // namespace livra
