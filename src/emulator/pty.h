#pragma once
// The controller's end of a pseudo-terminal; the configurator opens the
// other end as an ordinary serial device. One file per platform.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace livra {

class PseudoTerminal {
public:
    virtual ~PseudoTerminal() = default;
    // The device the configurator opens, such as /dev/pts/5.
    virtual const std::string& devicePath() const = 0;
    // Waits up to `timeout` for bytes; 0 on time-out, -1 on failure.
    virtual std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds timeout) = 0;
    virtual bool write(std::span<const uint8_t> bytes) = 0;
};

// Nothing (and a reason in `error`) when the system offers no pseudo-terminal.
// On Windows the terminal is an in-process line named "VIRTUAL<n>".
std::unique_ptr<PseudoTerminal> openPseudoTerminal(std::string& error);

#ifdef _WIN32
class SerialPort;
// The configurator's end of an in-process line by its name; nothing for any
// other name.
std::unique_ptr<SerialPort> openInProcessLine(const std::string& name);
#endif

}  // namespace livra
