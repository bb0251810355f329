#include "diagram/report_layout.h"

#include <algorithm>
#include <cstdio>

#include "check/safety_check.h"
#include "edit/conflict_matrix.h"

namespace livra::diagram {

const char* const kSlotHeaders[SlotCount][2] = {
    {"Выход 1", "красный"}, {"Выход 2", "жёлтый"},  {"Выход 3", "зелёный"},   {"Выход 4", "трамв. 1"},
    {"Выход 5", "трамв. 2"}, {"Выход 6", "трамв. 3"}, {"Выход 7", "трамв. общ."},
};
const char* const kDayNamesFull[DayCount] = {"Понедельник", "Вторник", "Среда",      "Четверг",
                                             "Пятница",     "Суббота", "Воскресенье"};

namespace {

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

std::vector<DirectionLine> directionLines(const Configuration& c) {
    std::vector<DirectionLine> lines;
    int trams = 0;
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t kind = c.DirectionKind[d];
        if (kind == DirEmpty) continue;
        if (kind == DirTram1) ++trams;
        DirectionLine line;
        line.number = std::to_string(d + 1);
        if (kind == DirTram1 || kind == DirTram2 || kind == DirTram3) line.number += "." + std::to_string(trams);
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

SafetySection safetySection(const Configuration& c, double contentWidth) {
    SafetySection s;
    const SafetyData& data = c.Safety;
    s.defined = data.defined;
    const std::vector<int> dirs = matrixDirections(c);
    if (data.defined) {
        int trams = 0;
        for (int d = 0; d < DirectionCount; ++d) {
            if (c.DirectionKind[d] == DirTram1) ++trams;
            if (!isMatrixKind(c.DirectionKind[d])) continue;
            std::string label = std::to_string(d + 1);
            if (c.DirectionKind[d] >= DirTram1 && c.DirectionKind[d] <= DirTram3) label += "." + std::to_string(trams);
            s.labels.push_back(label);
        }
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
    for (const std::string& line : safetyReportLines(checkSafety(c, data))) s.lines.emplace_back(false, line);
    return s;
}

class PageFlow {
public:
    PageFlow(Report& r) : r_(r), g_(r.page) { newPage(); }
    double room() const { return g_.contentBottom() - y_; }
    bool pageEmpty() const { return r_.pages.back().blocks.empty(); }
    void newPage() {
        r_.pages.emplace_back();
        y_ = g_.top;
    }
    void place(Block b) {
        b.top = y_;
        y_ += b.height + g_.gap;
        r_.pages.back().blocks.push_back(b);
    }
    double fullRoom() const { return g_.contentBottom() - g_.top; }

private:
    Report& r_;
    const PageGeometry& g_;
    double y_ = 0;
};

}  // namespace

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

Geometry reportDiagramGeometry(const PageGeometry& page) {
    Geometry g;
    g.width = page.contentWidth();
    g.labelWidth = 70;
    g.rightPad = 14;
    g.rowHeight = 20;
    g.minPxPerSecond = 5;
    return g;
}

Report planReport(const Configuration& c, const ReportInfo& info, const PageGeometry& page) {
    Report r;
    r.page = page;
    r.heading = "Конфигурация ДК «Ливра»";
    r.directions = directionLines(c);
    r.safety = safetySection(c, page.contentWidth());
    const Geometry dg = reportDiagramGeometry(page);
    for (int p = 0; p < ProgramCount; ++p) {
        auto t = buildTimeline(c, p, nullptr);
        if (t) r.diagrams.push_back(layoutDiagram(*t, fitRowsToPage(dg, int(t->rows.size()), page.contentBottom() - page.top)));
    }
    int used = 0;
    for (int p = 0; p < ProgramCount; ++p) used += isProgramEmpty(c, p) ? 0 : 1;
    r.fields = {
        {"Проект", info.projectName.empty() ? "без имени" : info.projectName},
        {"Дата", info.date},
        {"Кол.каналов в ДК", std::to_string(c.ChannelCount)},
        {"ТВП1 Задержка сек.", c.Tvp1Delay},
        {"ТВП2 Задержка сек.", c.Tvp2Delay},
        {"Направлений", std::to_string(r.directions.size())},
        {"Программ", std::to_string(used)},
    };
    if (!info.version.empty()) r.fields.push_back({"Версия программы", info.version});
    for (int d = 0; d < DayCount; ++d) {
        for (const CalendarEntry& e : c.Calendar[d]) {
            if (e.empty()) continue;
            char buf[40];
            std::snprintf(buf, sizeof buf, "%02d:%02d → %d", e.hour, e.minute, e.program);
            r.calendar[d].push_back(buf);
        }
        r.calendarRows = std::max(r.calendarRows, int(r.calendar[d].size()));
    }

    PageFlow flow(r);
    Block title{BlockKind::Title};
    title.heading = true;
    title.height = page.headingHeight + page.fieldHeight * r.fields.size();
    flow.place(title);

    // Directions: the table continues on the next page with its header again.
    const double rowH = page.tableRowHeight;
    int row = 0;
    const int rows = int(r.directions.size());
    bool firstPart = true;
    do {
        const double fixed = (firstPart ? page.headingHeight : 0) + page.tableHeaderHeight;
        int fit = int((flow.room() - fixed) / rowH);
        if (fit < std::min(3, rows - row) && !flow.pageEmpty()) {
            flow.newPage();
            fit = int((flow.room() - fixed) / rowH);
        }
        fit = std::max(1, std::min(fit, rows - row));
        if (rows == 0) fit = 0;
        Block b{BlockKind::Directions};
        b.first = row;
        b.last = row + fit;
        b.heading = firstPart;
        b.height = fixed + std::max(1, fit) * rowH;  // an empty table says so in one row
        flow.place(b);
        row += fit;
        firstPart = false;
    } while (row < rows);

    // Each diagram stays whole when it fits a page; a longer one fills pages band by band.
    for (int i = 0; i < int(r.diagrams.size()); ++i) {
        const DiagramLayout& d = r.diagrams[i];
        const int bands = int(d.bands.size());
        const double whole = partHeight(d, 0, bands, true, true);
        if (whole > flow.room() && whole <= flow.fullRoom() && !flow.pageEmpty()) flow.newPage();
        int band = 0;
        while (band < bands) {
            int last = band;
            while (last < bands) {
                const bool legend = last + 1 == bands;
                if (partHeight(d, band, last + 1, band == 0, legend) > flow.room()) break;
                ++last;
            }
            if (last == band) {
                if (flow.pageEmpty()) {
                    last = band + 1;  // a band taller than a page is clipped rather than lost
                } else {
                    flow.newPage();
                    continue;
                }
            }
            Block b{BlockKind::Program};
            b.diagram = i;
            b.first = band;
            b.last = last;
            b.heading = band == 0;
            b.legend = last == bands;
            b.height = partHeight(d, band, last, b.heading, b.legend);
            flow.place(b);
            band = last;
        }
    }

    Block cal{BlockKind::Calendar};
    cal.heading = true;
    cal.height = page.headingHeight + page.tableHeaderHeight + std::max(1, r.calendarRows) * rowH;
    if (cal.height > flow.room() && !flow.pageEmpty()) flow.newPage();
    flow.place(cal);

    // Last, the safety part: the conflict matrix (rows continue on the next
    // page under the column numbers again), then the rules and the findings,
    // line by line.
    {
        const SafetySection& s = r.safety;
        const int mrows = s.defined ? int(s.cells.size()) : 0;
        const double header = s.defined ? s.cell + 4 : 0;
        int at = 0;
        bool first = true;
        do {
            const double fixed = (first ? page.headingHeight : 0) + header;
            const double rowH = s.defined ? s.cell : page.tableRowHeight;
            int fit = int((flow.room() - fixed) / rowH);
            if (fit < std::min(3, std::max(1, mrows - at)) && !flow.pageEmpty()) {
                flow.newPage();
                fit = int((flow.room() - fixed) / rowH);
            }
            fit = std::max(1, std::min(fit, mrows - at));
            Block b{BlockKind::SafetyMatrix};
            b.first = at;
            b.last = mrows ? at + fit : 0;
            b.heading = first;
            b.height = fixed + std::max(1, b.last - b.first) * rowH;
            flow.place(b);
            at += mrows ? fit : 1;
            first = false;
        } while (at < mrows);
        const int lines = int(s.lines.size());
        int line = 0;
        while (line < lines) {
            int fit = int(flow.room() / s.lineHeight);
            if (fit < std::min(3, lines - line) && !flow.pageEmpty()) {
                flow.newPage();
                fit = int(flow.room() / s.lineHeight);
            }
            fit = std::max(1, std::min(fit, lines - line));
            Block b{BlockKind::SafetyText};
            b.first = line;
            b.last = line + fit;
            b.height = fit * s.lineHeight;
            flow.place(b);
            line += fit;
        }
    }
    return r;
}

}  // namespace livra::diagram
