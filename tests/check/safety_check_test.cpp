#include "check/safety_check.h"

#include <gtest/gtest.h>

#include "model/project_file.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::addAlarm;
using test::addDirection;
using test::addTact;

// Sets the signals of one tact, direction by direction from 1.
void signals(Configuration& c, int program, int tact, std::initializer_list<uint8_t> s) {
    int d = 0;
    for (uint8_t v : s) c.TactSignals[program][tact][d++] = v;
}

void conflict(SafetyData& s, int a1, int b1, int intergreen = -1) {
    s.defined = true;
    s.conflict[a1 - 1].set(b1 - 1);
    s.conflict[b1 - 1].set(a1 - 1);
    if (intergreen >= 0) s.intergreen[a1 - 1][b1 - 1] = int16_t(intergreen);
}

SafetyData onlyRules(int yellow, int redYellowMin, int flashingGreen, int minGreen) {
    SafetyData s;
    s.rules = {yellow, redYellowMin, redYellowMin ? 2 : 0, flashingGreen, minGreen, minGreen};
    return s;
}

std::vector<std::string> texts(const SafetyReport& r) {
    std::vector<std::string> v;
    for (const auto& f : r.findings) v.push_back(f.text);
    return v;
}

// Two vehicle directions taking turns with full clearances, and call input 1.
std::unique_ptr<Configuration> twoPhases() {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirVehicle);
    addDirection(*c, 2, DirTvp1);
    const int p = 3;
    signals(*c, p, addTact(*c, p, TactPhase, 20, 8), {3, 1, 9});
    signals(*c, p, addTact(*c, p, TactIntermediate, 3), {5, 1, 9});
    signals(*c, p, addTact(*c, p, TactIntermediate, 3), {2, 1, 9});
    signals(*c, p, addTact(*c, p, TactIntermediate, 2), {1, 6, 9});
    signals(*c, p, addTact(*c, p, TactPhase, 20, 8), {1, 3, 9});
    signals(*c, p, addTact(*c, p, TactIntermediate, 3), {1, 5, 9});
    signals(*c, p, addTact(*c, p, TactIntermediate, 3), {1, 2, 9});
    signals(*c, p, addTact(*c, p, TactIntermediate, 2), {6, 1, 9});
    addAlarm(*c, 0, 0, 0, 4);
    return c;
}

TEST(SafetyCheck, ASoundProgramPassesAndTheReportSaysSo) {
    auto c = twoPhases();
    SafetyData s;
    conflict(s, 1, 2, 5);
    conflict(s, 2, 1, 5);
    const SafetyReport r = checkSafety(*c, s);
    EXPECT_TRUE(r.findings.empty()) << testing::PrintToString(texts(r));
    EXPECT_EQ(safetyReportLines(r), std::vector<std::string>{"Проверка безопасности: замечаний нет"});
    SafetyData none;
    EXPECT_EQ(safetyReportLines(checkSafety(*c, none)),
              std::vector<std::string>{"Матрица конфликтов не задана: проверены только последовательности сигналов"});
}

TEST(SafetyCheck, AFaultOnlyOnTheCallPathNamesTheCall) {
    // A call tact after the first phase: 1 goes from green to red at once;
    // without a call the tact never runs.
    auto d = twoPhases();
    for (int k = 7; k >= 1; --k) {
        d->TactTable[3][k + 1] = d->TactTable[3][k];
        d->TactSignals[3][k + 1] = d->TactSignals[3][k];
    }
    d->TactTable[3][1] = Tact{TactTvp1, 0, 10, 0, 0};
    signals(*d, 3, 1, {1, 1, 1});
    SafetyData s = onlyRules(3, 0, 0, 0);
    const auto lines = texts(checkSafety(*d, s));
    ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
    EXPECT_EQ(lines[0], "Программа 4, такт 2 (при вызове ТВП1): напр. 1 — зелёный сменяется красным без жёлтого");
    // Without the call input the call tacts cannot run: nothing to find.
    d->DirectionKind[2] = DirEmpty;
    EXPECT_TRUE(checkSafety(*d, s).findings.empty());
}

TEST(SafetyCheck, MinimumGreenIsJudgedOnTheShortenedPhase) {
    auto c = twoPhases();
    c->TactTable[3][0].tMin = 3;  // with a call the first phase may end after 3 s
    SafetyData s = onlyRules(0, 0, 0, 8);
    const SafetyReport r = checkSafety(*c, s);
    ASSERT_EQ(r.findings.size(), 1u) << testing::PrintToString(texts(r));
    // Green 3 s + flashing green 3 s; the plain cycle's 23 s passes.
    EXPECT_EQ(r.findings[0].text, "Программа 4, такт 1 (при вызове ТВП1): напр. 1 — зелёный 6 с, нужно не менее 8 с");
    EXPECT_EQ(r.findings[0].path, PathCall1);
}

TEST(SafetyCheck, IntergreenCutOnlyAtTheCalendarSwitch) {
    auto c = test::newConfiguration();
    for (int d = 0; d < 3; ++d) addDirection(*c, d, DirVehicle);
    const int p4 = 3, p5 = 4;
    // Program 4: 3, all red, 1, all red, 2, all red (2 s) — 2 is followed by 3,
    // which does not conflict with it.
    signals(*c, p4, addTact(*c, p4, TactPhase, 10, 10), {1, 1, 3});
    signals(*c, p4, addTact(*c, p4, TactIntermediate, 5), {1, 1, 1});
    signals(*c, p4, addTact(*c, p4, TactPhase, 10, 10), {3, 1, 1});
    signals(*c, p4, addTact(*c, p4, TactIntermediate, 5), {1, 1, 1});
    signals(*c, p4, addTact(*c, p4, TactPhase, 10, 10), {1, 3, 1});
    signals(*c, p4, addTact(*c, p4, TactIntermediate, 2), {1, 1, 1});
    // Program 5: 1, all red, 2, all red, each with 5 s.
    signals(*c, p5, addTact(*c, p5, TactPhase, 10, 10), {3, 1, 1});
    signals(*c, p5, addTact(*c, p5, TactIntermediate, 5), {1, 1, 1});
    signals(*c, p5, addTact(*c, p5, TactPhase, 10, 10), {1, 3, 1});
    signals(*c, p5, addTact(*c, p5, TactIntermediate, 5), {1, 1, 1});
    addAlarm(*c, 0, 6, 0, 4);
    addAlarm(*c, 0, 22, 0, 5);
    SafetyData s = onlyRules(0, 0, 0, 0);
    conflict(s, 1, 2, 5);
    conflict(s, 2, 1, 5);
    EXPECT_EQ(calendarSwitches(*c), (std::vector<std::pair<int, int>>{{4, 3}, {3, 4}}));
    const auto lines = texts(checkSafety(*c, s));
    EXPECT_EQ(lines, std::vector<std::string>{
                         "Программа 5, такт 1 (после программы 4 по календарю): напр. 2 → 1 — промежуточное время 2 с, "
                         "нужно не менее 5 с; удлините промтакт 6 программы 4 на 3 с"});
}

TEST(SafetyCheck, ConflictsCountTramRowsAndTheExtraGreenSection) {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirTram1);  // rows 1, 2, 3
    addDirection(*c, 3, DirVehicle);
    addDirection(*c, 4, DirExtraGreen);
    addDirection(*c, 5, DirPedestrian);
    const int p = 3;
    // Tram row 2 lit with vehicle 4: a conflict; the same with a row off
    // (the head dark) is none; row 1 lit does not conflict with 4.
    signals(*c, p, addTact(*c, p, TactPhase, 10, 10), {1, 3, 1, 3, 7, 1});
    signals(*c, p, addTact(*c, p, TactPhase, 10, 10), {7, 3, 1, 3, 7, 1});
    signals(*c, p, addTact(*c, p, TactPhase, 10, 10), {3, 1, 1, 3, 7, 1});
    // The extra green arrow lit with the pedestrians it crosses.
    signals(*c, p, addTact(*c, p, TactPhase, 10, 10), {1, 1, 1, 1, 3, 3});
    addAlarm(*c, 0, 0, 0, 4);
    SafetyData s = onlyRules(0, 0, 0, 0);
    conflict(s, 2, 4, 0);
    conflict(s, 4, 2, 0);
    conflict(s, 5, 6, 0);
    conflict(s, 6, 5, 0);
    const SafetyReport r = checkSafety(*c, s);
    EXPECT_EQ(texts(r), (std::vector<std::string>{
                            "Программа 4, такт 1: напр. 2 и 4 — конфликтующие направления одновременно на разрешающем сигнале",
                            "Программа 4, такт 4: напр. 5 и 6 — конфликтующие направления одновременно на разрешающем сигнале"}));
    EXPECT_TRUE(r.hasConflict());
}

TEST(SafetyCheck, SignalSequenceRules) {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirPedestrian);
    addDirection(*c, 2, DirTvp1);
    addDirection(*c, 3, DirPedestrian);
    const int p = 3;
    // 1: green → yellow 2 s → red → red-and-yellow 4 s → green;
    // 2: green → red with no flashing; 4: green → flashing 1 s → red.
    signals(*c, p, addTact(*c, p, TactPhase, 20, 20), {3, 3, 9, 3});
    signals(*c, p, addTact(*c, p, TactIntermediate, 1), {3, 1, 9, 5});
    signals(*c, p, addTact(*c, p, TactIntermediate, 2), {2, 1, 9, 1});
    signals(*c, p, addTact(*c, p, TactPhase, 20, 20), {1, 1, 9, 1});
    signals(*c, p, addTact(*c, p, TactIntermediate, 4), {6, 1, 9, 1});
    // Fixed programs are the controller's and not judged.
    signals(*c, 0, addTact(*c, 0, TactIntermediate, 3), {3, 3, 9, 3});
    signals(*c, 0, addTact(*c, 0, TactIntermediate, 3), {1, 1, 9, 1});
    addAlarm(*c, 0, 0, 0, 4);
    SafetyData s;
    EXPECT_EQ(texts(checkSafety(*c, s)),
              (std::vector<std::string>{
                  "Программа 4, такт 2: напр. 4 — зелёное мигание 1 с, нужно не менее 3 с",
                  "Программа 4, такт 2: напр. 2 — зелёный сменяется красным без зелёного мигания",
                  "Программа 4, такт 3: напр. 1 — жёлтый 2 с, нужно не менее 3 с",
                  "Программа 4, такт 5: напр. 1 — красный с жёлтым 4 с, нужно не более 2 с",
              }));
    // Straight from red to green and from green to red; 0 switches a rule off.
    signals(*c, p, 2, {3, 1, 9, 1});
    signals(*c, p, 4, {1, 1, 9, 1});
    s.rules.flashingGreen = 0;
    EXPECT_EQ(texts(checkSafety(*c, s)),
              (std::vector<std::string>{
                  "Программа 4, такт 1: напр. 1 — красный сменяется зелёным без красного с жёлтым",
                  "Программа 4, такт 4: напр. 1 — зелёный сменяется красным без жёлтого",
              }));
}

TEST(SafetyCheck, TheOldSampleShowsTheTwoFaultsOfTheCallPath) {
    Configuration c;
    const auto bytes = test::readBytes(std::string(LIVRA_TEST_DATA) + "/crossroad_unsafe.ptm");
    auto parsed = parseProject(bytes);
    ASSERT_TRUE(parsed);
    replaceTables(c, *parsed->config);
    SafetyData s;
    conflict(s, 1, 2, 6);
    conflict(s, 2, 1, 6);
    conflict(s, 1, 4, 6);
    conflict(s, 4, 1, 5);
    conflict(s, 2, 3, 6);
    conflict(s, 3, 2, 5);
    const auto lines = texts(checkSafety(c, s));
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("Программа 4, такт 8 (при вызове ТВП1): напр. 1 — зелёный сменяется красным без жёлтого"))
        << testing::PrintToString(lines);
    // The walkers' go ends the second the green starts: no interphase to lengthen.
    EXPECT_TRUE(has("Программа 4, такт 1 (при вызове ТВП1): напр. 4 → 1 — промежуточное время 0 с, нужно не менее 5 с; "
                    "вставьте промтакт не менее 5 с перед тактом 1 программы 4"))
        << testing::PrintToString(lines);
}

}  // namespace
}  // namespace livra
