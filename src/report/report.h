#pragma once
// The traffic-light object's passport as a printable document, planned page
// by page without any toolkit. The report is a list of sections, each a
// heading with lines and a table, or one of the pictures (plan, phases,
// timing diagram, conflict matrix); the pages are cut from that list, tables
// by rows with their header repeated. Sizes are logical pixels of an A4 page
// (96 per inch).
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "diagram/diagram_layout.h"
#include "model/texts.h"
#include "plan/plan_objects.h"
#include "plan/png_image.h"
#include "report/program_sheet.h"

namespace livra::report {

using diagram::PageGeometry;

struct ReportInfo {
    std::string projectName;  // the file's name, or "без имени"
    std::string date;         // "09.12.2026", the day it is printed
    std::string version;      // the program's version; no field when empty
};

// What the report is made of besides the configuration: the plan of the
// intersection when there is one (heads and, if found, its picture).
struct ReportInput {
    const Configuration* config = nullptr;
    ReportInfo info;
    const Plan* plan = nullptr;                // no plan: schematic phase pictures
    const RgbaImage* planPicture = nullptr;    // the plan's picture as decoded, 500 × 500 at most
};

enum class Align { Left, Center, Right };

struct Column {
    std::string title;   // may hold "\n" for two lines
    double weight = 1;   // share of the table's width
    Align align = Align::Center;
};

struct Table {
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;  // one text per column
    std::vector<bool> bold;                      // per row: a marked row (the deciding pair, a heading row)
    std::string emptyText;                       // the one row shown when there are none
    bool header = true;                          // false: rows only (the title page's fields)
};

struct TextLine {
    std::string text;
    bool bold = false;
};

enum class SectionKind {
    Title,       // the title page: heading, fields (table), signature block
    Lines,       // lead lines, a table, trail lines
    Plan,        // the plan with the numbered heads
    Phases,      // the phase pictures of one program
    Diagram,     // the timing diagram of one program
    Safety,      // the conflict matrix, the rules and the findings
};

struct Section {
    SectionKind kind = SectionKind::Lines;
    std::string title;            // the heading; none when empty
    std::vector<TextLine> lead;   // lines under the heading
    Table table;                  // no columns: no table
    std::vector<TextLine> trail;  // lines under the table
    int program = -1;             // Phases, Diagram: 0-based program
    int sheet = -1;               // Phases: index into Report::sheets
    int diagram = -1;             // Diagram: index into Report::diagrams
    bool newPage = false;         // begins on a page of its own
    bool landscape = false;       // its pages are A4 landscape
    bool keepTogether = false;    // moves whole to the next page rather than split, when it fits one
    std::string tag;              // what the section is, for readers of the report ("programTable", …)
};

// A table or text section the report carries as it is; a section of its own
// making (the timing calculation, say) goes in through this.
Section tableSection(std::string title, Table table, std::vector<TextLine> lead = {},
                     std::vector<TextLine> trail = {});

struct DirectionLine {
    std::string number;  // "6.2" for a tram row
    std::string name;    // the engineers' name for it; may be empty
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

// One phase picture: the plan (or a schematic) with the heads of the
// directions that go lit and an arrow for each.
struct PhasePicture {
    int phase = 0;                  // index into the sheet's phases
    std::string caption;            // "Фаза 1: 30 с (Т мин 12 с)"
    std::vector<std::string> going; // "1 ул. Ленина, прямо", one per direction at go
};

enum class BlockKind {
    Title,       // the title page's heading and object name
    Signatures,  // the signature block
    Heading,     // a section's heading
    Lead,        // lines [first, last) of Section::lead
    TableRows,   // rows [first, last) of Section::table, under its header
    Trail,       // lines [first, last) of Section::trail
    Plan,        // the plan picture
    Phases,      // picture rows [first, last) of a Phases section
    Diagram,     // bands [first, last) of the section's diagram
    SafetyMatrix,  // matrix rows [first, last)
    SafetyText,    // SafetySection::lines [first, last)
};

struct Block {
    BlockKind kind = BlockKind::Heading;
    int section = 0;  // index into Report::sections
    double top = 0, height = 0;
    int first = 0, last = 0;
    bool heading = false;  // Diagram: the diagram's title; SafetyMatrix: the column numbers' heading
    bool legend = false;   // Diagram: its legend
};

struct Page {
    bool landscape = false;
    std::vector<Block> blocks;
};

struct Report {
    PageGeometry page;       // portrait; landscape pages swap width and height
    std::string heading;     // "Паспорт светофорного объекта"
    std::string objectName;  // as the passport names it; the project's name without one
    std::vector<std::pair<std::string, std::string>> fields;  // the title page
    std::vector<std::pair<std::string, std::string>> signatures;  // role → name (may be empty)
    std::string footer;      // "Объект … · Ред. 2 от 01.12.2026"
    std::vector<DirectionLine> directions;
    SafetySection safety;
    std::vector<ProgramSheet> sheets;          // every non-empty user program
    std::vector<std::vector<PhasePicture>> phasePictures;  // per sheet
    std::vector<diagram::DiagramLayout> diagrams;
    std::vector<char> diagramLandscape;  // per diagram: on landscape pages (false: too many rows for them)
    // The plan, when the project has one with heads.
    std::optional<Plan> plan;
    std::optional<RgbaImage> planPicture;
    std::array<uint8_t, DirectionCount> kinds{};  // the direction kinds the pictures draw
    std::array<std::string, DirectionCount> directionNames{};  // "1 ул. Ленина", "2"
    double planSide = 460;     // the plan picture's side on the page
    double phaseSide = 220;    // a phase picture's side
    double phaseCaption = 54;  // the lines under it
    int phasesPerRow = 3;
    std::vector<Section> sections;
    std::vector<Page> pages;
};

extern const char* const kSlotHeaders[SlotCount][2];  // two lines per output slot

// The weekly calendar, days with the same alarms taken together: "Пн–Пт",
// "Сб–Вс", "Ср".
struct CalendarGroup {
    std::string days;
    std::vector<std::pair<std::string, int>> alarms;  // "06:00" → 0-based program
};
std::vector<CalendarGroup> calendarGroups(const Configuration& c);

// The sections, in the order the document has them; then the pages.
std::vector<Section> reportSections(Report& r, const ReportInput& in);
void paginate(Report& r);
Report planReport(const ReportInput& in);
// The configuration alone: no plan.
Report planReport(const Configuration& c, const ReportInfo& info);

}  // namespace livra::report
