// Compiles a configuration into the ten controller memory parts.
#include <vector>

#include "image/image.h"
#include "image/image_codes.h"

namespace livra {
namespace {

using namespace image;

Bytes& part(ImageFiles& image, int number) { return image[std::size_t(number - 1)]; }

void putLe16(Bytes& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putLe32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

int countedDirections(const Configuration& c) {
    int n = 0;
    for (uint8_t kind : c.DirectionKind)
        if (isUsedDirection(kind)) ++n;
    return n;
}

// Channel in slot 2 of the last direction of a kind, 0 when there is none.
uint8_t callInputChannel(const Configuration& c, uint8_t kind) {
    uint8_t channel = 0;
    for (int d = 0; d < DirectionCount; ++d)
        if (c.DirectionKind[d] == kind) channel = c.DirectionChannels[d][2];
    return channel;
}

bool programHasKind(const Configuration& c, int program, int32_t kind) {
    for (const auto& t : c.TactTable[program])
        if (t.kind == kind) return true;
    return false;
}

Bytes encodeCallTactUse(const Configuration& c) {
    uint8_t bits = 0;
    for (const auto& day : c.Calendar)
        for (const auto& e : day) {
            if (e.program < 1 || e.program > ProgramCount) continue;
            if (programHasKind(c, e.program - 1, TactTvp1)) bits |= 0x01;
            if (programHasKind(c, e.program - 1, TactTvp2)) bits |= 0x02;
        }
    return {bits};
}

Bytes encodeChannels(const Configuration& c) {
    std::array<uint8_t, 256> table{};
    for (int n = 1; n <= DirectionCount; ++n) {
        const auto& slots = c.DirectionChannels[n - 1];
        const int base = 4 * n;
        for (int s = 0; s < 3; ++s)
            if (slots[s]) table[base + s] = slots[s];
        // A tram lamp (slots 3..5) takes the place of the head's lamp.
        for (int s = 0; s < 3; ++s)
            if (slots[3 + s]) table[base + s] = slots[3 + s];
        if (c.DirectionKind[n - 1] == DirTram1 && slots[6]) table[base + 3] = slots[6];
    }
    return Bytes(table.begin() + 1, table.end());
}

Bytes encodeMonitoring(const Configuration& c) {
    Bytes out(64, 0);
    for (int d = 0; d < DirectionCount; ++d)
        for (int s = 0; s < 3; ++s) {
            if (c.DirectionControl[d][s] == ControlVoltage) out[d] |= uint8_t(1 << s);
            if (c.DirectionControl[d][s] == ControlCurrent) out[d] |= uint8_t(1 << (s + 4));
        }
    return out;
}

void encodeCalendar(const Configuration& c, Bytes& times, Bytes& programs) {
    times.clear();
    programs.clear();
    for (int day = 0; day < DayCount; ++day)
        for (const auto& e : c.Calendar[day]) {
            if (e.minute >= 100 || e.hour >= 100) continue;
            putLe16(times, uint16_t(1440 * (day + 1) + 60 * e.hour + e.minute));
            programs.push_back(e.program);
        }
    times.resize(2 * DayCount * AlarmCount, 0);
    programs.resize(DayCount * AlarmCount, 0);
}

// One record per tact up to the program's last, for every program.
void encodePrograms(const Configuration& c, int directions, Bytes& records, Bytes& offsets) {
    records.clear();
    offsets.clear();
    std::vector<uint8_t> codes(std::size_t(directions), 0);
    for (int p = 0; p < ProgramCount; ++p) {
        putLe32(offsets, uint32_t(records.size()));
        const auto& tacts = c.TactTable[p];
        for (int t = 0; t < TactCount; ++t) {
            const Tact& tact = tacts[t];
            // A kind outside the code table (only from a damaged project) ends
            // the program like an empty tact rather than posing as one.
            const bool empty = tactKindCode(tact.kind) == KindCodeEmpty;
            const bool last = empty || t == TactCount - 1 || tactKindCode(tacts[t + 1].kind) == KindCodeEmpty;
            const std::size_t start = records.size();
            records.push_back(uint8_t(tactKindCode(tact.kind) | (last ? KindCodeLast : 0)));
            // An empty tact may keep times typed into it; sent with them, the
            // controller (and the decoder) would take it for a closing
            // intermediate tact, whose code is the same.
            records.push_back(empty ? 0 : uint8_t(tact.tMin));
            records.push_back(empty ? 0 : uint8_t(tact.tMain));
            for (int d = 0; d < directions; ++d) {
                codes[d] = outputCode(c.DirectionKind[d], c.TactSignals[p][t][d]);
                if (c.DirectionKind[d] == DirTram3 && d >= 2) applyTramGroupRule(codes[d - 2], codes[d - 1], codes[d]);
            }
            records.insert(records.end(), codes.begin(), codes.end());
            uint8_t sum = 0;
            for (std::size_t i = start; i < records.size(); ++i) sum = uint8_t(sum + records[i]);
            records.push_back(uint8_t(~sum));
            if (last) break;
        }
    }
}

}  // namespace

ImageFiles encodeImage(const Configuration& c) {
    ImageFiles image;

    // Records carry one byte per counted direction, which the editors keep
    // packed from index 0. With none counted there are no direction bytes.
    const int directions = countedDirections(c);
    part(image, PartDirectionCount) = {uint8_t(directions)};

    part(image, PartCallInputs) = {callInputChannel(c, DirTvp1), callInputChannel(c, DirTvp2),
                                   uint8_t(parseDelay(c.Tvp1Delay)), uint8_t(parseDelay(c.Tvp2Delay))};
    part(image, PartCallTactUse) = encodeCallTactUse(c);
    part(image, PartChannels) = encodeChannels(c);
    part(image, PartMonitoring) = encodeMonitoring(c);
    encodeCalendar(c, part(image, PartCalendarTimes), part(image, PartCalendarPrograms));
    encodePrograms(c, directions, part(image, PartPrograms), part(image, PartProgramOffsets));

    Bytes& header = part(image, PartHeader);
    putLe32(header, uint32_t(part(image, PartPrograms).size()));
    header.push_back(c.ChannelCount);
    header.insert(header.end(), c.DirectionKind.begin(), c.DirectionKind.end());
    header.push_back(c.ChannelCount);
    return image;
}

}  // namespace livra
