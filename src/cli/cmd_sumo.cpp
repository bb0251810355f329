// livra sumo-export, livra sumo-import.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "check/safety_check.h"
#include "check/validator.h"
#include "cli/cli_util.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "sumo/sumo_actuated.h"
#include "sumo/sumo_export.h"
#include "sumo/sumo_import.h"
#include "sumo_qt/sumo_xml_reader.h"

namespace livra::cli {
namespace {

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr const char* kSumoExportUsage =
    "usage: livra sumo-export FILE.ptm --out FILE.add.xml [--tls ID] [--actuated [--net FILE.net.xml]]";

// The net the push-button export places its detectors by: --net, else the net
// named in the project's link map, beside the project.
std::optional<std::string> netForActuated(const ArgParser& p, const Configuration& c, const std::string& project) {
    if (const auto net = p.value("--net")) return *net;
    if (c.Safety.sumoMap.net.empty()) return std::nullopt;
    const auto beside = pathFromUtf8(project).parent_path() / pathFromUtf8(c.Safety.sumoMap.net);
    std::error_code error;
    if (!std::filesystem::is_regular_file(beside, error)) return std::nullopt;
    return pathToUtf8(beside);
}

int runSumoExport(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out", "--tls", "--net"}, {"--actuated"});
    if (!p.error().empty()) return usageError("sumo-export", p.error());
    const auto out = p.value("--out");
    if (p.positional().size() != 1 || !out) return usageError("sumo-export", kSumoExportUsage);
    const bool actuated = p.has("--actuated");
    if (p.value("--net") && !actuated) return usageError("sumo-export", "--net is for --actuated");
    auto config = loadProjectForReading(p.positional()[0]);
    if (!config || !loadSafetyForCommand(*config, p.positional()[0])) return ExitUsage;
    // A project imported from SUMO exports to the light it came from.
    const std::string& mapped = config->Safety.sumoMap.tls;
    const std::string tls = p.value("--tls").value_or(mapped.empty() ? std::string(kDefaultSumoTls) : mapped);
    if (!isValidSumoId(tls)) return usageError("sumo-export", "--tls needs an id without blanks, quotes, <, > or &");
    std::optional<std::string> netPath;
    if (actuated) {
        netPath = netForActuated(p, *config, p.positional()[0]);
        if (!netPath)
            return usageError("sumo-export",
                              "--actuated places its detectors by the SUMO net: give --net FILE.net.xml");
    }
    VectorErrorList verdict;
    if (validateConfiguration(*config, verdict) != 0) {
        for (const auto& line : verdict.lines) std::cerr << line << "\n";
        std::cerr << kSumoExportRefusedText << "\n";
        return ExitFailed;
    }
    SumoAdditional a;
    std::vector<std::string> notes;
    if (actuated) {
        const SumoReadResult net = readSumoFile(*netPath);
        if (!net.file) {
            std::cerr << net.error << "\n";
            return ExitUsage;
        }
        if (!net.file->isNet) {
            std::cerr << "livra sumo-export: " << *netPath << " — не сеть SUMO (.net.xml)\n";
            return ExitUsage;
        }
        SumoActuatedResult r = buildSumoActuatedExport(*config, tls, *net.file);
        if (!r.ok) {
            std::cerr << "livra sumo-export: " << r.error << "\n";
            std::cerr << "Ничего не записано.\n";
            return ExitFailed;
        }
        a = std::move(r.additional);
        notes = std::move(r.notes);
    } else {
        a = buildSumoExport(*config, tls);
    }
    if (!saveSumoExport(a, *out, baseName(p.positional()[0]))) {
        reportFileError(*out, kSaveErrorText);
        return ExitFailed;
    }
    std::cout << "Светофор " << tls << ", программы:";
    for (const auto& l : a.tlLogics) std::cout << ' ' << l.programId;
    std::cout << "\n";
    for (const auto& line : notes) std::cout << line << "\n";
    if (!a.wauts.empty())
        std::cout << "Календарь: переключений " << a.wauts[0].switches.size() << ", в понедельник 00:00 — "
                  << a.wauts[0].startProg << "\n";
    return ExitOk;
}

int runSumoImport(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--tls", "--program-id", "--into", "--program"},
                {"--replace", "--as-fixed", "--create-directions", "--force", "--show-map"});
    if (!p.error().empty()) return usageError("sumo-import", p.error());
    const auto tls = p.value("--tls"), into = p.value("--into"), programText = p.value("--program");
    auto programId = p.value("--program-id");
    if (p.positional().size() != 1 || !tls || !into || !programText)
        return usageError("sumo-import",
                          "usage: livra sumo-import FILE.net.xml --tls ID [--program-id P] --into FILE.ptm "
                          "--program N [--replace] [--as-fixed] [--create-directions] [--force] [--show-map]");
    int program = 0;
    for (char ch : *programText) {
        if (ch < '0' || ch > '9' || program > 100) return usageError("sumo-import", "--program needs a number 4..16");
        program = program * 10 + (ch - '0');
    }
    if (program < FirstUserProgram + 1 || program > ProgramCount)
        return usageError("sumo-import", "--program needs a number 4..16 (a user program)");

    const SumoReadResult read = readSumoFile(p.positional()[0]);
    if (!read.file) {
        std::cerr << read.error << "\n";
        return ExitUsage;
    }
    if (!programId) {
        // One program: no need to name it.
        const auto ids = sumoProgramIds(*read.file, *tls);
        if (ids.size() != 1) {
            std::cerr << "livra sumo-import: у светофора " << *tls << " программ " << ids.size()
                      << ": укажите --program-id (есть:";
            for (const auto& id : ids) std::cerr << ' ' << id;
            std::cerr << ")\n";
            return ExitUsage;
        }
        programId = ids[0];
    }
    const auto bytes = readWholeFile(pathFromUtf8(*into), kMaxProjectFileSize);
    auto parsed = bytes ? parseProject(*bytes) : std::nullopt;
    if (!parsed) {
        reportFileError(*into, bytes ? kFormatErrorText : kOpenErrorText);
        return ExitUsage;
    }
    Configuration& c = *parsed->config;
    if (!loadSafetyForCommand(c, *into)) return ExitUsage;
    SumoImportRequest request{*tls, *programId, program - 1, p.has("--replace")};
    request.asFixed = p.has("--as-fixed");
    request.createDirections = p.has("--create-directions");
    request.force = p.has("--force");
    request.netName = baseName(p.positional()[0]);
    const SumoImportResult r = importSumoProgram(c, *read.file, request);
    if (!r.ok) {
        std::cerr << "livra sumo-import: " << r.error << "\n";
        if (r.targetNotEmpty) std::cerr << "Чтобы заменить её, добавьте --replace.\n";
        if (r.actuated)
            std::cerr << "Чтобы принять её как жёсткую (duration — Т осн, minDur — Т мин), добавьте --as-fixed.\n";
        if (r.conflictingGreens) std::cerr << "Чтобы принять её всё же, добавьте --force.\n";
        std::cerr << "Ничего не изменено.\n";
        return ExitFailed;
    }
    const Bytes file = serializeProject(c, parsed->plan);
    // The project and its side data (with the link map) go together, as "Сохранить" saves them.
    if (saveForCommand(*into, file, c.Safety.needsFile() ? &c.Safety : nullptr, c) != ExitOk) return ExitFailed;
    for (const auto& line : r.notes) std::cout << line << "\n";
    std::cout << "Принято тактов: " << r.tacts << " (программа " << program << ", " << *tls << "/" << *programId
              << ")\n";
    if (p.has("--show-map"))
        for (const auto& line : sumoMapLines(c.Safety.sumoMap)) std::cout << line << "\n";
    VectorErrorList verdict;
    const bool clean = validateConfiguration(c, verdict) == 0;
    for (const auto& line : verdict.lines) std::cout << "Проверка: " << line << "\n";
    if (clean)
        for (const auto& line : safetyReportLines(checkSafety(c, c.Safety))) std::cout << line << "\n";
    return ExitOk;
}

}  // namespace

const std::vector<Command>& sumoCommands() {
    static const std::vector<Command> commands = {
        {"sumo-export", "sumo-export FILE.ptm --out FILE.add.xml [--tls ID] [--actuated [--net FILE.net.xml]]",
         "Writes the project's programs as a SUMO additional file: one static tlLogic\n"
         "per non-empty user program P (call tacts left out), P-call1, P-call2 and\n"
         "P-call12 serving the calls every cycle where the program has them, program\n"
         "2 (ЖМ) as one phase, 3 (ОС) as \"off\" where the calendar uses it, and the\n"
         "calendar as a weekly WAUT (seconds from Monday 00:00, switching at the end\n"
         "of a cycle). Link index k is direction k+1; the letter table is in\n"
         "docs/sumo.md. --tls names the traffic light in the SUMO net (default J, or\n"
         "the light the project was imported from: then its link map gives the\n"
         "net's links and their g).\n"
         "\n"
         "--actuated writes each program with call tacts as one SUMO actuated program\n"
         "P instead: its call tacts run only when walkers wait at a crossing the call\n"
         "serves (detector loops on the crossing's walking areas, from the net), the\n"
         "request is kept until they get their green, and a pending request cuts a\n"
         "phase to its Т мин. The net is --net, or the one named in the project's\n"
         "link map when it lies beside the project.\n"
         "\n"
         "A configuration with errors is refused: the validator's verdict goes to\n"
         "stderr, exit status 1; so is a call the net has no crossing for.\n",
         runSumoExport},
        {"sumo-import",
         "sumo-import FILE.net.xml --tls ID [--program-id P] --into FILE.ptm --program N [--replace] [--as-fixed] "
         "[--create-directions] [--force] [--show-map]",
         "Reads program P of traffic light ID from a SUMO file (.net.xml, .net.xml.gz,\n"
         "additional <additional>/<add>, .tll.xml) into user program N (4..16) of the\n"
         "project (P may be left out when the light has one program; no programID is\n"
         "\"0\"). Each phase becomes a tact: a \"Фаза\" when something goes and no one\n"
         "is in transition (y, u), else a \"Промтакт\"; duration is Т осн, minDur Т мин.\n"
         "In a project without directions (or with --create-directions) the links\n"
         "that show the same in every phase of every program of the light become one\n"
         "direction each (over a crossing: pedestrian), wired to channels in order;\n"
         "the link -> direction map is kept in NAME.safety.json (--show-map prints it)\n"
         "and the export writes the same links, g included. From a net, crossing\n"
         "pairs that never go together are proposed as conflicts with intergreens\n"
         "from the internal lanes' geometry. Every change is said: g taken as green,\n"
         "a cycle rotated to start with a phase, phases over 255 s split, a calendar\n"
         "entry on an empty calendar. actuated/delay_based programs need --as-fixed;\n"
         "greens of directions that conflict in the matrix need --force. Program N\n"
         "must be empty unless --replace is given. Any doubt refuses the import and\n"
         "leaves the project as it was. After an import the validator prints its\n"
         "verdict.\n",
         runSumoImport},
    };
    return commands;
}

}  // namespace livra::cli
