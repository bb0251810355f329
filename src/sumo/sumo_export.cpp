#include "sumo/sumo_export.h"

#include <algorithm>
#include <cstdio>

#include "model/calendar_choice.h"
#include "model/files.h"
#include "sim/simulation.h"
#include "sumo/sumo_letters.h"

namespace livra {

namespace {

constexpr int kKk = 0, kZhm = 1, kOs = 2;  // the fixed modes' indices
constexpr long kDay = 24 * 3600;
// 05.01.1970 00:00:00 was a Monday: where the WAUT's week starts.
constexpr int64_t kMondayMidnight = 4 * kDay;

bool permissiveAt(const Configuration& c, const SumoLinkMap& m, const SumoMapLink& l, int program, int tact) {
    if (std::find(m.programs.begin(), m.programs.end(), program) != m.programs.end())
        return std::find(l.permissive.begin(), l.permissive.end(), std::pair<int, int>(program, tact)) != l.permissive.end();
    // A program made here: g where the link meets a direction it yields to.
    for (int d : l.yieldsTo)
        if (d >= 0 && d < DirectionCount && isNormalDirection(c.DirectionKind[d])) {
            const char letter = sumoLetter(c.DirectionKind[d], c.TactSignals[program][tact][d]);
            if (letter == 'G') return true;
        }
    return false;
}

std::string stateFor(const Configuration& c, const SumoLinkMap* map, int program, int tact) {
    if (!map) return sumoState(c, program, tact);
    return sumoMappedState(c, *map, program, tact);
}

// The tacts of one cycle (up to the first empty one), with the call tacts of
// the kinds in `calls` served.
SumoTlLogic programLogic(const Configuration& c, const SumoLinkMap* map, int p, const std::string& tlsId,
                         const std::string& programId, bool call1, bool call2) {
    SumoTlLogic logic{tlsId, programId, "static", {}, 0};
    int phaseNo = 0;
    for (int t = 0; t < TactCount; ++t) {
        const Tact& tact = c.TactTable[p][t];
        if (tact.kind == TactEmpty) break;
        if (tact.kind == TactPhase) ++phaseNo;
        const bool served = tact.kind == TactPhase || tact.kind == TactIntermediate ||
                            (tact.kind == TactTvp1 && call1) || (tact.kind == TactTvp2 && call2);
        if (!served) continue;
        SumoPhase phase;
        phase.duration = std::to_string(tact.tMain);
        if (tact.kind == TactPhase && tact.tMin > 0) phase.minDur = std::to_string(tact.tMin);
        phase.state = stateFor(c, map, p, t);
        phase.name = sumoPhaseName(tact.kind, t, phaseNo);
        logic.phases.push_back(std::move(phase));
    }
    return logic;
}

SumoTlLogic fixedLogic(const Configuration& c, const SumoLinkMap* map, int p, const std::string& tlsId,
                       const char* name) {
    SumoTlLogic logic{tlsId, std::to_string(p + 1), "static", {}, 0};
    const Tact& tact = c.TactTable[p][0];
    logic.phases.push_back(SumoPhase{std::to_string(std::max(1, tact.tMain)), {}, stateFor(c, map, p, 0), name});
    return logic;
}

void escapeInto(std::string& out, const std::string& text) {
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += ch;
        }
    }
}

void attribute(std::string& out, const char* name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    escapeInto(out, value);
    out += '"';
}

// A comment may hold no "--".
std::string commentSafe(std::string text) {
    for (std::size_t at; (at = text.find("--")) != std::string::npos;) text.replace(at, 2, "- -");
    return text;
}

}  // namespace

std::string sumoPhaseName(int32_t kind, int tact, int phaseNo) {
    switch (kind) {
    case TactPhase: return "Ф" + std::to_string(phaseNo);
    case TactIntermediate: return "Промтакт " + std::to_string(tact + 1);
    case TactTvp1: return "ТВП1 " + std::to_string(tact + 1);
    case TactTvp2: return "ТВП2 " + std::to_string(tact + 1);
    default: return {};
    }
}

int sumoStateLength(const Configuration& c) {
    int length = 0;
    for (int d = 0; d < DirectionCount; ++d)
        if (isNormalDirection(c.DirectionKind[d])) length = d + 1;
    return length;
}

std::string sumoState(const Configuration& c, int program, int tact) {
    const int length = sumoStateLength(c);
    std::string state(std::size_t(length), 'O');
    for (int d = 0; d < length; ++d)
        state[std::size_t(d)] = sumoLetter(c.DirectionKind[d], c.TactSignals[program][tact][d]);
    return state;
}

const SumoLinkMap* sumoMapFor(const Configuration& c, const std::string& tlsId) {
    const SumoLinkMap& m = c.Safety.sumoMap;
    return !m.empty() && m.tls == tlsId ? &m : nullptr;
}

std::string sumoMappedState(const Configuration& c, const SumoLinkMap& m, int program, int tact) {
    std::string state(m.links.size(), 'r');
    for (std::size_t k = 0; k < m.links.size(); ++k) {
        const int d = m.links[k].direction;
        if (d < 0 || d >= DirectionCount) continue;
        char letter = sumoLetter(c.DirectionKind[d], c.TactSignals[program][tact][d]);
        if (letter == 'G' && permissiveAt(c, m, m.links[k], program, tact)) letter = 'g';
        state[k] = letter;
    }
    return state;
}

std::string sumoProgramId(int program1Based) {
    if (program1Based == kOs + 1) return "off";
    if (program1Based >= 1 && program1Based <= ProgramCount) return std::to_string(program1Based);
    return {};
}

bool isValidSumoId(const std::string& id) {
    if (id.empty() || id.size() > 200) return false;
    for (unsigned char ch : id)
        if (ch <= ' ' || ch == '<' || ch == '>' || ch == '&' || ch == '"' || ch == '\'' || ch == 127) return false;
    return true;
}

SumoAdditional buildSumoExport(const Configuration& c, const std::string& tlsId) {
    SumoAdditional a;
    // Which fixed modes the calendar switches to.
    bool wanted[ProgramCount] = {};
    struct Entry {
        long time;
        int program;
    };
    std::vector<Entry> entries;
    for (int d = 0; d < DayCount; ++d)
        for (const CalendarEntry& e : c.Calendar[d]) {
            if (isCalendarEntryIgnored(e)) continue;
            if (e.minute > 59 || e.hour > 23 || e.program < 1 || e.program > ProgramCount) continue;
            entries.push_back({d * kDay + e.hour * 3600L + e.minute * 60L, e.program});
        }
    // The engine lets the later of two entries with the same time win; so does
    // a stable order, as SUMO switches to each in turn.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& x, const Entry& y) { return x.time < y.time; });
    for (const Entry& e : entries) wanted[e.program - 1] = true;

    const SumoLinkMap* map = sumoMapFor(c, tlsId);
    const bool hasHeads = map ? !map->links.empty() : sumoStateLength(c) > 0;
    if (hasHeads && wanted[kKk] && c.TactTable[kKk][0].kind != TactEmpty)
        a.tlLogics.push_back(fixedLogic(c, map, kKk, tlsId, "КК"));
    if (hasHeads && c.TactTable[kZhm][0].kind != TactEmpty) a.tlLogics.push_back(fixedLogic(c, map, kZhm, tlsId, "ЖМ"));
    if (wanted[kOs]) a.tlLogics.push_back(SumoTlLogic{tlsId, "off", "static", {}, 0});

    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        if (isProgramEmpty(c, p) || !hasHeads) continue;
        bool has1 = false, has2 = false;
        for (int t = 0; t < TactCount && c.TactTable[p][t].kind != TactEmpty; ++t) {
            has1 = has1 || c.TactTable[p][t].kind == TactTvp1;
            has2 = has2 || c.TactTable[p][t].kind == TactTvp2;
        }
        const std::string id = std::to_string(p + 1);
        SumoTlLogic plain = programLogic(c, map, p, tlsId, id, false, false);
        if (!plain.phases.empty()) a.tlLogics.push_back(std::move(plain));
        if (has1) a.tlLogics.push_back(programLogic(c, map, p, tlsId, id + "-call1", true, false));
        if (has2) a.tlLogics.push_back(programLogic(c, map, p, tlsId, id + "-call2", false, true));
        if (has1 && has2) a.tlLogics.push_back(programLogic(c, map, p, tlsId, id + "-call12", true, true));
    }

    auto exported = [&](const std::string& id) {
        return std::any_of(a.tlLogics.begin(), a.tlLogics.end(),
                           [&](const SumoTlLogic& l) { return l.programId == id; });
    };
    SumoWaut waut{tlsId + "-calendar", 0, kSumoWeek, {}, {}};
    for (const Entry& e : entries) {
        const std::string to = sumoProgramId(e.program);
        if (exported(to)) waut.switches.push_back({e.time, to});
    }
    if (!waut.switches.empty()) {
        waut.startProg = sumoProgramId(calendarProgram(c, SimClock{kMondayMidnight}));
        if (!exported(waut.startProg)) waut.startProg = waut.switches.back().to;
        a.wauts.push_back(std::move(waut));
        // GSP at its default point 0 switches where a cycle ends, as the
        // controller does; without it SUMO switches at once, mid-cycle.
        a.wautJunctions.push_back({tlsId + "-calendar", tlsId, "GSP"});
    }
    return a;
}

std::string sumoExportXml(const SumoAdditional& a, const std::string& sourceName) {
    std::string out;
    out.reserve(4096 + a.tlLogics.size() * 64 * 80);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<!-- " + commentSafe(sourceName) + ": светофорные программы ДК «Ливра» для SUMO (livra sumo-export).\n";
    out += "     Индекс связи k = направление k+1. Буквы: красный r, желтый y, зеленый G, мигающий желтый o,\n"
           "     красный с желтым u, выключен O; вызывные входы и \"не применимо\" O.\n"
           "     Мигающий зеленый показан как G: в SUMO его нет, движение по нему продолжается.\n"
           "     Дополнительная зеленая секция: выключена r (ее движение ждет). Трамвайная строка: r или G.\n"
           "     Программа P идет без тактов ТВП; P-call1, P-call2, P-call12 обслуживают вызов каждый цикл\n"
           "     с Т осн (ДК при вызове может сократить фазу до Т мин). Программа 2 (ЖМ) одной фазой,\n"
           "     3 (ОС) как off. Календарь: WAUT, время от понедельника 00:00; GSP переключает в конце цикла. -->\n";
    const bool actuated = std::any_of(a.tlLogics.begin(), a.tlLogics.end(),
                                      [](const SumoTlLogic& l) { return l.type == "actuated"; });
    if (actuated)
        out += "<!-- Программы с ТВП — по вызову (actuated, livra sumo-export с ключом actuated): такты ТВП идут, только когда\n"
               "     у перехода ждут пешеходы (waitNdK: петли inductionLoop на пешеходных зонах считают тех, чей путь\n"
               "     лежит через переход, пока он красный; сбрасывается, когда переход зелёный). Вызов (callN)\n"
               "     сокращает фазу до Т мин (minDur). Задержка ТВП не переносится. -->\n";
    out += "<additional>\n";
    for (const SumoPersonLoop& d : a.personLoops) {
        char pos[32];
        std::snprintf(pos, sizeof pos, "%.2f", d.pos);
        out += "    <inductionLoop";
        attribute(out, "id", d.id);
        attribute(out, "lane", d.lane);
        attribute(out, "pos", pos);
        out += " friendlyPos=\"true\" detectPersons=\"walk\"";
        attribute(out, "nextEdges", d.nextEdges);
        out += " file=\"NUL\"/>\n";
    }
    for (const SumoTlLogic& l : a.tlLogics) {
        out += "    <tlLogic";
        attribute(out, "id", l.id);
        attribute(out, "type", l.type);
        attribute(out, "programID", l.programId);
        if (l.phases.empty()) {
            out += "/>\n";
            continue;
        }
        out += " offset=\"0\">\n";
        for (const SumoCondition& k : l.conditions) {
            out += "        <condition";
            attribute(out, "id", k.id);
            attribute(out, "value", k.value);
            out += "/>\n";
        }
        for (const SumoAssignment& k : l.assignments) {
            out += "        <assignment";
            attribute(out, "id", k.id);
            attribute(out, "check", k.check);
            attribute(out, "value", k.value);
            out += "/>\n";
        }
        for (const SumoPhase& ph : l.phases) {
            out += "        <phase";
            attribute(out, "duration", ph.duration);
            if (!ph.minDur.empty()) attribute(out, "minDur", ph.minDur);
            if (!ph.maxDur.empty()) attribute(out, "maxDur", ph.maxDur);
            attribute(out, "state", ph.state);
            if (!ph.name.empty()) attribute(out, "name", ph.name);
            if (!ph.next.empty()) attribute(out, "next", ph.next);
            if (!ph.earlyTarget.empty()) attribute(out, "earlyTarget", ph.earlyTarget);
            if (!ph.finalTarget.empty()) attribute(out, "finalTarget", ph.finalTarget);
            out += "/>\n";
        }
        out += "    </tlLogic>\n";
    }
    for (const SumoWaut& w : a.wauts) {
        out += "    <WAUT";
        attribute(out, "id", w.id);
        attribute(out, "refTime", std::to_string(w.refTime));
        attribute(out, "period", std::to_string(w.period));
        attribute(out, "startProg", w.startProg);
        out += ">\n";
        for (const SumoWautSwitch& s : w.switches) {
            out += "        <wautSwitch";
            attribute(out, "time", std::to_string(s.time));
            attribute(out, "to", s.to);
            out += "/>\n";
        }
        out += "    </WAUT>\n";
    }
    for (const SumoWautJunction& j : a.wautJunctions) {
        out += "    <wautJunction";
        attribute(out, "wautID", j.wautId);
        attribute(out, "junctionID", j.junctionId);
        if (!j.procedure.empty()) attribute(out, "procedure", j.procedure);
        out += "/>\n";
    }
    out += "</additional>\n";
    return out;
}

bool saveSumoExport(const SumoAdditional& a, const std::string& pathUtf8, const std::string& sourceName) {
    const std::string xml = sumoExportXml(a, sourceName);
    return writeFileAtomically(pathFromUtf8(pathUtf8),
                               std::span(reinterpret_cast<const uint8_t*>(xml.data()), xml.size()));
}

std::vector<std::string> sumoExportSummary(const SumoAdditional& a) {
    std::vector<std::string> lines;
    for (const SumoTlLogic& l : a.tlLogics) {
        if (l.phases.empty()) {
            lines.push_back(l.programId + " — светофор выключен");
            continue;
        }
        int cycle = 0;
        for (const SumoPhase& ph : l.phases) cycle += std::stoi(ph.duration);
        if (l.type == "actuated") {
            lines.push_back(l.programId + " — фаз " + std::to_string(l.phases.size()) + ", цикл до " +
                            std::to_string(cycle) + " с, такты ТВП по вызову");
            continue;
        }
        lines.push_back(l.programId + " — фаз " + std::to_string(l.phases.size()) + ", цикл " + std::to_string(cycle) +
                        " с");
    }
    for (const SumoWaut& w : a.wauts)
        lines.push_back("Календарь: переключений " + std::to_string(w.switches.size()) + ", в понедельник 00:00 — " +
                        w.startProg);
    return lines;
}

}  // namespace livra
