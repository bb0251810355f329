// The safety data on the timing diagram (intergreen brackets) and in the
// report (matrix, rules, findings), worked out by hand from the sample.
#include <gtest/gtest.h>

#include <filesystem>

#include "check/safety_check.h"
#include "diagram/diagram_layout.h"
#include "report/report.h"
#include "edit/conflict_matrix.h"
#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::diagram;

namespace {

// The sample with its crossing paths: vehicle 1 against vehicle 2 and
// pedestrian 4, vehicle 2 against pedestrian 3.
std::unique_ptr<Configuration> sampleWithMatrix() {
    auto parsed = parseProject(test::readBytes(std::filesystem::path(LIVRA_TEST_DATA) / "crossroad_unsafe.ptm"));
    EXPECT_TRUE(parsed);
    auto c = std::move(parsed->config);
    c->Safety.clear();
    setConflict(c->Safety, 0, 1, true);
    setConflict(c->Safety, 0, 3, true);
    setConflict(c->Safety, 1, 2, true);
    setIntergreen(c->Safety, 3, 0, 6);
    setIntergreen(c->Safety, 1, 0, 3);
    c->Safety.defined = true;
    return c;
}

const Clearance* find(const Timeline& t, int from, int to, int start) {
    for (const Clearance& cl : t.clearances)
        if (t.rows[cl.fromRow].direction == from && t.rows[cl.toRow].direction == to && cl.start == start) return &cl;
    return nullptr;
}

}  // namespace

// Program 4 of the sample, every call served: tacts end at 30, 33, 36, 56,
// 59, 62, 68, then the call tacts 8 (12 s) and 9 (4 s) end at 80 and 84.
TEST(SafetyOnPaper, ClearancesRunFromTheEndOfOneGoToTheConflictingGreen) {
    auto c = sampleWithMatrix();
    const auto t = buildTimeline(*c, 3, nullptr);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->totalSeconds, 84);
    // Vehicle 2's flashing green ends at 59, vehicle 1 turns green at 62.
    const Clearance* v2v1 = find(*t, 1, 0, 59);
    ASSERT_TRUE(v2v1);
    EXPECT_EQ(v2v1->seconds, 3);
    EXPECT_FALSE(v2v1->tooShort());
    // Pedestrian 4 ends its flashing green with the cycle (84 = 0) and
    // vehicle 1 is green at once: 0 s against 6.
    const Clearance* p4v1 = find(*t, 3, 0, 0);
    ASSERT_TRUE(p4v1);
    EXPECT_EQ(p4v1->seconds, 0);
    EXPECT_TRUE(p4v1->tooShort());
    // Vehicle 1 to vehicle 2: green ends at 33, 2 green at 36; no value set.
    const Clearance* v1v2 = find(*t, 0, 1, 33);
    ASSERT_TRUE(v1v2);
    EXPECT_EQ(v1v2->seconds, 3);
    EXPECT_EQ(v1v2->required, IntergreenNotSet);
    // 3 and 4 do not conflict: no clearance between them.
    for (const Clearance& cl : t->clearances)
        EXPECT_TRUE(isConflict(c->Safety, t->rows[cl.fromRow].direction, t->rows[cl.toRow].direction));

    // On the layout: the 3 s bracket in vehicle 1's row from 59 to 62 s, both
    // ends drawn, labelled; the short one red.
    const DiagramLayout d = layoutDiagram(*t, Geometry{});
    ASSERT_EQ(d.bands.size(), 1u);
    const Band& b = d.bands[0];
    int found = 0;
    for (const BracketBox& br : b.brackets) {
        const Clearance& cl = t->clearances[br.clearance];
        if (&cl == v2v1) {
            ++found;
            EXPECT_NEAR(br.rect.x, b.timeArea.x + 59 * d.pxPerSecond, 1e-6);
            EXPECT_NEAR(br.rect.w, 3 * d.pxPerSecond, 1e-6);
            EXPECT_NEAR(br.rect.y, b.timeArea.y + v2v1->toRow * d.geometry.rowHeight + 2, 1e-6);
            EXPECT_TRUE(br.startsHere && br.endsHere);
            EXPECT_FALSE(br.tooShort);
            EXPECT_EQ(br.label, "3 с");
        }
        if (&cl == p4v1) {
            ++found;
            EXPECT_TRUE(br.tooShort);
            EXPECT_EQ(br.label, "");  // named in the findings strip, not over the cells
            EXPECT_DOUBLE_EQ(br.rect.w, 0);
        }
    }
    EXPECT_EQ(found, 2);
    // The strip names the pair, the times and the path of each finding.
    const auto named = std::find_if(t->findings.begin(), t->findings.end(), [](const FindingMark& m) {
        return m.label == "4→1: 0 с < 6 с (при вызове ТВП1)";
    });
    ASSERT_NE(named, t->findings.end());
    EXPECT_EQ(named->toRow, 0);
    EXPECT_EQ(named->seconds, 0);
}

TEST(SafetyOnPaper, AClearanceOverTheCycleEndIsDrawnInTwoPieces) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirVehicle);
    setConflict(c->Safety, 0, 1, true);
    setIntergreen(c->Safety, 1, 0, 5);
    c->Safety.defined = true;
    const int p = 3;
    // All red 2 s, 1 green 10 s, yellow 3, 2 green 10 s, yellow 2 (27 s in
    // all): 2's go ends at 25 and 1 turns green at 2 of the next cycle, 4 s.
    const uint8_t signals[5][2] = {{SignalRed, SignalRed}, {SignalGreen, SignalRed}, {SignalYellow, SignalRed},
                                   {SignalRed, SignalGreen}, {SignalRed, SignalYellow}};
    const int widths[5] = {2, 10, 3, 10, 2};
    for (int k = 0; k < 5; ++k) {
        test::addTact(*c, p, k % 2 ? TactPhase : TactIntermediate, widths[k]);
        c->TactSignals[p][k][0] = signals[k][0];
        c->TactSignals[p][k][1] = signals[k][1];
    }
    const auto t = buildTimeline(*c, p, nullptr);
    ASSERT_TRUE(t);
    const Clearance* back = find(*t, 1, 0, 25);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->seconds, 4);
    EXPECT_TRUE(back->tooShort());
    // Bands of 10 s: [25, 27) ends the last band, [0, 2) starts the first.
    Geometry g;
    g.width = g.labelWidth + g.rightPad + 10 * g.minPxPerSecond;
    const DiagramLayout d = layoutDiagram(*t, g);
    ASSERT_EQ(d.spanSeconds, 10);
    ASSERT_EQ(d.bands.size(), 3u);
    std::vector<std::pair<int, const BracketBox*>> pieces;
    for (int i = 0; i < int(d.bands.size()); ++i)
        for (const BracketBox& br : d.bands[i].brackets)
            if (&t->clearances[br.clearance] == back) pieces.push_back({i, &br});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].first, 0);
    EXPECT_FALSE(pieces[0].second->startsHere);
    EXPECT_TRUE(pieces[0].second->endsHere);  // the label stands by the green
    EXPECT_NEAR(pieces[0].second->rect.x, d.bands[0].timeArea.x, 1e-6);
    EXPECT_EQ(pieces[1].first, 2);
    EXPECT_TRUE(pieces[1].second->startsHere);
    EXPECT_FALSE(pieces[1].second->endsHere);
    EXPECT_TRUE(pieces[0].second->tooShort && pieces[1].second->tooShort);
    EXPECT_EQ(pieces[0].second->label, "");
    EXPECT_NEAR(pieces[0].second->rect.w, 2 * d.pxPerSecond, 1e-6);

    // The findings strip under the rows: 2→1 short on the plain cycle, and
    // 1→2 without a time; each on its own line, in two pieces round the end,
    // the label by the green, none of it over a cell.
    ASSERT_EQ(t->findings.size(), 2u) << (t->findings.empty() ? "" : t->findings[0].label);
    EXPECT_EQ(t->findings[0].label, "2→1: 4 с < 5 с");
    EXPECT_EQ(t->findings[0].start, 25);
    EXPECT_EQ(t->findings[0].seconds, 4);
    EXPECT_EQ(t->findings[1].label.rfind("1→2: ", 0), 0u);
    EXPECT_NE(t->findings[1].label.find("промежуточное время не задано"), std::string::npos);
    std::vector<std::pair<int, const FindingBox*>> strip;
    for (int i = 0; i < int(d.bands.size()); ++i) {
        const Band& band = d.bands[i];
        EXPECT_NEAR(band.axisY, band.timeArea.bottom() + 2 * g.findingLineHeight + 2, 1e-6);
        for (const FindingBox& fb : band.findingBrackets) {
            EXPECT_GE(fb.rect.y, band.timeArea.bottom());
            EXPECT_LE(fb.rect.bottom(), band.axisY);
            if (fb.finding == 0) strip.push_back({i, &fb});
        }
    }
    ASSERT_EQ(strip.size(), 2u);
    EXPECT_EQ(strip[0].first, 0);
    EXPECT_TRUE(strip[0].second->labelHere);
    EXPECT_NEAR(strip[0].second->rect.w, 2 * d.pxPerSecond, 1e-6);
    EXPECT_EQ(strip[1].first, 2);
    EXPECT_TRUE(strip[1].second->startsHere);
    EXPECT_FALSE(strip[1].second->labelHere);
}

TEST(SafetyOnPaper, TheReportCarriesTheMatrixTheRulesAndTheFindings) {
    using namespace livra::report;
    auto c = sampleWithMatrix();
    c->Safety.rules.flashingGreen = 0;
    const Report r = planReport(*c, ReportInfo{"crossroad.ptm", "09.12.2026"});
    const SafetySection& s = r.safety;
    ASSERT_TRUE(s.defined);
    EXPECT_EQ(s.labels, (std::vector<std::string>{"1", "2", "3", "4"}));
    const std::vector<std::vector<std::string>> cells = {
        {"", "×", "", "×"}, {"3", "", "×", ""}, {"", "×", "", ""}, {"6", "", "", ""}};
    EXPECT_EQ(s.cells, cells);
    std::vector<std::string> lines;
    for (const auto& [title, text] : s.lines) lines.push_back((title ? "# " : "") + text);
    std::vector<std::string> expected = {
        "# Профиль правил последовательности сигналов",
        "Жёлтый между разрешающим и красным, не менее: 3 с",
        "Красный с жёлтым перед зелёным: 1…2 с",
        "Зелёный мигающий перед жёлтым, не менее: выкл.",
        "Наименьший зелёный транспортного направления: 5 с",
        "Наименьший зелёный пешеходного направления: 5 с",
        "# Замечания проверки безопасности",
    };
    // Each finding's mend on a line of its own, indented.
    for (const std::string& f : safetyReportLines(checkSafety(*c, c->Safety))) {
        const auto mend = f.find("; ");
        expected.push_back(f.substr(0, mend == std::string::npos ? f.size() : mend + 1));
        if (mend != std::string::npos) expected.push_back("    " + f.substr(mend + 2));
    }
    EXPECT_EQ(lines, expected);

    // Placed last, after the calendar, each block once, nothing after it.
    int matrixBlocks = 0, textLines = 0;
    bool calendarSeen = false;
    for (std::size_t p = 0; p < r.pages.size(); ++p)
        for (const Block& b : r.pages[p].blocks) {
            if (r.sections[b.section].title == kReportCalendarTitle) calendarSeen = true;
            if (b.kind == BlockKind::SafetyMatrix) {
                ++matrixBlocks;
                EXPECT_TRUE(calendarSeen);
                EXPECT_EQ(b.first, 0);
                EXPECT_EQ(b.last, 4);
            } else if (b.kind == BlockKind::SafetyText) {
                EXPECT_EQ(matrixBlocks, 1);
                textLines += b.last - b.first;
            } else if (r.sections[b.section].kind != SectionKind::Safety) {
                EXPECT_EQ(matrixBlocks, 0) << "a block after the safety part";
            }
        }
    EXPECT_EQ(matrixBlocks, 1);
    EXPECT_EQ(textLines, int(s.lines.size()));

    // No matrix: the report says so and still lists the rules and findings.
    c->Safety.clear();
    const Report none = planReport(*c, ReportInfo{});
    EXPECT_FALSE(none.safety.defined);
    EXPECT_TRUE(none.safety.cells.empty());
    EXPECT_EQ(none.safety.lines.back().second, safetyReportLines(checkSafety(*c, c->Safety)).back());
}
