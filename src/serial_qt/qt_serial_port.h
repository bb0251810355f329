#pragma once
// Real serial ports: USB-serial cables and pseudo-terminals alike. On Qt
// Serial Port on Linux; on Windows on the plain Win32 calls, whose blocking
// reads work on every system (Qt's overlapped reads never complete on some).
#include <memory>
#include <vector>

#include "link/serial_port.h"

namespace livra {

std::unique_ptr<SerialPortProvider> makeQtSerialPortProvider();

// The system's serial ports with what the cable search looks at. One file per
// platform: the registry's serial-port map on Windows, the USB vendor and the
// kernel driver elsewhere.
std::vector<PortCandidate> platformPortCandidates();

}  // namespace livra
