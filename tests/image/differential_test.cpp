// Runs `livra check` and `livra compile --no-check` over many configurations
// and holds their verdicts and the ten part files, byte for byte, against the
// independent implementation in tests/oracle. The configurations are made by
// a seeded generator: valid ones built the way the editors build them, broken
// ones that trip every rule of the check, and scrambled ones that only the
// image has to survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "check/image_limits.h"
#include "model/project_file.h"
#include "oracle/image_oracle.h"
#include "support/test_support.h"

namespace livra {
namespace {

// The line the image-limits check leaves, empty when it passes.
std::string limits(const Configuration& c) {
    VectorErrorList list;
    return checkImageLimits(c, list) ? list.lines.at(0) : std::string();
}

using test::addAlarm;
using test::addDirection;
using test::runLivra;

// The names of the ten part files, in part order.
const std::array<const char*, 10> kPartFiles = {
    "decod_Ee_nprog.snt",  "decod_Erkanal.snt",        "decod_Ee_obcolnap.snt", "decod_Ertvp.snt",
    "decod_Ersosttvp.snt", "decod_Eemaskonf.snt",      "decod_Ee_napavima.snt", "decod_programmosn.snt",
    "decod_Ee_bud.snt",    "decod_Ee_nacprogppz.snt",
};

// A small generator of our own, so the cases are the same with every
// standard library.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint32_t next() {
        s_ += 0x9E3779B97F4A7C15ull;
        uint64_t z = s_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return uint32_t((z ^ (z >> 31)) >> 16);
    }
    int range(int lo, int hi) { return lo + int(next() % uint32_t(hi - lo + 1)); }
    bool chance(int percent) { return range(0, 99) < percent; }
    template <typename T>
    T pick(std::initializer_list<T> items) {
        return *(items.begin() + range(0, int(items.size()) - 1));
    }

private:
    uint64_t s_;
};

// ---------------------------------------------------------------------------
// Valid configurations, as the editors leave them.

struct Shape {
    bool tvp1Tacts = false;
    bool tvp2Tacts = false;
};

uint8_t signalFor(Rng& rng, const Configuration& c, int d, int32_t tactKind) {
    switch (c.DirectionKind[d]) {
        case DirVehicle:
            if (c.DirectionChannels[d][1] == 0) return rng.pick<uint8_t>({1, 3, 5, 7});
            return uint8_t(rng.range(1, 7));
        case DirPedestrian: return rng.chance(90) ? rng.pick<uint8_t>({1, 3, 5, 7}) : uint8_t(rng.range(1, 7));
        case DirExtraRed: return rng.pick<uint8_t>({1, 7});
        case DirExtraYellow: return rng.pick<uint8_t>({2, 4, 7});
        case DirExtraGreen: return rng.pick<uint8_t>({3, 5, 7});
        case DirTram1:
        case DirTram2:
        case DirTram3: return rng.chance(90) ? rng.pick<uint8_t>({1, 3}) : uint8_t(rng.range(1, 7));
        case DirTvp1: return tactKind == TactTvp1 ? rng.pick<uint8_t>({1, 7}) : uint8_t(SignalNotApplicable);
        case DirTvp2: return tactKind == TactTvp2 ? rng.pick<uint8_t>({1, 7}) : uint8_t(SignalNotApplicable);
        default: return 0;
    }
}

void setTact(Rng& rng, Configuration& c, int p, int t, int32_t kind) {
    Tact& tact = c.TactTable[p][t];
    tact.kind = kind;
    switch (kind) {
        case TactPhase:
            tact.tMain = rng.chance(15) ? rng.range(200, 255) : rng.range(1, 90);
            tact.tMin = rng.range(0, tact.tMain);
            break;
        case TactIntermediate: tact.tMain = rng.range(1, 9); break;
        default: tact.tMain = rng.chance(10) ? rng.range(250, 255) : rng.range(1, 60); break;
    }
    // A tact whose kind was changed keeps the minimum time it had.
    if (kind != TactPhase && rng.chance(10)) tact.tMin = rng.range(1, 400);
    for (int d = 0; d < DirectionCount; ++d)
        if (isUsedDirection(c.DirectionKind[d])) c.TactSignals[p][t][d] = signalFor(rng, c, d, kind);
}

// Phases with their intermediate tacts, and at most one group of each call
// tact kind; a call group is always followed by a phase, a call group or the end.
void fillProgram(Rng& rng, Configuration& c, int p, const Shape& shape, int maxTacts) {
    enum Seg { Phase, Tvp1, Tvp2 };
    std::vector<Seg> segs(std::size_t(rng.range(1, 6)), Phase);
    if (shape.tvp1Tacts) segs.insert(segs.begin() + rng.range(0, int(segs.size())), Tvp1);
    if (shape.tvp2Tacts) segs.insert(segs.begin() + rng.range(0, int(segs.size())), Tvp2);
    int t = 0;
    for (Seg s : segs) {
        const int count = s == Phase ? 1 + rng.range(0, 3) : rng.range(1, 3);
        for (int i = 0; i < count && t < maxTacts; ++i, ++t) {
            const int32_t kind = s == Tvp1 ? TactTvp1 : s == Tvp2 ? TactTvp2 : i == 0 ? TactPhase : TactIntermediate;
            setTact(rng, c, p, t, kind);
        }
    }
    // What an earlier, longer program left behind its end.
    if (rng.chance(25))
        for (int i = 0, u = t + 1 + rng.range(0, 3); i < 3 && u < TactCount; ++i, ++u) {
            c.TactTable[p][u].tMain = rng.range(1, 300);
            c.TactTable[p][u].tMin = rng.range(0, 300);
            for (int d = 0; d < DirectionCount; ++d)
                c.TactSignals[p][u][d] = rng.chance(90) ? rng.pick<uint8_t>({0, 1, 3, 5, 7}) : uint8_t(rng.range(0, 7));
        }
    if (t < TactCount && rng.chance(20)) {
        c.TactTable[p][t].tMain = rng.range(1, 300);
        c.TactTable[p][t].tMin = rng.range(0, 300);
    }
    recomputeDerivedTactFields(c, p);
}

std::unique_ptr<Configuration> validConfiguration(Rng& rng) {
    auto c = test::newConfiguration();
    c->ChannelCount = rng.pick<uint8_t>({8, 16, 24, 32, 40, 48, 56, 64});
    const int capacity = std::min<int>(c->ChannelCount, 62);
    int used = 0;
    int d = 0;
    bool tvp1Dir = false, tvp2Dir = false;
    const int wanted = rng.range(1, 20);
    for (int n = 0; n < wanted && d < DirectionCount; ++n) {
        uint8_t kind = n == 0 ? rng.pick<uint8_t>({1, 1, 2, 4, 7}) : rng.pick<uint8_t>({1, 1, 2, 2, 4, 5, 6, 7, 12, 13});
        if (kind == DirTram1 && d > 60) kind = DirPedestrian;
        if ((kind == DirTvp1 && tvp1Dir && rng.chance(80)) || (kind == DirTvp2 && tvp2Dir && rng.chance(80)))
            kind = DirVehicle;
        const int need = kind == DirVehicle ? 3 : kind == DirPedestrian ? 2 : kind == DirTram1 ? 4 : 1;
        if (used + need > capacity) break;
        addDirection(*c, d, kind);
        used += need;
        tvp1Dir |= kind == DirTvp1;
        tvp2Dir |= kind == DirTvp2;
        d += kind == DirTram1 ? 3 : 1;
    }
    // Vehicles whose yellow lamp is not wired, and monitoring chosen by hand.
    for (int i = 0; i < d; ++i) {
        if (c->DirectionKind[i] == DirVehicle && rng.chance(15)) c->DirectionChannels[i][1] = 0;
        if (rng.chance(20) && isNormalDirection(c->DirectionKind[i]) && c->DirectionKind[i] < DirTram1)
            for (int s = 0; s < 3; ++s) c->DirectionControl[i][s] = uint8_t(rng.range(0, 2));
    }
    rebuildFreeChannels(*c);

    Shape shape;
    shape.tvp1Tacts = rng.chance(35);
    shape.tvp2Tacts = rng.chance(25);
    std::vector<int> filled;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        if (p != FirstUserProgram && !rng.chance(30)) continue;
        fillProgram(rng, *c, p, shape, rng.chance(3) ? TactCount : 40);
        filled.push_back(p);
    }
    // The fixed programs, as the tact table generates them from the directions.
    for (int p = 0; p < FirstUserProgram; ++p) {
        if (!rng.chance(50)) continue;
        c->TactTable[p][0] = Tact{TactPhase, 0, 1, 0, 0};
        const uint8_t look = p == 0 ? SignalRed : p == 1 ? SignalFlashingYellow : SignalOff;
        for (int i = 0; i < DirectionCount; ++i)
            if (isUsedDirection(c->DirectionKind[i]))
                c->TactSignals[p][0][i] = isCallInputDirection(c->DirectionKind[i]) ? uint8_t(SignalNotApplicable) : look;
        recomputeDerivedTactFields(*c, p);
        filled.push_back(p);
    }
    const int alarms = rng.range(1, 30);
    for (int i = 0; i < alarms; ++i) {
        const int day = rng.range(0, 6);
        const int p = filled[std::size_t(rng.range(0, int(filled.size()) - 1))];
        if (std::none_of(c->Calendar[day].begin(), c->Calendar[day].end(), [](auto& e) { return e.empty(); }))
            continue;
        addAlarm(*c, day, rng.range(0, 23), rng.range(0, 59), p + 1);
    }
    if (rng.chance(10)) {  // an alarm left in a later slot of its day
        auto& day = c->Calendar[rng.range(0, 6)];
        std::swap(day[0], day[std::size_t(rng.range(1, 23))]);
    }
    const auto delay = [&rng]() -> std::string {
        switch (rng.range(0, 9)) {
            case 0: return rng.pick<std::string>({" 12", "+7", "07", "5 сек", "", "абв"});
            case 1: return rng.pick<std::string>({"-5", "-300", "255", "0"});
            default: return std::to_string(rng.range(0, 255));
        }
    };
    c->Tvp1Delay = delay();
    c->Tvp2Delay = delay();
    return c;
}

// ---------------------------------------------------------------------------
// Broken configurations: a valid one with one rule (sometimes several) broken.

int lastTact(const Configuration& c, int p) {
    int t = 0;
    while (t + 1 < TactCount && c.TactTable[p][t + 1].kind != TactEmpty) ++t;
    return t;
}

int someFilledProgram(Rng& rng, const Configuration& c) {
    std::vector<int> filled;
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        if (!isProgramEmpty(c, p)) filled.push_back(p);
    if (filled.empty()) return FirstUserProgram;
    return filled[std::size_t(rng.range(0, int(filled.size()) - 1))];
}

int someUsedDirection(Rng& rng, const Configuration& c) {
    std::vector<int> used;
    for (int d = 0; d < DirectionCount; ++d)
        if (isUsedDirection(c.DirectionKind[d])) used.push_back(d);
    if (used.empty()) return 0;
    return used[std::size_t(rng.range(0, int(used.size()) - 1))];
}

// Gives every other filled user program a call tact of this kind, so that
// the rule for call tacts missing from a program does not speak first.
void callKindEverywhere(Rng& rng, Configuration& c, int32_t kind, int except) {
    for (int q = FirstUserProgram; q < ProgramCount; ++q) {
        if (q == except || isProgramEmpty(c, q)) continue;
        bool has = false;
        for (const Tact& t : c.TactTable[q]) has |= t.kind == kind;
        const int t = lastTact(c, q) + 1;
        if (!has && t < TactCount) setTact(rng, c, q, t, kind);
    }
}

// `variant` picks among the ways of breaking a rule, so that each of them
// is reached however the random numbers fall.
void breakRule(Rng& rng, Configuration& c, int rule, int variant) {
    const int p = someFilledProgram(rng, c);
    const int last = lastTact(c, p);
    switch (rule) {
        case 1:
            c.TactTable[p][0].kind = rng.pick<int32_t>({2, 2, 5, 9, -1, 1000});
            break;
        case 2: {
            // A time no dialog takes, a tact of no known kind, a gap, or a
            // tact standing alone after the end.
            int phase = 0;
            while (phase < last && c.TactTable[p][phase].kind != TactPhase) ++phase;
            if (variant % 5 == 0)
                c.TactTable[p][rng.range(0, last)].tMain = rng.pick<int32_t>({0, 256, 300, -1, 65536 + 10});
            else if (variant % 5 == 1 && c.TactTable[p][phase].kind == TactPhase)
                c.TactTable[p][phase].tMin = rng.pick<int32_t>({256, 300, 65536 + 10});
            else if (variant % 5 == 2)
                c.TactTable[p][rng.range(0, last)].kind = rng.pick<int32_t>({5, -1, 77});
            else if (last >= 1 && variant % 5 == 3)
                c.TactTable[p][rng.range(0, last - 1)].kind = 0;
            else if (last + 7 < TactCount)
                setTact(rng, c, p, last + 2 + rng.range(0, 5), rng.pick<int32_t>({1, 2, 3, 7}));
            break;
        }
        case 3: {
            const int d = someUsedDirection(rng, c);
            c.TactSignals[p][rng.range(0, last)][d] = 0;
            if (rng.chance(30)) c.TactSignals[someFilledProgram(rng, c)][0][someUsedDirection(rng, c)] = 0;
            break;
        }
        case 4: {
            // A call input or a gap at the head of the direction list.
            if (rng.chance(50)) {
                c.DirectionKind[0] = rng.pick<uint8_t>({0, 12, 13, 3, 10, 200});
            } else {
                // A hole at the head, or further down the list.
                const int hole = rng.chance(50) ? 0 : rng.range(1, 5);
                for (int d = DirectionCount - 1; d > hole; --d) {
                    c.DirectionKind[d] = c.DirectionKind[d - 1];
                    c.DirectionChannels[d] = c.DirectionChannels[d - 1];
                    c.DirectionControl[d] = c.DirectionControl[d - 1];
                    for (auto& program : c.TactSignals)
                        for (auto& row : program) row[std::size_t(d)] = row[std::size_t(d - 1)];
                }
                c.DirectionKind[hole] = rng.pick<uint8_t>({0, 0, 10, 11, 14});
                c.DirectionChannels[hole] = {};
                c.DirectionControl[hole] = {};
            }
            break;
        }
        case 5: {
            // A call input without its channel, as the last finding.
            if (rng.chance(50)) {
                for (int d = DirectionCount - 1; d >= 0; --d)
                    if (isCallInputDirection(c.DirectionKind[d])) {
                        c.DirectionChannels[d][2] = 0;
                        return;
                    }
            }
            const int findings = rng.range(1, 3);
            for (int i = 0; i < findings; ++i) {
                const int d = someUsedDirection(rng, c);
                const uint8_t kind = c.DirectionKind[d];
                if (kind == DirVehicle && rng.chance(50)) {
                    c.DirectionChannels[d][1] = 0;
                    const int q = someFilledProgram(rng, c);
                    c.TactSignals[q][rng.range(0, lastTact(c, q))][d] = rng.pick<uint8_t>({2, 4, 6});
                    if (rng.chance(30)) c.TactSignals[q][TactCount - 1][d] = 2;  // even in an unused tact
                } else {
                    int slot = 0;
                    switch (kind) {
                        case DirVehicle:
                        case DirPedestrian: slot = rng.pick<int>({0, 2}); break;
                        case DirExtraYellow: slot = 1; break;
                        case DirExtraGreen:
                        case DirTvp1:
                        case DirTvp2: slot = 2; break;
                        case DirTram1: slot = rng.pick<int>({3, 6}); break;
                        case DirTram2: slot = rng.pick<int>({4, 6}); break;
                        case DirTram3: slot = rng.pick<int>({5, 6}); break;
                        default: break;
                    }
                    c.DirectionChannels[d][std::size_t(slot)] = 0;
                }
            }
            break;
        }
        case 6: {
            // Call tacts in one program only.
            const int q = someFilledProgram(rng, c);
            const int t = lastTact(c, q) + 1;
            if (t < TactCount) setTact(rng, c, q, t, rng.pick<int32_t>({TactTvp1, TactTvp2}));
            bool another = false;
            for (int r = FirstUserProgram; r < ProgramCount; ++r) another |= r != q && !isProgramEmpty(c, r);
            for (int r = FirstUserProgram; r < ProgramCount && !another; ++r)
                if (r != q) {
                    setTact(rng, c, r, 0, TactPhase);
                    another = true;
                }
            break;
        }
        case 7: {
            const int t = rng.range(0, std::max(0, last - 1));
            const int32_t kind = rng.pick<int32_t>({TactTvp1, TactTvp2});
            c.TactTable[p][t].kind = kind;
            if (t + 1 < TactCount) setTact(rng, c, p, t + 1, TactIntermediate);
            callKindEverywhere(rng, c, kind, p);
            break;
        }
        case 8: {
            const int32_t kind = rng.pick<int32_t>({TactTvp1, TactTvp2});
            for (int t = 0; t <= last; ++t) c.TactTable[p][t].kind = kind;
            if (rng.chance(50) && last > 0) c.TactTable[p][0].kind = kind == TactTvp1 ? TactTvp2 : TactTvp1;
            for (int32_t k : {TactTvp1, TactTvp2})
                if (c.TactTable[p][0].kind == k || c.TactTable[p][last].kind == k) callKindEverywhere(rng, c, k, p);
            break;
        }
        case 9: {
            const int32_t kind = rng.pick<int32_t>({TactTvp1, TactTvp2});
            const int t = last + 1;
            if (t + 2 < TactCount) {
                setTact(rng, c, p, t, kind);
                setTact(rng, c, p, t + 1, TactPhase);
                setTact(rng, c, p, t + 2, kind);
            }
            callKindEverywhere(rng, c, kind, p);
            break;
        }
        case 10: {
            std::string& field = rng.chance(50) ? c.Tvp1Delay : c.Tvp2Delay;
            field = rng.pick<std::string>({"256", "300", "1000", " 999", "+256", "99999999999", "256 сек"});
            break;
        }
        case 11: {
            switch (variant % 3) {
                case 0:  // no alarm at all, perhaps junk that does not count
                    for (auto& day : c.Calendar)
                        for (auto& e : day) e = CalendarEntry{};
                    if (rng.chance(50)) c.Calendar[2][5] = CalendarEntry{10, 10, uint8_t(rng.range(101, 255))};
                    break;
                case 1: {  // an alarm to an empty program
                    for (int q = 0; q < ProgramCount; ++q)
                        if (isProgramEmpty(c, q)) {
                            c.Calendar[rng.range(0, 6)][std::size_t(rng.range(0, 23))] =
                                CalendarEntry{0, 7, uint8_t(q + 1)};
                            break;
                        }
                    break;
                }
                default:
                    if (rng.chance(60)) {  // a program byte that names no program
                        c.Calendar[rng.range(0, 6)][std::size_t(rng.range(0, 23))] =
                            CalendarEntry{uint8_t(rng.range(0, 59)), uint8_t(rng.range(0, 23)),
                                          rng.pick<uint8_t>({0, 17, 18, 50, 99, 100})};
                    } else {  // several bad alarms: the last one is told
                        c.Calendar[0][0] = CalendarEntry{0, 0, 0};
                        c.Calendar[6][23] = CalendarEntry{0, 0, 17};
                        c.Calendar[3][1] = CalendarEntry{0, 0, 100};
                    }
                    break;
            }
            break;
        }
        default: break;
    }
}

// ---------------------------------------------------------------------------
// Scrambled configurations: anything a damaged or hand-made file may hold.

std::unique_ptr<Configuration> scrambledConfiguration(Rng& rng) {
    auto c = test::newConfiguration();
    c->ChannelCount = uint8_t(rng.range(0, 255));
    const int directions = rng.range(0, 63);
    for (int d = 0; d < DirectionCount; ++d) {
        if (d < directions || rng.chance(10)) c->DirectionKind[d] = uint8_t(rng.chance(90) ? rng.range(0, 14) : rng.range(0, 255));
        for (int s = 0; s < SlotCount; ++s) {
            if (rng.chance(60)) c->DirectionChannels[d][std::size_t(s)] = uint8_t(rng.range(0, 255));
            if (rng.chance(40)) c->DirectionControl[d][std::size_t(s)] = uint8_t(rng.range(0, 3));
        }
    }
    for (int p = 0; p < ProgramCount; ++p) {
        if (rng.chance(30)) continue;
        const int tacts = rng.chance(5) ? TactCount : rng.range(1, 12);
        for (int t = 0; t < tacts; ++t) {
            Tact& tact = c->TactTable[p][t];
            tact.kind = rng.chance(85) ? rng.range(0, 4) : rng.pick<int32_t>({-1, 5, 6, 255, 256, -100000});
            tact.tMin = rng.chance(90) ? rng.range(0, 300) : rng.pick<int32_t>({-1, 256, 65537, -255});
            tact.tMain = rng.chance(90) ? rng.range(0, 300) : rng.pick<int32_t>({-1, 256, 65537, -255});
            for (int d = 0; d < DirectionCount; ++d)
                c->TactSignals[p][t][d] = uint8_t(rng.chance(95) ? rng.range(0, 9) : rng.range(0, 255));
        }
    }
    for (auto& day : c->Calendar)
        for (auto& e : day)
            if (rng.chance(20))
                e = CalendarEntry{uint8_t(rng.chance(80) ? rng.range(0, 59) : rng.range(0, 255)),
                                  uint8_t(rng.chance(80) ? rng.range(0, 23) : rng.range(0, 255)),
                                  uint8_t(rng.chance(80) ? rng.range(1, 16) : rng.range(0, 255))};
    c->Tvp1Delay = std::to_string(rng.range(-300, 600));
    c->Tvp2Delay = rng.pick<std::string>({"x", "", "-0", "12", "256", "4294967296"});
    return c;
}

// ---------------------------------------------------------------------------
// The comparison.

std::string describeDifference(const Bytes& expected, const Bytes& actual) {
    std::ostringstream out;
    out << "length " << actual.size() << " (oracle " << expected.size() << ")";
    const std::size_t n = std::min(expected.size(), actual.size());
    for (std::size_t i = 0; i < n; ++i)
        if (expected[i] != actual[i]) {
            out << ", first difference at byte " << i << ": 0x" << std::hex << int(actual[i]) << " (oracle 0x"
                << int(expected[i]) << ")" << std::dec;
            break;
        }
    return out.str();
}

class Differential {
public:
    // Which message kinds the oracle gave, so the run can prove it reached
    // every rule of the check.
    std::map<std::string, int> verdictKinds;
    int compared = 0;

    // Runs a few comparisons side by side: the program spends most of its
    // time waiting for its files to reach the disk.
    void compareBatch(const std::vector<std::pair<std::unique_ptr<Configuration>, std::string>>& batch) {
        std::vector<std::thread> workers;
        for (const auto& [c, name] : batch) workers.emplace_back([this, &c = *c, &name = name] { compare(c, name); });
        for (auto& w : workers) w.join();
    }

    void compare(const Configuration& c, const std::string& name) {
        SCOPED_TRACE(name);
        const auto project = dir_ / (name + ".ptm");
        test::writeBytes(project, serializeProject(c, {}));

        const std::string verdict = oracle::oracleVerdict(c);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++compared;
            ++verdictKinds[kindOf(verdict)];
        }
        const auto check = runLivra({"check", project.string()});
        EXPECT_TRUE(check.out == verdict + "\n") << "livra check:\n" << check.out << "oracle:\n" << verdict;
        EXPECT_EQ(check.exitCode, verdict == "Ошибок не обнаружено" ? 0 : 1) << check.err;

        const auto image = oracle::oracleImage(c);
        const auto out = dir_ / (name + ".image");
        const auto compile = runLivra({"compile", project.string(), "--no-check", "--out", out.string()});
        const std::size_t external = image[6].size() + image[7].size();
        std::size_t internal = 0;
        for (int i = 0; i < 10; ++i)
            if (i != 6 && i != 7) internal += image[std::size_t(i)].size();
        EXPECT_EQ(compile.out, "Программа скомпилирована успешно\nРазмер сгенерированного кода сост.:\n"
                               "Под внешнею EEPROM " + std::to_string(external) + " байт\n"
                               "Под внутреннею EEPROM " + std::to_string(internal) + " байт\n"
                               "Итого " + std::to_string(external + internal) + " байт\n");
        EXPECT_EQ(compile.exitCode, external > 100000 ? 1 : 0) << compile.err;
        for (int i = 0; i < 10; ++i) {
            const Bytes actual = test::readBytes(out / kPartFiles[std::size_t(i)]);
            const Bytes& expected = image[std::size_t(i)];
            EXPECT_TRUE(actual == expected) << "part " << i + 1 << " " << kPartFiles[std::size_t(i)] << ": "
                                            << describeDifference(expected, actual);
        }
        // Tidying only (the folder goes with the TempDir): on Windows a file
        // the finished program wrote may still be held for a moment.
        std::error_code ignored;
        std::filesystem::remove(project, ignored);
        std::filesystem::remove_all(out, ignored);
    }

private:
    static std::string kindOf(const std::string& verdict) {
        static const std::vector<std::pair<const char*, const char*>> kinds = {
            {"Цикл должен начинаться", "1 first tact"},
            {"Укажите вид такта", "2 gap"},
            {"Пустая ячейка", "3 empty cell"},
            {"Установите направление", "4 first direction"},
            {"Нет полного подключения", "5 outputs"},
            {"не присвоен номер канала", "5 call input channel"},
            {"отключен выход по желтому", "5 yellow"},
            {"нет такта 'ТВП", "6 call tacts in all programs"},
            {"запрещается установка такта 'Промтакт", "7 intermediate after call"},
            {"одни такты 'ТВП'", "8 call tacts only"},
            {"уже есть", "9 second group"},
            {"Задержка срабатывания", "10 delay"},
            {"ссылается на пустую программу", "11 calendar"},
            {"Пустой каледарь", "11 empty calendar"},
            {"Ошибок не обнаружено", "no errors"},
        };
        for (const auto& [needle, kind] : kinds)
            if (verdict.find(needle) != std::string::npos) return kind;
        return "other: " + verdict;
    }

    test::TempDir dir_;
    std::mutex mutex_;
};

TEST(Differential, GeneratedConfigurationsAgreeWithTheOracle) {
    Differential diff;
    // Another seed explores further (LIVRA_DIFFERENTIAL_SEED=n); the default
    // keeps every run the same.
    const char* seed = std::getenv("LIVRA_DIFFERENTIAL_SEED");
    Rng rng(seed ? std::strtoull(seed, nullptr, 10) : 20261208);
    std::vector<std::pair<std::unique_ptr<Configuration>, std::string>> batch;
    const auto queue = [&](std::unique_ptr<Configuration> c, std::string name) {
        batch.emplace_back(std::move(c), std::move(name));
        if (batch.size() == 8) diff.compareBatch(batch), batch.clear();
    };
    for (int i = 0; i < 120; ++i) queue(validConfiguration(rng), "valid" + std::to_string(i));
    for (int i = 0; i < 154; ++i) {
        auto c = validConfiguration(rng);
        const int rule = 1 + i % 11;
        breakRule(rng, *c, rule, i / 11);
        if (rng.chance(15)) breakRule(rng, *c, rng.range(1, 11), rng.range(0, 3));
        queue(std::move(c), "broken" + std::to_string(i) + "-rule" + std::to_string(rule));
    }
    for (int i = 0; i < 50; ++i) queue(scrambledConfiguration(rng), "scrambled" + std::to_string(i));
    diff.compareBatch(batch);

    // The generator must have reached every rule, and most valid cases must
    // really be valid, or the comparison proves little.
    for (const char* kind :
         {"1 first tact", "2 gap", "3 empty cell", "4 first direction", "5 outputs", "5 call input channel",
          "5 yellow", "6 call tacts in all programs", "7 intermediate after call", "8 call tacts only",
          "9 second group", "10 delay", "11 calendar", "11 empty calendar"})
        EXPECT_GE(diff.verdictKinds[kind], 2) << kind;
    EXPECT_GE(diff.verdictKinds["no errors"], 80);
    std::ostringstream seen;
    for (const auto& [kind, count] : diff.verdictKinds) seen << kind << ": " << count << "\n";
    RecordProperty("verdicts", seen.str());
    for (const auto& [kind, count] : diff.verdictKinds) EXPECT_NE(kind.rfind("other", 0), 0u) << kind;
    EXPECT_EQ(diff.compared, 324);
}

// Hand-picked cases at the edges, each compared with the oracle and, where a
// wrong byte would be easy to overlook, also checked against fixed bytes.
TEST(Differential, EdgeCasesAgreeWithTheOracle) {
    Differential diff;

    auto empty = test::newConfiguration();
    diff.compare(*empty, "empty");
    EXPECT_EQ(oracle::oracleVerdict(*empty), "Установите направление");

    // Every tact of a program in use; the last record is tact 321.
    auto longest = test::sampleConfiguration();
    for (int t = 3; t < TactCount; ++t) test::addTact(*longest, 3, t % 2 ? TactIntermediate : TactPhase, 7, 2);
    for (int t = 0; t < TactCount; ++t) test::addTact(*longest, 0, TactPhase, 255, 300);
    diff.compare(*longest, "longest");
    EXPECT_EQ(oracle::oracleVerdict(*longest), "Ошибок не обнаружено");

    // All 63 directions; the free channels run out, so the last ones are wired by hand.
    auto full = test::newConfiguration();
    for (int d = 0; d < DirectionCount; ++d) {
        addDirection(*full, d, d == 61 ? DirTvp1 : d == 62 ? DirTvp2 : DirPedestrian);
        for (int s : {0, 2})
            if (full->DirectionKind[d] == DirPedestrian && full->DirectionChannels[d][std::size_t(s)] == 0)
                full->DirectionChannels[d][std::size_t(s)] = uint8_t(1 + d % 64);
        if (full->DirectionChannels[d][2] == 0) full->DirectionChannels[d][2] = 64;
    }
    test::addTact(*full, 3, TactPhase, 30, 10, SignalGreen);
    test::addTact(*full, 3, TactTvp1, 10, 0, SignalRed);
    test::addTact(*full, 3, TactTvp2, 10, 0, SignalRed);
    addAlarm(*full, 6, 23, 59, 4);
    full->Tvp1Delay = "255";
    diff.compare(*full, "sixty-three");
    EXPECT_EQ(oracle::oracleVerdict(*full), "Ошибок не обнаружено");
    EXPECT_EQ(oracle::oracleImage(*full)[2], Bytes{63});

    // A tram at the last index that leaves room for its three entries.
    auto tram = test::sampleConfiguration();
    for (int d = 2; d < 60; ++d) tram->DirectionKind[d] = DirExtraRed, tram->DirectionChannels[d][0] = 1;
    addDirection(*tram, 60, DirTram1);
    for (int t = 0; t < 3; ++t)
        for (int d = 2; d < DirectionCount; ++d) tram->TactSignals[3][t][d] = t == 1 ? SignalGreen : SignalRed;
    tram->TactSignals[3][2][61] = SignalGreen;
    diff.compare(*tram, "tram-last");
    const auto tramImage = oracle::oracleImage(*tram);
    // Program 4, first tact: all three red → 01 02 04; third: only the middle one green → 48 02 40.
    const std::size_t program4 = tramImage[9][12];
    const std::size_t record = 63 + 4;
    EXPECT_EQ(Bytes(tramImage[7].begin() + long(program4 + 3 + 60), tramImage[7].begin() + long(program4 + 3 + 63)),
              (Bytes{0x01, 0x02, 0x04}));
    EXPECT_EQ(Bytes(tramImage[7].begin() + long(program4 + 2 * record + 3 + 60),
                    tramImage[7].begin() + long(program4 + 2 * record + 3 + 63)),
              (Bytes{0x48, 0x02, 0x40}));

    // No counted direction: the records carry the kind, the two times and the check byte only.
    auto none = test::newConfiguration();
    none->TactTable[3][0] = Tact{TactPhase, 5, 20, 0, 0};
    none->TactTable[3][1] = Tact{TactIntermediate, 0, 3, 0, 0};
    none->DirectionKind[5] = 10;
    diff.compare(*none, "no-directions");
    const auto noneImage = oracle::oracleImage(*none);
    EXPECT_EQ(noneImage[2], Bytes{0});
    EXPECT_EQ(noneImage[7].size(), 15u * 4 + 2 * 4);
    EXPECT_EQ(Bytes(noneImage[7].begin() + 12, noneImage[7].begin() + 20),
              (Bytes{0x01, 5, 20, uint8_t(~(0x01 + 5 + 20)), 0x12, 0, 3, uint8_t(~(0x12 + 3))}));

    // An empty tact keeps the times it had before it was cleared; the image
    // must not carry them, or reading it back would make a tact of it.
    auto leftover = test::sampleConfiguration();
    leftover->TactTable[3][3].tMin = 9;
    leftover->TactTable[3][3].tMain = 40;
    leftover->TactTable[4][0] = Tact{TactEmpty, 3, 17, 0, 0};
    diff.compare(*leftover, "leftover-times");
    const auto leftoverImage = oracle::oracleImage(*leftover);
    EXPECT_EQ(leftoverImage[7][std::size_t(leftoverImage[9][16]) + 0], 0x12);
    EXPECT_EQ(leftoverImage[7][std::size_t(leftoverImage[9][16]) + 1], 0);
    EXPECT_EQ(leftoverImage[7][std::size_t(leftoverImage[9][16]) + 2], 0);

    // Alarms naming no program at all are as wrong as alarms to empty programs.
    for (uint8_t programByte : {0, 17, 64, 100}) {
        auto alarm = test::sampleConfiguration();
        alarm->Calendar[4][2] = CalendarEntry{15, 8, programByte};
        diff.compare(*alarm, "alarm-" + std::to_string(programByte));
        EXPECT_EQ(oracle::oracleVerdict(*alarm),
                  "Запись в календаре ссылается на пустую программу №" + std::to_string(programByte));
    }
    // 101 and above are not alarms: the valid one still counts.
    auto junk = test::sampleConfiguration();
    junk->Calendar[4][2] = CalendarEntry{15, 8, 101};
    diff.compare(*junk, "alarm-101");
    EXPECT_EQ(oracle::oracleVerdict(*junk), "Ошибок не обнаружено");

    // A negative delay means no delay; above 255 only the check stops it.
    auto delays = test::sampleConfiguration();
    delays->Tvp1Delay = "-5";
    delays->Tvp2Delay = "300";
    diff.compare(*delays, "delays");
    EXPECT_EQ(oracle::oracleImage(*delays)[3], (Bytes{0, 0, 0, 300 - 256}));

    // A tact kind the image has no code for ends the program there, so the
    // check refuses it rather than let a shorter program reach the controller.
    for (int32_t kind : {5, -1, 1000}) {
        auto odd = test::sampleConfiguration();
        odd->TactTable[3][2].kind = kind;
        diff.compare(*odd, "tact-kind-" + std::to_string(kind));
        const auto oddImage = oracle::oracleImage(*odd);
        const std::size_t start = oddImage[9][12];
        const std::size_t size = 2 + 4;
        EXPECT_EQ(oddImage[7][start], 0x01);
        EXPECT_EQ(oddImage[7][start + size], 0x10 | 0x02);  // the intermediate tact before it is the last
        EXPECT_EQ(oddImage[9][16], start + 2 * size);
        EXPECT_EQ(oracle::oracleVerdict(*odd), "Ошибок не обнаружено");
        EXPECT_EQ(limits(*odd), "( Программа № 4   Такт №3 ) - Укажите вид такта");
    }

    // Main times no dialog takes: the image holds their low byte only.
    for (int32_t tMain : {300, 256, 0, -1}) {
        auto times = test::sampleConfiguration();
        times->TactTable[3][1].tMain = tMain;
        diff.compare(*times, "main-time-" + std::to_string(tMain));
        EXPECT_EQ(oracle::oracleVerdict(*times), "Ошибок не обнаружено");
        EXPECT_EQ(limits(*times), tMain > 255 ? "( Программа № 4   Такт №2 ) - Т осн. не может превышать 255 сек"
                                              : "( Программа № 4   Такт №2 ) - Т осн. не может быть 0 сек");
        EXPECT_EQ(oracle::oracleImage(*times)[7][3 * 6 + 6 + 2], uint8_t(tMain & 0xFF));
    }

    auto minimum = test::sampleConfiguration();
    minimum->TactTable[3][2].tMin = 300;
    diff.compare(*minimum, "minimum-time-300");
    EXPECT_EQ(oracle::oracleVerdict(*minimum), "Ошибок не обнаружено");
    EXPECT_EQ(limits(*minimum), "( Программа № 4   Такт №3 ) - Т мин. не может превышать 255 сек");

    // A hole in the direction list: the image carries two direction bytes, for
    // rows 1 and 2, so the pedestrian in row 3 would not reach the controller.
    auto hole = test::sampleConfiguration();
    for (auto& program : hole->TactSignals)
        for (auto& row : program) row[2] = row[1], row[1] = 0;
    hole->DirectionKind[2] = DirPedestrian;
    hole->DirectionChannels[2] = hole->DirectionChannels[1];
    hole->DirectionKind[1] = DirEmpty;
    hole->DirectionChannels[1] = {};
    diff.compare(*hole, "hole");
    EXPECT_EQ(oracle::oracleVerdict(*hole), "Ошибок не обнаружено");
    EXPECT_EQ(limits(*hole), "( Направление №2 ) - Установите направление");
    EXPECT_EQ(oracle::oracleImage(*hole)[2], Bytes{2});

    // Tram members out of place in a damaged file.
    auto stray = test::sampleConfiguration();
    stray->DirectionKind[0] = DirTram3;
    stray->DirectionKind[1] = DirTram3;
    diff.compare(*stray, "stray-tram");

    // A second call group in the very last tact is past the scan of the group rule.
    auto lastGroup = test::sampleConfiguration();
    for (int t = 3; t < TactCount; ++t)
        test::addTact(*lastGroup, 3, t == 5 || t == 320 ? TactTvp1 : TactPhase, 4, 1);
    diff.compare(*lastGroup, "group-in-last-tact");
    lastGroup->TactTable[3][319].kind = TactTvp1;
    lastGroup->TactTable[3][318].kind = TactIntermediate;
    diff.compare(*lastGroup, "group-before-last-tact");

    // The external memory limit: 69 header bytes and 2700 records of 37 bytes
    // (33 directions) fit; one more record is too many. (No image fills it to
    // the byte: 99931 bytes of records would need records of 13 bytes.)
    for (int extra : {0, 1}) {
        auto big = test::newConfiguration();
        for (int d = 0; d < 33; ++d) {
            big->DirectionKind[d] = DirPedestrian;
            big->DirectionChannels[d][0] = uint8_t(1 + d);
            big->DirectionChannels[d][2] = uint8_t(34 + d % 30);
        }
        for (int p = 0; p < 9; ++p) {
            const int tacts = p < 8 ? TactCount : 125 + extra;
            for (int t = 0; t < tacts; ++t) {
                big->TactTable[p][t] = Tact{1 + t % 2, 3, 10 + t % 200, 0, 0};
                for (int d = 0; d < 33; ++d) big->TactSignals[p][t][d] = uint8_t(1 + (t + d) % 7);
            }
        }
        addAlarm(*big, 1, 6, 30, 4);
        diff.compare(*big, "limit+" + std::to_string(extra));
        const auto bigImage = oracle::oracleImage(*big);
        EXPECT_EQ(bigImage[6].size() + bigImage[7].size(), 99969u + 37u * unsigned(extra));
    }
    diff.compare(*test::fullConfiguration(), "full");

    EXPECT_EQ(diff.compared, 27);
}

}  // namespace
}  // namespace livra
