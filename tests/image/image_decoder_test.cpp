#include <gtest/gtest.h>

#include "image/image.h"
#include "support/test_support.h"

namespace livra {
namespace {

// A well-formed image with the given direction kinds and, for program 1, the
// given records (each: kind code, tMin, tMain, then one code per direction).
// Every other program is a single empty record.
ImageFiles image(const std::vector<uint8_t>& kinds, const std::vector<Bytes>& program1) {
    ImageFiles f;
    f[0] = Bytes(168, 0);
    f[1] = Bytes(255, 0);
    f[2] = {uint8_t(kinds.size())};
    f[3] = Bytes(4, 0);
    f[4] = Bytes(1, 0);
    f[5] = Bytes(64, 0);
    auto record = [&](Bytes r) {
        uint8_t sum = 0;
        for (uint8_t b : r) sum = uint8_t(sum + b);
        r.push_back(uint8_t(~sum));
        f[7].insert(f[7].end(), r.begin(), r.end());
    };
    for (const auto& r : program1) record(r);
    Bytes empty = {0x12, 0, 0};
    empty.resize(3 + kinds.size(), 0);
    for (int p = 1; p < ProgramCount; ++p) record(empty);
    f[6] = {uint8_t(f[7].size()), uint8_t(f[7].size() >> 8), 0, 0, 64};
    f[6].insert(f[6].end(), kinds.begin(), kinds.end());
    f[6].resize(68, 0);
    f[6].push_back(64);
    f[8] = Bytes(336, 0);
    f[9] = Bytes(64, 0);
    return f;
}

TEST(ImageDecoder, HeadSignalsAndEmptyClosingRecord) {
    const auto c = decodeImage(image({DirVehicle, DirExtraYellow},
                                     {{0x01, 4, 9, 0x03, 0x22}, {0x02, 0, 3, 0x10, 0x02}, {0x12, 7, 0, 0x01, 0x01}}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->TactTable[0][0], (Tact{TactPhase, 4, 9, 9, 1}));
    EXPECT_EQ(c->TactTable[0][1], (Tact{TactIntermediate, 0, 3, 12, 0}));
    EXPECT_EQ(c->TactSignals[0][0][0], SignalRedYellow);
    EXPECT_EQ(c->TactSignals[0][0][1], SignalFlashingYellow);
    EXPECT_EQ(c->TactSignals[0][1][0], SignalOff);  // 0x10 is produced by no signal
    EXPECT_EQ(c->TactSignals[0][1][1], SignalYellow);
    // tMain 0: an empty tact with cleared signals, and the program ends there.
    EXPECT_EQ(c->TactTable[0][2].kind, TactEmpty);
    EXPECT_EQ(c->TactSignals[0][2][0], SignalNotSet);
    EXPECT_TRUE(isProgramEmpty(*c, 1));
    EXPECT_EQ(c->ChannelCount, 64);
    EXPECT_EQ(c->Tvp1Delay, "0");
}

TEST(ImageDecoder, ClosingIntermediateWithTimeIsATact) {
    const auto c = decodeImage(image({DirPedestrian}, {{0x01, 1, 9, 0x04}, {0x12, 0, 5, 0x01}}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->TactTable[0][1], (Tact{TactIntermediate, 0, 5, 14, 0}));
    EXPECT_EQ(c->TactSignals[0][1][0], SignalRed);
}

TEST(ImageDecoder, TramGroupsAndCallInputs) {
    const auto c = decodeImage(image({DirTram1, DirTram2, DirTram3, DirTvp1, DirTvp2},
                                     {{0x01, 5, 10, 0x48, 0x02, 0x40, 0x00, 0x04},
                                      {0x04, 0, 7, 0x01, 0x02, 0x04, 0x04, 0x00},
                                      {0x18, 0, 7, 0x09, 0x02, 0x04, 0x00, 0x04}}));
    ASSERT_TRUE(c);
    EXPECT_EQ((std::vector<uint8_t>(c->TactSignals[0][0].begin(), c->TactSignals[0][0].begin() + 5)),
              (std::vector<uint8_t>{SignalRed, SignalGreen, SignalRed, SignalNotApplicable, SignalNotApplicable}));
    EXPECT_EQ((std::vector<uint8_t>(c->TactSignals[0][1].begin(), c->TactSignals[0][1].begin() + 5)),
              (std::vector<uint8_t>{SignalRed, SignalRed, SignalRed, SignalRed, SignalNotApplicable}));
    EXPECT_EQ((std::vector<uint8_t>(c->TactSignals[0][2].begin(), c->TactSignals[0][2].begin() + 5)),
              (std::vector<uint8_t>{SignalGreen, SignalGreen, SignalGreen, SignalNotApplicable, SignalRed}));
    EXPECT_EQ(c->TactTable[0][2].kind, TactTvp2);
}

TEST(ImageDecoder, TramNibbleTable) {
    constexpr uint8_t R = SignalRed, G = SignalGreen, O = SignalOff;
    const std::vector<std::pair<Bytes, std::vector<uint8_t>>> cases = {
        {{0x01, 0x02, 0x04}, {R, R, R}}, {{0x09, 0x40, 0x40}, {G, R, R}}, {{0x48, 0x02, 0x40}, {R, G, R}},
        {{0x48, 0x40, 0x04}, {R, R, G}}, {{0x09, 0x02, 0x40}, {G, G, R}}, {{0x09, 0x40, 0x04}, {G, R, G}},
        {{0x48, 0x02, 0x04}, {R, G, G}}, {{0x09, 0x02, 0x04}, {G, G, G}}, {{0x40, 0x00, 0x40}, {O, O, O}},
        {{0x01, 0x00, 0x00}, {O, O, O}}};
    for (const auto& [codes, signals] : cases) {
        const auto c = decodeImage(image({DirTram1, DirTram2, DirTram3}, {{0x11, 1, 2, codes[0], codes[1], codes[2]}}));
        ASSERT_TRUE(c);
        EXPECT_EQ(std::vector<uint8_t>(c->TactSignals[0][0].begin(), c->TactSignals[0][0].begin() + 3), signals)
            << int(codes[0]) << " " << int(codes[1]) << " " << int(codes[2]);
    }
}

TEST(ImageDecoder, ChannelsModesDelaysAndCalendar) {
    auto f = image({DirVehicle, DirTram1, DirTram2, DirTram3, DirTvp2}, {{0x11, 1, 2, 1, 0x40, 0x40, 0x40, 0}});
    f[1][3] = 7, f[1][4] = 8, f[1][5] = 9, f[1][6] = 99;  // direction 1; the fourth entry is not a head's
    f[1][7] = 11, f[1][10] = 12;                          // direction 2, first tram member
    f[1][12] = 13, f[1][17] = 14;                         // second, third
    f[1][19] = 55;                                        // direction 5 is a call input: from part 4
    f[3] = {0, 21, 3, 250};
    f[5][0] = 0x31;  // red voltage and current: current wins; yellow current
    const uint16_t wednesday0730 = 1440 * 3 + 60 * 7 + 30;  // 4770
    f[8][0] = uint8_t(wednesday0730), f[8][1] = uint8_t(wednesday0730 >> 8);
    f[8][2] = f[8][0], f[8][3] = f[8][1];
    f[0][0] = 4, f[0][1] = 16;
    const auto c = decodeImage(f);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->DirectionChannels[0], (DirectionSlots{7, 8, 9, 0, 0, 0, 0}));
    EXPECT_EQ(c->DirectionChannels[1], (DirectionSlots{0, 0, 0, 11, 0, 0, 12}));
    EXPECT_EQ(c->DirectionChannels[2], (DirectionSlots{0, 0, 0, 0, 13, 0, 12}));
    EXPECT_EQ(c->DirectionChannels[3], (DirectionSlots{0, 0, 0, 0, 0, 14, 12}));
    EXPECT_EQ(c->DirectionChannels[4], (DirectionSlots{0, 0, 21, 0, 0, 0, 0}));
    EXPECT_EQ(c->DirectionControl[0], (DirectionSlots{ControlCurrent, ControlCurrent, 0, 0, 0, 0, 0}));
    EXPECT_EQ(c->Tvp1Delay, "3");
    EXPECT_EQ(c->Tvp2Delay, "250");
    EXPECT_EQ(c->Calendar[2][0], (CalendarEntry{30, 7, 4}));
    EXPECT_EQ(c->Calendar[2][1], (CalendarEntry{30, 7, 16}));
    EXPECT_TRUE(c->Calendar[2][2].empty());
    EXPECT_TRUE(c->Calendar[0][0].empty());
}

TEST(ImageDecoder, AtMost24AlarmsADay) {
    auto f = image({DirVehicle}, {{0x11, 1, 2, 1}});
    for (int i = 0; i < 30; ++i) {
        const uint16_t w = uint16_t(1440 * 5 + i);
        f[8][2 * i] = uint8_t(w), f[8][2 * i + 1] = uint8_t(w >> 8);
        f[0][i] = uint8_t(2 + i % 15);
    }
    const uint16_t sunday = 1440 * 7 + 60;
    f[8][60] = uint8_t(sunday), f[8][61] = uint8_t(sunday >> 8);
    f[0][30] = 5;
    const auto c = decodeImage(f);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Calendar[4][23], (CalendarEntry{23, 0, uint8_t(2 + 23 % 15)}));
    EXPECT_EQ(c->Calendar[6][0], (CalendarEntry{0, 1, 5}));
}

TEST(ImageDecoder, DecodesIntoAFreshConfiguration) {
    // Whatever a previous configuration held, the result starts from reset.
    const auto c = decodeImage(image({DirPedestrian}, {{0x11, 1, 2, 0x04}}));
    ASSERT_TRUE(c);
    for (int p = 1; p < ProgramCount; ++p) EXPECT_TRUE(isProgramEmpty(*c, p));
    EXPECT_EQ(c->TactTable[0][1], Tact{});
    for (const auto& day : c->Calendar)
        for (const auto& e : day) EXPECT_TRUE(e.empty());
    EXPECT_EQ(c->DirectionKind[1], 0);
}

TEST(ImageDecoder, DamagedImagesAreRefused) {
    const auto good = image({DirVehicle, DirTram1, DirTram2, DirTram3}, {{0x01, 1, 2, 1, 0x40, 0x40, 0x40}, {0x12, 0, 0, 0, 0, 0, 0}});
    ASSERT_TRUE(decodeImage(good));
    auto refused = [&](const char* what, auto change) {
        ImageFiles f = good;
        change(f);
        EXPECT_FALSE(decodeImage(f)) << what;
    };
    for (int i : {0, 1, 2, 3, 4, 5, 6, 8, 9}) {
        refused("short fixed part", [&](ImageFiles& f) { f[i].pop_back(); });
        refused("long fixed part", [&](ImageFiles& f) { f[i].push_back(0); });
    }
    refused("no part 8", [](ImageFiles& f) { f[7].clear(); });
    refused("part 8 shorter than its records", [](ImageFiles& f) { f[7].pop_back(); });
    refused("direction count 64", [](ImageFiles& f) { f[2][0] = 64; });
    refused("direction count 255", [](ImageFiles& f) { f[2][0] = 255; });
    refused("records too short for the count", [](ImageFiles& f) { f[2][0] = 5; });
    refused("kind code without a kind", [](ImageFiles& f) { f[7][0] = 0x10; });
    refused("kind code with two kinds", [](ImageFiles& f) { f[7][0] = 0x03; });
    refused("kind code with high bits", [](ImageFiles& f) { f[7][0] = 0x81; });
    refused("direction kind 3", [](ImageFiles& f) { f[6][5] = 3; });
    refused("direction kind 200", [](ImageFiles& f) { f[6][60] = 200; });
    refused("tram without its third member", [](ImageFiles& f) { f[6][8] = DirVehicle; });
    refused("third tram member alone", [](ImageFiles& f) { f[6][5 + 62] = DirTram3; });
    refused("tram cut by the table end", [](ImageFiles& f) { f[6][5 + 61] = DirTram1, f[6][5 + 62] = DirTram2; });
    refused("channel count 0", [](ImageFiles& f) { f[6][68] = 0; });
    refused("channel count 12", [](ImageFiles& f) { f[6][4] = 12; });
    refused("channel count 72", [](ImageFiles& f) { f[6][68] = 72; });
    auto word = [](ImageFiles& f, int i, int v) { f[8][2 * i] = uint8_t(v), f[8][2 * i + 1] = uint8_t(v >> 8); f[0][i] = 4; };
    refused("calendar day 8", [&](ImageFiles& f) { word(f, 0, 1440 * 8); });
    refused("calendar word below Monday", [&](ImageFiles& f) { word(f, 0, 5); });
    refused("negative calendar word", [&](ImageFiles& f) { word(f, 0, 0x8000); });
    refused("calendar days out of order", [&](ImageFiles& f) { word(f, 0, 1440 * 3), word(f, 1, 1440 * 2); });
    refused("alarm for program 0", [&](ImageFiles& f) { word(f, 0, 1440 * 3), f[0][0] = 0; });
    refused("alarm for program 17", [&](ImageFiles& f) { word(f, 0, 1440 * 3), f[0][0] = 17; });
}

TEST(ImageDecoder, SurplusRecordsAndTheLengthFieldAreNotTrusted) {
    auto f = image({DirVehicle}, {{0x11, 1, 2, 1}});
    f[7].resize(f[7].size() + 40, 0x77);  // bytes after the last program
    f[6][0] = 0xFF, f[6][3] = 0xFF;
    const auto c = decodeImage(f);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->TactTable[0][0].tMain, 2);
}

TEST(ImageDecoder, ProgramWithoutLastMarkStopsAfter321Records) {
    std::vector<Bytes> records(TactCount, Bytes{0x01, 1, 2, 0x04});
    auto f = image({DirVehicle}, records);
    const auto c = decodeImage(f);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->TactTable[0][320].kind, TactPhase);
    EXPECT_EQ(c->TactTable[0][320].phaseNo, 321);
    EXPECT_TRUE(isProgramEmpty(*c, 1));
}

}  // namespace
}  // namespace livra
