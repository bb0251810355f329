#include "report/report.h"

#include <algorithm>
#include <cstdio>

#include "check/safety_check.h"
#include "edit/conflict_matrix.h"
#include "model/texts.h"
#include "timing/timing_report.h"

namespace livra::report {

const char* const kSlotHeaders[SlotCount][2] = {
    {"Выход 1", "красный"}, {"Выход 2", "жёлтый"},  {"Выход 3", "зелёный"},   {"Выход 4", "трамв. 1"},
    {"Выход 5", "трамв. 2"}, {"Выход 6", "трамв. 3"}, {"Выход 7", "трамв. общ."},
};

namespace {

constexpr std::size_t kMaxPhasePictures = 24;
constexpr const char* kReportMorePhasesText = "Остальные фазы — в таблице режима; не показано схем: ";

const char* const kDayShort[DayCount] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};

const char* modeSuffix(uint8_t mode) {
    switch (mode) {
    case ControlVoltage: return " напр.";
    case ControlCurrent: return " ток";
    default: return "";
    }
}

std::string kindName(uint8_t kind) {
    std::string s = directionKindLabel(kind);
    if (s.rfind(" - ", 0) == 0) s.erase(0, 3);
    return s.empty() ? "вид " + std::to_string(int(kind)) : s;
}

std::string seconds(int s) { return std::to_string(s) + " с"; }

std::vector<DirectionLine> directionLines(const Configuration& c) {
    std::vector<DirectionLine> lines;
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t kind = c.DirectionKind[d];
        if (kind == DirEmpty) continue;
        DirectionLine line;
        line.number = directionNumber(c, d);
        line.name = c.Safety.object.directionNames[d];
        line.kind = kindName(kind);
        for (int k = 0; k < SlotCount; ++k) {
            const uint8_t ch = c.DirectionChannels[d][k];
            if (ch) line.outputs[k] = std::to_string(ch) + modeSuffix(c.DirectionControl[d][k]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string ruleValue(int v) { return v > 0 ? std::to_string(v) + " с" : "выкл."; }

SafetySection safetySection(const Configuration& c, const SafetyReport& checked, double contentWidth) {
    SafetySection s;
    const SafetyData& data = c.Safety;
    s.defined = data.defined;
    const std::vector<int> dirs = matrixDirections(c);
    if (data.defined) {
        for (int d : dirs) s.labels.push_back(directionNumber(c, d));
        for (int a : dirs) {
            std::vector<std::string> row;
            for (int b : dirs) {
                if (!isConflict(data, a, b)) row.emplace_back();
                else if (data.intergreen[a][b] == IntergreenNotSet) row.emplace_back("×");
                else row.push_back(std::to_string(data.intergreen[a][b]));
            }
            s.cells.push_back(std::move(row));
        }
        const int n = std::max<int>(1, int(dirs.size()));
        s.cell = std::clamp((contentWidth - s.labelWidth) / n, 10.0, 26.0);
    }
    s.lines.emplace_back(true, "Профиль правил последовательности сигналов");
    for (const std::string& line : safetyRuleLines(data.rules)) s.lines.emplace_back(false, line);
    s.lines.emplace_back(true, "Замечания проверки безопасности");
    // A finding's mend goes on a line of its own, so a page never cuts it off.
    for (const std::string& line : safetyReportLines(checked)) {
        const auto mend = line.find("; ");
        if (mend == std::string::npos) {
            s.lines.emplace_back(false, line);
            continue;
        }
        s.lines.emplace_back(false, line.substr(0, mend + 1));
        s.lines.emplace_back(false, "    " + line.substr(mend + 2));
    }
    return s;
}

// "1 ул. Ленина, прямо" or "1".
std::string named(const Report& r, int d) { return r.directionNames[d]; }

std::string joined(const std::vector<std::string>& parts, const char* sep) {
    std::string s;
    for (const std::string& p : parts) s += (s.empty() ? "" : sep) + p;
    return s;
}

Section titleSection(const Report& r) {
    Section s;
    s.kind = SectionKind::Title;
    s.table.header = false;
    s.table.columns = {{"", 1.1, Align::Left}, {"", 2.9, Align::Left}};
    for (const auto& [name, value] : r.fields) s.table.rows.push_back({name, value.empty() ? "—" : value});
    return s;
}

Section planSection(const Report& r) {
    Section s;
    s.kind = SectionKind::Plan;
    s.title = kReportPlanTitle;
    s.newPage = true;
    std::vector<std::string> heads;
    for (const PlanObject& o : r.plan->planObjects)
        if (o.isHead() && o.direction >= 1 && o.direction <= DirectionCount) heads.push_back(named(r, o.direction - 1));
    std::sort(heads.begin(), heads.end());
    heads.erase(std::unique(heads.begin(), heads.end()), heads.end());
    s.trail.push_back({std::string(kReportPlanHeadsText) + std::to_string(heads.size())});
    return s;
}

Section programTableSection(const Configuration& c, const Report& r, const ProgramSheet& sh) {
    Section s;
    s.tag = "programTable";
    s.program = sh.program;
    s.title = std::string(kReportProgramTableTitle) + namedProgramTitle(c.Safety.object, sh.program);
    s.lead.push_back({std::string(kReportCycleText) + seconds(sh.cycleSeconds) +
                      (sh.totalSeconds != sh.cycleSeconds ? std::string(kReportWithCallsText) + seconds(sh.totalSeconds) : "")});
    s.table.columns = {{"Элемент", 1.15, Align::Left}, {"Такты", 0.65},  {"Т мин, с", 0.6},
                       {"Т осн, с", 0.6},            {"Направления, идущие в фазе /\nконфликтующие пары смены", 4.0, Align::Left},
                       {"Требуется, с", 0.85},       {"Обеспечено, с", 0.85}};
    auto add = [&](std::vector<std::string> row, bool bold) {
        s.table.rows.push_back(std::move(row));
        s.table.bold.push_back(bold);
    };
    const ProgramTacts& tacts = c.TactTable[sh.program];
    for (std::size_t i = 0; i < sh.phases.size(); ++i) {
        const PhaseSheet& ph = sh.phases[i];
        std::vector<std::string> going;
        for (int d : ph.going) going.push_back(named(r, d));
        add({"Фаза " + std::to_string(ph.phaseNo), std::to_string(ph.tact + 1), std::to_string(ph.tMin),
             std::to_string(ph.tMain), going.empty() ? "—" : joined(going, "; "), "", ""},
            true);
        if (i >= sh.changes.size()) continue;
        const ChangeSheet& ch = sh.changes[i];
        std::string span = "—";
        if (!ch.tacts.empty())
            span = ch.tacts.size() == 1 ? std::to_string(ch.tacts.front() + 1)
                                        : std::to_string(ch.tacts.front() + 1) + "–" + std::to_string(ch.tacts.back() + 1);
        int mins = 0;
        for (int k : ch.tacts) mins += tacts[k].tMin;
        add({"Промтакт " + std::to_string(ch.fromPhase) + "→" + std::to_string(ch.toPhase), span, std::to_string(mins),
             std::to_string(ch.seconds), ch.pairs.empty() ? kReportNoPairsText : ch.decidedBy, "", ""},
            false);
        for (const PairSheet& p : ch.pairs) {
            std::string pair = named(r, p.from) + " → " + named(r, p.to);
            if (p.deciding) pair = std::string(kReportDecidingMark) + pair;
            if (p.tooShort()) pair += kReportTooShortMark;
            add({"", "", "", "", pair, p.required == IntergreenNotSet ? "—" : std::to_string(p.required),
                 std::to_string(p.provided)},
                false);
        }
    }
    if (sh.phases.empty()) {
        for (int k = 0; k < TactCount && tacts[k].kind != TactEmpty; ++k)
            add({tactKindName(tacts[k].kind), std::to_string(k + 1), std::to_string(tacts[k].tMin),
                 std::to_string(tacts[k].tMain), "", "", ""},
                false);
    }
    s.trail.push_back({kReportDecidingNote});
    return s;
}

Section diagramSection(const Report& r, int diagram, int program) {
    Section s;
    s.kind = SectionKind::Diagram;
    s.program = program;
    s.diagram = diagram;
    s.landscape = r.diagramLandscape[diagram] != 0;
    s.newPage = true;
    return s;
}

Section calendarSection(const Configuration& c) {
    Section s;
    s.title = kReportCalendarTitle;
    s.table.columns = {{"Дни", 0.8, Align::Left}, {"Время", 0.7}, {"Программа", 3.5, Align::Left}};
    s.table.emptyText = "Календарь пуст: программы по времени не переключаются.";
    for (const CalendarGroup& g : calendarGroups(c)) {
        bool first = true;
        for (const auto& [time, program] : g.alarms) {
            s.table.rows.push_back({first ? g.days : "", time, namedProgramTitle(c.Safety.object, program)});
            s.table.bold.push_back(first);
            first = false;
        }
    }
    return s;
}

Section callSection(const Configuration& c, const Report& r) {
    Section s;
    s.title = kReportCallsTitle;
    s.table.columns = {{"Программа", 0.8, Align::Left}, {"Вход", 2.5, Align::Left}, {"Такты", 0.6},
                       {"После фазы", 0.7}, {"Длит., с", 0.6}, {"Задержка, с", 0.75},
                       {"Фазы при вызове\nсокращаются до Т мин", 2.1, Align::Left}};
    s.table.emptyText = kReportNoCallsText;
    for (const ProgramSheet& sh : r.sheets) {
        std::vector<std::string> shortened;
        for (const PhaseSheet& ph : sh.phases)
            if (ph.tMin < ph.tMain)
                shortened.push_back(std::to_string(ph.phaseNo) + ": " + std::to_string(ph.tMain) + " → " +
                                    std::to_string(ph.tMin) + " с");
        for (const CallSheet& call : sh.calls) {
            std::string input = "ТВП" + std::to_string(call.input);
            input += call.inputDirection >= 0 ? ", напр. " + named(r, call.inputDirection) : std::string(kReportNoInputText);
            s.table.rows.push_back({namedProgramTitle(c.Safety.object, sh.program), input,
                                    std::to_string(call.firstTact + 1) + "–" + std::to_string(call.lastTact + 1),
                                    call.afterPhase ? std::to_string(call.afterPhase) : "—", std::to_string(call.seconds),
                                    std::to_string(call.delay), shortened.empty() ? "—" : joined(shortened, "; ")});
        }
    }
    return s;
}

// Programs 1..3 are the controller's fixed modes: one line each.
Section fixedSection(const Configuration& c, const Report& r) {
    Section s;
    s.title = kReportFixedTitle;
    for (int p = 0; p < FirstUserProgram; ++p) {
        std::string line = namedProgramTitle(c.Safety.object, p) + ": ";
        if (isProgramEmpty(c, p)) {
            s.lead.push_back({line + kReportEmptyProgramText});
            continue;
        }
        std::vector<std::string> tacts;
        for (int k = 0; k < TactCount && c.TactTable[p][k].kind != TactEmpty && tacts.size() < 4; ++k) {
            std::vector<std::string> lamps;
            for (int d = 0; d < DirectionCount; ++d) {
                if (!isNormalDirection(c.DirectionKind[d])) continue;
                const char* name = signalName(c.TactSignals[p][k][d]);
                lamps.push_back(directionNumber(c, d) + " " + (name ? name : "—"));
            }
            tacts.push_back(seconds(c.TactTable[p][k].tMain) + ": " + joined(lamps, ", "));
        }
        s.lead.push_back({line + joined(tacts, "; ")});
    }
    (void)r;
    return s;
}

Section directionsSection(const Report& r) {
    Section s;
    s.title = kReportDirectionsTitle;
    s.table.columns = {{"№", 0.45}, {"Название", 2.1, Align::Left}, {"Вид", 1.2, Align::Left}};
    for (int k = 0; k < SlotCount; ++k) s.table.columns.push_back({std::string(kSlotHeaders[k][0]) + "\n" + kSlotHeaders[k][1], 0.62});
    s.table.emptyText = "Направления не заданы: диаграммы программ не строятся.";
    for (const DirectionLine& d : r.directions) {
        std::vector<std::string> row = {d.number, d.name, d.kind};
        for (const std::string& o : d.outputs) row.push_back(o.empty() ? "—" : o);
        s.table.rows.push_back(std::move(row));
    }
    return s;
}

Section writesSection(const ObjectData& o) {
    Section s;
    s.title = kWritesLabel;
    s.table.columns = {{"Дата и время", 1.2}, {"ДК", 2.6, Align::Left}, {"Редакция", 0.8}};
    s.table.emptyText = kNoWritesText;
    for (const WriteRecord& w : o.writes) s.table.rows.push_back({w.when, w.controller, w.revision});
    s.keepTogether = true;
    return s;
}

Section safetySectionOf() {
    Section s;
    s.kind = SectionKind::Safety;
    s.title = "Матрица конфликтов и промежуточные времена, с";
    s.keepTogether = true;
    return s;
}

}  // namespace

Section tableSection(std::string title, Table table, std::vector<TextLine> lead, std::vector<TextLine> trail) {
    Section s;
    s.title = std::move(title);
    s.table = std::move(table);
    s.lead = std::move(lead);
    s.trail = std::move(trail);
    return s;
}

std::vector<std::string> safetyRuleLines(const SafetyRules& r) {
    std::string redYellow = "выкл.";
    if (r.redYellowMin > 0 || r.redYellowMax > 0)
        redYellow = std::to_string(r.redYellowMin) + "…" + std::to_string(r.redYellowMax) + " с";
    return {
        "Жёлтый между разрешающим и красным, не менее: " + ruleValue(r.yellow),
        "Красный с жёлтым перед зелёным: " + redYellow,
        "Зелёный мигающий перед жёлтым, не менее: " + ruleValue(r.flashingGreen),
        "Наименьший зелёный транспортного направления: " + ruleValue(r.minGreenVehicle),
        "Наименьший зелёный пешеходного направления: " + ruleValue(r.minGreenPedestrian),
    };
}

std::vector<CalendarGroup> calendarGroups(const Configuration& c) {
    std::array<std::vector<std::pair<std::string, int>>, DayCount> days;
    for (int d = 0; d < DayCount; ++d) {
        std::vector<CalendarEntry> entries;
        for (const CalendarEntry& e : c.Calendar[d])
            if (!e.empty()) entries.push_back(e);
        std::stable_sort(entries.begin(), entries.end(), [](const CalendarEntry& a, const CalendarEntry& b) {
            return a.hour * 60 + a.minute < b.hour * 60 + b.minute;
        });
        for (const CalendarEntry& e : entries) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%02d:%02d", e.hour % 100, e.minute % 100);
            days[d].emplace_back(buf, int(e.program) - 1);
        }
    }
    std::vector<CalendarGroup> groups;
    for (int d = 0; d < DayCount;) {
        int last = d;
        while (last + 1 < DayCount && days[last + 1] == days[d]) ++last;
        CalendarGroup g;
        g.days = kDayShort[d];
        if (last > d) g.days += std::string("–") + kDayShort[last];
        g.alarms = days[d];
        if (!g.alarms.empty()) groups.push_back(std::move(g));
        d = last + 1;
    }
    return groups;
}

std::vector<Section> reportSections(Report& r, const ReportInput& in) {
    const Configuration& c = *in.config;
    const ObjectData& o = c.Safety.object;
    std::vector<Section> out;
    out.push_back(titleSection(r));
    if (r.plan) out.push_back(planSection(r));
    for (int i = 0; i < int(r.sheets.size()); ++i) {
        const ProgramSheet& sh = r.sheets[i];
        Section phases;
        phases.kind = SectionKind::Phases;
        phases.program = sh.program;
        phases.sheet = i;
        phases.title = std::string(kReportPhasesTitle) + namedProgramTitle(o, sh.program);
        phases.newPage = true;
        if (sh.phases.empty()) phases.lead.push_back({kReportNoPhasesText});
        else if (!r.plan) phases.lead.push_back({kReportNoPlanText});
        if (sh.phases.size() > kMaxPhasePictures)
            phases.lead.push_back({std::string(kReportMorePhasesText) + std::to_string(sh.phases.size() - kMaxPhasePictures)});
        out.push_back(std::move(phases));
        out.push_back(programTableSection(c, r, sh));
        out.push_back(diagramSection(r, i, sh.program));
    }
    Section cal = calendarSection(c);
    cal.newPage = true;
    out.push_back(std::move(cal));
    out.push_back(callSection(c, r));
    out.push_back(fixedSection(c, r));
    out.push_back(directionsSection(r));
    // Sections of other subsystems go here, before the record of writing and
    // the safety part: the timing from traffic counts, a page per program.
    for (const timing::TimingReportPage& tp : timing::timingReportPages(c)) {
        auto tableOf = [](const std::vector<std::vector<std::string>>& rows) {
            Table t;
            if (rows.empty()) return t;
            for (std::size_t k = 0; k < rows[0].size(); ++k) t.columns.push_back({rows[0][k], k == 1 ? 2.5 : 1.0});
            t.rows.assign(rows.begin() + 1, rows.end());
            return t;
        };
        std::vector<TextLine> summary;
        for (const std::string& line : tp.summary) summary.push_back({line});
        Section phases = tableSection(tp.title, tableOf(tp.phases), std::move(summary));
        phases.tag = "timing";
        phases.program = tp.program;
        phases.newPage = true;
        out.push_back(std::move(phases));
        if (!tp.directions.empty()) {
            Section dirs = tableSection("", tableOf(tp.directions));
            dirs.tag = "timing";
            dirs.program = tp.program;
            out.push_back(std::move(dirs));
        }
    }
    out.push_back(writesSection(o));
    out.push_back(safetySectionOf());
    return out;
}

Report planReport(const Configuration& c, const ReportInfo& info) {
    ReportInput in;
    in.config = &c;
    in.info = info;
    return planReport(in);
}

Report planReport(const ReportInput& in) {
    const Configuration& c = *in.config;
    const ObjectData& o = c.Safety.object;
    Report r;
    r.heading = kReportHeading;
    r.kinds = c.DirectionKind;
    for (int d = 0; d < DirectionCount; ++d) r.directionNames[d] = namedDirectionTitle(o, d, directionNumber(c, d));
    r.objectName = o.name.empty() ? (in.info.projectName.empty() ? "без имени" : in.info.projectName) : o.name;
    r.directions = directionLines(c);
    const SafetyReport checked = checkSafety(c, c.Safety);
    r.safety = safetySection(c, checked, r.page.contentWidth());
    if (in.plan) {
        bool heads = false;
        for (const PlanObject& p : in.plan->planObjects) heads = heads || p.isHead();
        if (heads) r.plan = *in.plan;
    }
    if (r.plan && in.planPicture && in.planPicture->width > 0) r.planPicture = *in.planPicture;

    PageGeometry landscape = r.page;
    std::swap(landscape.width, landscape.height);
    // The whole cycle across the page's width, in one line: a long program
    // gets narrow tacts (their labels left out where they do not fit), not pages.
    diagram::Geometry dg = diagram::reportDiagramGeometry(landscape);
    dg.minPxPerSecond = 0;
    diagram::Geometry portrait = diagram::reportDiagramGeometry(r.page);
    portrait.minPxPerSecond = 0;
    int used = 0;
    for (int p = 0; p < ProgramCount; ++p) used += isProgramEmpty(c, p) ? 0 : 1;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        auto t = diagram::buildTimeline(c, p, nullptr, &checked);
        if (!t) continue;
        r.sheets.push_back(programSheet(c, *t));
        numberPhasesAsSheet(*t, r.sheets.back());
        // Landscape, unless the directions only fit a portrait page (as the
        // diagram's own PDF decides).
        const int rows = int(t->rows.size());
        diagram::Geometry g = diagram::fitRowsToPage(dg, rows, landscape.contentBottom() - landscape.top);
        const bool wide = g.rowHeight >= 12;
        if (!wide) g = diagram::fitRowsToPage(portrait, rows, r.page.contentBottom() - r.page.top);
        r.diagrams.push_back(diagram::layoutDiagram(*t, g));
        r.diagramLandscape.push_back(wide);
    }
    for (const ProgramSheet& sh : r.sheets) {
        std::vector<PhasePicture> pictures;
        // A crossing has a handful of phases; past kMaxPhasePictures the table
        // carries the rest, so a machine-made program of hundreds stays a report.
        for (std::size_t i = 0; i < sh.phases.size() && i < kMaxPhasePictures; ++i) {
            const PhaseSheet& ph = sh.phases[i];
            PhasePicture pic;
            pic.phase = int(i);
            pic.caption = "Фаза " + std::to_string(ph.phaseNo) + ": " + seconds(ph.tMain) + " (Т мин " + seconds(ph.tMin) + ")";
            for (int d : ph.going) pic.going.push_back(r.directionNames[d]);
            pictures.push_back(std::move(pic));
        }
        r.phasePictures.push_back(std::move(pictures));
    }

    auto field = [&](const char* name, const std::string& value) { r.fields.emplace_back(name, value); };
    field(kObjectNameLabel, o.name);
    field(kObjectAddressLabel, o.address);
    field(kObjectOwnerLabel, o.owner);
    field(kObjectDesignerLabel, o.designer);
    field(kObjectModelLabel, o.model);
    field(kObjectSerialLabel, o.serial);
    field(kObjectRevisionLabel, o.revision + (o.revisionDate.empty() ? "" : " от " + o.revisionDate));
    field("Проект", in.info.projectName.empty() ? "без имени" : in.info.projectName);
    field("Дата", in.info.date);
    field("Кол.каналов в ДК", std::to_string(c.ChannelCount));
    field("ТВП1 Задержка сек.", c.Tvp1Delay);
    field("ТВП2 Задержка сек.", c.Tvp2Delay);
    field("Направлений", std::to_string(r.directions.size()));
    field("Программ", std::to_string(used));
    if (!o.notes.empty()) field(kObjectNotesLabel, o.notes);
    if (!in.info.version.empty()) field("Версия программы", in.info.version);
    r.signatures = {{kObjectPreparedLabel, o.prepared}, {kObjectCheckedLabel, o.checked}, {kObjectApprovedLabel, o.approved}};
    r.footer = std::string(kObjectNameLabel) + ": " + r.objectName + " · " + kObjectRevisionLabel + " " +
               (o.revision.empty() ? "—" : o.revision) + (o.revisionDate.empty() ? "" : " от " + o.revisionDate);

    r.sections = reportSections(r, in);
    paginate(r);
    return r;
}

}  // namespace livra::report
