#pragma once
// Small helpers shared by the command files.
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "app/user_dialogs.h"
#include "cli/commands.h"
#include "model/configuration.h"
#include "model/files.h"
#include "model/safety_file.h"
#include "sim/sim_clock.h"

namespace livra::cli {

// Splits "--name value" options from positional arguments. Unknown options
// and missing or empty values make `error` non-empty.
class ArgParser {
public:
    ArgParser(const Args& args, std::initializer_list<const char*> valueOptions,
              std::initializer_list<const char*> flags);
    bool has(const std::string& flag) const;
    std::optional<std::string> value(const std::string& option) const;
    std::vector<std::string> values(const std::string& option) const;  // repeated options
    const std::vector<std::string>& positional() const { return positional_; }
    const std::string& error() const { return error_; }

private:
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> flags_;
    std::vector<std::string> positional_;
    std::string error_;
};

// Prints "livra NAME: message" on stderr and returns ExitUsage.
int usageError(const char* command, const std::string& message);
// A box's text on stderr, then the file it is about: "Файл: PATH".
void reportFileError(const std::string& path, std::string text);

// A whole stream (standard input) of at most `limit` bytes, as readWholeFile
// caps a file; nothing when it is longer or cannot be read.
std::optional<Bytes> readCapped(std::istream& in, std::size_t limit);

// Saves a new project's bytes at `out` as the desktop program saves
// (saveProjectFile): with `safety`, the pair together; without, a safety file
// of some other configuration left there goes. Failures go to stderr; the
// exit status.
int saveForCommand(const std::string& out, std::span<const uint8_t> project, const SafetyData* safety,
                   const Configuration& c);

// "DD.MM.YYYY HH:MM:SS" (the --start of simulate) into the clock, as
// "Установить" does with the pickers; false and no change for anything else.
bool setClockFromText(SimClock& clock, const std::string& text);

// Loads a project into a fresh configuration whose ProgramDir is a private
// scratch folder, so reading never touches the user's plan file. On failure
// prints the loader's message on stderr and returns nothing.
std::unique_ptr<Configuration> loadProjectForReading(const std::string& path, std::string* planBytes = nullptr);

// Reads the safety file beside the project into c.Safety. A stale file is
// reported on stderr and used; a damaged one is reported and gives false.
bool loadSafetyForCommand(Configuration& c, const std::string& projectPath, SafetyFileStatus* status = nullptr);

// The project and its safety file, as every command that shows or depends on
// the safety verdict reads them (check --safety, report, diagram, write,
// verify, simulate, dump): one way, so "замечаний нет" means the same
// everywhere. Nothing when either cannot be read (reported on stderr).
std::unique_ptr<Configuration> loadProjectWithSafety(const std::string& path, std::string* planBytes = nullptr);

// Writes c.Safety (matrix and object data) beside the project; a matrix read
// as written for other directions keeps the kinds it was written for, so it
// stays marked. False, with the message on stderr, when it could not be written.
bool saveCompanionFile(const Configuration& c, const std::string& projectPath, bool stale);

// Message boxes go to stderr as "Title: text"; questions get their default
// (Yes/Ok); the error list goes to stdout.
class ConsoleDialogs : public UserDialogs {
public:
    Answer messageBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon) override;
    std::optional<std::string> openFileName(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> textInput(const std::string&, const std::string&, bool) override { return std::nullopt; }
    void clear() override {}
    void add(const std::string& line) override { std::cout << line << '\n'; }
};

}  // namespace livra::cli
