// decode(encode(c)) gives c back for configurations as the editors build them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "check/validator.h"
#include "image/image.h"
#include "support/test_support.h"

namespace livra {
namespace {

// Signals the signal dialog offers for a direction kind in a tact kind.
std::vector<uint8_t> offeredSignals(uint8_t dir, int32_t tact) {
    const bool phase = tact == TactPhase;
    switch (dir) {
        case DirVehicle: return phase ? std::vector<uint8_t>{1, 3} : std::vector<uint8_t>{1, 2, 3, 6, 4, 5};
        case DirPedestrian: return phase ? std::vector<uint8_t>{1, 3} : std::vector<uint8_t>{1, 3, 5};
        case DirExtraRed: return {1, 7};
        case DirExtraYellow: return {2, 4, 7};
        case DirExtraGreen: return {3, 5, 7};
        case DirTram1:
        case DirTram2:
        case DirTram3: return {1, 3};
        case DirTvp1: return tact == TactTvp1 ? std::vector<uint8_t>{1, 7} : std::vector<uint8_t>{9};
        case DirTvp2: return tact == TactTvp2 ? std::vector<uint8_t>{1, 7} : std::vector<uint8_t>{9};
        default: return {0};
    }
}

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    template <class T>
    T pickOf(const std::vector<T>& v) { return v[std::size_t(pick(0, int(v.size()) - 1))]; }

    std::unique_ptr<Configuration> configuration() {
        auto c = test::newConfiguration();
        c->ChannelCount = uint8_t(8 * pick(1, 8));
        addDirections(*c);
        for (int p = 0; p < ProgramCount; ++p) addProgram(*c, p);
        addCalendar(*c);
        c->Tvp1Delay = std::to_string(pick(0, 255));
        c->Tvp2Delay = std::to_string(pick(0, 255));
        return c;
    }

private:
    void addDirections(Configuration& c) {
        const int wanted = pick(0, 4) == 0 ? DirectionCount : pick(1, 20);
        bool tvp1 = false, tvp2 = false;
        int d = 0;
        while (d < wanted) {
            std::vector<uint8_t> kinds = {DirVehicle, DirPedestrian, DirExtraRed, DirExtraYellow, DirExtraGreen};
            if (d + 3 <= wanted) kinds.push_back(DirTram1);
            if (!tvp1) kinds.push_back(DirTvp1);
            if (!tvp2) kinds.push_back(DirTvp2);
            const uint8_t kind = pickOf(kinds);
            tvp1 = tvp1 || kind == DirTvp1;
            tvp2 = tvp2 || kind == DirTvp2;
            test::addDirection(c, d, kind);
            // The user may rewire and change monitoring of a head's slots.
            if (kind <= DirExtraGreen)
                for (int s = 0; s < 3; ++s) {
                    if (c.DirectionChannels[d][s] == 0 && pick(0, 1)) continue;
                    if (pick(0, 2) == 0) c.DirectionChannels[d][s] = uint8_t(pick(0, c.ChannelCount));
                    c.DirectionControl[d][s] = uint8_t(pick(0, 2));
                    if (kind == DirPedestrian && s == 1) c.DirectionChannels[d][s] = c.DirectionControl[d][s] = 0;
                    if (kind >= DirExtraRed && s != kind - DirExtraRed)
                        c.DirectionChannels[d][s] = c.DirectionControl[d][s] = 0;
                }
            d += kind == DirTram1 ? 3 : 1;
        }
    }

    void addProgram(Configuration& c, int p) {
        const int roll = pick(0, 9);
        const int tacts = roll < 3 ? 0 : roll == 9 ? pick(200, TactCount) : pick(1, 12);
        for (int t = 0; t < tacts; ++t) {
            const int32_t kind = t == 0 ? pickOf<int32_t>({TactPhase, TactPhase, TactTvp1, TactTvp2})
                                        : int32_t(pick(TactPhase, TactTvp2));
            const int32_t tMain = pick(1, 255);
            // "Т мин" is stored for every kind, also where the field is disabled.
            const int32_t tMin = kind == TactPhase ? pick(1, tMain) : pick(0, 3) == 0 ? pick(0, 255) : 0;
            c.TactTable[p][t] = Tact{kind, tMin, tMain, 0, 0};
            for (int d = 0; d < DirectionCount; ++d)
                c.TactSignals[p][t][d] = pickOf(offeredSignals(c.DirectionKind[d], kind));
        }
        // An empty tact may keep times typed into it.
        if (tacts < TactCount && pick(0, 3) == 0) c.TactTable[p][tacts] = Tact{TactEmpty, pick(0, 9), pick(1, 9), 0, 0};
        recomputeDerivedTactFields(c, p);
    }

    void addCalendar(Configuration& c) {
        for (int day = 0; day < DayCount; ++day) {
            const int n = pick(0, 3) == 0 ? AlarmCount : pick(0, 5);
            std::vector<int> minutes(24 * 60);
            for (int i = 0; i < 24 * 60; ++i) minutes[i] = i;
            std::shuffle(minutes.begin(), minutes.end(), rng_);
            minutes.resize(std::size_t(n));
            std::sort(minutes.begin(), minutes.end());
            for (int i = 0; i < n; ++i)
                c.Calendar[day][i] = CalendarEntry{uint8_t(minutes[i] % 60), uint8_t(minutes[i] / 60), uint8_t(pick(2, 16))};
        }
    }

    std::mt19937 rng_;
};

void expectSameConfiguration(const Configuration& a, const Configuration& b, unsigned seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    EXPECT_EQ(a.DirectionKind, b.DirectionKind);
    EXPECT_EQ(a.DirectionChannels, b.DirectionChannels);
    EXPECT_EQ(a.DirectionControl, b.DirectionControl);
    EXPECT_EQ(a.Calendar, b.Calendar);
    EXPECT_EQ(a.ChannelCount, b.ChannelCount);
    EXPECT_EQ(a.Tvp1Delay, b.Tvp1Delay);
    EXPECT_EQ(a.Tvp2Delay, b.Tvp2Delay);
    int mismatches = 0;
    for (int p = 0; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount && mismatches < 5; ++t) {
            const Tact& x = a.TactTable[p][t];
            const Tact& y = b.TactTable[p][t];
            // The times of an empty tact mean nothing and are not sent.
            const bool same = x.kind == y.kind && x.tEnd == y.tEnd && x.phaseNo == y.phaseNo &&
                              (x.kind == TactEmpty || (x.tMin == y.tMin && x.tMain == y.tMain)) &&
                              a.TactSignals[p][t] == b.TactSignals[p][t];
            if (!same) {
                ++mismatches;
                ADD_FAILURE() << "program " << p + 1 << " tact " << t + 1;
            }
        }
}

TEST(ImageRoundTrip, GeneratedConfigurations) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Generator g(seed);
        const auto c = g.configuration();
        const auto decoded = decodeImage(encodeImage(*c));
        ASSERT_TRUE(decoded) << "seed " << seed;
        expectSameConfiguration(*c, *decoded, seed);
        // And the decoded configuration compiles to the same bytes.
        EXPECT_EQ(encodeImage(*decoded), encodeImage(*c)) << "seed " << seed;
    }
}

TEST(ImageRoundTrip, SampleAndFullConfigurations) {
    const auto sample = test::sampleConfiguration();
    sample->TactSignals[3][1][1] = SignalRed;  // a pedestrian head has no yellow to offer
    const auto decoded = decodeImage(encodeImage(*sample));
    ASSERT_TRUE(decoded);
    expectSameConfiguration(*sample, *decoded, 0);
    VectorErrorList list;
    EXPECT_EQ(validateConfiguration(*decoded, list), 0);

    // Every program full: the largest image there is.
    const auto full = test::fullConfiguration();
    const auto image = encodeImage(*full);
    EXPECT_EQ(image[7].size(), kMaxProgramPartSize);
    const auto back = decodeImage(image);
    ASSERT_TRUE(back);
    // Pedestrian heads have no yellow lamp: those signals come back dark.
    for (int p = 0; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t)
            for (int d = 0; d < DirectionCount; ++d) {
                const uint8_t s = full->TactSignals[p][t][d];
                const uint8_t expected = s == SignalRed || s == SignalGreen || s == SignalFlashingGreen ? s : uint8_t(SignalOff);
                ASSERT_EQ(back->TactSignals[p][t][d], expected) << p << " " << t << " " << d;
            }
    EXPECT_EQ(back->TactTable, full->TactTable);
}

TEST(ImageRoundTrip, EmptyProgramWithLeftoverTimesStaysEmpty) {
    auto c = test::sampleConfiguration();
    c->TactTable[4][0] = Tact{TactEmpty, 0, 5};
    const auto decoded = decodeImage(encodeImage(*c));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->TactTable[4][0].kind, TactEmpty);
    EXPECT_TRUE(isProgramEmpty(*decoded, 4));
}

}  // namespace
}  // namespace livra
