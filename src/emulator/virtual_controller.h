#pragma once
// A virtual Ливра controller on a pseudo-terminal, for trying the link
// without hardware and for the tests. start() opens the terminal and serves
// it on a thread of its own; the configurator opens the returned device.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "emulator/controller_model.h"

namespace livra {

struct VirtualControllerOptions {
    uint8_t model = 3;
    uint8_t firmware = 14;
    uint8_t compatibilityClass = 2;
    // Fault injection on replies: a damaged bit, or no reply at all.
    double corruptRate = 0;
    double dropRate = 0;
    // Pace the bytes as a serial line of this rate would (10 bits a byte);
    // 0: as fast as the terminal goes.
    uint32_t lineRate = 0;
    uint64_t seed = 1;
    // Each received request frame as a line of lowercase hex bytes.
    std::ostream* trace = nullptr;
    std::optional<ClockRecord> clock;
    std::vector<JournalRecord> journal;
    int newestRecord = kJournalRecordCount;
    std::chrono::milliseconds applyTime{300};
    // Memory, journal and clock offset are loaded from here at start and
    // saved by saveState().
    std::string stateFile;
};

class VirtualController {
public:
    explicit VirtualController(VirtualControllerOptions options = {});
    ~VirtualController();  // stops
    VirtualController(const VirtualController&) = delete;
    VirtualController& operator=(const VirtualController&) = delete;

    // Opens the terminal and starts serving; the device path, or empty with
    // error() telling why.
    std::string start();
    void stop();
    bool running() const { return running_; }
    const std::string& error() const { return error_; }
    const std::string& devicePath() const { return path_; }

    // Writes the state file (if one was named); false when that failed.
    bool saveState();

    // Views of the controller's state, safe while it runs.
    std::vector<uint8_t> internalArea(uint8_t writeCommand) const;
    std::vector<uint8_t> externalMemory() const;
    JournalRecord journalRecord(int number) const;
    int newestRecord() const;
    ClockRecord clock() const;
    int configurationsApplied() const;
    int requestsServed() const { return requests_; }

private:
    void serve();
    void sendPaced(const std::vector<uint8_t>& bytes);

    VirtualControllerOptions options_;
    mutable std::mutex mutex_;  // guards model_
    std::unique_ptr<ControllerModel> model_;
    struct Line;
    std::unique_ptr<Line> line_;
    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> requests_{0};
    std::string path_;
    std::string error_;
};

}  // namespace livra
