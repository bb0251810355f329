#ifdef _WIN32
#include <windows.h>

#include "serial_qt/qt_serial_port.h"

namespace livra {

// The values of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM in enumeration order;
// findCablePort picks the cable's one by its value name.
std::vector<PortCandidate> platformPortCandidates() {
    std::vector<PortCandidate> out;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return out;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = 255;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (nameLength == 0) break;
        BYTE data[256];
        DWORD dataLength = 255;
        if (RegQueryValueExA(key, name, nullptr, nullptr, data, &dataLength) != ERROR_SUCCESS) continue;
        PortCandidate c;
        c.registryValueName.assign(name, nameLength);
        std::string text(reinterpret_cast<const char*>(data), dataLength);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        c.registryData = text;
        c.name = text;
        out.push_back(std::move(c));
    }
    RegCloseKey(key);
    return out;
}

}  // namespace livra
#endif
