#pragma once
// The fixed shape of the controller's tables.
#include <cstdint>

namespace livra {

constexpr int ProgramCount = 16;
constexpr int TactCount = 321;
constexpr int DirectionCount = 63;
constexpr int SlotCount = 7;
constexpr int DayCount = 7;
constexpr int AlarmCount = 24;
constexpr int FirstUserProgram = 3;  // programs 1..3 are the controller's fixed modes
constexpr uint8_t EmptyCalendarByte = 128;

}  // namespace livra
