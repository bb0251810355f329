#pragma once
// The controller configuration: fixed-shape tables, indexed from 0, never
// resized. One instance belongs to the application and is passed by reference.

#include <array>
#include <cstdint>
#include <string>

#include "model/limits.h"
#include "model/safety_data.h"

namespace livra {

enum TactKind : int32_t {
    TactEmpty = 0,
    TactPhase = 1,         // "Фаза"
    TactIntermediate = 2,  // "Промтакт"
    TactTvp1 = 3,          // "ТВП1"
    TactTvp2 = 4,          // "ТВП2"
};

enum SignalCode : uint8_t {
    SignalNotSet = 0,
    SignalRed = 1,
    SignalYellow = 2,
    SignalGreen = 3,
    SignalFlashingYellow = 4,
    SignalFlashingGreen = 5,
    SignalRedYellow = 6,
    SignalOff = 7,
    SignalOutside = 8,        // drawing only, never stored
    SignalNotApplicable = 9,  // call-input direction in a tact of another kind
};

enum DirectionKindCode : uint8_t {
    DirEmpty = 0,
    DirVehicle = 1,
    DirPedestrian = 2,
    DirExtraRed = 4,
    DirExtraYellow = 5,
    DirExtraGreen = 6,
    DirTram1 = 7,
    DirTram2 = 8,
    DirTram3 = 9,
    DirTvp1 = 12,
    DirTvp2 = 13,
};

enum ChannelControlMode : uint8_t {
    ControlOff = 0,
    ControlVoltage = 1,
    ControlCurrent = 2,
};

struct Tact {
    int32_t kind = 0;
    int32_t tMin = 0;
    int32_t tMain = 0;
    int32_t tEnd = 0;     // derived: end of the tact within the cycle
    int32_t phaseNo = 0;  // derived: 1-based phase number
    bool operator==(const Tact&) const = default;
};

struct CalendarEntry {
    uint8_t minute = EmptyCalendarByte;
    uint8_t hour = EmptyCalendarByte;
    uint8_t program = EmptyCalendarByte;  // 1..16 as shown to the user
    bool empty() const {
        return minute == EmptyCalendarByte && hour == EmptyCalendarByte && program == EmptyCalendarByte;
    }
    bool operator==(const CalendarEntry&) const = default;
};

using ProgramTacts = std::array<Tact, TactCount>;
using TactSignalRow = std::array<uint8_t, DirectionCount>;
using DirectionSlots = std::array<uint8_t, SlotCount>;
using CalendarDay = std::array<CalendarEntry, AlarmCount>;

struct Configuration {
    std::array<ProgramTacts, ProgramCount> TactTable{};
    std::array<std::array<TactSignalRow, TactCount>, ProgramCount> TactSignals{};
    std::array<uint8_t, DirectionCount> DirectionKind{};
    std::array<DirectionSlots, DirectionCount> DirectionChannels{};
    std::array<DirectionSlots, DirectionCount> DirectionControl{};
    std::array<uint8_t, DirectionCount> FreeChannels{};
    std::array<CalendarDay, DayCount> Calendar{};
    uint8_t ChannelCount = 64;
    std::string Tvp1Delay = "0";  // the text of the input field, UTF-8
    std::string Tvp2Delay = "0";
    // Kept beside the project file, never in it or in the controller's image;
    // not part of sameTables (a controller holds none of it).
    SafetyData Safety;

    // Editing state.
    uint8_t Modified = 0;
    uint8_t CurrentProgram = FirstUserProgram;
    int CurrentTact = 0;
    int CurrentDirection = 0;
    std::string ProjectFileName;  // empty for an unsaved configuration
    std::string ProgramDir;       // working folder, with a trailing separator

    // The start-up state: tables zero, calendar empty.
    Configuration();

    // Compares the stored tables and scalars (not the editing state).
    bool sameTables(const Configuration& other) const;
};

// "New": delays "0", calendar empty, directions and programs cleared.
// ChannelCount and CurrentProgram stay as they are.
void resetConfiguration(Configuration& c);

// FreeChannels := channels 1..min(ChannelCount, 62) not used by any direction,
// descending, zeros at the end. Slots above ChannelCount are disconnected.
void rebuildFreeChannels(Configuration& c);

// Takes the next free channel (element 0 of a fresh FreeChannels), 0 if none.
uint8_t takeFreeChannel(Configuration& c);

// tEnd and phaseNo of every tact of one program.
void recomputeDerivedTactFields(Configuration& c, int program);

// The output slots a user may wire for a direction of this kind (and that a
// new direction gets channels for): vehicle 0, 1, 2; pedestrian 0, 2; extra
// sections their colour's slot; tram rows their lamp (3, 4, 5) and the shared
// lamp 6; call inputs slot 2.
bool isEditableSlot(uint8_t kind, int slot);

// A call input shows nothing in tacts of other kinds: its cells there are
// set to "not applicable" (9), in empty tacts to "not set" (0), in every
// program. Tacts of its own kind, and tact kinds no table knows, are left
// alone.
void markCallInputCells(Configuration& c);

// Every slot that its row's kind does not use back to channel 0.
void disconnectUnusedSlots(Configuration& c);

// The tables as the engineer sees them: call-input cells marked, unused
// slots disconnected, tEnd and phaseNo of every program up to date. The
// desktop program runs it wherever tables come in (New, Open, a read) or
// change (each edit), so that its checks, exports and undo history see what
// its pictures show.
void settleTables(Configuration& c);

// Clears the signal of one direction in every tact of CurrentProgram.
void clearDirectionSignals(Configuration& c, int direction);

// Normal directions are signal heads (kinds 1..9); 12 and 13 are call inputs.
bool isNormalDirection(uint8_t kind);
bool isCallInputDirection(uint8_t kind);
bool isUsedDirection(uint8_t kind);  // 1..9, 12 or 13

// A program is empty when its first tact is empty.
inline bool isProgramEmpty(const Configuration& c, int program) {
    return c.TactTable[program][0].kind == TactEmpty;
}

// Decimal value of a delay field; values that do not parse count as 0,
// values above 255 are kept (the validator reports them), capped at INT32_MAX.
long parseDelay(const std::string& text);

// Texts shown to the user for the code tables.
const char* tactKindName(int32_t kind);           // "Фаза", …; "" for empty/unknown
const char* signalName(uint8_t code);             // "красный", … for codes 1..7; nullptr otherwise
const char* directionKindLabel(uint8_t kind);     // " - Транспортный", …
const char* programSuffix(int program);           // " (КК)" for index 0, …; "" for user programs
std::string programTitle(int program);            // "2 (ЖМ)", "4"

}  // namespace livra
