#ifdef _WIN32
// Windows has no pseudo-terminals. The virtual controller serves an
// in-process line instead: a pair of byte queues registered under a port
// name ("VIRTUAL1", ...) that the Windows serial provider opens before it
// asks the system, so the configurator and `livra` reach it as any port.
#include <map>
#include <memory>
#include <mutex>

#include "emulator/pty.h"
#include "link/serial_port.h"

namespace livra {
namespace {

std::mutex registryMutex;
std::map<std::string, std::weak_ptr<MemoryPortPair>>& registry() {
    static std::map<std::string, std::weak_ptr<MemoryPortPair>> lines;
    return lines;
}

// The configurator's end; keeps the line alive while it is open.
class InProcessPort : public SerialPort {
public:
    explicit InProcessPort(std::shared_ptr<MemoryPortPair> line) : line_(std::move(line)), port_(line_->openHost()) {}
    bool isOpen() const override { return port_->isOpen(); }
    bool write(std::span<const uint8_t> bytes) override { return port_->write(bytes); }
    std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds timeout) override {
        return port_->read(into, timeout);
    }
    void discardInput() override { port_->discardInput(); }
    void close() override { port_->close(); }

private:
    std::shared_ptr<MemoryPortPair> line_;
    std::unique_ptr<SerialPort> port_;
};

class InProcessTerminal : public PseudoTerminal {
public:
    InProcessTerminal(std::string name, std::shared_ptr<MemoryPortPair> line)
        : name_(std::move(name)), line_(std::move(line)) {}
    ~InProcessTerminal() override {
        std::lock_guard lock(registryMutex);
        registry().erase(name_);
    }
    const std::string& devicePath() const override { return name_; }
    std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds timeout) override {
        return line_->deviceEnd().read(into, timeout);
    }
    bool write(std::span<const uint8_t> bytes) override { return line_->deviceEnd().write(bytes); }

private:
    std::string name_;
    std::shared_ptr<MemoryPortPair> line_;
};

}  // namespace

std::unique_ptr<PseudoTerminal> openPseudoTerminal(std::string&) {
    auto line = std::make_shared<MemoryPortPair>();
    std::lock_guard lock(registryMutex);
    for (int n = 1;; ++n) {
        std::string name = "VIRTUAL" + std::to_string(n);
        auto& slot = registry()[name];
        if (!slot.expired()) continue;
        slot = line;
        return std::make_unique<InProcessTerminal>(std::move(name), line);
    }
}

std::unique_ptr<SerialPort> openInProcessLine(const std::string& name) {
    std::lock_guard lock(registryMutex);
    const auto it = registry().find(name);
    if (it == registry().end()) return nullptr;
    auto line = it->second.lock();
    if (!line) return nullptr;
    return std::make_unique<InProcessPort>(std::move(line));
}

}  // namespace livra
#endif
