#include "diagram/diagram_layout.h"

#include <algorithm>
#include <cmath>

#include "check/safety_check.h"
#include "edit/conflict_matrix.h"

namespace livra::diagram {

std::optional<Timeline> buildTimeline(const Configuration& c, int program, std::string* error,
                                      const SafetyReport* checked) {
    auto fail = [&](std::string text) -> std::optional<Timeline> {
        if (error) *error = std::move(text);
        return std::nullopt;
    };
    if (program < 0 || program >= ProgramCount)
        return fail("Нет программы с номером " + std::to_string(program + 1) + " (есть 1..16).");
    if (isProgramEmpty(c, program))
        return fail("Программа " + programTitle(program) + " пуста: в ней нет ни одного такта.");

    Timeline t;
    t.program = program;
    t.programName = c.Safety.object.programNames[program];
    int trams = 0;
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t kind = c.DirectionKind[d];
        if (!isUsedDirection(kind)) continue;
        if (kind == DirTram1) ++trams;
        Row row{d, kind, 0, std::to_string(d + 1), c.Safety.object.directionNames[d]};
        if (kind == DirTram1 || kind == DirTram2 || kind == DirTram3) {
            row.tramOrdinal = trams;
            row.label += "." + std::to_string(trams);
        }
        t.rows.push_back(row);
    }
    if (t.rows.empty()) return fail("В конфигурации нет направлений: диаграмме нечего показать.");

    // The controller ends the cycle at the first empty tact, so does the diagram.
    int at = 0, phase = 0;
    for (int k = 0; k < TactCount; ++k) {
        const Tact& tact = c.TactTable[program][k];
        if (tact.kind == TactEmpty) break;
        TactSpan s;
        s.tact = k;
        s.kind = tact.kind;
        s.start = at;
        s.width = std::clamp(tact.tMain, 0, 100000);  // a corrupt time must not blow the page up
        s.call = tact.kind == TactTvp1 || tact.kind == TactTvp2;
        if (tact.kind == TactPhase) s.phaseNo = ++phase;
        for (const Row& r : t.rows) {
            uint8_t signal = c.TactSignals[program][k][r.direction];
            // A call input is polled only in its own call tacts, whatever the
            // table holds elsewhere (the grid marks those cells the same way).
            if ((r.kind == DirTvp1 && tact.kind != TactTvp1) || (r.kind == DirTvp2 && tact.kind != TactTvp2))
                signal = SignalNotApplicable;
            s.signalCodes.push_back(signal);
        }
        if (!s.call) t.cycleSeconds += s.width;
        at += s.width;
        t.tacts.push_back(s);
    }
    t.totalSeconds = at;
    t.clearances = findClearances(t, c.Safety);
    t.findings = findingMarks(t, c, checked);
    return t;
}

std::vector<FindingMark> findingMarks(const Timeline& t, const Configuration& c, const SafetyReport* checked) {
    std::vector<FindingMark> out;
    auto rowOf = [&](int d) {
        for (int r = 0; r < int(t.rows.size()); ++r)
            if (t.rows[r].direction == d) return r;
        return -1;
    };
    auto startOf = [&](int tact) {
        for (const TactSpan& s : t.tacts)
            if (s.tact == tact) return s.start;
        return -1;
    };
    const bool calls = std::any_of(t.tacts.begin(), t.tacts.end(), [](const TactSpan& s) { return s.call; });
    auto add = [&](FindingMark m) {
        if (std::find(out.begin(), out.end(), m) == out.end()) out.push_back(std::move(m));
    };
    std::optional<SafetyReport> own;
    if (!checked) checked = &own.emplace(checkSafety(c, c.Safety));
    for (const SafetyFinding& f : checked->findings) {
        if ((f.rule != SafetyRule::Intergreen && f.rule != SafetyRule::SeamIntergreen) || f.program != t.program)
            continue;
        const int to = rowOf(f.other), green = startOf(f.tact);
        if (to < 0 || green < 0) continue;
        int start = green;
        if (f.gapFirst >= 0) start = f.gapProgram == t.program ? startOf(f.gapFirst) : 0;
        if (start < 0) start = green;
        int span = green - start;
        if (span < 0) span += t.totalSeconds;
        std::string path = safetyPathText(f.path, f.fromProgram, f.program);
        if (path.empty() && calls) path = " (без вызовов)";
        add({to, start, span,
             std::to_string(f.direction + 1) + "→" + std::to_string(f.other + 1) + ": " + std::to_string(f.seconds) +
                 " с < " + std::to_string(f.required) + " с" + path});
    }
    for (const Clearance& cl : t.clearances)
        if (cl.required == IntergreenNotSet)
            add({cl.toRow, cl.start, cl.seconds,
                 t.rows[cl.fromRow].label + "→" + t.rows[cl.toRow].label + ": " + std::to_string(cl.seconds) +
                     " с, промежуточное время не задано"});
    return out;
}

std::vector<Clearance> findClearances(const Timeline& t, const SafetyData& s) {
    std::vector<Clearance> out;
    const int n = int(t.tacts.size());
    if (n == 0 || t.totalSeconds <= 0) return out;
    auto go = [&](int tact, int row) { return isGoSignal(t.rows[row].kind, t.tacts[tact].signalCodes[row]); };
    const int rows = int(t.rows.size());
    for (int to = 0; to < rows; ++to) {
        for (int k = 0; k < n; ++k) {
            // A green that starts here, the cycle read round.
            const int before = (k + n - 1) % n;
            if (t.tacts[k].signalCodes[to] != SignalGreen || (go(before, to) && n > 1)) continue;
            const int greenAt = t.tacts[k].start;
            for (int from = 0; from < rows; ++from) {
                const int a = t.rows[from].direction, b = t.rows[to].direction;
                if (from == to || !isConflict(s, a, b)) continue;
                // Back from the green to the last go of `from`, unless `to`
                // went before it (then `from` handed over to someone else).
                for (int step = 1; step < n; ++step) {
                    const int j = (k + n - step) % n;
                    if (go(j, to)) break;
                    if (!go(j, from)) continue;
                    Clearance cl;
                    cl.fromRow = from;
                    cl.toRow = to;
                    cl.start = t.tacts[j].start + t.tacts[j].width;
                    cl.seconds = greenAt - cl.start;
                    if (cl.seconds < 0) cl.seconds += t.totalSeconds;
                    cl.start %= t.totalSeconds;
                    cl.required = s.intergreen[a][b];
                    out.push_back(cl);
                    break;
                }
            }
        }
    }
    return out;
}

std::string diagramTitle(const Timeline& t) {
    std::string title = "Программа " + programTitle(t.program) +
                        (t.programName.empty() ? "" : " «" + t.programName + "»") + " — цикл " + std::to_string(t.cycleSeconds) + " с";
    if (t.totalSeconds != t.cycleSeconds)
        title += " (с обслуживанием вызовов ТВП " + std::to_string(t.totalSeconds) + " с)";
    return title;
}

namespace {

int chooseTickStep(double pxPerSecond) {
    for (int step : {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1800, 3600})
        if (step * pxPerSecond >= 36) return step;
    return 3600;
}

// Runs along one axis: at `at`, from `a` to `b`.
struct Run {
    double at, a, b;
    long long key = std::llround(at * 1e6);  // positions a rounding apart are one
};

// Sorted by position, then start; runs at one position that touch or overlap
// become one.
std::vector<Run> mergedRuns(std::vector<Run> runs) {
    std::sort(runs.begin(), runs.end(), [](const Run& l, const Run& r) {
        return l.key != r.key ? l.key < r.key : l.a < r.a;
    });
    std::vector<Run> merged;
    for (const Run& r : runs) {
        if (!merged.empty() && merged.back().key == r.key && r.a <= merged.back().b + 1e-6)
            merged.back().b = std::max(merged.back().b, r.b);
        else
            merged.push_back(r);
    }
    return merged;
}

// The part of [start, start + width) inside [from, to); zero-width tacts
// stay visible as a line where they stand.
bool clip(int start, int width, int from, int to, double& x0, double& x1) {
    const int a = std::max(start, from), b = std::min(start + width, to);
    if (width == 0) {
        if (start < from || start >= to) return false;
    } else if (a >= b) {
        return false;
    }
    x0 = a;
    x1 = width == 0 ? a : b;
    return true;
}

}  // namespace

std::vector<Line> cellOutlines(const std::vector<Rect>& cells) {
    std::vector<Run> verticals, horizontals;
    // Cells come row by row: a cell that starts where the last one ended
    // shares its left edge and continues its top and bottom, which saves
    // most of the sorting.
    const Rect* last = nullptr;
    for (const Rect& r : cells) {
        if (r.w <= 0.01) continue;
        if (last && last->y == r.y && last->h == r.h && std::abs(last->right() - r.x) <= 1e-6) {
            horizontals[horizontals.size() - 2].b = r.right();
            horizontals.back().b = r.right();
        } else {
            verticals.push_back({r.x, r.y, r.bottom()});
            horizontals.push_back({r.y, r.x, r.right()});
            horizontals.push_back({r.bottom(), r.x, r.right()});
        }
        verticals.push_back({r.right(), r.y, r.bottom()});
        last = &r;
    }
    std::vector<Line> lines;
    for (const Run& v : mergedRuns(std::move(verticals))) lines.push_back({v.at, v.a, v.at, v.b});
    for (const Run& h : mergedRuns(std::move(horizontals))) lines.push_back({h.a, h.at, h.b, h.at});
    return lines;
}

DiagramLayout layoutDiagram(const Timeline& t, const Geometry& given) {
    Geometry g = given;
    // Named directions get a wider column; numbers alone keep the usual one.
    for (const Row& r : t.rows)
        if (!r.name.empty()) {
            g.labelWidth = std::max(g.labelWidth, std::min(190.0, g.width * 0.2));
            break;
        }
    DiagramLayout d;
    d.timeline = t;
    d.geometry = g;
    d.title = diagramTitle(t);

    const double avail = std::max(40.0, g.width - g.labelWidth - g.rightPad);
    const int total = std::max(1, t.totalSeconds);
    if (total * g.minPxPerSecond <= avail) {
        d.spanSeconds = total;
    } else {
        int span = int(avail / g.minPxPerSecond);
        if (span >= 20) span -= span % 10;
        d.spanSeconds = std::max(1, span);
    }
    d.pxPerSecond = avail / d.spanSeconds;
    d.tickStep = chooseTickStep(d.pxPerSecond);

    const int bandCount = (total + d.spanSeconds - 1) / d.spanSeconds;
    const int rows = int(t.rows.size());
    double y = g.titleHeight;
    for (int b = 0; b < bandCount; ++b) {
        Band band;
        band.top = y;
        band.fromSecond = b * d.spanSeconds;
        band.toSecond = std::min(total, band.fromSecond + d.spanSeconds);
        const double strip = t.findings.empty() ? 0 : t.findings.size() * g.findingLineHeight + 2;
        band.height = g.phaseHeight + g.tactHeight + rows * g.rowHeight + strip + g.axisHeight;
        const double x0 = g.labelWidth;
        auto xAt = [&](double s) { return x0 + (s - band.fromSecond) * d.pxPerSecond; };
        const double phaseTop = y, tactTop = y + g.phaseHeight, rowsTop = tactTop + g.tactHeight;
        band.timeArea = {x0, rowsTop, (band.toSecond - band.fromSecond) * d.pxPerSecond, rows * g.rowHeight};
        band.axisY = rowsTop + rows * g.rowHeight + strip;

        for (int r = 0; r < rows; ++r) band.rowLabels.push_back({0, rowsTop + r * g.rowHeight, g.labelWidth, g.rowHeight});

        for (const TactSpan& s : t.tacts) {
            double a, e;
            if (!clip(s.start, s.width, band.fromSecond, band.toSecond, a, e)) continue;
            TactBox box{{xAt(a), tactTop, (e - a) * d.pxPerSecond, g.tactHeight}, s.tact, s.kind, s.width, s.call,
                        s.start < band.fromSecond};
            band.tacts.push_back(box);
        }
        for (int r = 0; r < rows; ++r) {
            for (const TactSpan& s : t.tacts) {
                double a, e;
                if (!clip(s.start, s.width, band.fromSecond, band.toSecond, a, e)) continue;
                SegmentBox seg;
                seg.rect = {xAt(a), rowsTop + r * g.rowHeight, (e - a) * d.pxPerSecond, g.rowHeight};
                seg.row = r;
                seg.tact = s.tact;
                seg.call = s.call;
                seg.signal = s.signalCodes[r];
                band.segments.push_back(seg);
            }
        }
        std::vector<Rect> cells;
        cells.reserve(band.segments.size());
        for (const SegmentBox& s : band.segments) cells.push_back(s.rect);
        band.outlines = cellOutlines(cells);
        // Clearances: [start, start + seconds) read round the cycle, in the
        // upper part of the entering row.
        for (int i = 0; i < int(t.clearances.size()); ++i) {
            const Clearance& cl = t.clearances[i];
            const int total = t.totalSeconds, end = cl.start + cl.seconds;
            struct Piece { int from, to; bool first, last; };
            const Piece pieces[2] = {{cl.start, std::min(end, total), true, end <= total},
                                     {0, end - total, false, true}};
            for (int piece = 0; piece < (end > total ? 2 : 1); ++piece) {
                const Piece& pc = pieces[piece];
                const int a = std::max(pc.from, band.fromSecond);
                const int e = std::min(pc.to, band.toSecond);
                // A clearance of 0 s still shows, as a mark where it stands.
                const bool mark = cl.seconds == 0 && cl.start >= band.fromSecond && cl.start < band.toSecond;
                if (a >= e && !mark) continue;
                BracketBox br;
                br.rect = {xAt(a), rowsTop + cl.toRow * g.rowHeight + 2, (e - a) * d.pxPerSecond, g.rowHeight * 0.5};
                br.clearance = i;
                br.startsHere = pc.first && a == pc.from;
                br.endsHere = pc.last && e == pc.to;
                br.tooShort = cl.tooShort();
                if (!br.tooShort) br.label = std::to_string(cl.seconds) + " с";
                band.brackets.push_back(br);
            }
        }
        // The findings, a strip line each under the rows: the bracket over
        // the seconds it names, its label beside it.
        for (int i = 0; i < int(t.findings.size()); ++i) {
            const FindingMark& m = t.findings[i];
            const int total = std::max(1, t.totalSeconds), end = m.start + m.seconds;
            const double lineTop = rowsTop + rows * g.rowHeight + 1 + i * g.findingLineHeight;
            struct Piece { int from, to; bool first, last; };
            const Piece pieces[2] = {{m.start, std::min(end, total), true, end <= total}, {0, end - total, false, true}};
            for (int piece = 0; piece < (end > total ? 2 : 1); ++piece) {
                const Piece& pc = pieces[piece];
                const int a = std::max(pc.from, band.fromSecond), e = std::min(pc.to, band.toSecond);
                const bool mark = m.seconds == 0 && m.start >= band.fromSecond && m.start < band.toSecond;
                if (a >= e && !mark) continue;
                FindingBox fb;
                fb.rect = {xAt(a), lineTop, (e - a) * d.pxPerSecond, g.findingLineHeight - 2};
                fb.finding = i;
                fb.startsHere = pc.first && a == pc.from;
                fb.endsHere = pc.last && e == pc.to;
                fb.labelHere = fb.endsHere;
                band.findingBrackets.push_back(fb);
            }
        }
        // A phase runs from its phase tact up to the next phase or call tact.
        for (std::size_t i = 0; i < t.tacts.size(); ++i) {
            const TactSpan& s = t.tacts[i];
            if (s.kind != TactPhase) continue;
            int end = t.totalSeconds;
            for (std::size_t j = i + 1; j < t.tacts.size(); ++j)
                if (t.tacts[j].kind == TactPhase || t.tacts[j].call) {
                    end = t.tacts[j].start;
                    break;
                }
            double a, e;
            if (!clip(s.start, end - s.start, band.fromSecond, band.toSecond, a, e)) continue;
            const bool startsHere = s.start >= band.fromSecond;
            band.phases.push_back({{xAt(a), phaseTop, (e - a) * d.pxPerSecond, g.phaseHeight}, s.phaseNo, startsHere});
            if (startsHere) band.phaseLines.push_back(xAt(s.start));
        }
        // Ticks on multiples of the step; the band's end always, and a
        // multiple too close to it gives way.
        const double minGap = 26;
        for (int s = (band.fromSecond + d.tickStep - 1) / d.tickStep * d.tickStep; s <= band.toSecond; s += d.tickStep)
            band.ticks.push_back({xAt(s), s});
        if (band.ticks.empty() || band.ticks.back().seconds != band.toSecond) {
            while (!band.ticks.empty() && xAt(band.toSecond) - band.ticks.back().x < minGap) band.ticks.pop_back();
            band.ticks.push_back({xAt(band.toSecond), band.toSecond});
        }
        d.bands.push_back(std::move(band));
        y += d.bands.back().height + g.bandGap;
    }
    bool used[10] = {};
    bool phases = false, calls = false;
    for (const TactSpan& s : t.tacts) {
        for (uint8_t code : s.signalCodes) used[code < 10 ? code : 0] = true;
        phases = phases || s.kind == TactPhase;
        calls = calls || s.call;
    }
    for (int code : {SignalRed, SignalYellow, SignalGreen, SignalFlashingYellow, SignalFlashingGreen, SignalRedYellow,
                     SignalOff, SignalNotApplicable, SignalNotSet})
        if (used[code]) d.legendItems.push_back(code);
    if (phases) d.legendItems.push_back(LegendPhaseStart);
    if (calls) d.legendItems.push_back(LegendCallTact);
    d.legendColumns = std::max(1, int(g.width / g.legendColumnWidth));
    const int lines = (int(d.legendItems.size()) + d.legendColumns - 1) / d.legendColumns;
    d.legendTop = y;
    d.legendHeight = lines * g.legendLineHeight + 8;
    d.height = y + d.legendHeight;
    return d;
}

double partHeight(const DiagramLayout& d, int first, int last, bool title, bool legend) {
    const Geometry& g = d.geometry;
    double h = title ? g.titleHeight : 0;
    for (int b = first; b < last; ++b) h += d.bands[b].height + g.bandGap;
    if (legend) h += d.legendHeight;
    return h;
}

}  // namespace livra::diagram

namespace livra::diagram {

Geometry fitRowsToPage(Geometry g, int rows, double room) {
    if (rows <= 0) return g;
    const double legend = 3 * g.legendLineHeight + 8;
    const double fixed = g.titleHeight + g.phaseHeight + g.tactHeight + g.axisHeight + g.bandGap + legend;
    g.rowHeight = std::clamp(std::floor((room - fixed) / rows * 2) / 2, 10.0, g.rowHeight);
    return g;
}

std::vector<std::pair<int, int>> splitIntoPages(const DiagramLayout& d, double room) {
    std::vector<std::pair<int, int>> pages;
    const int n = int(d.bands.size());
    int band = 0;
    while (band < n) {
        int last = band;
        while (last < n && partHeight(d, band, last + 1, band == 0, last + 1 == n) <= room) ++last;
        if (last == band) last = band + 1;  // taller than a page: clipped rather than lost
        pages.emplace_back(band, last);
        band = last;
    }
    return pages;
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

}  // namespace livra::diagram
