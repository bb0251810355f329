// livra design: builds a user program from its phases, or shows the phases
// of one, in the same --phase form.
#include <iostream>

#include "cli/cli_util.h"
#include "design/phase_design.h"
#include "design/start_up.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"

namespace livra::cli {
namespace {

constexpr const char* kUsage =
    "usage: livra design FILE.ptm --program N --phase DIRS[:TMIN:TMAIN] ... "
    "[--call1-after K --call1-phase DIRS:TMAIN] [--call2-after K --call2-phase DIRS:TMAIN] [--no-start-up]\n"
    "       livra design FILE.ptm --program N --show";

std::optional<int> number(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    return v;
}

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> parts{""};
    for (char ch : text) {
        if (ch == by) parts.emplace_back();
        else parts.back() += ch;
    }
    return parts;
}

// "1,3:12:30", "1,3" (times: the directions' least green) or, for a call
// phase, "3,4:12".
std::optional<Phase> parsePhase(const Configuration& c, const std::string& text, bool call) {
    const std::vector<std::string> parts = split(text, ':');
    if (parts.size() != 1 && parts.size() != (call ? 2u : 3u)) return std::nullopt;
    Phase ph;
    // An empty list is an all-red phase (a start-up after flashing yellow);
    // a call serves somebody, so its list is never empty.
    if (!parts[0].empty() || call || parts.size() == 1) {
        const auto dirs = parseDirectionList(parts[0]);
        if (!dirs) return std::nullopt;
        ph.directions = *dirs;
    }
    int least = 1;
    for (int d : ph.directions) least = std::max(least, designMinGreen(c, d));
    if (parts.size() == 1) {
        ph.tMin = call ? 0 : least;
        ph.tMain = least;
        return ph;
    }
    const auto a = number(parts[1]);
    if (!a) return std::nullopt;
    if (call) {
        ph.tMain = *a;
        return ph;
    }
    const auto b = number(parts[2]);
    if (!b) return std::nullopt;
    ph.tMin = *a, ph.tMain = *b;
    return ph;
}

int runDesign(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--program", "--phase", "--call1-after", "--call1-phase", "--call2-after", "--call2-phase"},
                {"--show", "--no-start-up"});
    if (!p.error().empty()) return usageError("design", p.error() + "\n" + kUsage);
    const auto programText = p.value("--program");
    if (p.positional().size() != 1 || !programText) return usageError("design", kUsage);
    const auto program = number(*programText);
    if (!program || *program < FirstUserProgram + 1 || *program > ProgramCount)
        return usageError("design", "--program needs a number 4..16 (a user program)");
    const std::string path = p.positional()[0];
    const bool show = p.has("--show");
    const std::vector<std::string> phaseTexts = p.values("--phase");
    if (show && (!phaseTexts.empty() || p.value("--call1-after") || p.value("--call2-after") ||
                 p.value("--call1-phase") || p.value("--call2-phase")))
        return usageError("design", "--show takes no phases\n" + std::string(kUsage));
    if (!show && phaseTexts.empty()) return usageError("design", "at least one --phase\n" + std::string(kUsage));

    const auto bytes = readWholeFile(pathFromUtf8(path), kMaxProjectFileSize);
    auto parsed = bytes ? parseProject(*bytes) : std::nullopt;
    if (!parsed) {
        reportFileError(path, bytes ? kFormatErrorText : kOpenErrorText);
        return ExitUsage;
    }
    Configuration& c = *parsed->config;
    if (!loadSafetyForCommand(c, path)) return ExitUsage;

    if (show) {
        const DesignResult<PhaseDesign> read = readPhases(c, *program - 1);
        if (!read.ok()) {
            std::cerr << "livra design: " << read.error << "\n";
            return ExitFailed;
        }
        std::cout << designArguments(*read.value) << "\n";
        return ExitOk;
    }

    PhaseDesign design;
    for (const std::string& text : phaseTexts) {
        const auto ph = parsePhase(c, text, false);
        if (!ph) return usageError("design", "--phase " + text + ": DIRS[:TMIN:TMAIN], directions 1..63, each once");
        design.phases.push_back(*ph);
    }
    for (int g = 0; g < 2; ++g) {
        const std::string key = "--call" + std::to_string(g + 1);
        const auto after = p.value(key + "-after"), phase = p.value(key + "-phase");
        if (!after && !phase) continue;
        if (!after || !phase) return usageError("design", key + "-after and " + key + "-phase go together");
        const auto k = number(*after);
        const auto ph = parsePhase(c, *phase, true);
        if (!k || *k < 1) return usageError("design", key + "-after needs a phase number 1..");
        if (!ph) return usageError("design", key + "-phase " + *phase + ": DIRS[:TMAIN], directions 1..63, each once");
        design.calls[size_t(g)] = CallPhase{*k - 1, *ph};
    }
    std::string startUp;
    if (!p.has("--no-start-up")) design = withStartUp(c, *program - 1, std::move(design), startUp);
    const DesignResult<BuiltProgram> built = applyDesign(c, *program - 1, design);
    if (!built.ok()) {
        std::cerr << "livra design: " << built.error << "\nНичего не изменено.\n";
        return ExitFailed;
    }
    const ProjectResult saved = saveProjectWithPlan(c, path, parsed->plan);
    if (!saved.ok()) {
        reportFileError(path, saved.message);
        return ExitFailed;
    }
    if (!startUp.empty()) std::cout << startUp << "\n";
    for (const DesignChange& ch : built.value->changes) std::cout << ch.text << "\n";
    std::cout << "Записано: " << path << "\n";
    return ExitOk;
}

}  // namespace

const std::vector<Command>& designCommands() {
    static const std::vector<Command> commands = {
        {"design",
         "design FILE.ptm --program N --phase DIRS[:TMIN:TMAIN] ... [--callG-after K --callG-phase DIRS:TMAIN] "
         "[--no-start-up] | --show",
         "Builds user program N (4..16) from its phases, in cycle order: DIRS is a\n"
         "comma list of the directions at go (1,3), TMIN and TMAIN the phase's times\n"
         "(without them, the directions' least green); an empty DIRS (:5:5) is an\n"
         "all-red phase. Between phases (the last back to the first too) the\n"
         "changes are built from the conflict matrix, the intergreen times and the\n"
         "signal rules of the safety file, each as short as the rules allow; one\n"
         "line per change names its length and what decides it.\n"
         "--call1-after K --call1-phase DIRS:TMAIN serves a phase on a call of ТВП1\n"
         "(ТВП2 likewise) after phase K. Where the calendar switches between program\n"
         "N and ЖМ or ОС and the first phase lets somebody go, an all-red phase is\n"
         "put first, as short as the intergreens out of flashing yellow allow (said\n"
         "in a line; --no-start-up leaves it out). The project and its safety file\n"
         "are written as \"Сохранить\" writes them.\n"
         "--show prints the phases of program N in the same form.\n"
         "\n"
         "Exit status: 0 built, 1 refused (why on stderr; nothing written), 2 bad\n"
         "usage or an unreadable project or safety file.\n",
         runDesign},
    };
    return commands;
}

}  // namespace livra::cli
