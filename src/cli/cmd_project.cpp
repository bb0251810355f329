// livra new, livra dump.
#include <iostream>
#include <sstream>

#include "cli/cli_util.h"
#include "format/project_json.h"
#include "model/sumo_map.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "check/safety_check.h"

namespace livra::cli {
namespace {

const char* const kDayNames[DayCount] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};

const char* signalName(uint8_t s) {
    switch (s) {
        case SignalNotSet: return "-";
        case SignalRed: return "К";
        case SignalYellow: return "Ж";
        case SignalGreen: return "З";
        case SignalFlashingYellow: return "Жм";
        case SignalFlashingGreen: return "Зм";
        case SignalRedYellow: return "КЖ";
        case SignalOff: return "Выкл";
        case SignalNotApplicable: return "н/п";
        default: return "?";
    }
}

const char* modeName(uint8_t m) {
    switch (m) {
        case ControlOff: return "выкл";
        case ControlVoltage: return "напр";
        case ControlCurrent: return "ток";
        default: return "?";
    }
}

void dumpText(const Configuration& c, std::ostream& out) {
    out << "Кол.каналов в ДК: " << int(c.ChannelCount) << "\n";
    out << "ТВП1 Задержка сек.: " << c.Tvp1Delay << "\n";
    out << "ТВП2 Задержка сек.: " << c.Tvp2Delay << "\n\n";

    out << "Направления:\n";
    for (int d = 0; d < DirectionCount; ++d) {
        if (!directionListed(c, d)) continue;
        out << "  " << d + 1 << directionKindLabel(c.DirectionKind[d]) << " (вид " << int(c.DirectionKind[d]) << ")";
        for (int k = 0; k < SlotCount; ++k)
            out << "  " << k + 1 << ":" << int(c.DirectionChannels[d][k]) << "/" << modeName(c.DirectionControl[d][k]);
        out << "\n";
    }
    const int width = signalWidth(c);
    out << "\nПрограммы:\n";
    for (int p = 0; p < ProgramCount; ++p) {
        if (lastListedTact(c, p) < 0) continue;
        out << "  Программа " << programTitle(p) << "\n";
        const int last = lastListedTact(c, p);
        for (int t = 0; t <= last; ++t) {
            const auto& tact = c.TactTable[p][t];
            const char* name = tactKindName(tact.kind);
            out << "    Такт " << t + 1 << " " << (*name ? name : "пусто") << " (вид " << tact.kind << ")"
                << "  Т мин " << tact.tMin << "  Т осн " << tact.tMain << "  конец " << tact.tEnd << "  фаза "
                << tact.phaseNo << " |";
            for (int d = 0; d < width; ++d) out << " " << signalName(c.TactSignals[p][t][d]);
            out << "\n";
        }
    }
    out << "\nКалендарь:\n";
    for (int day = 0; day < DayCount; ++day) {
        out << "  " << kDayNames[day] << ":";
        bool any = false;
        for (const auto& e : c.Calendar[day]) {
            if (e.empty()) continue;
            char buf[48];
            std::snprintf(buf, sizeof buf, " %02d:%02d→%d", e.hour, e.minute, e.program);
            out << buf;
            any = true;
        }
        out << (any ? "\n" : " —\n");
    }
}

int runNew(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out", "--from"}, {});
    if (!p.error().empty()) return usageError("new", p.error());
    const auto out = p.value("--out");
    if (!out || !p.positional().empty())
        return usageError("new", "usage: livra new --out FILE.ptm [--from FILE.json]");
    if (!p.value("--from")) {
        auto c = std::make_unique<Configuration>();
        resetConfiguration(*c);
        return saveForCommand(*out, serializeProject(*c, {}), nullptr, *c);
    }
    const std::string from = *p.value("--from");
    // "-" reads the JSON from stdin, as a git filter or a pipe gives it.
    const auto text = from == "-" ? readCapped(std::cin, kMaxJsonSize) : readWholeFile(pathFromUtf8(from), kMaxJsonSize);
    if (!text) {
        reportFileError(from, kOpenErrorText);
        return ExitUsage;
    }
    std::string error;
    auto project = projectFromJson(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), error);
    if (!project) {
        std::cerr << "livra new: " << from << ": " << error << "\n";
        return ExitUsage;
    }
    if (!project->safety) return saveForCommand(*out, project->file, nullptr, *project->config);
    // The safety data goes beside the project, as the desktop program keeps it.
    auto safety = std::make_unique<SafetyData>();
    const auto read = parseSafetyJson(*project->safety, *project->config, *safety);
    if (read.status != SafetyFileStatus::Loaded) {
        std::cerr << "livra new: " << from << ": safety: " << read.message << "\n";
        return ExitUsage;
    }
    return saveForCommand(*out, project->file, safety.get(), *project->config);
}

int runDump(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {}, {"--json"});
    if (!p.error().empty()) return usageError("dump", p.error());
    if (p.positional().size() != 1) return usageError("dump", "usage: livra dump FILE.ptm [--json]");
    const std::string& path = p.positional()[0];
    if (p.has("--json")) {
        const auto bytes = readWholeFile(pathFromUtf8(path), kMaxProjectFileSize);
        if (!bytes) {
            reportFileError(path, kOpenErrorText);
            return ExitUsage;
        }
        auto c = loadProjectWithSafety(path);
        if (!c) return ExitUsage;
        const auto text = projectToJson(*bytes, &c->Safety);
        if (!text) {
            reportFileError(path, kFormatErrorText);
            return ExitUsage;
        }
        std::cout << *text;
        return ExitOk;
    }
    auto c = loadProjectWithSafety(path);
    if (!c) return ExitUsage;
    std::ostringstream text;
    dumpText(*c, text);
    text << "\nБезопасность:\n";
    for (const std::string& line : safetyReportLines(checkSafety(*c, c->Safety))) text << "  " << line << "\n";
    // The SUMO link map, when the project came from a net.
    for (const auto& line : sumoMapLines(c->Safety.sumoMap)) text << line << "\n";
    std::cout << text.str();
    return ExitOk;
}

}  // namespace

const std::vector<Command>& projectCommands() {
    static const std::vector<Command> commands = {
        {"new", "new --out FILE.ptm [--from FILE.json]",
         "Saves the start-up configuration: empty calendar, 64 channels, both call\n"
         "delays \"0\", no directions, no programs, no plan.\n"
         "--from FILE.json builds the project that `livra dump --json` printed\n"
         "(\"-\" reads it from stdin): the same file, byte for byte. Members left out\n"
         "keep the start-up values; a fault is named by its place, as\n"
         "programs[3].tacts[12].tMain, and nothing is written.\n",
         runNew},
        {"dump", "dump FILE.ptm [--json]",
         "Prints the whole configuration of a project: channel count, call delays,\n"
         "directions with their output slots and monitoring modes, every used program\n"
         "with its tacts (kind, times, derived end time and phase number, the signal\n"
         "of each direction), the calendar by weekday, and the safety check's lines\n"
         "with the safety file beside the project.\n"
         "--json prints the same as stable JSON (see README.md), fit for diffing.\n",
         runDump},
    };
    return commands;
}

}  // namespace livra::cli
