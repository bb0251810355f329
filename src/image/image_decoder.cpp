// Turns the ten part files back into a configuration. The parts come from a
// controller over a cable, so every size, count and code is checked before
// it is used; an image that does not fit is refused as a whole.
#include <span>

#include "image/image.h"
#include "image/image_codes.h"

namespace livra {
namespace {

using namespace image;

std::span<const uint8_t> part(const ImageFiles& image, int number) { return image[std::size_t(number - 1)]; }

bool knownDirectionKind(uint8_t kind) { return kind == DirEmpty || (isUsedDirection(kind) && kind != 3); }

bool validChannelCount(uint8_t n) { return n >= 8 && n <= 64 && n % 8 == 0; }

// Kinds from part 7; a tram must stand as its three members in order.
bool readDirectionKinds(std::span<const uint8_t> header, Configuration& c) {
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t kind = header[5 + d];
        if (!knownDirectionKind(kind)) return false;
        c.DirectionKind[d] = kind;
    }
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t kind = c.DirectionKind[d];
        const bool wellPlaced = kind == DirTram1   ? d + 2 < DirectionCount && c.DirectionKind[d + 1] == DirTram2
                                : kind == DirTram2 ? d >= 1 && c.DirectionKind[d - 1] == DirTram1 &&
                                                         d + 1 < DirectionCount && c.DirectionKind[d + 1] == DirTram3
                                : kind == DirTram3 ? d >= 2 && c.DirectionKind[d - 1] == DirTram2
                                                   : true;
        if (!wellPlaced) return false;
    }
    return true;
}

void readChannels(std::span<const uint8_t> table, uint8_t tvp1Channel, uint8_t tvp2Channel, Configuration& c) {
    for (int i = 4; i <= 255; ++i) {
        const int n = i / 4;
        const int o = i % 4;
        const uint8_t entry = table[std::size_t(i - 1)];
        auto& slots = c.DirectionChannels[n - 1];
        switch (c.DirectionKind[n - 1]) {
            case DirVehicle:
            case DirPedestrian:
            case DirExtraRed:
            case DirExtraYellow:
            case DirExtraGreen:
                // The fourth entry of a head is never written; keep slot 3 clear.
                if (o < 3) slots[o] = entry;
                break;
            case DirTvp1: slots[2] = tvp1Channel; break;
            case DirTvp2: slots[2] = tvp2Channel; break;
            case DirTram1:
            case DirTram2:
            case DirTram3:
                slots[3 + o] = entry;
                // The common lamp is stored once, with the first member.
                if (c.DirectionKind[n - 1] == DirTram3 && o == 3)
                    c.DirectionChannels[n - 2][6] = c.DirectionChannels[n - 1][6] = c.DirectionChannels[n - 3][6];
                break;
            default: break;
        }
    }
}

void readMonitoring(std::span<const uint8_t> masks, Configuration& c) {
    for (int d = 0; d < DirectionCount; ++d)
        for (int s = 0; s < 3; ++s) {
            if (masks[d] & (1 << s)) c.DirectionControl[d][s] = ControlVoltage;
            if (masks[d] & (1 << (s + 4))) c.DirectionControl[d][s] = ControlCurrent;
        }
}

bool readCalendar(std::span<const uint8_t> times, std::span<const uint8_t> programs, Configuration& c) {
    int previousDay = 0;
    int counter = 0;
    for (int i = 0; i < DayCount * AlarmCount; ++i) {
        const int v = int16_t(uint16_t(times[2 * i] | times[2 * i + 1] << 8));
        if (v == 0) continue;  // filler after the last alarm
        const int day = v / 1440;
        const int rest = v % 1440;
        // Alarms come day by day from Monday; anything else is not an alarm
        // word, and a day seen twice would overwrite its first entries.
        if (v < 0 || day < 1 || day > DayCount || day < previousDay) return false;
        const uint8_t program = programs[std::size_t(i)];
        if (program < 1 || program > ProgramCount) return false;
        if (day != previousDay) counter = 0;
        previousDay = day;
        if (counter >= AlarmCount) continue;
        c.Calendar[day - 1][counter++] = CalendarEntry{uint8_t(rest % 60), uint8_t(rest / 60), program};
    }
    return true;
}

// Stores the signals of one record. Tram members wait for their third.
void storeSignals(std::span<const uint8_t> codes, int program, int tact, Configuration& c) {
    auto& row = c.TactSignals[program][tact];
    for (std::size_t d = 0; d < codes.size(); ++d) {
        const uint8_t code = codes[d];
        switch (c.DirectionKind[d]) {
            case DirVehicle:
            case DirPedestrian:
            case DirExtraRed:
            case DirExtraYellow:
            case DirExtraGreen: row[d] = signalFromHeadCode(code); break;
            case DirTvp1:
            case DirTvp2: row[d] = code == OutGreen ? SignalRed : SignalOff; break;
            case DirTram3: {
                // Members are in place (checked with the kinds), so d >= 2.
                const auto s = tramSignalsFromNibble(uint8_t((codes[d - 2] | codes[d - 1] | code) & 0x0F));
                row[d - 2] = s.first, row[d - 1] = s.second, row[d] = s.third;
                break;
            }
            default: break;
        }
    }
}

bool readPrograms(std::span<const uint8_t> records, int directions, Configuration& c) {
    const std::size_t length = std::size_t(directions) + 4;
    std::size_t at = 0;
    for (int p = 0; p < ProgramCount; ++p) {
        for (int t = 0; t < TactCount; ++t) {
            if (records.size() - at < length) return false;
            const auto record = records.subspan(at, length);
            at += length;
            const uint8_t code = record[0];
            int32_t kind = tactKindFromCode(code);
            if (kind < 0 || (code & 0xE0) != 0) return false;
            const uint8_t tMin = record[1];
            const uint8_t tMain = record[2];
            storeSignals(record.subspan(3, std::size_t(directions)), p, t, c);
            if (tMain == 0) {
                kind = TactEmpty;
                for (int d = 0; d < directions; ++d)
                    if (isNormalDirection(c.DirectionKind[d])) c.TactSignals[p][t][d] = SignalNotSet;
            }
            c.TactTable[p][t] = Tact{kind, tMin, tMain, 0, 0};
            if (code & KindCodeLast) break;
        }
    }
    return true;
}

// FreeChannels as the editors keep it, without disconnecting any slot.
void fillFreeChannels(Configuration& c) {
    const auto channels = c.DirectionChannels;
    rebuildFreeChannels(c);
    c.DirectionChannels = channels;
}

}  // namespace

std::unique_ptr<Configuration> decodeImage(const ImageFiles& image) {
    for (const auto& p : imageParts())
        if (p.size >= 0 && image[std::size_t(p.number - 1)].size() != std::size_t(p.size)) return nullptr;

    auto c = std::make_unique<Configuration>();
    resetConfiguration(*c);
    c->ChannelCount = 64;

    // 1. Call inputs: channels for step 3, delays.
    const auto callInputs = part(image, PartCallInputs);
    c->Tvp1Delay = std::to_string(callInputs[2]);
    c->Tvp2Delay = std::to_string(callInputs[3]);

    // 2. Header: channel count and direction kinds.
    const auto header = part(image, PartHeader);
    if (!validChannelCount(header[4]) || !validChannelCount(header[68])) return nullptr;
    c->ChannelCount = header[68];
    if (!readDirectionKinds(header, *c)) return nullptr;

    // 3, 4. Channels and monitoring.
    readChannels(part(image, PartChannels), callInputs[0], callInputs[1], *c);
    readMonitoring(part(image, PartMonitoring), *c);

    // 5. Calendar.
    if (!readCalendar(part(image, PartCalendarTimes), part(image, PartCalendarPrograms), *c)) return nullptr;

    // 6, 7. Direction count and the tact records.
    const int directions = part(image, PartDirectionCount)[0];
    if (directions > DirectionCount) return nullptr;
    if (!readPrograms(part(image, PartPrograms), directions, *c)) return nullptr;

    // Records only ever carry the four known tact kinds (others are refused
    // above), so the editors' marking is exactly what an image means.
    settleTables(*c);
    fillFreeChannels(*c);
    return c;
}

}  // namespace livra
