// livra safety: edits the safety file beside a project from scripts.
#include <iostream>

#include "cli/cli_util.h"
#include "model/files.h"
#include "model/safety_file.h"

namespace livra::cli {
namespace {

struct RuleField {
    const char* name;
    int SafetyRules::*field;
};

constexpr RuleField kRules[] = {
    {"yellow", &SafetyRules::yellow},
    {"redYellowMin", &SafetyRules::redYellowMin},
    {"redYellowMax", &SafetyRules::redYellowMax},
    {"flashingGreen", &SafetyRules::flashingGreen},
    {"minGreenVehicle", &SafetyRules::minGreenVehicle},
    {"minGreenPedestrian", &SafetyRules::minGreenPedestrian},
};

std::optional<int> number(const std::string& text, int lo, int hi) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

// One edit as given on the command line; applied in order after --clear.
struct Edit {
    std::string option;
    std::vector<std::string> values;
};

int runSafety(const GlobalOptions&, const Args& args) {
    const char* usage =
        "usage: livra safety FILE.ptm [--clear] [--conflict A B]... [--no-conflict A B]...\n"
        "       [--intergreen FROM TO SECONDS]... [--no-intergreen FROM TO]... [--rule NAME SECONDS]...";
    std::string project;
    bool clear = false;
    std::vector<Edit> edits;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        int arity = -1;
        if (a == "--clear") clear = true, arity = 0;
        else if (a == "--conflict" || a == "--no-conflict" || a == "--no-intergreen" || a == "--rule") arity = 2;
        else if (a == "--intergreen") arity = 3;
        else if (a.rfind("--", 0) == 0) return usageError("safety", "unknown option " + a + "\n" + usage);
        else if (project.empty()) {
            project = a;
            continue;
        } else {
            return usageError("safety", "unexpected argument " + a + "\n" + usage);
        }
        if (arity == 0) continue;
        if (i + arity >= args.size()) return usageError("safety", a + " needs " + std::to_string(arity) + " values");
        edits.push_back({a, Args(args.begin() + long(i) + 1, args.begin() + long(i) + 1 + arity)});
        i += size_t(arity);
    }
    if (project.empty()) return usageError("safety", usage);

    auto c = loadProjectForReading(project);
    if (!c) return ExitUsage;
    const std::string file = safetyFileNameFor(project);
    const SafetyLoadResult loaded = loadProjectSafety(*c, project);
    if (loaded.status == SafetyFileStatus::Damaged && !clear) {
        reportFileError(file, loaded.message + "\n--clear starts a new one");
        return ExitUsage;
    }
    if (loaded.status == SafetyFileStatus::Stale || loaded.status == SafetyFileStatus::Mismatched)
        std::cerr << loaded.message << "\n";
    if (edits.empty() && !clear) {
        // Nothing to change: show what there is.
        if (c->Safety.defined) std::cout << safetyJson(c->Safety, *c);
        else std::cout << "Матрица конфликтов не задана\n";
        return ExitOk;
    }

    SafetyData& s = c->Safety;
    if (clear) s.clear();
    s.defined = true;
    // A pair may only name signal heads of the project.
    auto direction = [&](const std::string& text, int& out) {
        const auto v = number(text, 1, DirectionCount);
        if (!v || !isNormalDirection(c->DirectionKind[*v - 1])) return false;
        out = *v - 1;
        return true;
    };
    for (const Edit& e : edits) {
        int a = -1, b = -1;
        if (e.option == "--rule") {
            const RuleField* rule = nullptr;
            for (const RuleField& r : kRules)
                if (e.values[0] == r.name) rule = &r;
            const auto v = number(e.values[1], 0, 255);
            if (!rule) return usageError("safety", "unknown rule " + e.values[0]);
            if (!v) return usageError("safety", "rule " + e.values[0] + ": seconds 0..255, not " + e.values[1]);
            s.rules.*(rule->field) = *v;
            continue;
        }
        if (!direction(e.values[0], a) || !direction(e.values[1], b) || a == b)
            return usageError("safety", e.option + " " + e.values[0] + " " + e.values[1] +
                                            ": two different signal directions of the project");
        if (e.option == "--conflict") {
            s.conflict[a].set(b), s.conflict[b].set(a);
            s.proposed[a].reset(b), s.proposed[b].reset(a);
        } else if (e.option == "--no-conflict") {
            s.conflict[a].reset(b), s.conflict[b].reset(a);
            s.proposed[a].reset(b), s.proposed[b].reset(a);
            s.intergreen[a][b] = s.intergreen[b][a] = IntergreenNotSet;
            s.calculatorInputs.erase({a, b});
            s.calculatorInputs.erase({b, a});
        } else if (e.option == "--intergreen") {
            const auto v = number(e.values[2], 0, 255);
            if (!v) return usageError("safety", "--intergreen: seconds 0..255, not " + e.values[2]);
            // An intergreen time only means something between conflicting directions.
            s.conflict[a].set(b), s.conflict[b].set(a);
            s.intergreen[a][b] = int16_t(*v);
        } else if (e.option == "--no-intergreen") {
            s.intergreen[a][b] = IntergreenNotSet;
            s.calculatorInputs.erase({a, b});
        }
    }
    // Written beside the project as it now stands: its bytes stamp the file.
    if (const auto bytes = readWholeFile(pathFromUtf8(project), kMaxProjectFileSize)) s.project = stampOf(*bytes);
    const std::string text = safetyJson(s, *c);
    if (!writeFileAtomically(pathFromUtf8(file),
                             std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()))) {
        reportFileError(file, "Не удалось записать файл данных безопасности.");
        return ExitFailed;
    }
    std::cout << "Записано: " << file << "\n";
    return ExitOk;
}

}  // namespace

const std::vector<Command>& safetyCommands() {
    static const std::vector<Command> commands = {
        {"safety", "safety FILE.ptm [--clear] [--conflict A B] [--intergreen FROM TO S] [--rule NAME S] ...",
         "Edits the safety data beside a project, FILE.safety.json (see docs/safety.md),\n"
         "and writes it; the project file itself is not touched. Edits apply in order:\n"
         "  --clear                    start from an empty matrix and the default rules\n"
         "  --conflict A B             directions A and B conflict\n"
         "  --no-conflict A B          they do not (their intergreen times go too)\n"
         "  --intergreen FROM TO S     at least S seconds (0..255) from the end of FROM's\n"
         "                             go signal to the start of TO's green; the pair is\n"
         "                             made conflicting\n"
         "  --no-intergreen FROM TO    no intergreen time for that ordered pair\n"
         "  --rule NAME S              a signal-sequence rule, 0 switches it off: yellow,\n"
         "                             redYellowMin, redYellowMax, flashingGreen,\n"
         "                             minGreenVehicle, minGreenPedestrian\n"
         "Directions are numbered from 1 as on screen and must be signal heads of the\n"
         "project. Without edits the current safety data is printed.\n"
         "Exit status: 0 written (or shown), 1 the file could not be written, 2 bad\n"
         "usage, an unreadable project, or a damaged safety file (--clear replaces it).\n",
         runSafety},
    };
    return commands;
}

}  // namespace livra::cli
