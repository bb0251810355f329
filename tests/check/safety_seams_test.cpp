// The calendar's switches into and out of the fixed programs (КК, ЖМ, ОС),
// and a declared conflict without an intergreen time: each rule with a case
// that fails and its one-change control.
#include <gtest/gtest.h>

#include "check/safety_check.h"
#include "edit/fixed_programs.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::addAlarm;
using test::addDirection;
using test::addTact;

void signals(Configuration& c, int program, int tact, std::initializer_list<uint8_t> s) {
    int d = 0;
    for (uint8_t v : s) c.TactSignals[program][tact][d++] = v;
}

std::vector<std::string> texts(const SafetyReport& r) {
    std::vector<std::string> v;
    for (const auto& f : r.findings) v.push_back(f.text);
    return v;
}

constexpr uint8_t R = SignalRed, Y = SignalYellow, G = SignalGreen, RY = SignalRedYellow;

// Vehicles 1 and 2 and pedestrians 3, the sequence rules off (so only what
// the seams add shows), program 4 built by `tacts`, the fixed programs from
// the directions, Monday 00:00 → `first`, 06:00 → `second`.
struct Crossing {
    std::unique_ptr<Configuration> c = test::newConfiguration();
    Crossing() {
        addDirection(*c, 0, DirVehicle);
        addDirection(*c, 1, DirVehicle);
        addDirection(*c, 2, DirPedestrian);
        c->Safety.rules = SafetyRules{0, 0, 0, 0, 0, 0};
    }
    void tact(int32_t kind, int seconds, std::initializer_list<uint8_t> s) {
        signals(*c, 3, addTact(*c, 3, kind, seconds, kind == TactPhase ? seconds : 0), s);
    }
    SafetyReport check(int first, int second) {
        buildFixedPrograms(*c);
        for (auto& day : c->Calendar)
            for (auto& e : day) e = CalendarEntry{};
        addAlarm(*c, 0, 0, 0, first);
        addAlarm(*c, 0, 6, 0, second);
        return checkSafety(*c, c->Safety);
    }
};

// 1 and 3 go together, then 2; the cycle ends on its interphase.
void twoPhases(Crossing& k, bool allRedStart) {
    if (allRedStart) k.tact(TactIntermediate, 2, {R, R, R});
    k.tact(TactPhase, 20, {G, R, G});
    k.tact(TactIntermediate, 3, {Y, R, R});
    k.tact(TactPhase, 20, {R, G, R});
    k.tact(TactIntermediate, 3, {R, Y, R});
    k.tact(TactIntermediate, 2, {RY, R, R});
}

TEST(SafetySeams, FromFlashingYellowOrDarkStraightToGreen) {
    for (const int fixed : {2, 3}) {
        SCOPED_TRACE(fixed);
        Crossing bad;
        twoPhases(bad, false);
        const SafetyReport r = bad.check(fixed, 4);
        const std::string from = fixed == 2 ? "2 (ЖМ)" : "3 (ОС)";
        const std::string what = fixed == 2 ? "жёлтое мигание" : "выключенный сигнал";
        EXPECT_EQ(texts(r), std::vector<std::string>{"Программа 4, такт 1 (после программы " + from +
                                                     " по календарю): напр. 1 — " + what + " сменяется зелёным без красного"});
        // A sequence finding: it asks, it does not refuse.
        EXPECT_FALSE(r.refusesWrite());
        // The pedestrians' dark → green is no such finding; an all-red start mends it.
        Crossing good;
        twoPhases(good, true);
        EXPECT_TRUE(good.check(fixed, 4).empty()) << texts(good.check(fixed, 4))[0];
    }
    // From КК the heads were red: nothing of this rule.
    Crossing kk;
    twoPhases(kk, false);
    EXPECT_TRUE(kk.check(1, 4).empty());
}

TEST(SafetySeams, GreenLessThanTheIntergreenAfterAConflictingFlashingYellow) {
    auto matrix = [](Crossing& k) {
        SafetyData& s = k.c->Safety;
        s.defined = true;
        // The cycle keeps 3 s from 1 and 3 to 2 and 5 s from 2 to 1 and 3.
        for (auto [a, b] : {std::pair{0, 1}, std::pair{1, 2}}) s.conflict[a].set(b), s.conflict[b].set(a);
        s.intergreen[0][1] = s.intergreen[2][1] = 3;
        s.intergreen[1][0] = s.intergreen[1][2] = 4;
    };
    // Two seconds of all red after flashing yellow: 2 → 1 and 2 → 3 are short
    // by 2 s (1 had red, so no red-less start); four seconds mend both.
    Crossing bad;
    matrix(bad);
    bad.tact(TactIntermediate, 2, {R, R, R});
    twoPhases(bad, false);
    const SafetyReport r = bad.check(2, 4);
    EXPECT_EQ(texts(r),
              (std::vector<std::string>{
                  "Программа 4, такт 2 (после программы 2 (ЖМ) по календарю): напр. 2 → 1 — зелёный через 2 с после "
                  "жёлтого мигания, нужно не менее 4 с; удлините промтакт 1 программы 4 на 2 с",
                  "Программа 4, такт 2 (после программы 2 (ЖМ) по календарю): напр. 2 → 3 — зелёный через 2 с после "
                  "жёлтого мигания, нужно не менее 4 с; удлините промтакт 1 программы 4 на 2 с"}));
    EXPECT_FALSE(r.refusesWrite());
    ASSERT_FALSE(r.findings.empty());
    EXPECT_EQ(r.findings[0].rule, SafetyRule::SeamIntergreen);
    EXPECT_EQ(r.findings[0].gapFirst, 0);
    EXPECT_EQ(r.findings[0].gapLast, 0);

    Crossing good;
    matrix(good);
    good.tact(TactIntermediate, 4, {R, R, R});
    twoPhases(good, false);
    EXPECT_TRUE(good.check(2, 4).empty()) << texts(good.check(2, 4))[0];
    // After ОС nobody was driving on flashing yellow: no intergreen to keep.
    Crossing dark;
    matrix(dark);
    dark.tact(TactIntermediate, 2, {R, R, R});
    twoPhases(dark, false);
    EXPECT_TRUE(dark.check(3, 4).empty());
}

TEST(SafetySeams, GreenStraightToFlashingYellowOrDark) {
    for (const int fixed : {2, 3}) {
        SCOPED_TRACE(fixed);
        // The cycle ends on a short phase of 1 and 3: at the switch their
        // green meets the fixed program's signals.
        Crossing bad;
        twoPhases(bad, true);
        bad.tact(TactPhase, 6, {G, R, G});
        const SafetyReport r = bad.check(4, fixed);
        const std::string what = fixed == 2 ? "жёлтым миганием" : "выключенным сигналом";
        const std::string at = "Программа 4, такт 7 (в последнем цикле перед сменой программы по календарю): ";
        std::vector<std::string> expected{at + "напр. 1 — зелёный сменяется " + what,
                                          at + "напр. 3 — зелёный сменяется выключенным сигналом"};
        EXPECT_EQ(texts(r), expected);
        EXPECT_FALSE(r.refusesWrite());
        // Ending on the interphase mends it.
        Crossing good;
        twoPhases(good, true);
        EXPECT_TRUE(good.check(4, fixed).empty()) << texts(good.check(4, fixed))[0];
    }
}

TEST(SafetySeams, AConflictWithoutAnIntergreenIsAFindingBothWaysAndRefuses) {
    Crossing k;
    twoPhases(k, true);
    SafetyData& s = k.c->Safety;
    s.defined = true;
    s.conflict[0].set(1), s.conflict[1].set(0);
    s.intergreen[0][1] = 0;  // 0 s is a statement
    SafetyReport r = k.check(4, 4);
    EXPECT_EQ(texts(r), std::vector<std::string>{"Матрица конфликтов, напр. 2 → 1: конфликт без промежуточного времени"});
    EXPECT_TRUE(r.refusesWrite());
    EXPECT_EQ(r.findings[0].rule, SafetyRule::MissingIntergreen);
    EXPECT_EQ(r.findings[0].program, -1);
    s.intergreen[0][1] = IntergreenNotSet;
    r = k.check(4, 4);
    EXPECT_EQ(texts(r), (std::vector<std::string>{
                            "Матрица конфликтов, напр. 1 → 2: конфликт без промежуточного времени",
                            "Матрица конфликтов, напр. 2 → 1: конфликт без промежуточного времени"}));
    // Both times given: nothing (the cycle keeps 3 s from 1 to 2, 5 s back).
    s.intergreen[0][1] = s.intergreen[1][0] = 3;
    r = k.check(4, 4);
    EXPECT_TRUE(r.empty()) << texts(r)[0];
    EXPECT_FALSE(r.refusesWrite());
    // A finding of a rule that refuses counts though it is not worded.
    r.findings.clear();
    r.intergreensNotWorded = 1;
    EXPECT_TRUE(r.refusesWrite());
}

}  // namespace
}  // namespace livra
