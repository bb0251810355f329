#include "emulator/virtual_controller.h"

#include <fstream>
#include <iterator>
#include <ostream>
#include <random>

#include "emulator/pty.h"
#include "model/files.h"

namespace livra {

struct VirtualController::Line {
    std::unique_ptr<PseudoTerminal> pty;
    std::mt19937_64 random;
};

namespace {

// A state file is the memory plus a few bytes (about 113 kB).
constexpr std::size_t kMaxStateFileSize = std::size_t(1) << 20;

ControllerModelOptions modelOptions(const VirtualControllerOptions& o) {
    ControllerModelOptions m;
    m.model = o.model;
    m.firmware = o.firmware;
    m.compatibilityClass = o.compatibilityClass;
    m.applyTime = o.applyTime;
    m.clock = o.clock;
    m.journal = o.journal;
    m.newestRecord = o.newestRecord;
    m.logStart = false;  // after the state file is loaded
    return m;
}

void traceFrame(std::ostream& out, std::span<const uint8_t> frame) {
    static const char digits[] = "0123456789abcdef";
    std::string line;
    for (uint8_t b : frame) {
        if (!line.empty()) line += ' ';
        line += digits[b >> 4];
        line += digits[b & 15];
    }
    out << line << '\n' << std::flush;
}

}  // namespace

VirtualController::VirtualController(VirtualControllerOptions options)
    : options_(std::move(options)), model_(std::make_unique<ControllerModel>(modelOptions(options_))) {
    if (!options_.stateFile.empty()) {
        std::error_code ec;
        const auto path = pathFromUtf8(options_.stateFile);
        if (std::filesystem::exists(path, ec)) {
            const auto bytes = readWholeFile(path, kMaxStateFileSize);
            // A state that does not load is kept for inspection, never overwritten.
            if (!bytes || !model_->loadState(*bytes)) error_ = "the state file " + options_.stateFile + " is damaged";
        }
    }
    model_->logEvent(EventNormalStart);
}

VirtualController::~VirtualController() { stop(); }

std::string VirtualController::start() {
    if (running_) return path_;
    if (!error_.empty()) return {};
    auto pty = openPseudoTerminal(error_);
    if (!pty) return {};
    line_ = std::make_unique<Line>();
    line_->pty = std::move(pty);
    line_->random.seed(options_.seed);
    path_ = line_->pty->devicePath();
    stopRequested_ = false;
    running_ = true;
    thread_ = std::thread([this] { serve(); });
    return path_;
}

void VirtualController::stop() {
    stopRequested_ = true;
    if (thread_.joinable()) thread_.join();
    running_ = false;
    line_.reset();
}

bool VirtualController::saveState() {
    if (options_.stateFile.empty()) return true;
    std::vector<uint8_t> bytes;
    {
        std::lock_guard lock(mutex_);
        bytes = model_->saveState();
    }
    return writeFileAtomically(pathFromUtf8(options_.stateFile), bytes);
}

void VirtualController::sendPaced(const std::vector<uint8_t>& bytes) {
    if (options_.lineRate == 0) {
        line_->pty->write(bytes);
        return;
    }
    // A UART hands bytes over as their last bit has gone; a 16-byte FIFO's
    // worth at a time keeps the pace without a wake-up per byte.
    using namespace std::chrono;
    const auto byteTime = duration<double>(10.0 / options_.lineRate);
    const auto start = steady_clock::now();
    constexpr std::size_t kFifo = 16;
    for (std::size_t from = 0; from < bytes.size(); from += kFifo) {
        const std::size_t to = std::min(bytes.size(), from + kFifo);
        std::this_thread::sleep_until(start + duration_cast<steady_clock::duration>(byteTime * double(to)));
        line_->pty->write(std::span<const uint8_t>(bytes.data() + from, to - from));
    }
}

void VirtualController::serve() {
    using namespace std::chrono;
    FrameReceiver receiver(TagRequest);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::vector<uint8_t> chunk(256);
    const auto byteTime = options_.lineRate ? duration_cast<steady_clock::duration>(
                                                  duration<double>(10.0 / options_.lineRate))
                                            : steady_clock::duration::zero();
    steady_clock::time_point lastArrival{};
    while (!stopRequested_) {
        const std::ptrdiff_t n = line_->pty->read(chunk, milliseconds(50));
        if (n < 0) break;
        const auto readAt = steady_clock::now();
        for (std::ptrdiff_t i = 0; i < n; ++i) {
            // When the byte would have finished arriving on a real line.
            lastArrival = std::max(lastArrival, readAt) + byteTime;
            if (!receiver.feed(chunk[std::size_t(i)])) continue;
            const std::vector<uint8_t> frame(receiver.frame().begin(), receiver.frame().end());
            receiver.reset();
            if (options_.trace) traceFrame(*options_.trace, frame);
            if (byteTime.count()) std::this_thread::sleep_until(lastArrival);
            const auto request = parseRequest(frame);
            if (!request) continue;  // a damaged request gets no reply; the configurator repeats it
            std::vector<uint8_t> reply;
            {
                std::lock_guard lock(mutex_);
                reply = model_->handle(*request, steady_clock::now());
            }
            ++requests_;
            if (reply.empty()) continue;
            if (options_.dropRate > 0 && chance(line_->random) < options_.dropRate) continue;
            if (options_.corruptRate > 0 && chance(line_->random) < options_.corruptRate) {
                std::uniform_int_distribution<std::size_t> at(0, reply.size() * 8 - 1);
                const std::size_t bit = at(line_->random);
                reply[bit / 8] ^= uint8_t(1u << (bit % 8));
            }
            sendPaced(reply);
            lastArrival = steady_clock::now();
        }
    }
}

std::vector<uint8_t> VirtualController::internalArea(uint8_t writeCommand) const {
    std::lock_guard lock(mutex_);
    return model_->internalArea(writeCommand);
}
std::vector<uint8_t> VirtualController::externalMemory() const {
    std::lock_guard lock(mutex_);
    return model_->externalMemory();
}
JournalRecord VirtualController::journalRecord(int number) const {
    std::lock_guard lock(mutex_);
    return model_->journalRecord(number);
}
int VirtualController::newestRecord() const {
    std::lock_guard lock(mutex_);
    return model_->newestRecord();
}
ClockRecord VirtualController::clock() const {
    std::lock_guard lock(mutex_);
    return model_->clock();
}
int VirtualController::configurationsApplied() const {
    std::lock_guard lock(mutex_);
    return model_->configurationsApplied();
}

}  // namespace livra
