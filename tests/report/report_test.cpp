// The passport's report planned without a toolkit: the sample's phases,
// changes and their intergreens worked out by hand, the calendar taken
// together by days, and the pages cut without lone lines or lost rows.
#include "report/report.h"

#include <gtest/gtest.h>

#include "model/project_file.h"
#include "model/safety_file.h"
#include "report/report_csv.h"
#include "support/test_support.h"

namespace livra::report {
namespace {

std::unique_ptr<Configuration> sample() {
    const std::filesystem::path ptm = std::filesystem::path(LIVRA_TEST_DATA) / ".." / ".." / "examples" / "crossroad.ptm";
    auto parsed = parseProject(test::readBytes(ptm));
    EXPECT_TRUE(parsed);
    auto c = std::move(parsed->config);
    EXPECT_EQ(loadProjectSafety(*c, pathToUtf8(ptm)).status, SafetyFileStatus::Loaded);
    return c;
}

const Section* sectionTagged(const Report& r, const std::string& tag, int program) {
    for (const Section& s : r.sections)
        if (s.tag == tag && s.program == program) return &s;
    return nullptr;
}

TEST(ReportSheet, TheSamplesPhasesChangesAndDecidingPairs) {
    auto c = sample();
    c->Safety.object.directionNames[0] = "ул. Ленина";
    const Report r = planReport(*c, {"crossroad.ptm", "09.12.2026"});
    ASSERT_EQ(r.sheets.size(), 2u);  // programs 4 and 5
    const ProgramSheet& s = r.sheets[0];
    EXPECT_EQ(s.program, 3);
    EXPECT_EQ(s.cycleSeconds, 76);
    EXPECT_EQ(s.totalSeconds, 105);  // with the ТВП1 group's 29 s
    // The all-red start-up, road 1 with walkers 3 (tact 3; its return after
    // the call group, tact 11, goes on with it), road 2 with walkers 4.
    ASSERT_EQ(s.phases.size(), 3u);
    EXPECT_EQ(s.phases[0].going, std::vector<int>{});  // tact 1: К К К К
    EXPECT_EQ(s.phases[1].going, (std::vector<int>{0, 2}));
    EXPECT_EQ(s.phases[2].going, (std::vector<int>{1, 3}));
    EXPECT_EQ(s.phases[1].tact, 2);
    EXPECT_EQ(s.phases[1].tMin, 12);
    EXPECT_EQ(s.phases[1].tMain, 30);
    // The diagram on the same pages numbers them alike: the return after
    // the call group is phase 2 resumed, road 2 with walkers 4 is phase 3.
    std::vector<int> labels;
    for (const diagram::Band& b : r.diagrams[0].bands)
        for (const diagram::PhaseBox& ph : b.phases) labels.push_back(ph.phaseNo);
    EXPECT_EQ(labels, (std::vector<int>{1, 2, 2, 3}));
    ASSERT_EQ(s.changes.size(), 3u);
    EXPECT_EQ(s.changes[0].tacts, (std::vector<int>{1}));
    EXPECT_EQ(s.changes[0].seconds, 1);
    EXPECT_EQ(s.changes[1].tacts, (std::vector<int>{11, 12, 13, 14})) << "the call group is no change";
    EXPECT_EQ(s.changes[1].seconds, 9);
    EXPECT_EQ(s.changes[2].tacts, (std::vector<int>{16, 17}));
    EXPECT_EQ(s.changes[2].seconds, 6);
    // 2 → 3: vehicle 1 and pedestrian 3 go (green, then flashing green) to
    // the end of tact 12; vehicle 2 and pedestrian 4 turn green 6 s later.
    // Conflicting pairs 1-2, 1-4, 2-3: 1 → 2 needs 5 (has 6), 1 → 4 needs 6
    // (has 6: the least margin, it decides), 3 → 2 needs 5 (has 6).
    ASSERT_EQ(s.changes[1].pairs.size(), 3u);
    const PairSheet& p12 = s.changes[1].pairs[0];
    const PairSheet& p14 = s.changes[1].pairs[1];
    const PairSheet& p32 = s.changes[1].pairs[2];
    EXPECT_EQ(std::pair(p12.from, p12.to), std::pair(0, 1));
    EXPECT_EQ(std::pair(p12.required, p12.provided), std::pair(5, 6));
    EXPECT_EQ(std::pair(p14.from, p14.to), std::pair(0, 3));
    EXPECT_EQ(std::pair(p14.required, p14.provided), std::pair(6, 6));
    EXPECT_EQ(std::pair(p32.from, p32.to), std::pair(2, 1));
    EXPECT_EQ(std::pair(p32.required, p32.provided), std::pair(5, 6));
    EXPECT_TRUE(p14.deciding);
    EXPECT_FALSE(p12.deciding || p32.deciding);
    EXPECT_FALSE(p12.tooShort() || p14.tooShort() || p32.tooShort());
    // Into road 1 after the start-up: road 2's and walkers 4's clearances
    // span the change out of road 2, the all red and the red-and-yellow.
    ASSERT_EQ(s.changes[0].pairs.size(), 3u);
    EXPECT_EQ(std::pair(s.changes[0].pairs[0].from, s.changes[0].pairs[0].to), std::pair(1, 0));
    EXPECT_EQ(s.changes[0].pairs[0].provided, 9);
    // The call group follows phase 2, served on ТВП1 from input 5, 10 s delay.
    ASSERT_EQ(s.calls.size(), 1u);
    EXPECT_EQ(s.calls[0].input, 1);
    EXPECT_EQ(s.calls[0].inputDirection, 4);
    EXPECT_EQ(s.calls[0].firstTact, 3);
    EXPECT_EQ(s.calls[0].lastTact, 9);
    EXPECT_EQ(s.calls[0].afterPhase, 2);
    EXPECT_EQ(s.calls[0].seconds, 29);
    EXPECT_EQ(s.calls[0].delay, 10);

    // The table: the phase line, the change line, one line per pair, the
    // deciding one marked and named.
    const Section* table = sectionTagged(r, "programTable", 3);
    ASSERT_TRUE(table);
    ASSERT_GE(table->table.rows.size(), 10u);
    EXPECT_EQ(table->table.rows[0][0], "Фаза 1");
    EXPECT_EQ(table->table.rows[0][4], "—");  // nobody goes
    EXPECT_EQ(table->table.rows[1][0], "Промтакт 1→2");
    EXPECT_EQ(table->table.rows[1][1], "2");
    EXPECT_EQ(table->table.rows[5][0], "Фаза 2");
    EXPECT_EQ(table->table.rows[5][4], "1 ул. Ленина; 3");
    EXPECT_EQ(table->table.rows[6][0], "Промтакт 2→3");
    EXPECT_EQ(table->table.rows[6][1], "12–15");
    EXPECT_EQ(table->table.rows[6][3], "9");
    EXPECT_EQ(table->table.rows[7], (std::vector<std::string>{"", "", "", "", "1 ул. Ленина → 2", "5", "6"}));
    EXPECT_EQ(table->table.rows[8], (std::vector<std::string>{"", "", "", "", "► 1 ул. Ленина → 4", "6", "6"}));
    // A pair cut short says so.
    c->Safety.intergreen[0][1] = 7;
    const Report shortOne = planReport(*c, {});
    const Section* t2 = sectionTagged(shortOne, "programTable", 3);
    ASSERT_TRUE(t2);
    EXPECT_EQ(t2->table.rows[7][4], "► 1 ул. Ленина → 2 (меньше требуемого)");
}

TEST(ReportSheet, TheCalendarIsTakenTogetherByDays) {
    auto c = test::newConfiguration();
    for (int d = 0; d < 5; ++d) test::addAlarm(*c, d, 6, 0, 4), test::addAlarm(*c, d, 1, 0, 2);
    test::addAlarm(*c, 5, 7, 0, 5);
    test::addAlarm(*c, 6, 7, 0, 5);
    c->Safety.object.programNames[3] = "Утро";
    const auto g = calendarGroups(*c);
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[0].days, "Пн–Пт");
    // In the order of the day, whatever the editor's order.
    EXPECT_EQ(g[0].alarms, (std::vector<std::pair<std::string, int>>{{"01:00", 1}, {"06:00", 3}}));
    EXPECT_EQ(g[1].days, "Сб–Вс");
    test::addAlarm(*c, 6, 22, 30, 4);
    const auto split = calendarGroups(*c);
    ASSERT_EQ(split.size(), 3u);
    EXPECT_EQ(split[1].days, "Сб");
    EXPECT_EQ(split[2].days, "Вс");
    const Report r = planReport(*c, {});
    const Section* cal = nullptr;
    for (const Section& s : r.sections)
        if (s.title == kReportCalendarTitle) cal = &s;
    ASSERT_TRUE(cal);
    EXPECT_EQ(cal->table.rows[1], (std::vector<std::string>{"", "06:00", "4 «Утро»"}));
}

// Every table row, band and line placed once and in order; nothing below
// a page's content; no heading last on a page; no page that ends or begins
// a continued table with fewer than three of its rows.
void expectSoundPages(const Report& r) {
    std::vector<int> nextRow(r.sections.size(), 0), nextBand(r.sections.size(), 0);
    for (std::size_t p = 0; p < r.pages.size(); ++p) {
        const Page& page = r.pages[p];
        PageGeometry g = r.page;
        if (page.landscape) std::swap(g.width, g.height);
        ASSERT_FALSE(page.blocks.empty()) << "page " << p + 1 << " is blank";
        EXPECT_NE(page.blocks.back().kind, BlockKind::Heading) << "a heading alone at the foot of page " << p + 1;
        for (const Block& b : page.blocks) {
            EXPECT_GE(b.top, g.top - 1e-9);
            EXPECT_LE(b.top + b.height, g.contentBottom() + 1e-9) << "page " << p + 1;
            const Section& s = r.sections[b.section];
            if (b.kind == BlockKind::TableRows && !s.table.rows.empty()) {
                EXPECT_EQ(b.first, nextRow[b.section]) << s.title;
                const int count = int(s.table.rows.size());
                if (b.last - b.first < count) {
                    EXPECT_GE(b.last - b.first, std::min(3, count)) << s.title;
                }
                nextRow[b.section] = b.last;
            }
            if (b.kind == BlockKind::Diagram) {
                EXPECT_EQ(page.landscape, r.diagramLandscape[s.diagram] != 0);
                EXPECT_EQ(b.first, nextBand[b.section]);
                nextBand[b.section] = b.last;
            }
        }
    }
    for (std::size_t i = 0; i < r.sections.size(); ++i) {
        const Section& s = r.sections[i];
        if (!s.table.columns.empty() && !s.table.rows.empty()) {
            EXPECT_EQ(nextRow[i], int(s.table.rows.size())) << s.title;
        }
        if (s.kind == SectionKind::Diagram) {
            EXPECT_EQ(nextBand[i], int(r.diagrams[s.diagram].bands.size()));
        }
    }
}

TEST(ReportPages, TheFullestProjectAndAnEmptyOneAreCutSoundly) {
    auto full = test::fullConfiguration();
    const Report big = planReport(*full, {"full.ptm", "09.12.2026"});
    EXPECT_EQ(big.sheets.size(), 13u) << "user programs only; 1..3 stand in one line each";
    // 63 rows fit no landscape page: the diagrams go portrait.
    ASSERT_EQ(big.diagramLandscape.size(), 13u);
    EXPECT_FALSE(big.diagramLandscape[0]);
    // Fitted to the page's width: each diagram one line, however long.
    for (const auto& d : big.diagrams) EXPECT_EQ(d.bands.size(), 1u);
    expectSoundPages(big);

    // No plan, no object data, no program: still a title page with empty
    // signature fields, a calendar that says it is empty, the safety part.
    auto none = test::newConfiguration();
    const Report r = planReport(*none, {});
    expectSoundPages(r);
    EXPECT_EQ(r.objectName, "без имени");
    ASSERT_EQ(r.signatures.size(), 3u);
    EXPECT_EQ(r.signatures[0], (std::pair<std::string, std::string>{"Разработал", ""}));
    EXPECT_FALSE(r.plan);
    EXPECT_EQ(r.pages[0].blocks[0].kind, BlockKind::Title);
    EXPECT_EQ(r.sections.back().kind, SectionKind::Safety);
    EXPECT_NE(r.footer.find("Редакция —"), std::string::npos);
}

TEST(ReportPages, TheSafetyPartMovesWholeRatherThanLeaveLinesBehind) {
    auto c = sample();
    const Report r = planReport(*c, {"crossroad.ptm", "09.12.2026"});
    expectSoundPages(r);
    int firstSafetyPage = -1, lastSafetyPage = -1;
    for (int p = 0; p < int(r.pages.size()); ++p)
        for (const Block& b : r.pages[p].blocks)
            if (b.kind == BlockKind::SafetyMatrix || b.kind == BlockKind::SafetyText) {
                if (firstSafetyPage < 0) firstSafetyPage = p;
                lastSafetyPage = p;
            }
    EXPECT_EQ(firstSafetyPage, lastSafetyPage) << "the sample's safety part fits one page";
    EXPECT_EQ(lastSafetyPage, int(r.pages.size()) - 1);
    // Phases on a page of their own, the diagram on a landscape one.
    bool landscape = false;
    for (const Page& p : r.pages) landscape = landscape || p.landscape;
    EXPECT_TRUE(landscape);
}

TEST(ReportCsv, TheProgramAndIntergreenTablesAsASpreadsheet) {
    EXPECT_EQ(csvField("abc"), "abc");
    EXPECT_EQ(csvField("a;b"), "\"a;b\"");
    EXPECT_EQ(csvField("он сказал \"да\""), "\"он сказал \"\"да\"\"\"");
    EXPECT_EQ(csvField("две\nстроки"), "\"две\nстроки\"");
    auto c = sample();
    c->Safety.object.directionNames[1] = "ул. Мира; прямо";
    const std::string csv = reportCsv(planReport(*c, {}));
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBFПрограмма;Элемент;", 0), 0u);
    EXPECT_NE(csv.find("\r\n4;Фаза 2;3;12;30;\"1; 3\"\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n4;Промтакт 2→3;12–15;0;9;"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n4;2→3;1;\"2 ул. Мира; прямо\";5;6;\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n4;2→3;1;4;6;6;да\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n4;2→3;3;\"2 ул. Мира; прямо\";5;6;\r\n"), std::string::npos) << csv;
}

}  // namespace
}  // namespace livra::report
