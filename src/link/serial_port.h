#pragma once
// The serial port the link talks through, and the list of ports to choose
// from. The real ports live in an adapter outside the core; tests use the
// in-memory pair below.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace livra {

// One open port, 57600 baud 8N1, no flow control.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual bool isOpen() const = 0;
    // Hands all bytes to the line; false when the port failed.
    virtual bool write(std::span<const uint8_t> bytes) = 0;
    // Blocks until at least one byte has arrived or the timeout has passed.
    // Returns the number of bytes stored (0 on time-out), -1 when the port failed.
    virtual std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds timeout) = 0;
    // Drops whatever has arrived and not been read yet.
    virtual void discardInput() = 0;
    virtual void close() = 0;
};

// What the system tells about one serial port, for the cable search.
struct PortCandidate {
    std::string name;  // what SerialPortProvider::open takes
    // Windows: one value of the serial-port map of the registry.
    std::string registryValueName;
    std::string registryData;
    // Elsewhere: the USB vendor and the kernel driver of the device.
    std::optional<uint16_t> usbVendor;
    std::string driver;
};

class SerialPortProvider {
public:
    virtual ~SerialPortProvider() = default;
    virtual std::vector<PortCandidate> candidates() = 0;
    // Opens a port by name at 57600 8N1; nothing when it cannot be opened.
    virtual std::unique_ptr<SerialPort> open(const std::string& name) = 0;
};

// USB vendor of the cable's bridge chip and the name of its driver.
constexpr uint16_t kCableUsbVendor = 0x067B;
inline constexpr const char* kCableDriver = "pl2303";
// Part of the registry value name under which the cable's driver registers.
inline constexpr const char* kCableRegistryMark = "ProlificSeria";

// Registry rule: the value name contains the mark (case-sensitive) and the
// data starts with "com" in any case; the port is "COM" followed by the data
// with every "com" (any case) removed.
std::optional<std::string> cablePortFromRegistryValue(const std::string& valueName, const std::string& data);

// The cable's port among the candidates; the last match wins. Empty when
// there is none.
std::string findCablePort(const std::vector<PortCandidate>& candidates);

// Two connected in-memory ends. What one end writes, the other reads.
class MemoryPortPair {
public:
    // `idle` (optional) is called instead of waiting when a read finds
    // nothing, with the time it would have waited: tests advance a manual
    // clock there and never wait.
    explicit MemoryPortPair(std::function<void(std::chrono::milliseconds)> idle = {});
    ~MemoryPortPair();
    SerialPort& hostEnd();
    SerialPort& deviceEnd();
    // Called on the writing thread after the host end wrote a frame.
    std::function<void(std::span<const uint8_t>)> onHostWrite;
    // Ownable handle on the host end, for providers that hand out ports.
    std::unique_ptr<SerialPort> openHost();

    class End;

private:
    std::unique_ptr<End> host_;
    std::unique_ptr<End> device_;
    std::function<void(std::chrono::milliseconds)> idle_;
};

}  // namespace livra
