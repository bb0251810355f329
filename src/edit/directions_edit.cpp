#include "edit/directions_edit.h"

#include <algorithm>

namespace livra {

namespace {

bool inTable(int d) { return d >= 0 && d < DirectionCount; }
bool isTramRow(uint8_t kind) { return kind == DirTram1 || kind == DirTram2 || kind == DirTram3; }

struct NewSlot {
    int slot;
    uint8_t mode;
};

// What a new row of a kind is wired with, in the order the channels are taken.
std::vector<NewSlot> newSlots(uint8_t kind) {
    switch (kind) {
    case DirVehicle: return {{0, ControlCurrent}, {1, ControlOff}, {2, ControlVoltage}};
    case DirPedestrian: return {{0, ControlCurrent}, {2, ControlVoltage}};
    case DirExtraRed: return {{0, ControlCurrent}};
    case DirExtraYellow: return {{1, ControlOff}};
    case DirExtraGreen: return {{2, ControlVoltage}};
    case DirTram1: return {{3, ControlOff}, {6, ControlOff}};
    case DirTram2: return {{4, ControlOff}};
    case DirTram3: return {{5, ControlOff}};
    case DirTvp1:
    case DirTvp2: return {{2, ControlOff}};
    default: return {};
    }
}

void clearRowEverywhere(Configuration& c, int d) {
    for (auto& program : c.TactSignals)
        for (auto& row : program) row[d] = 0;
}

// Every row after d moves up by one place in every table; the last row is
// left empty.
void deleteRow(Configuration& c, int d) {
    for (int i = d; i < DirectionCount - 1; ++i) {
        c.DirectionKind[i] = c.DirectionKind[i + 1];
        c.DirectionChannels[i] = c.DirectionChannels[i + 1];
        c.DirectionControl[i] = c.DirectionControl[i + 1];
    }
    for (auto& program : c.TactSignals)
        for (auto& row : program) {
            std::copy(row.begin() + d + 1, row.end(), row.begin() + d);
            row[DirectionCount - 1] = 0;
        }
    const int last = DirectionCount - 1;
    c.DirectionKind[last] = DirEmpty;
    c.DirectionChannels[last].fill(0);
    c.DirectionControl[last].fill(0);
}

}  // namespace

bool allowsMonitoring(uint8_t kind) { return !isTramRow(kind) && !isCallInputDirection(kind); }

int tramGroupStart(const Configuration& c, int d) {
    if (!inTable(d) || !isTramRow(c.DirectionKind[d])) return -1;
    const int first = d - (c.DirectionKind[d] - DirTram1);
    if (first < 0 || first + 2 >= DirectionCount) return -1;
    for (int k = 0; k < 3; ++k)
        if (c.DirectionKind[first + k] != DirTram1 + k) return -1;
    return first;
}

bool canCreateDirection(const Configuration& c, int d, uint8_t kind) {
    if (!inTable(d) || c.DirectionKind[d] != DirEmpty) return false;
    switch (kind) {
    case DirVehicle:
    case DirPedestrian:
    case DirExtraRed:
    case DirExtraYellow:
    case DirExtraGreen: return true;
    case DirTram1:
        // Rows d+1 and d+2 may hold directions in a project with a gap.
        return d + 2 < DirectionCount && c.DirectionKind[d + 1] == DirEmpty && c.DirectionKind[d + 2] == DirEmpty;
    case DirTvp1:
    case DirTvp2:
        return std::find(c.DirectionKind.begin(), c.DirectionKind.end(), kind) == c.DirectionKind.end();
    default: return false;
    }
}

bool createDirection(Configuration& c, int d, uint8_t kind) {
    if (!canCreateDirection(c, d, kind)) return false;
    const int rows = kind == DirTram1 ? 3 : 1;
    for (int k = 0; k < rows; ++k) {
        const int row = d + k;
        c.DirectionKind[row] = uint8_t(kind + k);
        // Signals left in any program (a file may carry them) would become
        // the new direction's and pass the empty-cell check unseen.
        clearRowEverywhere(c, row);
        c.DirectionChannels[row].fill(0);
        c.DirectionControl[row].fill(0);
        for (const NewSlot& n : newSlots(c.DirectionKind[row])) {
            c.DirectionChannels[row][n.slot] = takeFreeChannel(c);
            c.DirectionControl[row][n.slot] = n.mode;
        }
        if (k > 0) c.DirectionChannels[row][6] = c.DirectionChannels[d][6];  // the shared lamp
    }
    rebuildFreeChannels(c);
    c.Modified = 1;
    return true;
}

bool deleteDirection(Configuration& c, int d) {
    if (!inTable(d) || c.DirectionKind[d] == DirEmpty) return false;
    const int first = tramGroupStart(c, d);
    if (first >= 0) {
        for (int k = 0; k < 3; ++k) deleteRow(c, first), c.Safety.deleteDirection(first);
    } else {
        deleteRow(c, d);
        c.Safety.deleteDirection(d);
    }
    rebuildFreeChannels(c);
    c.Modified = 1;
    return true;
}

std::vector<uint8_t> channelChoices(Configuration& c, int d, int s) {
    std::vector<uint8_t> choices;
    if (!inTable(d) || s < 0 || s >= SlotCount) return choices;
    const uint8_t current = c.DirectionChannels[d][s];
    if (current != 0 && current <= c.ChannelCount) choices.push_back(current);
    choices.push_back(0);
    rebuildFreeChannels(c);
    for (auto it = c.FreeChannels.rbegin(); it != c.FreeChannels.rend(); ++it)
        if (*it != 0) choices.push_back(*it);
    return choices;
}

bool applyChannel(Configuration& c, int d, int s, uint8_t channel, uint8_t mode) {
    if (!inTable(d) || !isEditableSlot(c.DirectionKind[d], s) || mode > ControlCurrent) return false;
    const std::vector<uint8_t> offered = channelChoices(c, d, s);
    if (std::find(offered.begin(), offered.end(), channel) == offered.end()) return false;
    const uint8_t kind = c.DirectionKind[d];
    const int first = s == 6 ? tramGroupStart(c, d) : -1;
    const int rows = first >= 0 ? 3 : 1;
    const int from = first >= 0 ? first : d;
    for (int k = 0; k < rows; ++k) {
        c.DirectionChannels[from + k][s] = channel;
        c.DirectionControl[from + k][s] = allowsMonitoring(kind) ? mode : uint8_t(ControlOff);
    }
    rebuildFreeChannels(c);
    c.Modified = 1;
    return true;
}

void resetChannelNumbers(Configuration& c) {
    for (auto& slots : c.DirectionChannels) slots.fill(0);
    rebuildFreeChannels(c);
    c.Modified = 1;
}

bool changeChannelCount(Configuration& c, int count) {
    if (count < 1 || count > 64) return false;
    c.ChannelCount = uint8_t(count);
    c.Modified = 1;
    rebuildFreeChannels(c);
    return true;
}

}  // namespace livra
