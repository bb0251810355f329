#include <gtest/gtest.h>

#include "edit/conflict_matrix.h"
#include "sumo/sumo_export.h"
#include "sumo/sumo_import.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::addDirection;

SumoPhase phase(std::string duration, std::string state, std::string minDur = {}) {
    SumoPhase p;
    p.duration = std::move(duration);
    p.state = std::move(state);
    p.minDur = std::move(minDur);
    return p;
}

SumoAdditional file(std::vector<SumoPhase> phases, std::string programId = "P") {
    SumoAdditional a;
    a.tlLogics.push_back(SumoTlLogic{"J", "0", "static", {phase("10", "GrGr")}, 1});
    a.tlLogics.push_back(SumoTlLogic{"J", std::move(programId), "static", std::move(phases), 5});
    return a;
}

// Vehicle 1, pedestrian 2, ТВП1 input 3, vehicle 4, ТВП2 input 5.
std::unique_ptr<Configuration> target() {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirPedestrian);
    addDirection(*c, 2, DirTvp1);
    addDirection(*c, 3, DirVehicle);
    addDirection(*c, 4, DirTvp2);
    test::addTact(*c, 4, TactPhase, 9, 9, SignalRed);  // program 5 holds a tact
    return c;
}

TEST(SumoImport, PhasesBecomeTactsWithTheirTimesAndSignals) {
    auto c = target();
    const auto before = std::make_unique<Configuration>(*c);
    const auto a = file({phase("30.00", "GrOrO", "12"), phase("3", "GrOr"), phase("3", "yrOu"), phase("20", "rgOG"),
                         phase("4", "orOo")});
    const auto r = importSumoProgram(*c, a, {"J", "P", 3, false});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.tacts, 5);
    const auto& t = c->TactTable[3];
    EXPECT_EQ(t[0], (Tact{TactPhase, 12, 30, 30, 1}));
    EXPECT_EQ(t[1], (Tact{TactPhase, 3, 3, 33, 2}));  // no minDur: the phase cannot be cut short
    EXPECT_EQ(t[2], (Tact{TactIntermediate, 0, 3, 36, 0}));
    EXPECT_EQ(t[3], (Tact{TactPhase, 20, 20, 56, 3}));
    EXPECT_EQ(t[4], (Tact{TactIntermediate, 0, 4, 60, 0}));  // o makes it an intermediate tact
    EXPECT_EQ(t[5].kind, TactEmpty);
    const auto& s = c->TactSignals[3];
    EXPECT_EQ((std::vector<uint8_t>(s[0].begin(), s[0].begin() + 6)), (std::vector<uint8_t>{3, 1, 9, 1, 9, 0}));
    EXPECT_EQ((std::vector<uint8_t>(s[2].begin(), s[2].begin() + 5)), (std::vector<uint8_t>{2, 1, 9, 6, 9}));
    EXPECT_EQ((std::vector<uint8_t>(s[3].begin(), s[3].begin() + 5)), (std::vector<uint8_t>{1, 3, 9, 3, 9}));
    EXPECT_EQ((std::vector<uint8_t>(s[4].begin(), s[4].begin() + 5)), (std::vector<uint8_t>{4, 1, 9, 4, 9}));
    // Nothing else moved but the calendar entry that makes the program run (said).
    EXPECT_EQ(c->Calendar[0][0], (CalendarEntry{0, 0, 4}));
    EXPECT_EQ(r.notes.back(), "Календарь был пуст: добавлено переключение понедельник 00:00 — программа 4");
    Configuration rest = *c;
    rest.TactTable[3] = before->TactTable[3];
    rest.TactSignals[3] = before->TactSignals[3];
    rest.Calendar = before->Calendar;
    EXPECT_TRUE(rest.sameTables(*before));
    // Export again: the same states (the trailing call input carries none).
    const auto again = buildSumoExport(*c, "J");
    const auto p4 = std::find_if(again.tlLogics.begin(), again.tlLogics.end(),
                                 [](const SumoTlLogic& l) { return l.programId == "4"; });
    ASSERT_NE(p4, again.tlLogics.end());
    std::vector<std::string> states;
    for (const auto& ph : p4->phases) states.push_back(ph.state);
    EXPECT_EQ(states, (std::vector<std::string>{"GrOr", "GrOr", "yrOu", "rGOG", "orOo"}));
}

TEST(SumoImport, EveryRefusalNamesItsCauseAndChangesNothing) {
    struct Case {
        const char* what;
        SumoAdditional a;
        SumoImportRequest r;
        const char* message;
    };
    std::vector<Case> cases = {
        {"unknown tls", file({phase("5", "GrOr")}), {"K", "P", 3, false}, "В файле нет светофора «K» (есть: J)"},
        {"unknown program", file({phase("5", "GrOr")}), {"J", "Q", 3, false}, "нет программы «Q» (есть: 0, P)"},
        {"letter a pedestrian cannot show", file({phase("5", "GrOr"), phase("3", "yyOr")}), {"J", "P", 3, false},
         "Фаза SUMO 1, индекс 1: направление 2 - Пешеходный не может показать «y» в такте вида «Промтакт»"},
        {"a right-turn arrow letter", file({phase("5", "GrOr"), phase("3", "GsOr")}), {"J", "P", 3, false},
         "индекс 1: направление 2 - Пешеходный не может показать «s»"},
        {"signal on a call input", file({phase("5", "GrGr")}), {"J", "P", 3, false}, "направление 3 - ТВП1 не может"},
        {"more links than directions", file({phase("5", "GrOrOG")}), {"J", "P", 3, false},
         "сигналов 6, а направлений 5"},
        {"a head without a letter", file({phase("5", "GrO")}), {"J", "P", 3, false},
         "индекс 3: нет буквы для направление 4 - Транспортный"},
        {"unknown letter", file({phase("5", "GxOr")}), {"J", "P", 3, false}, "неизвестная буква «x»"},
        {"fractional seconds", file({phase("5.5", "GrOr")}), {"J", "P", 3, false}, "duration «5.5»"},
        {"too long for the program once split", file(std::vector<SumoPhase>(161, phase("510", "GrOr"))),
         {"J", "P", 3, false}, "после деления фаз длиннее 255 с тактов 322"},
        {"no phase at all", file({phase("3", "yrOr"), phase("2", "rrOr")}), {"J", "P", 3, false},
         "ни в одной фазе никто не едет"},
        {"zero seconds", file({phase("0", "GrOr")}), {"J", "P", 3, false}, "duration «0»"},
        {"minimum above duration", file({phase("5", "GrOr", "6")}), {"J", "P", 3, false}, "minDur «6»"},
        {"target not empty", file({phase("5", "GrOr")}), {"J", "P", 4, false}, "Программа 5 не пуста"},
        {"fixed program", file({phase("5", "GrOr")}), {"J", "P", 1, true}, "Программа 2 не пользовательская"},
        {"too many phases", file(std::vector<SumoPhase>(322, phase("5", "GrOr"))), {"J", "P", 3, false},
         "322 фаз"},
    };
    SumoPhase skipping = phase("5", "GrOr");
    skipping.hasNext = true;
    cases.push_back({"phase skipping", file({skipping}), {"J", "P", 3, false}, "атрибут next"});
    for (auto& k : cases) {
        auto c = target();
        const auto before = std::make_unique<Configuration>(*c);
        const auto r = importSumoProgram(*c, k.a, k.r);
        EXPECT_FALSE(r.ok) << k.what;
        EXPECT_NE(r.error.find(k.message), std::string::npos) << k.what << ": " << r.error;
        EXPECT_TRUE(c->sameTables(*before)) << k.what;
        EXPECT_EQ(r.targetNotEmpty, std::string(k.what) == "target not empty") << k.what;
    }
    // With leave to replace, the held program is overwritten whole.
    auto c = target();
    const auto r = importSumoProgram(*c, file({phase("5", "GrOr")}), {"J", "P", 4, true});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(c->TactTable[4][0], (Tact{TactPhase, 5, 5, 5, 1}));
    // A hole in the directions is no direction at all.
    auto holed = target();
    holed->DirectionKind[1] = DirEmpty;
    EXPECT_NE(importSumoProgram(*holed, file({phase("5", "GrOr")}), {"J", "P", 3, false}).error.find("направления 2 нет"),
              std::string::npos);
}


// A file of one light "J" with one program "P" of these phases.
SumoAdditional single(std::vector<SumoPhase> phases, std::string type = "static") {
    SumoAdditional a;
    a.tlLogics.push_back(SumoTlLogic{"J", "P", std::move(type), std::move(phases), 2});
    return a;
}

std::vector<std::string> exportedStates(const Configuration& c, const std::string& tls, const std::string& id) {
    std::vector<std::string> states;
    for (const auto& l : buildSumoExport(c, tls).tlLogics)
        if (l.programId == id)
            for (const auto& ph : l.phases) states.push_back(ph.state);
    return states;
}

bool saysLine(const SumoImportResult& r, const std::string& part) {
    for (const auto& line : r.notes)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

TEST(SumoImport, EveryChangeItMakesIsSaidOneLineEach) {
    // g: taken as green; into a new project the map keeps it and the export writes it back.
    {
        auto c = test::newConfiguration();
        const auto r = importSumoProgram(*c, single({phase("20", "GgrG"), phase("3", "yyry"), phase("20", "rrGr"),
                                                     phase("3", "rryr")}), {"J", "P", 3, false});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(saysLine(r, "Связь 1: разрешающий зелёный с уступкой (g) принят как зелёный; экспорт для этой сети "
                                "запишет g снова"));
        EXPECT_EQ(exportedStates(*c, "J", "4"), (std::vector<std::string>{"GgrG", "yyry", "rrGr", "rryr"}));
        // Links 0 and 3 show the same everywhere: one direction; 1 and 2 their own.
        EXPECT_EQ(r.directionsCreated, 3);
        EXPECT_TRUE(saysLine(r, "Созданы направления 1..3: групп сигналов 3 (автомобильных 3, пешеходных 0); файл без "
                                "сети — все автомобильные"));
        EXPECT_EQ(c->Safety.sumoMap.links.size(), 4u);
        EXPECT_EQ(c->Safety.sumoMap.links[3].direction, 0);
    }
    // Into directions already there (no map): said, and the export has only G to write.
    {
        auto c = target();
        const auto r = importSumoProgram(*c, single({phase("20", "GrOg")}), {"J", "P", 3, false});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.notes.at(0), "Связь 3: разрешающий зелёный с уступкой (g) принят как зелёный");
        EXPECT_EQ(exportedStates(*c, "J", "4"), (std::vector<std::string>{"GrOG"}));
    }
    // o and O decide nothing: a main green with a dark link is a "Фаза", and
    // the controller cannot show the dark link there; flashing alone is no phase.
    {
        auto c = test::newConfiguration();
        const auto r = importSumoProgram(*c, single({phase("28", "GGo"), phase("3", "yyo")}), {"J", "P", 3, false});
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("Фаза SUMO 0, индекс 2: направление 2 - Транспортный не может показать «o» в "
                               "такте вида «Фаза» (в «Фазе» ДК показывает только красный и зелёный)"),
                  std::string::npos)
            << r.error;
        auto d = test::newConfiguration();
        const auto ok = importSumoProgram(*d, single({phase("28", "GGr"), phase("5", "ooo"), phase("3", "yyr")}),
                                          {"J", "P", 3, false});
        ASSERT_TRUE(ok.ok) << ok.error;
        EXPECT_EQ(d->TactTable[3][0].kind, TactPhase);
        EXPECT_EQ(d->TactTable[3][1].kind, TactIntermediate);
        EXPECT_EQ(d->TactSignals[3][1][0], SignalFlashingYellow);
    }
    // A cycle that starts in transition is rotated to its first phase.
    {
        auto c = test::newConfiguration();
        const auto r = importSumoProgram(*c, single({phase("3", "yr"), phase("2", "rr"), phase("30", "rG"),
                                                     phase("3", "ry"), phase("30", "Gr")}), {"J", "P", 3, false});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(saysLine(r, "Цикл начинался с переходной фазы: он повёрнут и начинается с фазы SUMO 2 (фазы 0..1 идут в "
                                "его конце)"));
        EXPECT_EQ(exportedStates(*c, "J", "4"), (std::vector<std::string>{"rG", "ry", "Gr", "yr", "rr"}));
        EXPECT_EQ(c->TactTable[3][0], (Tact{TactPhase, 30, 30, 30, 1}));
    }
    // Over 255 s: tacts of the same signals (the controller cannot cut them short).
    {
        auto c = test::newConfiguration();
        const auto r = importSumoProgram(*c, single({phase("600", "Gr", "10"), phase("3", "yr"), phase("256", "rG"),
                                                     phase("3", "ry")}), {"J", "P", 3, false});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.tacts, 7);
        EXPECT_TRUE(saysLine(r, "Фаза SUMO 0: 600 с больше 255 с — разделена на такты с теми же сигналами, Т мин = Т осн"));
        EXPECT_TRUE(saysLine(r, "Фаза SUMO 2: 256 с больше 255 с"));
        const auto& t = c->TactTable[3];
        EXPECT_EQ((std::vector<int>{t[0].tMain, t[1].tMain, t[2].tMain, t[3].tMain, t[4].tMain, t[5].tMain, t[6].tMain}),
                  (std::vector<int>{200, 200, 200, 3, 128, 128, 3}));
        EXPECT_EQ(t[0].tMin, 200);
        EXPECT_EQ(t[5].tEnd, 859);
        EXPECT_EQ(exportedStates(*c, "J", "4"), (std::vector<std::string>{"Gr", "Gr", "Gr", "yr", "rG", "rG", "ry"}));
    }
    // Actuated: refused with its reason, or fixed with the line that says what is lost.
    {
        auto c = test::newConfiguration();
        const auto before = std::make_unique<Configuration>(*c);
        const auto a = single({phase("30", "Gr", "10"), phase("3", "yr"), phase("20", "rG", "5"), phase("3", "ry")}, "actuated");
        const auto no = importSumoProgram(*c, a, {"J", "P", 3, false});
        EXPECT_FALSE(no.ok);
        EXPECT_TRUE(no.actuated);
        EXPECT_EQ(no.error, "Программа «P» светофора «J» — actuated: SUMO продлевает её зелёные по детекторам, а ДК работает "
                            "по жёстким тактам");
        EXPECT_TRUE(c->sameTables(*before));
        SumoImportRequest fixed{"J", "P", 3, false};
        fixed.asFixed = true;
        const auto yes = importSumoProgram(*c, a, fixed);
        ASSERT_TRUE(yes.ok) << yes.error;
        EXPECT_TRUE(saysLine(yes, "Программа «P» светофора «J» (actuated) принята как жёсткая: duration — Т осн, minDur — Т мин; "
                                  "ДК не будет продлевать зелёный по детекторам"));
        EXPECT_EQ(c->TactTable[3][0], (Tact{TactPhase, 10, 30, 30, 1}));
        EXPECT_EQ(c->TactTable[3][2], (Tact{TactPhase, 5, 20, 53, 2}));
        auto d = test::newConfiguration();
        EXPECT_NE(importSumoProgram(*d, single({phase("30", "Gr")}, "NEMA"), fixed).error.find("тип «NEMA» ДК не выполняет"),
                  std::string::npos);
        EXPECT_TRUE(importSumoProgram(*d, single({phase("30", "Gr")}, "delay_based"), {"J", "P", 3, false}).actuated);
    }
    // No programID: program "0", said; the calendar was empty: an entry, said.
    {
        auto c = test::newConfiguration();
        SumoAdditional a = single({phase("30", "Gr"), phase("3", "yr"), phase("30", "rG"), phase("3", "ry")});
        a.tlLogics[0].programId = "0";
        a.tlLogics[0].programIdGiven = false;
        const auto r = importSumoProgram(*c, a, {"J", "0", 5, false});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(saysLine(r, "У программы светофора «J» нет programID: она — программа «0», как в SUMO"));
        EXPECT_TRUE(saysLine(r, "Календарь был пуст: добавлено переключение понедельник 00:00 — программа 6"));
        EXPECT_EQ(c->Calendar[0][0], (CalendarEntry{0, 0, 6}));
        // A second program: the calendar has an entry, so it is only said that this one is not in it.
        SumoImportRequest next{"J", "0", 6, false};
        const auto second = importSumoProgram(*c, a, next);
        ASSERT_TRUE(second.ok) << second.error;
        EXPECT_TRUE(saysLine(second, "Календарь не включает программу 7: добавьте переключение на неё"));
        EXPECT_TRUE(c->Calendar[0][1].empty());
    }
}

TEST(SumoImport, AmbiguousProgramsAndConflictingGreensAreRefusedUnlessForced) {
    SumoAdditional twice = single({phase("30", "Gr")});
    twice.tlLogics.push_back(SumoTlLogic{"J", "P", "static", {phase("20", "rG")}, 9});
    auto c = test::newConfiguration();
    const auto before = std::make_unique<Configuration>(*c);
    const auto r = importSumoProgram(*c, twice, {"J", "P", 3, false});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Программа «P» светофора «J» задана несколько раз (строки 2, 9): неясно, какую брать; оставьте в файле одну");
    EXPECT_TRUE(c->sameTables(*before));

    // Directions 1 and 4 conflict in the project's matrix.
    auto d = target();
    setConflict(d->Safety, 0, 3, true);
    d->Safety.defined = true;
    const auto kept = std::make_unique<Configuration>(*d);
    const auto clash = single({phase("30", "GrOG"), phase("3", "yrOy")});
    const auto no = importSumoProgram(*d, clash, {"J", "P", 3, false});
    EXPECT_FALSE(no.ok);
    EXPECT_TRUE(no.conflictingGreens);
    EXPECT_EQ(no.error, "Программа «P» светофора «J»: зелёный у направлений, что конфликтуют по матрице проекта (такт 1: "
                        "направления 1 и 4)");
    EXPECT_TRUE(d->sameTables(*kept));
    SumoImportRequest forced{"J", "P", 3, false};
    forced.force = true;
    const auto yes = importSumoProgram(*d, clash, forced);
    ASSERT_TRUE(yes.ok) << yes.error;
    EXPECT_TRUE(saysLine(yes, "Принято, хотя зелёный у направлений, что конфликтуют по матрице проекта (такт 1: направления 1 и 4)"));
    // Apart, they are no clash.
    auto e = target();
    setConflict(e->Safety, 0, 3, true);
    EXPECT_TRUE(importSumoProgram(*e, single({phase("30", "GrOr"), phase("3", "yrOu"), phase("30", "rrOG")}),
                                  {"J", "P", 3, false}).ok);
}

TEST(SumoImport, RefusesSignalGroupsTheControllerCannotWireNamingTheCounts) {
    // 21 links, each its own column: 21 vehicle heads want 63 channels of 62.
    std::vector<SumoPhase> phases;
    for (int k = 0; k < 21; ++k) {
        std::string state(21, 'r');
        state[std::size_t(k)] = 'G';
        phases.push_back(phase("10", state));
    }
    auto c = test::newConfiguration();
    const auto before = std::make_unique<Configuration>(*c);
    const auto r = importSumoProgram(*c, single(phases), {"J", "P", 3, false});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Светофор «J»: групп сигналов 21 (автомобильных 21, пешеходных 0) — нужно каналов 63 (по 3 на "
                       "автомобильное, по 2 на пешеходное), а свободно 62");
    EXPECT_TRUE(c->sameTables(*before));
    // 20 fit: 60 channels, wired in order as the directions tab wires them.
    phases.pop_back();
    for (auto& ph : phases) ph.state.pop_back();
    const auto ok = importSumoProgram(*c, single(phases), {"J", "P", 3, false});
    ASSERT_TRUE(ok.ok) << ok.error;
    EXPECT_EQ(ok.directionsCreated, 20);
    auto wired = test::newConfiguration();
    for (int d = 0; d < 20; ++d) addDirection(*wired, d, DirVehicle);
    EXPECT_EQ(c->DirectionChannels, wired->DirectionChannels);
    EXPECT_EQ(c->DirectionKind, wired->DirectionKind);
}

}  // namespace
}  // namespace livra
