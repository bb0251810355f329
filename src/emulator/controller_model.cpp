#include "emulator/controller_model.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace livra {
namespace {

struct InternalArea {
    uint8_t writeCommand;
    uint8_t readCommand;
    uint32_t size;
};

// Internal parts: 1..6, 9, 10 of the image.
constexpr InternalArea kInternalAreas[] = {
    {0x01, 0x14, 168}, {0x02, 0x15, 255}, {0x03, 0x16, 1}, {0x04, 0x17, 4},
    {0x05, 0x18, 1},   {0x06, 0x19, 64},  {0x0B, 0x1E, 336}, {0x0C, 0x1F, 64},
};
constexpr uint8_t kWritePart7 = 0x07, kWritePart8 = 0x08, kReadPart7 = 0x20, kReadPart8 = 0x21;
constexpr uint8_t kLastPartCommand = 0x0C;  // its last byte completes a configuration

const InternalArea* areaByWrite(uint8_t c) {
    for (const auto& a : kInternalAreas)
        if (a.writeCommand == c) return &a;
    return nullptr;
}
const InternalArea* areaByRead(uint8_t c) {
    for (const auto& a : kInternalAreas)
        if (a.readCommand == c) return &a;
    return nullptr;
}

// Every write sends these; part 8 only when part 7 gives it a length.
constexpr uint8_t kRequiredWrites[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C};

constexpr char kStateMagic[8] = {'L', 'V', 'C', 'S', 'T', 'A', 'T', '1'};

}  // namespace

ControllerModel::ControllerModel(const ControllerModelOptions& options, std::function<int64_t()> hostClock)
    : options_(options), hostClock_(std::move(hostClock)), external_(kExternalSize, 0) {
    for (const auto& a : kInternalAreas) internal_[a.writeCommand].assign(a.size, 0);
    newest_ = std::clamp(options.newestRecord, 1, kJournalRecordCount);
    for (std::size_t i = 0; i < options.journal.size() && i < std::size_t(kJournalRecordCount); ++i) {
        const auto b = options.journal[i].bytes();
        std::copy(b.begin(), b.end(), external_.begin() + kJournalFirstPosition + i * kJournalRecordSize);
    }
    // A controller fresh from the factory holds an empty configuration.
    loadImage(encodeImage(*std::make_unique<Configuration>()));
    if (options.clock) clockOffset_ = secondsOf(*options.clock) - hostNow();
    if (options.logStart) logEvent(EventNormalStart);
}

struct ControllerModel::PendingWrite {
    std::map<uint8_t, std::vector<uint8_t>> internal;
    std::vector<uint8_t> image;  // external memory below the journal
    std::set<uint8_t> commands;  // write commands received so far

    bool complete() const {
        for (uint8_t c : kRequiredWrites)
            if (!commands.count(c)) return false;
        const uint32_t programs = uint32_t(image[kPart7Position]) | uint32_t(image[kPart7Position + 1]) << 8 |
                                  uint32_t(image[kPart7Position + 2]) << 16 | uint32_t(image[kPart7Position + 3]) << 24;
        return programs == 0 || commands.count(kWritePart8);
    }
};

ControllerModel::~ControllerModel() = default;

ControllerModel::ControllerModel(const ControllerModel& other) { *this = other; }

ControllerModel& ControllerModel::operator=(const ControllerModel& other) {
    if (this == &other) return *this;
    options_ = other.options_;
    pending_ = other.pending_ ? std::make_unique<PendingWrite>(*other.pending_) : nullptr;
    hostClock_ = other.hostClock_;
    internal_ = other.internal_;
    external_ = other.external_;
    newest_ = other.newest_;
    clockOffset_ = other.clockOffset_;
    busyUntil_ = other.busyUntil_;
    applying_ = other.applying_;
    applied_ = other.applied_;
    return *this;
}

int64_t ControllerModel::hostNow() const { return hostClock_ ? hostClock_() : localClockSeconds(); }

ClockRecord ControllerModel::clock() const { return clockRecordAt(hostNow() + clockOffset_); }

const std::vector<uint8_t>& ControllerModel::internalArea(uint8_t writeCommand) const {
    static const std::vector<uint8_t> none;
    auto it = internal_.find(writeCommand);
    return it == internal_.end() ? none : it->second;
}

JournalRecord ControllerModel::journalRecord(int number) const {
    if (number < 1 || number > kJournalRecordCount) return {};
    return JournalRecord::fromBytes(&external_[kJournalFirstPosition + (number - 1) * kJournalRecordSize]);
}

void ControllerModel::logEvent(uint8_t event, uint8_t channel, uint8_t direction) {
    newest_ = newest_ % kJournalRecordCount + 1;
    const ClockRecord c = clock();
    const JournalRecord r{c.second, c.minute, c.hour, c.day, c.month, c.year, event, channel, direction};
    const auto b = r.bytes();
    std::copy(b.begin(), b.end(), external_.begin() + kJournalFirstPosition + (newest_ - 1) * kJournalRecordSize);
}

void ControllerModel::loadImage(const ImageFiles& image) {
    for (const ImagePart& part : imageParts()) {
        const Bytes& bytes = image[std::size_t(part.number - 1)];
        if (part.external) {
            const std::size_t end = part.number == PartHeader ? kJournalFirstPosition : kPart7Position;
            const std::size_t n = std::min(bytes.size(), end - part.firstPosition);
            std::copy_n(bytes.begin(), n, external_.begin() + part.firstPosition);
        } else if (auto it = internal_.find(part.writeCommand); it != internal_.end()) {
            std::copy_n(bytes.begin(), std::min(bytes.size(), it->second.size()), it->second.begin());
        }
    }
}

std::vector<uint8_t> ControllerModel::rejected(uint8_t command) const {
    const uint8_t data[] = {command};
    return makeReply(kReplyRejected, data);
}

std::vector<uint8_t> ControllerModel::handle(const ParsedRequest& r, SteadyTime now) {
    if (applying_) {
        if (now < busyUntil_) {
            const uint8_t zero[] = {0};
            return makeReply(kReplyNotReady, zero);
        }
        applying_ = false;
    }
    const bool isWrite = areaByWrite(r.command) || r.command == kWritePart7 || r.command == kWritePart8;
    // A write is one unbroken run of write frames; any other request (a new
    // connection starts with the identity) ends an unfinished one, and the
    // parts it brought are dropped: the configuration in force stays whole.
    if (!isWrite) pending_.reset();
    switch (r.command) {
        case CmdIdentity: {
            const uint8_t data[] = {options_.model, options_.firmware, options_.compatibilityClass};
            return makeReply(r.command, data);
        }
        case CmdReadClock: {
            const auto b = clock().bytes();
            return makeReply(r.command, b);
        }
        case CmdSetClock: {
            if (r.data.size() < 7) return rejected(r.command);
            const ClockRecord c = ClockRecord::fromBytes(r.data.data());
            if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour > 23 || c.minute > 59 ||
                c.second > 59)
                return rejected(r.command);
            clockOffset_ = secondsOf(c) - hostNow();
            const uint8_t ok[] = {1};
            return makeReply(r.command, ok);
        }
        case CmdJournalNewest: {
            const uint8_t data[] = {uint8_t(newest_)};
            return makeReply(r.command, data);
        }
        case CmdService: {
            // 1: restart (logged as a normal start); 2: clear the journal.
            const uint8_t what = r.data.empty() ? 0 : r.data[0];
            if (what == 1) {
                logEvent(EventNormalStart);
            } else if (what == 2) {
                std::fill(external_.begin() + kJournalFirstPosition, external_.end(), 0);
                newest_ = kJournalRecordCount;
            } else {
                return rejected(r.command);
            }
            const uint8_t ok[] = {what};
            return makeReply(r.command, ok);
        }
        default: break;
    }
    if (isWrite) return write(r, now);
    if (areaByRead(r.command) || r.command == kReadPart7 || r.command == kReadPart8 || r.command == CmdJournalBlock)
        return read(r);
    return rejected(r.command);
}

std::vector<uint8_t> ControllerModel::write(const ParsedRequest& r, SteadyTime now) {
    const std::size_t n = r.data.size();
    const InternalArea* a = areaByWrite(r.command);
    const uint64_t first = r.command == kWritePart7 ? kPart7Position : 0;
    const uint64_t end = r.command == kWritePart7 ? kJournalFirstPosition : kPart7Position;
    if (a ? (r.number < 1 || r.number - 1 + n > a->size) : (r.number < first || r.number + n > end))
        return rejected(r.command);
    if (!pending_) {
        pending_ = std::make_unique<PendingWrite>();
        pending_->internal = internal_;
        pending_->image.assign(external_.begin(), external_.begin() + kJournalFirstPosition);
    }
    PendingWrite& w = *pending_;
    w.commands.insert(r.command);
    if (a) {
        std::copy(r.data.begin(), r.data.end(), w.internal[a->writeCommand].begin() + (r.number - 1));
        // The last byte of the last part ends the write.
        if (r.command == kLastPartCommand && r.number - 1 + n == a->size) {
            if (w.complete()) adopt(w, now);
            pending_.reset();
        }
    } else {
        std::copy(r.data.begin(), r.data.end(), w.image.begin() + std::ptrdiff_t(r.number));
    }
    const uint8_t count[] = {uint8_t(n)};
    return makeReply(r.command, count);
}

void ControllerModel::adopt(PendingWrite& w, SteadyTime now) {
    internal_ = std::move(w.internal);
    std::copy(w.image.begin(), w.image.end(), external_.begin());
    ++applied_;
    logEvent(EventNewConfiguration);
    applying_ = true;
    busyUntil_ = now + options_.applyTime;
}

std::vector<uint8_t> ControllerModel::read(const ParsedRequest& r) {
    const uint8_t* from = nullptr;
    std::size_t available = 0;
    if (const InternalArea* a = areaByRead(r.command)) {
        if (r.number < 1 || r.number > a->size) return rejected(r.command);
        from = internal_[a->writeCommand].data() + (r.number - 1);
        available = a->size - (r.number - 1);
    } else {
        uint64_t first = 0, end = kPart7Position;
        if (r.command == kReadPart7) first = kPart7Position, end = kJournalFirstPosition;
        if (r.command == CmdJournalBlock) first = kJournalFirstPosition, end = kExternalSize;
        if (r.number < first || r.number >= end) return rejected(r.command);
        from = external_.data() + r.number;
        available = std::size_t(end - r.number);
    }
    return makeReply(r.command, std::span<const uint8_t>(from, std::min<std::size_t>(available, kReadBlock)));
}

std::vector<uint8_t> ControllerModel::saveState() const {
    std::vector<uint8_t> out(std::begin(kStateMagic), std::end(kStateMagic));
    for (const auto& a : kInternalAreas) {
        const auto& area = internal_.at(a.writeCommand);
        out.insert(out.end(), area.begin(), area.end());
    }
    out.insert(out.end(), external_.begin(), external_.end());
    out.push_back(uint8_t(newest_));
    const uint64_t offset = uint64_t(clockOffset_);
    for (int i = 0; i < 8; ++i) out.push_back(uint8_t(offset >> (8 * i)));
    return out;
}

bool ControllerModel::loadState(const std::vector<uint8_t>& bytes) {
    std::size_t expected = sizeof kStateMagic + external_.size() + 1 + 8;
    for (const auto& a : kInternalAreas) expected += a.size;
    if (bytes.size() != expected || std::memcmp(bytes.data(), kStateMagic, sizeof kStateMagic) != 0) return false;
    const uint8_t newest = bytes[expected - 9];
    if (newest < 1 || newest > kJournalRecordCount) return false;
    uint64_t offset = 0;
    for (int i = 0; i < 8; ++i) offset |= uint64_t(bytes[expected - 8 + std::size_t(i)]) << (8 * i);
    // Further from the computer's clock than the controller's years can be
    // is a damaged file (and would overflow the clock arithmetic).
    const int64_t limit = civilSeconds(2300, 1, 1, 0, 0, 0);
    if (int64_t(offset) < -limit || int64_t(offset) > limit) return false;
    std::size_t pos = sizeof kStateMagic;
    for (const auto& a : kInternalAreas) {
        auto& area = internal_[a.writeCommand];
        std::copy_n(bytes.begin() + pos, a.size, area.begin());
        pos += a.size;
    }
    std::copy_n(bytes.begin() + pos, external_.size(), external_.begin());
    pos += external_.size();
    newest_ = newest;
    clockOffset_ = int64_t(offset);
    return true;
}

}  // namespace livra
