#include "link/serial_port.h"

#include <algorithm>
#include <cctype>

namespace livra {

namespace {

std::string lower(std::string s) {
    for (auto& ch : s) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

}  // namespace

std::optional<std::string> cablePortFromRegistryValue(const std::string& valueName, const std::string& data) {
    if (valueName.find(kCableRegistryMark) == std::string::npos) return std::nullopt;
    if (data.size() < 3 || lower(data.substr(0, 3)) != "com") return std::nullopt;
    std::string rest;
    for (std::size_t i = 0; i < data.size();) {
        if (i + 3 <= data.size() && lower(data.substr(i, 3)) == "com") {
            i += 3;
        } else {
            rest += data[i++];
        }
    }
    return "COM" + rest;
}

std::string findCablePort(const std::vector<PortCandidate>& candidates) {
    std::string found;
    for (const auto& c : candidates) {
        if (!c.registryValueName.empty()) {
            if (auto port = cablePortFromRegistryValue(c.registryValueName, c.registryData)) found = *port;
        } else if ((c.usbVendor && *c.usbVendor == kCableUsbVendor) || c.driver == kCableDriver) {
            found = c.name;
        }
    }
    return found;
}

class MemoryPortPair::End : public SerialPort {
public:
    End(MemoryPortPair& pair, bool isHost) : pair_(pair), isHost_(isHost) {}
    void connect(End* peer) { peer_ = peer; }

    bool isOpen() const override { return open_; }

    bool write(std::span<const uint8_t> bytes) override {
        if (!open_) return false;
        {
            std::lock_guard lock(peer_->mutex_);
            peer_->inbox_.insert(peer_->inbox_.end(), bytes.begin(), bytes.end());
        }
        peer_->arrived_.notify_all();
        if (isHost_ && pair_.onHostWrite) pair_.onHostWrite(bytes);
        return true;
    }

    std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds timeout) override {
        if (!open_) return -1;
        std::unique_lock lock(mutex_);
        if (inbox_.empty()) {
            if (pair_.idle_) {
                lock.unlock();
                pair_.idle_(timeout);
                lock.lock();
            } else {
                arrived_.wait_for(lock, timeout, [&] { return !inbox_.empty(); });
            }
        }
        const std::size_t n = std::min(into.size(), inbox_.size());
        std::copy_n(inbox_.begin(), n, into.begin());
        inbox_.erase(inbox_.begin(), inbox_.begin() + std::ptrdiff_t(n));
        return std::ptrdiff_t(n);
    }

    void discardInput() override {
        std::lock_guard lock(mutex_);
        inbox_.clear();
    }

    void close() override { open_ = false; }
    void reopen() { open_ = true; }

private:
    MemoryPortPair& pair_;
    bool isHost_;
    End* peer_ = nullptr;
    bool open_ = true;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<uint8_t> inbox_;
};

namespace {

// Forwards to the host end without owning it.
class BorrowedPort : public SerialPort {
public:
    explicit BorrowedPort(MemoryPortPair::End& end) : end_(end) { }
    bool isOpen() const override { return open_ && end_.isOpen(); }
    bool write(std::span<const uint8_t> b) override { return open_ && end_.write(b); }
    std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds t) override {
        return open_ ? end_.read(into, t) : -1;
    }
    void discardInput() override { end_.discardInput(); }
    void close() override { open_ = false; }

private:
    MemoryPortPair::End& end_;
    bool open_ = true;
};

}  // namespace

MemoryPortPair::MemoryPortPair(std::function<void(std::chrono::milliseconds)> idle)
    : host_(std::make_unique<End>(*this, true)), device_(std::make_unique<End>(*this, false)), idle_(std::move(idle)) {
    host_->connect(device_.get());
    device_->connect(host_.get());
}

MemoryPortPair::~MemoryPortPair() = default;
SerialPort& MemoryPortPair::hostEnd() { return *host_; }
SerialPort& MemoryPortPair::deviceEnd() { return *device_; }
std::unique_ptr<SerialPort> MemoryPortPair::openHost() { return std::make_unique<BorrowedPort>(*host_); }

}  // namespace livra
