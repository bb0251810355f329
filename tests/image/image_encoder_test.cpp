// Golden bytes of the encoder, worked out by hand from the part layouts.
#include <gtest/gtest.h>

#include "image/image.h"
#include "support/test_support.h"

namespace livra {
namespace {

Bytes concat(std::initializer_list<Bytes> pieces) {
    Bytes out;
    for (const auto& p : pieces) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes repeat(const Bytes& piece, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

Bytes le32s(std::initializer_list<uint32_t> values) {
    Bytes out;
    for (uint32_t v : values)
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    return out;
}

// A vehicle and a pedestrian, program 4 with phase, intermediate, phase.
std::unique_ptr<Configuration> headsConfiguration() {
    auto c = test::newConfiguration();
    c->ChannelCount = 16;
    c->DirectionKind[0] = DirVehicle;
    c->DirectionChannels[0] = {3, 2, 1, 0, 0, 0, 0};
    c->DirectionControl[0] = {ControlCurrent, ControlOff, ControlVoltage, 0, 0, 0, 0};
    c->DirectionKind[1] = DirPedestrian;
    c->DirectionChannels[1] = {5, 0, 4, 0, 0, 0, 0};
    c->DirectionControl[1] = {ControlVoltage, 0, ControlCurrent, 0, 0, 0, 0};
    c->TactTable[3][0] = Tact{TactPhase, 10, 20};
    c->TactSignals[3][0][0] = SignalGreen, c->TactSignals[3][0][1] = SignalRed;
    c->TactTable[3][1] = Tact{TactIntermediate, 0, 3};
    c->TactSignals[3][1][0] = SignalYellow, c->TactSignals[3][1][1] = SignalRed;
    c->TactTable[3][2] = Tact{TactPhase, 5, 15};
    c->TactSignals[3][2][0] = SignalRed, c->TactSignals[3][2][1] = SignalGreen;
    c->Calendar[0][0] = CalendarEntry{30, 7, 4};
    c->Calendar[2][0] = CalendarEntry{0, 0, 4};
    c->Tvp1Delay = "7";
    c->Tvp2Delay = "300";
    return c;
}

TEST(ImageEncoder, HeadsConfigurationGolden) {
    const auto image = encodeImage(*headsConfiguration());

    Bytes channels(255, 0);
    channels[3] = 3, channels[4] = 2, channels[5] = 1;  // direction 1: red, yellow, green
    channels[7] = 5, channels[9] = 4;                   // direction 2: red, green
    Bytes monitoring(64, 0);
    monitoring[0] = 0x14;  // red current, green voltage
    monitoring[1] = 0x41;  // red voltage, green current
    Bytes times(336, 0);
    times[0] = 0x62, times[1] = 0x07;  // 1440 + 7*60 + 30 = 1890
    times[2] = 0xE0, times[3] = 0x10;  // 3 * 1440 = 4320
    Bytes programs(168, 0);
    programs[0] = programs[1] = 4;

    const Bytes empty = {0x12, 0, 0, 0, 0, 0xED};
    const Bytes records = concat({repeat(empty, 3),
                                  {0x01, 0x0A, 0x14, 0x04, 0x01, 0xDB},
                                  {0x02, 0x00, 0x03, 0x02, 0x01, 0xF7},
                                  {0x11, 0x05, 0x0F, 0x01, 0x04, 0xD5},
                                  repeat(empty, 12)});
    ASSERT_EQ(records.size(), 108u);
    Bytes header = {0x6C, 0, 0, 0, 16, DirVehicle, DirPedestrian};
    header.resize(68, 0);
    header.push_back(16);

    EXPECT_EQ(image[0], programs);
    EXPECT_EQ(image[1], channels);
    EXPECT_EQ(image[2], Bytes{2});
    EXPECT_EQ(image[3], (Bytes{0, 0, 7, 300 & 0xFF}));
    EXPECT_EQ(image[4], Bytes{0});
    EXPECT_EQ(image[5], monitoring);
    EXPECT_EQ(image[6], header);
    EXPECT_EQ(image[7], records);
    EXPECT_EQ(image[8], times);
    EXPECT_EQ(image[9], le32s({0, 6, 12, 18, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96, 102}));
}

TEST(ImageEncoder, TramAndCallInputGolden) {
    auto c = test::newConfiguration();
    c->DirectionKind[0] = DirTram1, c->DirectionKind[1] = DirTram2, c->DirectionKind[2] = DirTram3;
    c->DirectionChannels[0] = {0, 0, 0, 1, 0, 0, 4};
    c->DirectionChannels[1] = {0, 0, 0, 0, 2, 0, 4};
    c->DirectionChannels[2] = {0, 0, 0, 0, 0, 3, 4};
    c->DirectionKind[3] = DirTvp1;
    c->DirectionChannels[3] = {0, 0, 9, 0, 0, 0, 0};
    c->TactTable[3][0] = Tact{TactPhase, 5, 10};
    c->TactSignals[3][0] = {SignalRed, SignalGreen, SignalRed, SignalNotApplicable};
    c->TactTable[3][1] = Tact{TactTvp1, 0, 7};
    c->TactSignals[3][1] = {SignalRed, SignalRed, SignalRed, SignalRed};
    c->Calendar[1][0] = CalendarEntry{5, 12, 4};
    const auto image = encodeImage(*c);

    Bytes channels(255, 0);
    channels[3] = 1, channels[6] = 4;  // first member: its lamp and the common lamp
    channels[8] = 2, channels[13] = 3, channels[17] = 9;
    Bytes times(336, 0);
    times[0] = 0x15, times[1] = 0x0E;  // 2*1440 + 12*60 + 5 = 3605
    Bytes programs(168, 0);
    programs[0] = 4;
    const Bytes empty = {0x12, 0, 0, 0, 0, 0, 0, 0xED};
    const Bytes records = concat({repeat(empty, 3),
                                  {0x01, 0x05, 0x0A, 0x48, 0x02, 0x40, 0x00, 0x65},
                                  {0x14, 0x00, 0x07, 0x01, 0x02, 0x04, 0x04, 0xD9},
                                  repeat(empty, 12)});
    Bytes header = {0x88, 0, 0, 0, 64, DirTram1, DirTram2, DirTram3, DirTvp1};
    header.resize(68, 0);
    header.push_back(64);

    EXPECT_EQ(image[0], programs);
    EXPECT_EQ(image[1], channels);
    EXPECT_EQ(image[2], Bytes{4});
    EXPECT_EQ(image[3], (Bytes{9, 0, 0, 0}));
    EXPECT_EQ(image[4], Bytes{0x01});  // the calendar's program 4 uses ТВП1
    EXPECT_EQ(image[5], Bytes(64, 0));
    EXPECT_EQ(image[6], header);
    EXPECT_EQ(image[7], records);
    EXPECT_EQ(image[8], times);
    EXPECT_EQ(image[9], le32s({0, 8, 16, 24, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120, 128}));
}

// Output byte of direction 1 (index 3 of the single record of program 4).
uint8_t codeOf(uint8_t kind, uint8_t signal) {
    auto c = test::newConfiguration();
    c->DirectionKind[0] = kind;
    c->TactTable[3][0] = Tact{TactIntermediate, 0, 4};
    c->TactSignals[3][0][0] = signal;
    const auto image = encodeImage(*c);
    return image[7][3 * 5 + 3];
}

TEST(ImageEncoder, OutputCodesByKind) {
    const uint8_t vehicle[] = {0x00, 0x01, 0x02, 0x04, 0x22, 0x44, 0x03, 0x00, 0x00, 0x00};
    const uint8_t pedestrian[] = {0x00, 0x01, 0x00, 0x04, 0x00, 0x44, 0x00, 0x00, 0x00, 0x00};
    for (uint8_t s = 0; s <= 9; ++s) {
        EXPECT_EQ(codeOf(DirVehicle, s), vehicle[s]) << int(s);
        EXPECT_EQ(codeOf(DirPedestrian, s), pedestrian[s]) << int(s);
        EXPECT_EQ(codeOf(DirExtraRed, s), s == 1 ? 0x01 : 0x00) << int(s);
        EXPECT_EQ(codeOf(DirExtraYellow, s), s == 2 ? 0x02 : s == 4 ? 0x22 : 0x00) << int(s);
        EXPECT_EQ(codeOf(DirExtraGreen, s), s == 3 ? 0x04 : s == 5 ? 0x44 : 0x00) << int(s);
        EXPECT_EQ(codeOf(DirTvp1, s), s == 1 ? 0x04 : 0x00) << int(s);
        EXPECT_EQ(codeOf(DirTvp2, s), s == 1 ? 0x04 : 0x00) << int(s);
    }
}

TEST(ImageEncoder, TramGroupRule) {
    struct Case {
        uint8_t s1, s2, s3;
        Bytes codes;
    };
    constexpr uint8_t R = SignalRed, G = SignalGreen, O = SignalOff;
    for (const Case& k : {Case{R, R, R, {0x01, 0x02, 0x04}}, Case{R, G, R, {0x48, 0x02, 0x40}},
                          Case{G, R, R, {0x09, 0x40, 0x40}}, Case{R, R, G, {0x48, 0x40, 0x04}},
                          Case{G, G, G, {0x09, 0x02, 0x04}}, Case{O, O, O, {0x00, 0x00, 0x00}},
                          Case{R, O, R, {0x40, 0x00, 0x40}}}) {
        auto c = test::newConfiguration();
        c->DirectionKind[0] = DirTram1, c->DirectionKind[1] = DirTram2, c->DirectionKind[2] = DirTram3;
        c->TactTable[3][0] = Tact{TactPhase, 1, 2};
        c->TactSignals[3][0] = {k.s1, k.s2, k.s3};
        const auto image = encodeImage(*c);
        EXPECT_EQ(Bytes(image[7].begin() + 3 * 7 + 3, image[7].begin() + 3 * 7 + 6), k.codes)
            << int(k.s1) << int(k.s2) << int(k.s3);
    }
}

TEST(ImageEncoder, LastRecordOfAProgram) {
    auto c = test::newConfiguration();
    c->DirectionKind[0] = DirPedestrian;
    for (int t = 0; t < 3; ++t) {
        c->TactTable[3][t] = Tact{TactPhase, 1, 5};
        c->TactSignals[3][t][0] = SignalRed;
    }
    for (int t = 0; t < TactCount; ++t) {
        c->TactTable[0][t] = Tact{t % 2 ? TactIntermediate : TactPhase, 1, 3};
        c->TactSignals[0][t][0] = SignalGreen;
    }
    const auto image = encodeImage(*c);
    const Bytes& r = image[7];
    // Program 1: 321 records of 5 bytes, only the last marked.
    for (int t = 0; t < TactCount; ++t) EXPECT_EQ(r[5 * t] & 0x10, t == TactCount - 1 ? 0x10 : 0) << t;
    EXPECT_EQ(r[5 * 320], 0x11);
    // Program 4: three phases, the third marked; an empty tact is not sent.
    const std::size_t p4 = 5 * (TactCount + 2);
    EXPECT_EQ(r[p4], 0x01);
    EXPECT_EQ(r[p4 + 5], 0x01);
    EXPECT_EQ(r[p4 + 10], 0x11);
    EXPECT_EQ(r[p4 + 15], 0x12);  // program 5 starts
    EXPECT_EQ(r.size(), 5u * (TactCount + 2 + 3 + 12));
}

TEST(ImageEncoder, CallInputsAndCallTactUse) {
    auto c = test::newConfiguration();
    c->DirectionKind[0] = DirVehicle;
    c->DirectionKind[1] = DirTvp2;
    c->DirectionChannels[1][2] = 33;
    c->TactTable[4][0] = Tact{TactPhase, 1, 5};
    c->TactTable[4][1] = Tact{TactTvp2, 0, 5};
    c->TactTable[6][0] = Tact{TactTvp1, 0, 5};
    c->Tvp1Delay = "255";
    c->Tvp2Delay = "12";
    EXPECT_EQ(encodeImage(*c)[3], (Bytes{0, 33, 255, 12}));
    // Only programs the calendar names count.
    EXPECT_EQ(encodeImage(*c)[4], Bytes{0});
    c->Calendar[3][0] = CalendarEntry{0, 6, 5};
    EXPECT_EQ(encodeImage(*c)[4], Bytes{0x02});
    c->Calendar[3][1] = CalendarEntry{0, 9, 7};
    EXPECT_EQ(encodeImage(*c)[4], Bytes{0x03});
}

TEST(ImageEncoder, ChannelTableTramLampsWinAndCalendarSkipsEmptyEntries) {
    auto c = test::newConfiguration();
    c->DirectionKind[62] = DirVehicle;
    c->DirectionChannels[62] = {10, 11, 12, 0, 21, 0, 30};  // slots 4 and 6 are stale here
    c->Calendar[6][0] = CalendarEntry{59, 23, 16};
    c->Calendar[6][1] = CalendarEntry{};
    c->Calendar[6][2] = CalendarEntry{1, 0, 2};
    const auto image = encodeImage(*c);
    // Direction 63: entries 252..254, file bytes 251..253; slot 4 replaces the yellow.
    EXPECT_EQ(image[1][251], 10);
    EXPECT_EQ(image[1][252], 21);
    EXPECT_EQ(image[1][253], 12);
    EXPECT_EQ(image[1][254], 0);  // the fourth output is only a tram's
    const uint16_t sunday = 1440 * 7 + 23 * 60 + 59;
    const uint16_t sundayEarly = 1440 * 7 + 1;
    EXPECT_EQ(Bytes(image[8].begin(), image[8].begin() + 6),
              (Bytes{uint8_t(sunday), uint8_t(sunday >> 8), uint8_t(sundayEarly), uint8_t(sundayEarly >> 8), 0, 0}));
    EXPECT_EQ(Bytes(image[0].begin(), image[0].begin() + 3), (Bytes{16, 2, 0}));
}

TEST(ImageEncoder, NoCountedDirectionGivesRecordsWithoutDirectionBytes) {
    auto c = test::newConfiguration();
    c->TactTable[3][0] = Tact{TactPhase, 1, 2};
    const auto image = encodeImage(*c);
    EXPECT_EQ(image[2], Bytes{0});
    const Bytes empty = {0x12, 0, 0, 0xED};
    EXPECT_EQ(image[7], concat({repeat(empty, 3), {0x11, 0x01, 0x02, 0xEB}, repeat(empty, 12)}));
}

TEST(ImageEncoder, EmptyTactIsSentWithoutItsLeftoverTimes) {
    auto c = test::newConfiguration();
    c->DirectionKind[0] = DirPedestrian;
    c->TactTable[4][0] = Tact{TactEmpty, 3, 5};  // "Ок" with no kind and "Т осн" 5
    c->TactTable[3][0] = Tact{TactPhase, 2, 9};
    c->TactSignals[3][0][0] = SignalGreen;
    c->TactTable[3][1] = Tact{TactEmpty, 0, 4};
    const auto image = encodeImage(*c);
    const Bytes empty = {0x12, 0, 0, 0, 0xED};
    const Bytes phase = {0x11, 0x02, 0x09, 0x04, uint8_t(~(0x11 + 2 + 9 + 4))};
    EXPECT_EQ(image[7], concat({repeat(empty, 3), phase, repeat(empty, 12)}));
}

TEST(ImageEncoder, KindOutsideTheTableEndsTheProgram) {
    auto c = test::newConfiguration();
    c->TactTable[3][0] = Tact{TactPhase, 2, 9};
    c->TactTable[3][1] = Tact{7, 4, 6};  // from a damaged project file
    c->TactTable[3][2] = Tact{TactPhase, 2, 9};
    const auto image = encodeImage(*c);
    const Bytes empty = {0x12, 0, 0, 0xED};
    EXPECT_EQ(image[7], concat({repeat(empty, 3), {0x11, 0x02, 0x09, uint8_t(~(0x11 + 2 + 9))}, repeat(empty, 12)}));
}

TEST(ImageEncoder, DoesNotChangeTheConfiguration) {
    auto c = test::sampleConfiguration();
    auto before = std::make_unique<Configuration>(*c);
    encodeImage(*c);
    EXPECT_TRUE(c->sameTables(*before));
}

}  // namespace
}  // namespace livra
