#pragma once
// The timing diagram of one program, laid out without any toolkit: rows of
// directions, a segment per tact in the direction's signal, the tact band with
// phase numbers on top and the time axis below. Coordinates are logical
// pixels (96 per inch); the painters only draw what this file placed.
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "check/safety_check.h"
#include "model/configuration.h"

namespace livra::diagram {

// One diagram row: a used direction as the tact grid shows it.
struct Row {
    int direction = 0;    // 0..62
    uint8_t kind = 0;     // DirectionKindCode
    int tramOrdinal = 0;  // 1.. for tram rows, 0 otherwise
    std::string label;    // "5", or "6.2" for a row of the second tram
    std::string name;     // the engineers' name for it, from the object data; may be empty
    bool operator==(const Row&) const = default;
};

// A tact on the time line: the program runs its tacts in order, a call tact
// only when its call came; the diagram shows every call served.
struct TactSpan {
    int tact = 0;  // 0..320
    int32_t kind = 0;
    int start = 0;  // seconds from the start of the program
    int width = 0;  // Т осн
    int phaseNo = 0;
    bool call = false;  // ТВП1 or ТВП2: served only on a call
    std::vector<uint8_t> signalCodes;  // SignalCode, one per row
    bool operator==(const TactSpan&) const = default;
};

// The time between the end of a direction's go and the start of a
// conflicting direction's green, as the program plays round its cycle.
struct Clearance {
    int fromRow = 0, toRow = 0;  // rows of the timeline: `from` clears, `to` enters
    int start = 0;               // the first second without `from`'s go
    int seconds = 0;             // until `to` turns green; may run past the cycle's end
    int required = IntergreenNotSet;  // the pair's intergreen, when set
    bool tooShort() const { return required != IntergreenNotSet && seconds < required; }
    bool operator==(const Clearance&) const = default;
};

// A safety finding of the program as a named bracket in the findings strip
// under the rows, where it covers no cell: an intergreen cut short on some
// path (the call paths and calendar switches included), or a conflicting
// hand-over that has no intergreen time.
struct FindingMark {
    int toRow = 0;      // the entering direction's row
    int start = 0;      // seconds on the diagram's axis: the end of the clearing go
    int seconds = 0;    // up to the entering green; may run past the cycle's end
    std::string label;  // "4→1: 0 с < 5 с (при вызове ТВП1)"
    bool operator==(const FindingMark&) const = default;
};

struct Timeline {
    int program = 0;
    std::string programName;  // from the object data; may be empty
    std::vector<Row> rows;
    std::vector<TactSpan> tacts;  // up to the first empty tact
    std::vector<Clearance> clearances;  // of every conflicting pair that hands over
    std::vector<FindingMark> findings;  // one strip line each
    int cycleSeconds = 0;         // phases and intermediate tacts
    int totalSeconds = 0;         // with every call tact served
    bool operator==(const Timeline&) const = default;
};

// The clearances of a timeline's conflicting pairs (those of c.Safety).
std::vector<Clearance> findClearances(const Timeline& t, const SafetyData& s);

// The program's safety findings as the strip shows them (those of
// checkSafety on c.Safety, or `checked` when the caller has it), in the order
// the check words them.
std::vector<FindingMark> findingMarks(const Timeline& t, const Configuration& c,
                                      const SafetyReport* checked = nullptr);

// The program as a time line; nothing and a message for the user when there
// is nothing to draw (a program number out of range, an empty program, no
// directions). `checked`: checkSafety(c, c.Safety) when the caller has it,
// so a report of many programs checks the configuration once.
std::optional<Timeline> buildTimeline(const Configuration& c, int program, std::string* error,
                                      const SafetyReport* checked = nullptr);

// "Программа 4 — цикл 33 с", "Программа 4 «Утро» — цикл 33 с" (and the
// time with every call served).
std::string diagramTitle(const Timeline& t);

struct Rect {
    double x = 0, y = 0, w = 0, h = 0;
    double right() const { return x + w; }
    double bottom() const { return y + h; }
    bool operator==(const Rect&) const = default;
};

struct Line {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const Line&) const = default;
};

// The edges of the cells as lines: an edge two cells share and the edges
// that continue one another in a column or a row are drawn once, as one
// line. Cells narrower than 0.01 have no outline.
std::vector<Line> cellOutlines(const std::vector<Rect>& cells);

struct Geometry {
    double width = 1100;       // the whole diagram
    double labelWidth = 78;    // the direction column
    double rightPad = 12;
    double titleHeight = 30;
    double phaseHeight = 18;   // phase numbers
    double tactHeight = 18;    // tact numbers and kinds
    double rowHeight = 22;
    double axisHeight = 24;
    double bandGap = 14;
    double legendColumnWidth = 170;
    double legendLineHeight = 18;
    double minPxPerSecond = 6;  // below this a long program wraps
    double findingLineHeight = 14;  // a line of the findings strip
};

struct SegmentBox {
    Rect rect;
    int row = 0;
    int tact = 0;
    uint8_t signal = 0;
    bool call = false;
};

struct TactBox {
    Rect rect;  // in the tact band
    int tact = 0;
    int32_t kind = 0;
    int width = 0;  // seconds
    bool call = false;
    bool continued = false;  // begins in an earlier band
};

// A clearance drawn as a bracket in the entering direction's row; one
// clearance running over a band's edge or the cycle's end is drawn in pieces.
struct BracketBox {
    Rect rect;
    int clearance = 0;  // index into Timeline::clearances
    bool startsHere = false, endsHere = false;  // the end ticks
    bool tooShort = false;
    std::string label;  // "5 с"; none where short (the findings strip names it)
};

// A finding's bracket in its strip line.
struct FindingBox {
    Rect rect;
    int finding = 0;  // index into Timeline::findings
    bool startsHere = false, endsHere = false;
    bool labelHere = false;  // the piece that carries the label
};

struct PhaseBox {
    Rect rect;  // in the phase band: the phase tact and what follows it up to the next phase
    int phaseNo = 0;
    bool startsHere = false;  // the phase begins in this band (boundary drawn)
};

struct Tick {
    double x = 0;
    int seconds = 0;
};

// One line of the diagram covering [fromSecond, toSecond).
struct Band {
    double top = 0;  // from the top of the diagram
    double height = 0;
    int fromSecond = 0, toSecond = 0;
    Rect timeArea;                     // where the rows run
    std::vector<Rect> rowLabels;       // one per row
    std::vector<SegmentBox> segments;  // row by row, in tact order
    std::vector<Line> outlines;        // of the segments, see cellOutlines
    std::vector<TactBox> tacts;
    std::vector<BracketBox> brackets;
    std::vector<FindingBox> findingBrackets;  // in the strip between the rows and the axis
    std::vector<PhaseBox> phases;
    std::vector<double> phaseLines;  // x of every phase start in this band
    std::vector<Tick> ticks;
    double axisY = 0;
};

struct DiagramLayout {
    Timeline timeline;
    Geometry geometry;
    std::string title;
    double pxPerSecond = 0;
    int spanSeconds = 0;  // seconds one band covers
    int tickStep = 1;
    std::vector<Band> bands;
    // The legend explains what this diagram uses: signal codes, then
    // LegendPhaseStart and LegendCallTact; laid out in columns.
    std::vector<int> legendItems;
    int legendColumns = 1;
    double legendTop = 0;
    double legendHeight = 0;
    double height = 0;  // title, bands and legend
};

constexpr int LegendPhaseStart = -1;
constexpr int LegendCallTact = -2;

DiagramLayout layoutDiagram(const Timeline& t, const Geometry& g);

// Height of a part of the diagram: bands [first, last) with the title and the
// legend when asked, as the report places it on a page.
double partHeight(const DiagramLayout& d, int first, int last, bool title, bool legend);

}  // namespace livra::diagram

namespace livra::diagram {

// The geometry with rows made lower (down to 10 pixels, never higher) so that
// a band of `rows` directions with its title and legend fits a page of `room`.
Geometry fitRowsToPage(Geometry g, int rows, double room);

// An A4 page in logical pixels (96 per inch), portrait; swap width and
// height for landscape.
struct PageGeometry {
    double width = 794, height = 1123;  // A4
    double left = 57, right = 38, top = 45, bottom = 64;
    double gap = 16;  // between blocks
    double headingHeight = 30;
    double fieldHeight = 20;
    double tableHeaderHeight = 36;
    double tableRowHeight = 19;
    double contentWidth() const { return width - left - right; }
    double contentBottom() const { return height - bottom; }
    bool landscape() const { return width > height; }
};

// The diagram geometry a printed page uses for its width.
Geometry reportDiagramGeometry(const PageGeometry& page);

// Band ranges [first, last) of a diagram spread over pages of `room` height:
// the title goes with the first band, the legend with the last.
std::vector<std::pair<int, int>> splitIntoPages(const DiagramLayout& d, double room);

}  // namespace livra::diagram
