#include "cli/cli_util.h"

#include <algorithm>

#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"

namespace livra::cli {

ArgParser::ArgParser(const Args& args, std::initializer_list<const char*> valueOptions,
                     std::initializer_list<const char*> flags) {
    auto isIn = [](const std::string& a, std::initializer_list<const char*> list) {
        return std::any_of(list.begin(), list.end(), [&](const char* s) { return a == s; });
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (isIn(a, valueOptions)) {
            // An empty value ("--out \"\"") names nothing: bad usage, like a missing one.
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error_ = a + " needs a value";
                return;
            }
            options_.emplace_back(a, args[++i]);
        } else if (isIn(a, flags)) {
            flags_.push_back(a);
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            error_ = "unknown option " + a;
            return;
        } else {
            positional_.push_back(a);
        }
    }
}

bool ArgParser::has(const std::string& flag) const {
    return std::find(flags_.begin(), flags_.end(), flag) != flags_.end();
}

std::optional<std::string> ArgParser::value(const std::string& option) const {
    std::optional<std::string> found;
    for (const auto& [name, v] : options_)
        if (name == option) found = v;
    return found;
}

std::vector<std::string> ArgParser::values(const std::string& option) const {
    std::vector<std::string> found;
    for (const auto& [name, v] : options_)
        if (name == option) found.push_back(v);
    return found;
}

int usageError(const char* command, const std::string& message) {
    std::cerr << "livra " << command << ": " << message << "\n";
    return ExitUsage;
}

// `diff A B` and `verify` read more than one file, and a script's log must
// say which of them failed.
void reportFileError(const std::string& path, std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::cerr << kErrorTitle << ": " << text << "\nФайл: " << path << "\n";
}

std::unique_ptr<Configuration> loadProjectForReading(const std::string& path, std::string* planBytes) {
    auto bytes = readWholeFile(pathFromUtf8(path), kMaxProjectFileSize);
    if (!bytes) {
        reportFileError(path, kOpenErrorText);
        return nullptr;
    }
    auto parsed = parseProject(*bytes);
    if (!parsed) {
        reportFileError(path, kFormatErrorText);
        return nullptr;
    }
    if (planBytes) planBytes->assign(parsed->plan.begin(), parsed->plan.end());
    return std::move(parsed->config);
}

std::optional<Bytes> readCapped(std::istream& in, std::size_t limit) { return readStreamCapped(in, limit); }

int saveForCommand(const std::string& out, std::span<const uint8_t> project, const SafetyData* safety,
                   const Configuration& c) {
    const ProjectResult r = saveProjectFile(out, project, safety, c);
    if (r.ok()) return ExitOk;
    std::cerr << kErrorTitle << ": " << r.message;
    return ExitFailed;
}

bool loadSafetyForCommand(Configuration& c, const std::string& projectPath, SafetyFileStatus* status) {
    const SafetyLoadResult r = loadProjectSafety(c, projectPath);
    if (status) *status = r.status;
    if (r.status == SafetyFileStatus::Damaged) {
        reportFileError(safetyFileNameFor(projectPath), r.message);
        return false;
    }
    if (r.status == SafetyFileStatus::Stale || r.status == SafetyFileStatus::Mismatched) std::cerr << r.message << "\n";
    return true;
}

bool saveCompanionFile(const Configuration& c, const std::string& projectPath, bool stale) {
    auto kinds = std::make_unique<Configuration>();
    kinds->DirectionKind = stale ? c.Safety.writtenKinds : c.DirectionKind;
    const std::string text = safetyJson(c.Safety, *kinds);
    const std::string side = safetyFileNameFor(projectPath);
    if (writeFileAtomically(pathFromUtf8(side), std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())))
        return true;
    reportFileError(side, kSaveErrorText);
    return false;
}

std::unique_ptr<Configuration> loadProjectWithSafety(const std::string& path, std::string* planBytes) {
    auto c = loadProjectForReading(path, planBytes);
    if (!c || !loadSafetyForCommand(*c, path)) return nullptr;
    return c;
}

Answer ConsoleDialogs::messageBox(const std::string& title, const std::string& text, Buttons buttons, Icon) {
    std::cerr << title << ": " << text;
    if (text.empty() || text.back() != '\n') std::cerr << '\n';
    switch (buttons) {
        case Buttons::YesNo:
        case Buttons::YesNoCancel: return Answer::Yes;
        default: return Answer::Ok;
    }
}

}  // namespace livra::cli
