// compareConfigurations: one line per difference the controller would see,
// none for what its image does not carry, held against the image bytes.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "check/compare.h"
#include "image/image.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

// Vehicle 1, pedestrian 2, a tram as 3–5 (red in program 4), ТВП1 as 6; program 4 of the sample
// (green, yellow, red phases), a fixed program 1, Monday 00:00 → 4.
std::unique_ptr<Configuration> base() {
    auto c = sampleConfiguration();
    addDirection(*c, 2, DirTram1);
    addDirection(*c, 5, DirTvp1);
    for (int t = 0; t < 3; ++t)
        for (int d = 2; d < 5; ++d) c->TactSignals[3][t][d] = SignalRed;
    c->TactSignals[3][0][5] = SignalNotApplicable;  // a phase: the call input is not its own
    c->TactTable[0][0] = Tact{TactPhase, 0, 30, 0, 0};
    for (int d = 0; d < 5; ++d) c->TactSignals[0][0][d] = SignalFlashingYellow;
    recomputeDerivedTactFields(*c, 0);
    return c;
}

using Change = std::function<void(Configuration&)>;

TEST(Compare, EachKindOfDifferenceGivesExactlyItsLine) {
    const auto a = base();
    ASSERT_EQ(imageFinding(*a), std::nullopt);
    EXPECT_TRUE(compareConfigurations(*a, *a).empty());
    const std::vector<std::pair<Change, std::string>> cases = {
        {[](Configuration& c) { c.ChannelCount = 32; }, "Количество каналов: 64 → 32"},
        {[](Configuration& c) { c.Tvp1Delay = "12"; }, "Задержка ТВП1, сек: 0 → 12"},
        {[](Configuration& c) { c.Tvp2Delay = "7"; }, "Задержка ТВП2, сек: 0 → 7"},
        {[](Configuration& c) { c.DirectionKind[5] = DirTvp2; }, "Направление 6: вид ТВП1 → ТВП2"},
        {[](Configuration& c) { c.DirectionChannels[0][0] = 5; }, "Направление 1, ячейка 1: канал 62 → 5"},
        {[](Configuration& c) { c.DirectionChannels[1][2] = 0; }, "Направление 2, ячейка 3: канал 58 → нет"},
        {[](Configuration& c) { c.DirectionControl[0][1] = ControlCurrent; },
         "Направление 1, ячейка 2: контроль выкл. → тока"},
        // The tram's common lamp is one channel in three rows: told once.
        {[](Configuration& c) { c.DirectionChannels[2][6] = c.DirectionChannels[3][6] = c.DirectionChannels[4][6] = 9; },
         "Направление 3, ячейка 7: канал 56 → 9"},
        {[](Configuration& c) { addTact(c, 3, TactIntermediate, 4); }, "Программа 4: тактов 3 → 4"},
        {[](Configuration& c) { c.TactTable[3][1].kind = TactPhase; }, "Программа 4, такт 2: вид Промтакт → Фаза"},
        {[](Configuration& c) { c.TactTable[3][0].tMin = 11; }, "Программа 4, такт 1: Т мин 10 → 11"},
        {[](Configuration& c) { c.TactTable[3][2].tMain = 16; }, "Программа 4, такт 3: Т осн 15 → 16"},
        {[](Configuration& c) { c.TactSignals[3][2][1] = SignalGreen; }, "Программа 4, такт 3: напр. 2 красный → зелёный"},
        // One green row of a tram: the controller lights the other two red.
        {[](Configuration& c) { c.TactSignals[3][0][3] = SignalGreen; }, "Программа 4, такт 1: напр. 4 красный → зелёный"},
        {[](Configuration& c) { c.TactSignals[3][0][0] = SignalFlashingGreen; },
         "Программа 4, такт 1: напр. 1 зелёный → зелёный мигающий"},
        {[](Configuration& c) { c.TactTable[0][0].tMain = 40; }, "Программа 1 (КК), такт 1: Т осн 30 → 40"},
        {[](Configuration& c) { c.TactSignals[0][0][0] = SignalOff; },
         "Программа 1 (КК), такт 1: напр. 1 жёлтый мигающий → выключен"},
        {[](Configuration& c) { c.TactTable[1][0] = Tact{TactPhase, 0, 5, 0, 0}; }, "Программа 2 (ЖМ): тактов 0 → 1"},
        {[](Configuration& c) { addAlarm(c, 1, 7, 30, 4); }, "Календарь, вторник: нет переключений → 07:30 прогр. 4"},
        {[](Configuration& c) { c.Calendar[0][0].program = 1; },
         "Календарь, понедельник: 00:00 прогр. 4 → 00:00 прогр. 1"},
    };
    for (const auto& [change, line] : cases) {
        auto b = std::make_unique<Configuration>(*a);
        change(*b);
        EXPECT_EQ(compareConfigurations(*a, *b), std::vector<std::string>{line});
        // The other way round: the same place, the arrow turned.
        const auto back = compareConfigurations(*b, *a);
        ASSERT_EQ(back.size(), 1u) << line;
        const auto place = line.substr(0, line.find(": ") + 2);
        EXPECT_TRUE(back[0].starts_with(place) && back[0] != line) << back[0];
    }
}

TEST(Compare, WhatTheImageDoesNotCarryIsEqual) {
    const auto a = base();
    auto b = std::make_unique<Configuration>(*a);
    b->Modified = 1;
    b->CurrentProgram = 7;
    b->CurrentTact = 2;
    b->ProjectFileName = "other.ptm";
    b->ProgramDir = "/elsewhere/";
    b->TactTable[3][0].tEnd = 999;                         // derived fields
    b->TactTable[3][1].phaseNo = 42;
    b->FreeChannels.fill(3);
    b->TactSignals[3][0][5] = SignalNotSet;                // the call input's mark
    b->TactSignals[3][1][20] = SignalGreen;                // beyond the directions
    b->TactSignals[3][7][0] = SignalGreen;                 // after the program's end
    b->TactTable[3][4] = Tact{TactPhase, 3, 9, 0, 0};      // behind an empty tact
    b->DirectionControl[2][3] = ControlCurrent;            // the tram rows have no monitoring
    b->DirectionChannels[3][6] = 33;                       // the common lamp lives in the first row
    b->Tvp1Delay = "000";
    b->Calendar[2][0] = CalendarEntry{EmptyCalendarByte, EmptyCalendarByte, 5};  // no time: no alarm
    EXPECT_EQ(encodeImage(*a), encodeImage(*b));
    EXPECT_TRUE(compareConfigurations(*a, *b).empty());
    EXPECT_TRUE(compareConfigurations(*b, *a).empty());
}

TEST(Compare, StableOrderAndWhatTheImageWouldChange) {
    const auto a = base();
    auto b = std::make_unique<Configuration>(*a);
    addAlarm(*b, 6, 23, 5, 1);
    b->TactTable[0][0].tMain = 31;
    b->TactTable[3][0].tMain = 21;
    b->DirectionControl[1][0] = ControlVoltage;
    b->Tvp2Delay = "1";
    b->ChannelCount = 16;
    EXPECT_EQ(compareConfigurations(*a, *b), (std::vector<std::string>{
                                                 "Количество каналов: 64 → 16",
                                                 "Задержка ТВП2, сек: 0 → 1",
                                                 "Направление 2, ячейка 1: контроль тока → напряжения",
                                                 "Программа 4, такт 1: Т осн 20 → 21",
                                                 "Программа 1 (КК), такт 1: Т осн 30 → 31",
                                                 "Календарь, воскресенье: нет переключений → 23:05 прогр. 1",
                                             }));

    // 300 s would reach a controller as 44 s: never "equal" to it, but named.
    auto over = std::make_unique<Configuration>(*a);
    over->TactTable[3][0].tMain = 300;
    auto held = std::make_unique<Configuration>(*a);
    held->TactTable[3][0].tMain = 44;
    const auto finding = imageFinding(*over);
    ASSERT_TRUE(finding);
    EXPECT_EQ(*finding, "( Программа № 4   Такт №1 ) - Т осн. не может превышать 255 сек");
    EXPECT_EQ(compareConfigurations(*over, *held), std::vector<std::string>{"Конфигурация А: " + *finding});
    EXPECT_EQ(compareConfigurations(*held, *over), std::vector<std::string>{"Конфигурация Б: " + *finding});
    over->TactTable[3][0].tMain = 20;
    over->TactTable[0][0].tMin = 256;  // a fixed program, which the limits check leaves alone
    EXPECT_TRUE(imageFinding(*over));
    over->TactTable[0][0].tMin = 0;
    over->Tvp1Delay = "256";
    EXPECT_EQ(imageFinding(*over), "ТВП1 Задержка не может превышать 255 сек");
    over->Tvp1Delay = "0";
    over->ChannelCount = 12;  // not a size of a controller
    EXPECT_TRUE(imageFinding(*over));
}

// Against an independent judge: two configurations are equal exactly when
// their images are the same bytes. Single random edits of every table,
// carried or not; channels only in the slots some lamp of the row reads.
TEST(Compare, EqualExactlyWhenTheImagesAreEqual) {
    std::mt19937 random(14);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const auto a = base();
    const ImageFiles image = encodeImage(*a);
    int equal = 0, different = 0;
    for (int i = 0; i < 200; ++i) {
        auto b = std::make_unique<Configuration>(*a);
        const int p = pick(2) ? 3 : pick(ProgramCount), t = pick(5), d = pick(8);
        switch (pick(7)) {
            case 0: b->TactSignals[p][t][d] = uint8_t(pick(10)); break;
            case 1: b->TactTable[p][t].tMin = pick(256); break;
            case 2: b->TactTable[p][t].tMain = pick(256); break;
            case 3: b->TactTable[p][t].kind = pick(5); break;
            case 4: b->DirectionControl[d][pick(SlotCount)] = uint8_t(pick(3)); break;
            case 5: {
                const int row = pick(6);
                static const std::vector<int> slots[6] = {{0, 1, 2, 3, 4, 5}, {0, 1, 2}, {3, 6}, {4}, {5}, {2}};
                const auto& s = slots[row];
                b->DirectionChannels[row][s[std::size_t(pick(int(s.size())))]] = uint8_t(pick(65));
                break;
            }
            default: b->Calendar[pick(DayCount)][pick(3)] = CalendarEntry{uint8_t(pick(60)), uint8_t(pick(24)),
                                                                         uint8_t(1 + pick(ProgramCount))};
        }
        if (imageFinding(*b)) continue;  // named instead of compared (above)
        const bool same = encodeImage(*b) == image;
        const auto lines = compareConfigurations(*a, *b);
        EXPECT_EQ(lines.empty(), same) << i << (lines.empty() ? std::string() : ": " + lines[0]);
        EXPECT_EQ(compareConfigurations(*b, *a).size(), lines.size()) << i;
        (same ? equal : different)++;
    }
    EXPECT_GT(equal, 10);
    EXPECT_GT(different, 80);
}

}  // namespace
