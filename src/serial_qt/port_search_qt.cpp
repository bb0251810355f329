#ifndef _WIN32
#include <QSerialPortInfo>
#include <filesystem>

#include "serial_qt/qt_serial_port.h"

namespace livra {

// Every serial port Qt knows, with its USB vendor and, where the system
// shows it (Linux sysfs), the name of its kernel driver.
std::vector<PortCandidate> platformPortCandidates() {
    std::vector<PortCandidate> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortCandidate c;
        c.name = info.systemLocation().toStdString();
        if (info.hasVendorIdentifier()) c.usbVendor = info.vendorIdentifier();
        std::error_code ec;
        const auto link = std::filesystem::read_symlink(
            std::filesystem::path("/sys/class/tty") / info.portName().toStdString() / "device" / "driver", ec);
        if (!ec) c.driver = link.filename().string();
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace livra
#endif
