#pragma once
// The printable report of a configuration, planned page by page without any
// toolkit: title block, directions table, a diagram per non-empty program and
// the weekly calendar. Sizes are logical pixels of an A4 page (96 per inch).
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "diagram/diagram_layout.h"

namespace livra::diagram {

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
};

struct ReportInfo {
    std::string projectName;  // the file's name, or "без имени"
    std::string date;         // "09.12.2026"
    std::string version;      // the program's version; no field when empty
};

struct DirectionLine {
    std::string number;  // "6.2" for a tram row
    std::string kind;    // "Транспортный", …
    std::array<std::string, SlotCount> outputs;  // "12 ток"; empty when not connected
};

// The safety part: the conflict matrix with its intergreens, the rules
// profile and the safety check's findings.
struct SafetySection {
    bool defined = false;
    std::vector<std::string> labels;              // the matrix's directions, "6.2"
    std::vector<std::vector<std::string>> cells;  // [row][column]: "" no conflict, "×" conflict without
                                                  // an intergreen, "5" its seconds (row clears, column enters)
    double cell = 24;       // a matrix cell's side
    double labelWidth = 44;
    // Lines below the matrix: section titles (true) and text.
    std::vector<std::pair<bool, std::string>> lines;
    double lineHeight = 17;
};

// "Жёлтый между разрешающим и красным, не менее: 3 с", … (0 reads "выкл.").
std::vector<std::string> safetyRuleLines(const SafetyRules& r);

enum class BlockKind { Title, Directions, Program, Calendar, SafetyMatrix, SafetyText };

// A piece of the report on one page. Directions: table rows [first, last);
// Program: diagram bands [first, last) of `diagram`; SafetyMatrix: matrix
// rows [first, last); SafetyText: SafetySection::lines [first, last).
struct Block {
    BlockKind kind = BlockKind::Title;
    double top = 0, height = 0;
    int first = 0, last = 0;
    int diagram = -1;  // index into Report::diagrams
    bool heading = false;  // the section heading, or the diagram's title
    bool legend = false;   // the diagram's legend
};

struct Page {
    std::vector<Block> blocks;
};

struct Report {
    PageGeometry page;
    std::string heading;  // "Конфигурация ДК «Ливра»"
    std::vector<std::pair<std::string, std::string>> fields;  // title block
    std::vector<DirectionLine> directions;
    SafetySection safety;
    std::vector<DiagramLayout> diagrams;  // every non-empty program, in order
    std::array<std::vector<std::string>, DayCount> calendar;  // "06:00 → 4", in the editor's order
    int calendarRows = 0;
    std::vector<Page> pages;
};

extern const char* const kSlotHeaders[SlotCount][2];  // two lines per output slot
extern const char* const kDayNamesFull[DayCount];

// The diagram geometry the report uses for its page width.
Geometry reportDiagramGeometry(const PageGeometry& page);

Report planReport(const Configuration& c, const ReportInfo& info, const PageGeometry& page = {});

}  // namespace livra::diagram
