#include "check/validator.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace livra {
namespace {

using test::addAlarm;
using test::addDirection;
using test::addTact;

struct Verdict {
    int result;
    std::vector<std::string> lines;
};

Verdict validate(const Configuration& c) {
    VectorErrorList list;
    list.add("left over from before");
    const int r = validateConfiguration(c, list);
    return {r, list.lines};
}

// The verdict line alone; also checks there is exactly one line and that the
// result agrees with it.
std::string verdict(const Configuration& c) {
    const auto v = validate(c);
    EXPECT_EQ(v.lines.size(), 1u);
    if (v.lines.size() != 1) return "";
    EXPECT_EQ(v.result, v.lines[0] == kNoErrorsText ? 0 : 1);
    return v.lines[0];
}

TEST(Validator, EmptyConfigurationAsksForADirection) {
    auto c = test::newConfiguration();
    EXPECT_EQ(verdict(*c), "Установите направление");
}

TEST(Validator, SampleConfigurationHasNoErrors) {
    auto c = test::sampleConfiguration();
    const auto v = validate(*c);
    EXPECT_EQ(v.result, 0);
    EXPECT_EQ(v.lines, std::vector<std::string>{kNoErrorsText});
    VectorErrorList list;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        EXPECT_EQ(validateProgram(*c, p, list), 0) << p;
        EXPECT_EQ(list.lines, std::vector<std::string>{kNoErrorsText});
    }
}

TEST(Validator, FirstTactMustBePhaseOrCall) {
    auto c = test::sampleConfiguration();
    c->TactTable[3][0].kind = TactIntermediate;
    EXPECT_EQ(verdict(*c), "( Программа № 4   Такт №1 ) - Цикл должен начинаться с такта 'Фаза' или 'ТВП'");
    c->TactTable[3][0].kind = 9;  // out of the code table, e.g. from a damaged file
    EXPECT_EQ(verdict(*c), "( Программа № 4   Такт №1 ) - Цикл должен начинаться с такта 'Фаза' или 'ТВП'");
}

TEST(Validator, GapNamesTheEmptyTactOfTheFirstFaultyProgram) {
    auto c = test::sampleConfiguration();
    addTact(*c, 4, TactPhase, 10);
    c->TactTable[4][2] = Tact{TactPhase, 0, 10};
    c->TactSignals[4][2][0] = c->TactSignals[4][2][1] = SignalRed;
    EXPECT_EQ(verdict(*c), "( Программа № 5   Такт №2 ) - Укажите вид такта");
    // An empty first tact followed by a used one is a gap at tact 1.
    c->TactTable[4][1] = Tact{TactPhase, 0, 10};
    c->TactTable[4][0].kind = TactEmpty;
    EXPECT_EQ(verdict(*c), "( Программа № 5   Такт №1 ) - Укажите вид такта");
}

TEST(Validator, EmptyCellLowestDirectionThenLowestTact) {
    auto c = test::sampleConfiguration();
    c->TactSignals[3][2][1] = SignalNotSet;
    c->TactSignals[3][1][1] = SignalNotSet;
    EXPECT_EQ(verdict(*c), "( Программа № 4   Такт №2   Направление №2 ) - Пустая ячейка");
    c->TactSignals[3][2][0] = SignalNotSet;
    EXPECT_EQ(verdict(*c), "( Программа № 4   Такт №3   Направление №1 ) - Пустая ячейка");
    // Cells of empty tacts and of unused directions do not count.
    c->TactSignals[3][2][0] = c->TactSignals[3][2][1] = c->TactSignals[3][1][1] = SignalRed;
    c->TactSignals[3][3][0] = SignalNotSet;
    c->TactSignals[3][0][5] = SignalNotSet;
    EXPECT_EQ(verdict(*c), kNoErrorsText);
}

TEST(Validator, FirstDirectionMustBeASignalHead) {
    auto c = test::sampleConfiguration();
    c->DirectionKind[0] = DirTvp1;
    EXPECT_EQ(verdict(*c), "Установите направление");
}

TEST(Validator, OutputsKeepScanningAndReportTheLastFinding) {
    auto c = test::sampleConfiguration();
    c->DirectionChannels[0][2] = 0;
    EXPECT_EQ(verdict(*c),
              "( Направление №1 ) - Нет полного подключения к каналам\n"
              "Каналы отключать запрещено, исключение  желтый у транспортного");
    addDirection(*c, 2, DirTvp1);
    addDirection(*c, 3, DirTvp2);
    for (int t = 0; t < 3; ++t) c->TactSignals[3][t][2] = c->TactSignals[3][t][3] = SignalRed;
    c->DirectionChannels[2][2] = 0;
    EXPECT_EQ(verdict(*c), "( Направление №3 ) - Направлению 'ТВП1' не присвоен номер канала");
    c->DirectionChannels[3][2] = 0;
    EXPECT_EQ(verdict(*c), "( Направление №4 ) - Направлению 'ТВП2' не присвоен номер канала");
}

TEST(Validator, EachKindNeedsItsOwnSlots) {
    struct Case {
        uint8_t kind;
        int slot;
    };
    for (Case k : {Case{DirPedestrian, 0}, Case{DirExtraRed, 0}, Case{DirExtraYellow, 1}, Case{DirExtraGreen, 2},
                   Case{DirTram1, 3}, Case{DirTram1, 6}, Case{DirTram2, 4}, Case{DirTram3, 5}}) {
        auto c = test::sampleConfiguration();
        const int d = k.kind == DirTram2 ? 3 : k.kind == DirTram3 ? 4 : 2;
        addDirection(*c, 2, k.kind == DirTram2 || k.kind == DirTram3 ? uint8_t(DirTram1) : k.kind);
        for (int t = 0; t < 3; ++t)
            for (int x = 2; x < 5; ++x) c->TactSignals[3][t][x] = SignalRed;
        ASSERT_EQ(verdict(*c), kNoErrorsText) << int(k.kind);
        c->DirectionChannels[d][k.slot] = 0;
        EXPECT_EQ(verdict(*c), "( Направление №" + std::to_string(d + 1) +
                                   " ) - Нет полного подключения к каналам\n"
                                   "Каналы отключать запрещено, исключение  желтый у транспортного")
            << int(k.kind) << " slot " << k.slot;
    }
}

TEST(Validator, VehicleWithoutYellowOnlyWhenNoProgramShowsYellow) {
    auto c = test::sampleConfiguration();
    // Sample program 4 shows yellow in tact 2 on every direction.
    c->TactSignals[3][1][0] = SignalRed;
    c->DirectionChannels[0][1] = 0;
    EXPECT_EQ(verdict(*c), kNoErrorsText);
    c->TactSignals[6][4][0] = SignalFlashingYellow;  // an empty program still counts
    c->TactSignals[3][2][0] = SignalRedYellow;
    EXPECT_EQ(verdict(*c), "( Направление №1 )отключен выход по желтому, а прогр.№7  такт№5 использует желтый сигнал");
    c->TactSignals[6][4][0] = SignalNotSet;
    EXPECT_EQ(verdict(*c), "( Направление №1 )отключен выход по желтому, а прогр.№4  такт№3 использует желтый сигнал");
    // Fixed programs are not looked at.
    c->TactSignals[3][2][0] = SignalRed;
    c->TactSignals[1][0][0] = SignalYellow;
    EXPECT_EQ(verdict(*c), kNoErrorsText);
}

TEST(Validator, CallTactsMustAppearInEveryNonEmptyProgram) {
    auto c = test::sampleConfiguration();
    addDirection(*c, 2, DirTvp1);
    for (int t = 0; t < 3; ++t) c->TactSignals[3][t][2] = SignalRed;
    addTact(*c, 3, TactTvp1, 10);
    addTact(*c, 4, TactPhase, 10);
    addTact(*c, 5, TactPhase, 10);
    addTact(*c, 5, TactTvp1, 10);
    addTact(*c, 5, TactTvp1, 10);
    // The last ТВП1 tact over all programs is program 6, tact 3.
    EXPECT_EQ(verdict(*c),
              "В программе№5 нет такта 'ТВП1', а в программе№6   такт№3 есть\n"
              "Установите такт 'ТВП1', либо удалите из обеих программ");
    addTact(*c, 4, TactTvp1, 10);
    addTact(*c, 4, TactTvp2, 10);
    EXPECT_EQ(verdict(*c),
              "В программе№4 нет такта 'ТВП2', а в программе№5   такт№3 есть\n"
              "Установите такт 'ТВП2', либо удалите из обеих программ");
}

TEST(Validator, NoIntermediateRightAfterACallTact) {
    auto c = test::sampleConfiguration();
    c->TactTable[3][1].kind = TactTvp2;  // phase, ТВП2, then the sample's phase
    EXPECT_EQ(verdict(*c), kNoErrorsText);
    addTact(*c, 3, TactTvp2, 5);
    addTact(*c, 3, TactIntermediate, 3);
    EXPECT_EQ(verdict(*c),
              "( Программа № 4   Такт №5 ) - После такта 'ТВП' запрещается установка такта 'Промтакт\xE2\x80\x99");
}

TEST(Validator, CallTactsAloneAreRefused) {
    auto c = test::sampleConfiguration();
    for (int t = 0; t < 3; ++t) c->TactTable[3][t].kind = TactTvp1;
    EXPECT_EQ(verdict(*c), "( Программа № 4 ) - Нельзя использовать одни такты 'ТВП'");
}

TEST(Validator, OneGroupPerCallInput) {
    auto c = test::sampleConfiguration();
    // Tacts 1..8: phase, ТВП2, ТВП1, ТВП1, phase, ТВП2, ТВП1, phase.
    const int32_t kinds[] = {TactPhase, TactTvp2, TactTvp1, TactTvp1, TactPhase, TactTvp2, TactTvp1, TactPhase};
    c->TactTable[3] = {};
    for (int32_t k : kinds) addTact(*c, 3, k, 10);
    // Tact 6 repeats ТВП2 before tact 7 repeats ТВП1.
    EXPECT_EQ(verdict(*c), "( Программа № 4   Такт №6 ) - Группа 'ТВП2' уже есть");
    c->TactTable[3][5].kind = TactPhase;
    EXPECT_EQ(verdict(*c), "( Программа № 4   Такт №7 ) - Группа 'ТВП1' уже есть");
    c->TactTable[3][6].kind = TactPhase;
    EXPECT_EQ(verdict(*c), kNoErrorsText);
}

TEST(Validator, CallGroupScanStopsBeforeTheLastTact) {
    auto c = test::sampleConfiguration();
    c->TactTable[3] = {};
    for (int t = 0; t < TactCount; ++t) addTact(*c, 3, t == 1 ? TactTvp1 : TactPhase, 1);
    c->TactTable[3][TactCount - 1].kind = TactTvp1;  // second group, but in tact 321
    EXPECT_EQ(verdict(*c), kNoErrorsText);
    c->TactTable[3][TactCount - 2].kind = TactTvp1;
    EXPECT_EQ(verdict(*c), "( Программа № 4   Такт №320 ) - Группа 'ТВП1' уже есть");
}

TEST(Validator, DelaysAbove255AreRefused) {
    auto c = test::sampleConfiguration();
    c->Tvp1Delay = "255";
    c->Tvp2Delay = "255";
    EXPECT_EQ(verdict(*c), kNoErrorsText);
    c->Tvp2Delay = "256";
    EXPECT_EQ(verdict(*c), "Задержка срабатывания 'ТВП2' не может превышать 255 секунд");
    c->Tvp1Delay = "99999999999";
    EXPECT_EQ(verdict(*c), "Задержка срабатывания 'ТВП1' не может превышать 255 секунд");
    // The delay stops the check before the calendar is looked at.
    c->Calendar[0][0] = CalendarEntry{};
    EXPECT_EQ(verdict(*c), "Задержка срабатывания 'ТВП1' не может превышать 255 секунд");
}

TEST(Validator, CalendarMustNameNonEmptyPrograms) {
    auto c = test::sampleConfiguration();
    c->Calendar[0][0] = CalendarEntry{};
    EXPECT_EQ(verdict(*c), "Пустой каледарь");
    addAlarm(*c, 2, 7, 0, 9);
    addAlarm(*c, 3, 7, 0, 4);
    addAlarm(*c, 4, 7, 0, 11);
    EXPECT_EQ(verdict(*c), "Запись в календаре ссылается на пустую программу №11");
    c->Calendar[4][0] = CalendarEntry{};
    EXPECT_EQ(verdict(*c), "Запись в календаре ссылается на пустую программу №9");
    // A fixed program counts once it has tacts.
    c->Calendar[2][0].program = 2;
    EXPECT_EQ(verdict(*c), "Запись в календаре ссылается на пустую программу №2");
    addTact(*c, 1, TactPhase, 10, 0, SignalFlashingYellow);
    EXPECT_EQ(verdict(*c), kNoErrorsText);
}

TEST(Validator, CalendarBytesOutsideTheProgramsAreReportedNotLookedUp) {
    auto c = test::sampleConfiguration();
    c->Calendar[1][0] = CalendarEntry{0, 8, 0};
    EXPECT_EQ(verdict(*c), "Запись в календаре ссылается на пустую программу №0");
    c->Calendar[1][0].program = 100;
    EXPECT_EQ(verdict(*c), "Запись в календаре ссылается на пустую программу №100");
    // 101 and above are not entries at all.
    c->Calendar[1][0].program = 101;
    EXPECT_EQ(verdict(*c), kNoErrorsText);
    c->Calendar[0][0].program = 200;
    EXPECT_EQ(verdict(*c), "Пустой каледарь");
}

TEST(Validator, StopsAtTheFirstFaultyProgramAndConfigurationRulesComeWithIt) {
    auto c = test::sampleConfiguration();
    addTact(*c, 9, TactIntermediate, 3);
    c->Tvp1Delay = "300";
    // Program 4 gets as far as the delays, so that is what is reported.
    EXPECT_EQ(verdict(*c), "Задержка срабатывания 'ТВП1' не может превышать 255 секунд");
    c->Tvp1Delay = "3";
    EXPECT_EQ(verdict(*c), "( Программа № 10   Такт №1 ) - Цикл должен начинаться с такта 'Фаза' или 'ТВП'");
    VectorErrorList list;
    EXPECT_EQ(validateProgram(*c, 3, list), 0);
    EXPECT_EQ(validateProgram(*c, 9, list), 1);
    EXPECT_EQ(list.lines.size(), 1u);
}

}  // namespace
}  // namespace livra
