// livra new, livra dump.
#include <iostream>
#include <sstream>

#include "cli/cli_util.h"
#include "cli/project_json.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"

namespace livra::cli {
namespace {

const char* const kDayNames[DayCount] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
const char* const kDayKeys[DayCount] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

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

bool directionListed(const Configuration& c, int d) {
    if (c.DirectionKind[d] != 0) return true;
    for (int k = 0; k < SlotCount; ++k)
        if (c.DirectionChannels[d][k] || c.DirectionControl[d][k]) return true;
    return false;
}

// Last tact worth showing: the last one holding anything, derived fields and
// signals included, so that the listing carries the whole table.
int lastListedTact(const Configuration& c, int p) {
    int last = -1;
    for (int t = 0; t < TactCount; ++t) {
        const auto& tact = c.TactTable[p][t];
        bool any = tact.kind || tact.tMin || tact.tMain || tact.tEnd || tact.phaseNo;
        for (uint8_t s : c.TactSignals[p][t]) any = any || s;
        if (any) last = t;
    }
    return last;
}

// Programs holding anything (a program with an empty first tact but later
// tacts is invalid, but it is still shown).
bool programListed(const Configuration& c, int p) { return lastListedTact(c, p) >= 0; }

// Signals are listed for directions 1..N: N the last direction with a kind,
// or further when a signal is stored beyond it.
int signalWidth(const Configuration& c) {
    int n = 0;
    for (int d = 0; d < DirectionCount; ++d)
        if (c.DirectionKind[d]) n = d + 1;
    for (const auto& program : c.TactSignals)
        for (const auto& row : program)
            for (int d = DirectionCount - 1; d >= n; --d)
                if (row[d]) {
                    n = d + 1;
                    break;
                }
    return n;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char ch : s) {
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (ch < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", ch);
                    out += buf;
                } else {
                    out += char(ch);
                }
        }
    }
    return out + "\"";
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
        if (!programListed(c, p)) continue;
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

void dumpJson(const Configuration& c, std::ostream& out, const ProjectHead& head, std::span<const uint8_t> plan,
              const SafetyData* safety) {
    out << "{\n  \"format\": \"livra-configuration\",\n  \"version\": 1,\n";
    out << "  \"channelCount\": " << int(c.ChannelCount) << ",\n";
    out << "  \"tvp1Delay\": " << jsonString(c.Tvp1Delay) << ",\n";
    out << "  \"tvp2Delay\": " << jsonString(c.Tvp2Delay) << ",\n";
    out << "  \"freeChannels\": [";
    for (int i = 0; i < DirectionCount; ++i) out << (i ? ", " : "") << int(c.FreeChannels[i]);
    out << "],\n  \"directions\": [";
    bool first = true;
    for (int d = 0; d < DirectionCount; ++d) {
        if (!directionListed(c, d)) continue;
        out << (first ? "\n" : ",\n") << "    {\"number\": " << d + 1 << ", \"kind\": " << int(c.DirectionKind[d])
            << ", \"channels\": [";
        for (int k = 0; k < SlotCount; ++k) out << (k ? ", " : "") << int(c.DirectionChannels[d][k]);
        out << "], \"modes\": [";
        for (int k = 0; k < SlotCount; ++k) out << (k ? ", " : "") << int(c.DirectionControl[d][k]);
        out << "]}";
        first = false;
    }
    out << (first ? "],\n" : "\n  ],\n");
    const int width = signalWidth(c);
    out << "  \"programs\": [";
    first = true;
    for (int p = 0; p < ProgramCount; ++p) {
        if (!programListed(c, p)) continue;
        out << (first ? "\n" : ",\n") << "    {\"number\": " << p + 1 << ", \"tacts\": [";
        const int last = lastListedTact(c, p);
        for (int t = 0; t <= last; ++t) {
            const auto& tact = c.TactTable[p][t];
            out << (t ? ",\n" : "\n") << "      {\"number\": " << t + 1 << ", \"kind\": " << tact.kind
                << ", \"tMin\": " << tact.tMin << ", \"tMain\": " << tact.tMain << ", \"tEnd\": " << tact.tEnd
                << ", \"phaseNo\": " << tact.phaseNo << ", \"signals\": [";
            for (int d = 0; d < width; ++d) out << (d ? ", " : "") << int(c.TactSignals[p][t][d]);
            out << "]}";
        }
        out << (last >= 0 ? "\n    ]}" : "]}");
        first = false;
    }
    out << (first ? "],\n" : "\n  ],\n");
    out << "  \"calendar\": {";
    for (int day = 0; day < DayCount; ++day) {
        out << (day ? ",\n" : "\n") << "    \"" << kDayKeys[day] << "\": [";
        bool firstEntry = true;
        for (int e = 0; e < AlarmCount; ++e) {
            const auto& entry = c.Calendar[day][e];
            if (entry.empty()) continue;
            out << (firstEntry ? "" : ", ") << "{\"entry\": " << e + 1 << ", \"hour\": " << int(entry.hour)
                << ", \"minute\": " << int(entry.minute) << ", \"program\": " << int(entry.program) << "}";
            firstEntry = false;
        }
        out << "]";
    }
    out << "\n  }";
    dumpJsonFileMembers(c, out, head, plan);
    // The safety file's own text, indented as a member of this object.
    const std::string text = safety && safety->needsFile() ? safetyJson(*safety, c) : "null\n";
    std::string indented;
    for (size_t i = 0; i < text.size(); ++i) {
        indented += text[i];
        if (text[i] == '\n' && i + 1 < text.size()) indented += "  ";
    }
    out << ",\n  \"safety\": " << indented << "}\n";
}

int runNew(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out", "--from"}, {});
    if (!p.error().empty()) return usageError("new", p.error());
    const auto out = p.value("--out");
    if (!out || !p.positional().empty())
        return usageError("new", "usage: livra new --out FILE.ptm [--from FILE.json]");
    Bytes bytes;
    if (const auto from = p.value("--from")) {
        // "-" reads the JSON from stdin, as a git filter or a pipe gives it.
        std::optional<Bytes> text;
        if (*from == "-") {
            std::ostringstream in;
            in << std::cin.rdbuf();
            const std::string s = in.str();
            text = Bytes(s.begin(), s.end());
        } else {
            text = readWholeFile(pathFromUtf8(*from), kMaxJsonSize);
        }
        if (!text) {
            reportFileError(*from, kOpenErrorText);
            return ExitUsage;
        }
        std::string error;
        auto project = projectFromJson(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), error);
        if (!project) {
            std::cerr << "livra new: " << *from << ": " << error << "\n";
            return ExitUsage;
        }
        bytes = std::move(project->file);
        if (project->safety) {
            // The safety data goes beside the project, as the desktop program keeps it.
            SafetyData safety;
            const auto read = parseSafetyJson(*project->safety, *project->config, safety);
            if (read.status != SafetyFileStatus::Loaded) {
                std::cerr << "livra new: " << *from << ": safety: " << read.message << "\n";
                return ExitUsage;
            }
            const std::string side = safetyJson(safety, *project->config);
            const std::vector<FileToWrite> files = {
                {pathFromUtf8(*out), bytes},
                {pathFromUtf8(safetyFileNameFor(*out)), std::span(reinterpret_cast<const uint8_t*>(side.data()), side.size())}};
            if (writeFilesTogether(files) != -1) {
                std::cerr << kErrorTitle << ": " << kSaveErrorText;
                return ExitFailed;
            }
            return ExitOk;
        }
    } else {
        auto c = std::make_unique<Configuration>();
        resetConfiguration(*c);
        bytes = serializeProject(*c, {});
    }
    if (!writeFileAtomically(pathFromUtf8(*out), bytes)) {
        std::cerr << kErrorTitle << ": " << kSaveErrorText;
        return ExitFailed;
    }
    return ExitOk;
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
        auto c = loadProjectForReading(path);
        if (!c || !loadSafetyForCommand(*c, path)) return ExitUsage;
        const auto text = projectToJson(*bytes, &c->Safety);
        if (!text) {
            reportFileError(path, kFormatErrorText);
            return ExitUsage;
        }
        std::cout << *text;
        return ExitOk;
    }
    auto c = loadProjectForReading(path);
    if (!c) return ExitUsage;
    std::ostringstream text;
    dumpText(*c, text);
    std::cout << text.str();
    return ExitOk;
}

}  // namespace

std::optional<std::string> projectToJson(std::span<const uint8_t> file, const SafetyData* safety) {
    const auto parsed = parseProject(file);
    const auto head = readProjectHead(file);
    if (!parsed || !head) return std::nullopt;
    std::ostringstream text;
    dumpJson(*parsed->config, text, *head, parsed->plan, safety);
    return text.str();
}

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
         "of each direction) and the calendar by weekday.\n"
         "--json prints the same as stable JSON (see README.md), fit for diffing.\n",
         runDump},
    };
    return commands;
}

}  // namespace livra::cli
