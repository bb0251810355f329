#include <gtest/gtest.h>

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
    // Nothing else moved.
    Configuration rest = *c;
    rest.TactTable[3] = before->TactTable[3];
    rest.TactSignals[3] = before->TactSignals[3];
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
        {"too long for a tact", file({phase("256", "GrOr")}), {"J", "P", 3, false}, "duration «256»"},
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

}  // namespace
}  // namespace livra
