#pragma once
// What the controller keeps besides the image: its clock and its event
// journal, and the command codes of the short conversations.
#include <array>
#include <cstdint>

#include "model/civil_date.h"

namespace livra {

enum ControllerCommand : uint8_t {
    CmdSetClock = 0x0A,
    CmdService = 0x0D,
    CmdReadClock = 0x22,
    CmdIdentity = 0x23,
    CmdJournalBlock = 0x24,
    CmdJournalNewest = 0x25,
};

// The number field of requests that need none.
constexpr int64_t kNoNumber = 1;
// The only compatibility class this configurator talks to.
constexpr uint8_t kCompatibleClass = 2;

// second, minute, hour, weekday (1 Monday … 7 Sunday), day, month, year - 2000.
struct ClockRecord {
    uint8_t second = 0, minute = 0, hour = 0, weekday = 0, day = 1, month = 1, year = 0;
    std::array<uint8_t, 7> bytes() const { return {second, minute, hour, weekday, day, month, year}; }
    static ClockRecord fromBytes(const uint8_t* b) { return {b[0], b[1], b[2], b[3], b[4], b[5], b[6]}; }
    bool operator==(const ClockRecord&) const = default;
};

constexpr int kJournalRecordCount = 200;
constexpr int kJournalRecordSize = 9;
constexpr uint32_t kJournalFirstPosition = 110000;
constexpr uint32_t kJournalLastPosition = kJournalFirstPosition + kJournalRecordCount * kJournalRecordSize - 1;
constexpr int kJournalBlock = 36;

// second, minute, hour, day, month, year - 2000, event, channel, direction.
struct JournalRecord {
    uint8_t second = 0, minute = 0, hour = 0, day = 0, month = 0, year = 0, event = 0, channel = 0, direction = 0;
    std::array<uint8_t, 9> bytes() const { return {second, minute, hour, day, month, year, event, channel, direction}; }
    static JournalRecord fromBytes(const uint8_t* b) { return {b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8]}; }
    bool operator==(const JournalRecord&) const = default;
};

enum JournalEvent : uint8_t {
    EventNormalStart = 9,
    EventNewConfiguration = 10,
};


// Seconds since 2000-01-01 00:00:00 of a civil date and time.
int64_t civilSeconds(int year, int month, int day, int hour, int minute, int second);
// The clock record of such a second count (year before 2000 becomes 0).
ClockRecord clockRecordAt(int64_t seconds);
// Back to seconds; the weekday is not used.
int64_t secondsOf(const ClockRecord& r);
// The computer's local date and time as such a second count.
int64_t localClockSeconds();

}  // namespace livra
