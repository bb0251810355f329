// livra sumo-export, livra sumo-import.
#include <iostream>
#include <string>

#include "check/safety_check.h"
#include "check/validator.h"
#include "cli/cli_util.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "sumo/sumo_export.h"
#include "sumo/sumo_import.h"
#include "sumo_qt/sumo_xml_reader.h"

namespace livra::cli {
namespace {

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int runSumoExport(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out", "--tls"}, {});
    if (!p.error().empty()) return usageError("sumo-export", p.error());
    const auto out = p.value("--out");
    if (p.positional().size() != 1 || !out)
        return usageError("sumo-export", "usage: livra sumo-export FILE.ptm --out FILE.add.xml [--tls ID]");
    const std::string tls = p.value("--tls").value_or(kDefaultSumoTls);
    if (!isValidSumoId(tls)) return usageError("sumo-export", "--tls needs an id without blanks, quotes, <, > or &");

    auto config = loadProjectForReading(p.positional()[0]);
    if (!config) return ExitUsage;
    VectorErrorList verdict;
    if (validateConfiguration(*config, verdict) != 0) {
        for (const auto& line : verdict.lines) std::cerr << line << "\n";
        std::cerr << kSumoExportRefusedText << "\n";
        return ExitFailed;
    }
    const SumoAdditional a = buildSumoExport(*config, tls);
    if (!saveSumoExport(a, *out, baseName(p.positional()[0]))) {
        reportFileError(*out, kSaveErrorText);
        return ExitFailed;
    }
    std::cout << "Светофор " << tls << ", программы:";
    for (const auto& l : a.tlLogics) std::cout << ' ' << l.programId;
    std::cout << "\n";
    if (!a.wauts.empty())
        std::cout << "Календарь: переключений " << a.wauts[0].switches.size() << ", в понедельник 00:00 — "
                  << a.wauts[0].startProg << "\n";
    return ExitOk;
}

int runSumoImport(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--tls", "--program-id", "--into", "--program"}, {"--replace"});
    if (!p.error().empty()) return usageError("sumo-import", p.error());
    const auto tls = p.value("--tls"), programId = p.value("--program-id"), into = p.value("--into"),
               programText = p.value("--program");
    if (p.positional().size() != 1 || !tls || !programId || !into || !programText)
        return usageError("sumo-import",
                          "usage: livra sumo-import FILE.add.xml --tls ID --program-id P --into FILE.ptm "
                          "--program N [--replace]");
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
    const auto bytes = readWholeFile(pathFromUtf8(*into), kMaxProjectFileSize);
    auto parsed = bytes ? parseProject(*bytes) : std::nullopt;
    if (!parsed) {
        reportFileError(*into, bytes ? kFormatErrorText : kOpenErrorText);
        return ExitUsage;
    }
    Configuration& c = *parsed->config;
    const SumoImportResult r = importSumoProgram(c, *read.file, {*tls, *programId, program - 1, p.has("--replace")});
    if (!r.ok) {
        std::cerr << "livra sumo-import: " << r.error << "\n";
        if (r.targetNotEmpty) std::cerr << "Чтобы заменить её, добавьте --replace.\n";
        std::cerr << "Ничего не изменено.\n";
        return ExitFailed;
    }
    const Bytes file = serializeProject(c, parsed->plan);
    if (!writeFileAtomically(pathFromUtf8(*into), file)) {
        reportFileError(*into, kSaveErrorText);
        return ExitFailed;
    }
    std::cout << "Принято тактов: " << r.tacts << " (программа " << program << ", " << *tls << "/" << *programId
              << ")\n";
    VectorErrorList verdict;
    const bool clean = validateConfiguration(c, verdict) == 0;
    for (const auto& line : verdict.lines) std::cout << "Проверка: " << line << "\n";
    // The safety data lives beside the project; without it only the signal
    // sequences are checked.
    const SafetyLoadResult loaded = loadProjectSafety(c, *into);
    if (!loaded.message.empty()) std::cout << loaded.message << "\n";
    // As everywhere: the safety lines follow a clean verdict only.
    if (clean)
        for (const auto& line : safetyReportLines(checkSafety(c, c.Safety))) std::cout << line << "\n";
    return ExitOk;
}

}  // namespace

const std::vector<Command>& sumoCommands() {
    static const std::vector<Command> commands = {
        {"sumo-export", "sumo-export FILE.ptm --out FILE.add.xml [--tls ID]",
         "Writes the project's programs as a SUMO additional file: one static tlLogic\n"
         "per non-empty user program P (call tacts left out), P-call1, P-call2 and\n"
         "P-call12 serving the calls every cycle where the program has them, program\n"
         "2 (ЖМ) as one phase, 3 (ОС) as \"off\" where the calendar uses it, and the\n"
         "calendar as a weekly WAUT (seconds from Monday 00:00, switching at the end\n"
         "of a cycle). Link index k is direction k+1; the letter table is in\n"
         "docs/sumo.md. --tls names the traffic light in the SUMO net (default J).\n"
         "\n"
         "A configuration with errors is refused: the validator's verdict goes to\n"
         "stderr, exit status 1.\n",
         runSumoExport},
        {"sumo-import", "sumo-import FILE.add.xml --tls ID --program-id P --into FILE.ptm --program N [--replace]",
         "Reads program P of traffic light ID from a SUMO file (additional, .tll.xml\n"
         "or .net.xml) into user program N (4..16) of the project: each phase becomes\n"
         "a tact (with y, u or o a \"Промтакт\", else a \"Фаза\"), duration is Т осн,\n"
         "minDur Т мин, link index k is direction k+1, letters back to signals.\n"
         "Program N must be empty unless --replace is given. Any doubt (unknown id,\n"
         "a letter a direction cannot show, more links than directions, broken or\n"
         "hostile XML) refuses the import and leaves the project as it was. After an\n"
         "import the validator prints its verdict.\n",
         runSumoImport},
    };
    return commands;
}

}  // namespace livra::cli
