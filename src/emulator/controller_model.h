#pragma once
// The virtual controller's inner working: the ten parts' memory, identity,
// clock, event journal and service requests. It answers one request at a
// time; the byte pump around it lives in VirtualController.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "image/image.h"
#include "link/controller_records.h"
#include "link/link_protocol.h"

namespace livra {

// Reply codes of the virtual controller. The configurator only needs valid
// frames; a successful request is answered with its own command code.
constexpr uint8_t kReplyNotReady = 3;     // with one data byte 0
constexpr uint8_t kReplyRejected = 0xEE;  // unknown command or position out of range; data: the command

// Reply data per block request, as the controller sends them.
constexpr int kReadBlock = 40;
// Positions of the external memory: main program area from 0, the part 7
// header from 100000, the journal ring from 110000.
constexpr uint32_t kExternalSize = kJournalLastPosition + 1;
constexpr uint32_t kPart7Position = 100000;

struct ControllerModelOptions {
    uint8_t model = 3;
    uint8_t firmware = 14;
    uint8_t compatibilityClass = 2;
    // Time spent applying a new configuration; requests meanwhile get not-ready.
    std::chrono::milliseconds applyTime{300};
    // Initial clock; none: the computer's clock.
    std::optional<ClockRecord> clock;
    // Initial journal (record 1 first) and its newest record number (1..200).
    std::vector<JournalRecord> journal;
    int newestRecord = kJournalRecordCount;
    // Log "normal start" when the controller starts.
    bool logStart = true;
};

class ControllerModel {
public:
    using SteadyTime = std::chrono::steady_clock::time_point;

    // `hostClock` gives the computer's local time in seconds since 2000;
    // null: the real one.
    explicit ControllerModel(const ControllerModelOptions& options, std::function<int64_t()> hostClock = {});
    ~ControllerModel();
    // A copy carries an unfinished write along.
    ControllerModel(const ControllerModel& other);
    ControllerModel& operator=(const ControllerModel& other);

    // The reply frame to one well-formed request; empty for no reply.
    std::vector<uint8_t> handle(const ParsedRequest& request, SteadyTime now);

    // Image part memory: internal parts by write command, external as one area.
    const std::vector<uint8_t>& internalArea(uint8_t writeCommand) const;
    const std::vector<uint8_t>& externalMemory() const { return external_; }
    JournalRecord journalRecord(int number) const;  // 1..200
    int newestRecord() const { return newest_; }
    ClockRecord clock() const;
    int configurationsApplied() const { return applied_; }
    // Whether parts of a write are waiting for the rest of it.
    bool writePending() const { return pending_ != nullptr; }

    void logEvent(uint8_t event, uint8_t channel = 0, uint8_t direction = 0);

    // Puts an image's ten parts into memory at their positions.
    void loadImage(const ImageFiles& image);

    // Memory, journal and clock offset across runs. Loading fails (false)
    // on a file of another shape and leaves the state as it was.
    std::vector<uint8_t> saveState() const;
    bool loadState(const std::vector<uint8_t>& bytes);

private:
    int64_t hostNow() const;
    std::vector<uint8_t> write(const ParsedRequest& r, SteadyTime now);
    std::vector<uint8_t> read(const ParsedRequest& r);
    std::vector<uint8_t> rejected(uint8_t command) const;

    // A write in progress: the parts arrive into a copy of the image memory,
    // which becomes the controller's only when the whole write has arrived.
    struct PendingWrite;
    void adopt(PendingWrite& w, SteadyTime now);

    ControllerModelOptions options_;
    std::unique_ptr<PendingWrite> pending_;
    std::function<int64_t()> hostClock_;
    std::map<uint8_t, std::vector<uint8_t>> internal_;  // write command → bytes, position 1 first
    std::vector<uint8_t> external_;
    int newest_;
    int64_t clockOffset_ = 0;  // controller time - computer time, seconds
    SteadyTime busyUntil_{};
    bool applying_ = false;
    int applied_ = 0;
};

}  // namespace livra
