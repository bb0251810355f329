#include "model/configuration.h"

#include <algorithm>
#include <climits>
#include <functional>

namespace livra {

Configuration::Configuration() {
    for (auto& day : Calendar) day.fill(CalendarEntry{});
}

bool Configuration::sameTables(const Configuration& o) const {
    return TactTable == o.TactTable && TactSignals == o.TactSignals && DirectionKind == o.DirectionKind &&
           DirectionChannels == o.DirectionChannels && DirectionControl == o.DirectionControl &&
           FreeChannels == o.FreeChannels && Calendar == o.Calendar && ChannelCount == o.ChannelCount &&
           Tvp1Delay == o.Tvp1Delay && Tvp2Delay == o.Tvp2Delay;
}

void resetConfiguration(Configuration& c) {
    c.Tvp1Delay = "0";
    c.Tvp2Delay = "0";
    for (auto& day : c.Calendar) day.fill(CalendarEntry{});
    c.FreeChannels.fill(0);
    c.DirectionKind.fill(0);
    for (auto& s : c.DirectionChannels) s.fill(0);
    for (auto& s : c.DirectionControl) s.fill(0);
    for (auto& program : c.TactTable) program.fill(Tact{});
    for (auto& program : c.TactSignals)
        for (auto& row : program) row.fill(0);
    c.Safety.clear();
}

void rebuildFreeChannels(Configuration& c) {
    for (int i = 0; i < DirectionCount; ++i) c.FreeChannels[i] = i <= c.ChannelCount ? uint8_t(i) : 0;
    for (int d = 0; d < DirectionCount; ++d) {
        for (int k = 0; k < SlotCount; ++k) {
            uint8_t& slot = c.DirectionChannels[d][k];
            if (slot > c.ChannelCount) slot = 0;
            // 0 stays 0 in the list either way, so removing it is harmless.
            for (auto& free : c.FreeChannels)
                if (free == slot) free = 0;
        }
    }
    std::sort(c.FreeChannels.begin(), c.FreeChannels.end(), std::greater<>());
}

uint8_t takeFreeChannel(Configuration& c) {
    rebuildFreeChannels(c);
    const uint8_t channel = c.FreeChannels[0];
    c.FreeChannels[0] = 0;
    return channel;
}

void recomputeDerivedTactFields(Configuration& c, int program) {
    if (program < 0 || program >= ProgramCount) return;
    int32_t phase = 0;
    int32_t sum = 0;
    for (auto& t : c.TactTable[program]) {
        if (t.kind == TactPhase) {
            t.phaseNo = ++phase;
        } else {
            t.phaseNo = 0;
        }
        if (t.kind == TactPhase || t.kind == TactIntermediate) {
            sum += t.tMain;
            t.tEnd = sum;
        } else {
            t.tEnd = 0;
        }
    }
}

bool isEditableSlot(uint8_t kind, int s) {
    switch (kind) {
    case DirVehicle: return s == 0 || s == 1 || s == 2;
    case DirPedestrian: return s == 0 || s == 2;
    case DirExtraRed: return s == 0;
    case DirExtraYellow: return s == 1;
    case DirExtraGreen: return s == 2;
    case DirTram1: return s == 3 || s == 6;
    case DirTram2: return s == 4 || s == 6;
    case DirTram3: return s == 5 || s == 6;
    case DirTvp1:
    case DirTvp2: return s == 2;
    default: return false;
    }
}

void markCallInputCells(Configuration& c) {
    // Usually there are one or two call inputs: walk only their columns.
    int inputs[DirectionCount];
    uint8_t kinds[DirectionCount];
    int count = 0;
    for (int d = 0; d < DirectionCount; ++d)
        if (isCallInputDirection(c.DirectionKind[d])) {
            inputs[count] = d;
            kinds[count++] = c.DirectionKind[d];
        }
    if (count == 0) return;
    for (int p = 0; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t) {
            const int32_t kind = c.TactTable[p][t].kind;
            auto& row = c.TactSignals[p][t];
            if (kind == TactEmpty) {
                for (int i = 0; i < count; ++i) row[inputs[i]] = SignalNotSet;
                continue;
            }
            if (kind != TactPhase && kind != TactIntermediate && kind != TactTvp1 && kind != TactTvp2) continue;
            for (int i = 0; i < count; ++i) {
                const int32_t own = kinds[i] == DirTvp1 ? TactTvp1 : TactTvp2;
                if (kind != own) row[inputs[i]] = SignalNotApplicable;
            }
        }
}

void disconnectUnusedSlots(Configuration& c) {
    for (int d = 0; d < DirectionCount; ++d)
        for (int s = 0; s < SlotCount; ++s)
            if (!isEditableSlot(c.DirectionKind[d], s)) c.DirectionChannels[d][s] = 0;
}

void settleTables(Configuration& c) {
    markCallInputCells(c);
    disconnectUnusedSlots(c);
    for (int p = 0; p < ProgramCount; ++p) recomputeDerivedTactFields(c, p);
}

void clearDirectionSignals(Configuration& c, int direction) {
    if (direction < 0 || direction >= DirectionCount || c.CurrentProgram >= ProgramCount) return;
    for (auto& row : c.TactSignals[c.CurrentProgram]) row[direction] = 0;
}

bool isNormalDirection(uint8_t kind) { return kind >= 1 && kind <= 9; }
bool isCallInputDirection(uint8_t kind) { return kind == DirTvp1 || kind == DirTvp2; }
bool isUsedDirection(uint8_t kind) { return isNormalDirection(kind) || isCallInputDirection(kind); }

long parseDelay(const std::string& text) {
    // Like the field's decimal parse: leading blanks, optional sign, digits.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    return negative ? -static_cast<long>(value) : static_cast<long>(value);
}

const char* signalName(uint8_t code) {
    switch (code) {
    case SignalRed: return "красный";
    case SignalYellow: return "жёлтый";
    case SignalGreen: return "зелёный";
    case SignalFlashingYellow: return "жёлтый мигающий";
    case SignalFlashingGreen: return "зелёный мигающий";
    case SignalRedYellow: return "красный с жёлтым";
    case SignalOff: return "выключен";
    default: return nullptr;
    }
}

const char* tactKindName(int32_t kind) {
    switch (kind) {
        case TactPhase: return "Фаза";
        case TactIntermediate: return "Промтакт";
        case TactTvp1: return "ТВП1";
        case TactTvp2: return "ТВП2";
        default: return "";
    }
}

const char* directionKindLabel(uint8_t kind) {
    switch (kind) {
        case DirVehicle: return " - Транспортный";
        case DirPedestrian: return " - Пешеходный";
        case DirExtraRed: return " - Сек.красный";
        case DirExtraYellow: return " - Сек.желтый";
        case DirExtraGreen: return " - Сек.зеленый";
        case DirTram1:
        case DirTram2:
        case DirTram3: return " - Трамвайный";
        case DirTvp1: return " - ТВП1";
        case DirTvp2: return " - ТВП2";
        default: return "";
    }
}

const char* programSuffix(int program) {
    switch (program) {
        case 0: return " (КК)";
        case 1: return " (ЖМ)";
        case 2: return " (ОС)";
        default: return "";
    }
}

std::string programTitle(int program) { return std::to_string(program + 1) + programSuffix(program); }

}  // namespace livra
