// Cutting the report's sections into pages: headings stay with what follows
// them, tables continue under their header again, and no page begins or ends
// with a lone line or two of a part that goes on.
#include <algorithm>
#include <cmath>

#include "report/report.h"

namespace livra::report {
namespace {

constexpr int kLeastRows = 3;  // rows kept together at a page's foot and head
constexpr double kTitleHeight = 120;
constexpr double kSignatureRow = 34;
constexpr double kPhaseLine = 15;
constexpr int kPhaseGoingLines = 4;  // directions listed under a phase picture; the rest counted

class Flow {
public:
    explicit Flow(Report& r) : r_(r) { open(false); }

    PageGeometry geometry() const {
        PageGeometry g = r_.page;
        if (landscape_) std::swap(g.width, g.height);
        return g;
    }
    double room() const { return geometry().contentBottom() - y_; }
    double fullRoom() const { return geometry().contentBottom() - geometry().top; }
    bool empty() const { return r_.pages.back().blocks.empty(); }
    bool landscape() const { return landscape_; }

    void open(bool landscape) {
        landscape_ = landscape;
        r_.pages.push_back(Page{landscape, {}});
        y_ = r_.page.top;
    }
    // A fresh page of the asked orientation unless the current one is still blank.
    void fresh(bool landscape) {
        if (empty()) {
            landscape_ = landscape;
            r_.pages.back().landscape = landscape;
            return;
        }
        open(landscape);
    }
    void place(Block b, double gap) {
        b.top = y_;
        y_ += b.height + gap;
        r_.pages.back().blocks.push_back(b);
    }

private:
    Report& r_;
    bool landscape_ = false;
    double y_ = 0;
};

double phaseRowHeight(const Report& r, const Section& s, int row) {
    const auto& pics = r.phasePictures[s.sheet];
    int lines = 1;
    for (int i = row * r.phasesPerRow; i < std::min<int>(int(pics.size()), (row + 1) * r.phasesPerRow); ++i)
        lines = std::max(lines, 1 + std::min(int(pics[i].going.size()) + (pics[i].going.empty() ? 1 : 0), kPhaseGoingLines + 1));
    return r.phaseSide + 6 + lines * kPhaseLine;
}

class Paginator {
public:
    explicit Paginator(Report& r) : r_(r), f_(r) {}

    void run() {
        for (int i = 0; i < int(r_.sections.size()); ++i) section(i);
    }

private:
    // Places `count` pieces of equal height under `fixed` (a header repeated
    // on every page, and the heading on the first), cutting between pages.
    template <class Make>
    void rows(int count, double rowHeight, double header, double gap, bool withHeading, Make make) {
        const PageGeometry& g = r_.page;
        int at = 0;
        bool first = true;
        if (count == 0) {
            const double h = header + rowHeight;
            if ((first && withHeading ? g.headingHeight : 0) + h > f_.room() && !f_.empty()) f_.fresh(f_.landscape());
            heading(first && withHeading);
            f_.place(make(0, 0, h), gap);
            return;
        }
        while (at < count) {
            const double head = first && withHeading ? g.headingHeight : 0;
            int fit = int(std::floor((f_.room() - head - header) / rowHeight + 1e-9));
            const int left = count - at;
            // Neither a short stub at the foot of this page nor one carried over.
            if (fit < left && left - fit < kLeastRows) fit = left - kLeastRows;
            if (fit < std::min(kLeastRows, left) && !f_.empty()) {
                f_.fresh(f_.landscape());
                fit = int(std::floor((f_.room() - head - header) / rowHeight + 1e-9));
                if (fit < left && left - fit < kLeastRows && fit > kLeastRows) fit = left - kLeastRows;
            }
            fit = std::clamp(fit, 1, left);
            heading(first && withHeading);
            f_.place(make(at, at + fit, header + fit * rowHeight), gap);
            at += fit;
            first = false;
        }
    }

    void heading(bool yes) {
        if (!yes) return;
        Block b{BlockKind::Heading, current_};
        b.height = r_.page.headingHeight;
        f_.place(b, 0);
    }

    Block block(BlockKind kind, int first, int last, double height) const {
        Block b{kind, current_};
        b.first = first;
        b.last = last;
        b.height = height;
        return b;
    }

    double linesHeight(const std::vector<TextLine>& lines) const { return lines.size() * r_.safety.lineHeight; }

    double tableHeight(const Table& t) const {
        if (t.columns.empty()) return 0;
        return (t.header ? r_.page.tableHeaderHeight : 0) + std::max<std::size_t>(1, t.rows.size()) * r_.page.tableRowHeight;
    }

    double sectionHeight(const Section& s) const {
        const PageGeometry& g = r_.page;
        double h = (s.title.empty() ? 0 : g.headingHeight) + linesHeight(s.lead) + tableHeight(s.table) +
                   linesHeight(s.trail) + 3 * g.gap;
        if (s.kind == SectionKind::Safety) {
            const SafetySection& sf = r_.safety;
            h += (sf.defined ? sf.cell + 4 + sf.cells.size() * sf.cell : g.tableRowHeight) + sf.lines.size() * sf.lineHeight;
        }
        return h;
    }

    void lines(BlockKind kind, const std::vector<TextLine>& text, bool withHeading) {
        if (text.empty()) return;
        rows(int(text.size()), r_.safety.lineHeight, 0, r_.page.gap / 2, withHeading,
             [&](int a, int b, double h) { return block(kind, a, b, h); });
    }

    void tableOf(const Section& s, bool withHeading) {
        if (s.table.columns.empty()) return;
        rows(int(s.table.rows.size()), r_.page.tableRowHeight, s.table.header ? r_.page.tableHeaderHeight : 0,
             r_.page.gap, withHeading, [&](int a, int b, double h) { return block(BlockKind::TableRows, a, b, h); });
    }

    void section(int i) {
        current_ = i;
        const Section& s = r_.sections[i];
        const PageGeometry& g = r_.page;
        if (s.landscape != f_.landscape()) f_.fresh(s.landscape);
        if (s.newPage && !f_.empty()) f_.fresh(s.landscape);
        const double whole = sectionHeight(s);
        if (s.keepTogether && whole > f_.room() && whole <= f_.fullRoom() && !f_.empty()) f_.fresh(s.landscape);
        bool pendingHeading = !s.title.empty();
        // The heading goes down with the first thing under it.
        auto take = [&]() {
            const bool h = pendingHeading;
            pendingHeading = false;
            return h;
        };

        switch (s.kind) {
        case SectionKind::Title: {
            f_.place(block(BlockKind::Title, 0, 0, kTitleHeight), g.gap);
            tableOf(s, false);
            const double sig = g.headingHeight + g.tableRowHeight + 3 * kSignatureRow;
            if (sig > f_.room()) f_.fresh(false);
            f_.place(block(BlockKind::Signatures, 0, 3, sig), g.gap);
            return;
        }
        case SectionKind::Plan: {
            const double h = r_.planSide + 8;
            if ((pendingHeading ? g.headingHeight : 0) + h > f_.room() && !f_.empty()) f_.fresh(s.landscape);
            heading(take());
            f_.place(block(BlockKind::Plan, 0, 0, h), g.gap);
            lines(BlockKind::Trail, s.trail, false);
            return;
        }
        case SectionKind::Phases: {
            const int n = int(r_.phasePictures[s.sheet].size());
            if (n == 0) break;
            const int rowsCount = (n + r_.phasesPerRow - 1) / r_.phasesPerRow;
            for (int row = 0; row < rowsCount; ++row) {
                const double h = phaseRowHeight(r_, s, row);
                if ((pendingHeading ? g.headingHeight : 0) + h > f_.room() && !f_.empty()) f_.fresh(s.landscape);
                heading(take());
                f_.place(block(BlockKind::Phases, row, row + 1, h), g.gap / 2);
            }
            lines(BlockKind::Lead, s.lead, false);
            return;
        }
        case SectionKind::Diagram: {
            const diagram::DiagramLayout& d = r_.diagrams[s.diagram];
            const int bands = int(d.bands.size());
            int band = 0;
            while (band < bands) {
                int last = band;
                while (last < bands && diagram::partHeight(d, band, last + 1, band == 0, last + 1 == bands) <= f_.room())
                    ++last;
                if (last == band) {
                    if (!f_.empty()) {
                        f_.fresh(s.landscape);
                        continue;
                    }
                    last = band + 1;  // a band taller than a page is clipped rather than lost
                }
                Block b = block(BlockKind::Diagram, band, last, diagram::partHeight(d, band, last, band == 0, last == bands));
                b.heading = band == 0;
                b.legend = last == bands;
                f_.place(b, g.gap);
                band = last;
            }
            return;
        }
        case SectionKind::Safety: {
            const SafetySection& sf = r_.safety;
            const int mrows = sf.defined ? int(sf.cells.size()) : 0;
            const double header = sf.defined ? sf.cell + 4 : 0;
            rows(mrows, sf.defined ? sf.cell : g.tableRowHeight, header, g.gap, true, [&](int a, int b, double h) {
                Block k = block(BlockKind::SafetyMatrix, a, b, h);
                k.heading = true;
                return k;
            });
            rows(int(sf.lines.size()), sf.lineHeight, 0, 0, false,
                 [&](int a, int b, double h) { return block(BlockKind::SafetyText, a, b, h); });
            return;
        }
        case SectionKind::Lines: break;
        }
        // Lead lines, the table, trail lines; the heading with the first of them.
        const bool leadHeading = !s.lead.empty() && take();
        lines(BlockKind::Lead, s.lead, leadHeading);
        const bool tableHeading = !s.table.columns.empty() && take();
        tableOf(s, tableHeading);
        if (!s.trail.empty()) lines(BlockKind::Trail, s.trail, take());
        heading(take());  // a section with nothing under its heading still names itself
    }

    Report& r_;
    Flow f_;
    int current_ = 0;
};

}  // namespace

void paginate(Report& r) {
    r.pages.clear();
    Paginator(r).run();
}

}  // namespace livra::report
