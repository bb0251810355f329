#ifdef _WIN32
// Serial ports on Windows through the plain Win32 calls: blocking ReadFile
// and WriteFile bounded by the comm time-outs. Qt's port waits for overlapped
// completion events that some systems (wine) never post, so it is not used
// here; the port list comes from the registry (port_search_windows.cpp).
#include <windows.h>

#include <algorithm>

#include "emulator/pty.h"
#include "serial_qt/qt_serial_port.h"

namespace livra {
namespace {

// Time for the line to take one byte at 57600 baud 8N1 (10 bits), rounded
// up, plus a fixed allowance for the driver; past that a write has failed.
constexpr DWORD kWriteMsPerByte = 1;
constexpr DWORD kWriteFixedMs = 2000;

class Win32SerialPort : public SerialPort {
public:
    ~Win32SerialPort() override { close(); }

    bool open(const std::string& name) {
        // The device namespace reaches COM10 and above as well as COM1..COM9.
        const std::string path = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
        handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) return false;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        bool ok = GetCommState(handle_, &dcb);
        if (ok) {
            dcb.BaudRate = 57600;
            dcb.ByteSize = 8;
            dcb.Parity = NOPARITY;
            dcb.StopBits = ONESTOPBIT;
            dcb.fBinary = TRUE;
            dcb.fParity = FALSE;
            dcb.fOutxCtsFlow = FALSE;
            dcb.fOutxDsrFlow = FALSE;
            dcb.fDsrSensitivity = FALSE;
            dcb.fDtrControl = DTR_CONTROL_ENABLE;
            dcb.fRtsControl = RTS_CONTROL_ENABLE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            dcb.fErrorChar = FALSE;
            dcb.fNull = FALSE;
            dcb.fAbortOnError = FALSE;
            ok = SetCommState(handle_, &dcb);
        }
        if (ok) {
            SetupComm(handle_, 8192, 8192);
            PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR);
            ok = setTimeouts(0);
        }
        if (!ok) close();
        return ok;
    }

    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool write(std::span<const uint8_t> bytes) override {
        if (!isOpen()) return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(handle_, bytes.data() + done, chunk, &written, nullptr)) return fail();
            if (written == 0) return false;  // the write deadline passed: the line does not take bytes
            done += written;
        }
        return true;
    }

    std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds timeout) override {
        if (!isOpen()) return -1;
        if (into.empty()) return 0;
        const auto ms = std::clamp<long long>(timeout.count(), 0, MAXDWORD - 1);
        DWORD n = 0;
        const DWORD size = DWORD(std::min<std::size_t>(into.size(), MAXDWORD));
        if (!setTimeouts(DWORD(ms)) || !ReadFile(handle_, into.data(), size, &n, nullptr)) {
            fail();
            return -1;
        }
        return std::ptrdiff_t(n);
    }

    void discardInput() override {
        if (isOpen()) PurgeComm(handle_, PURGE_RXCLEAR | PURGE_RXABORT);
    }

    void close() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    // A read returns as soon as a byte is there and waits at most `readMs`
    // for the first one (the documented MAXDWORD/MAXDWORD/constant case);
    // 0 returns at once with what has arrived.
    bool setTimeouts(DWORD readMs) {
        if (readMs == readMs_) return true;
        COMMTIMEOUTS t{};
        if (readMs == 0) {
            t.ReadIntervalTimeout = MAXDWORD;
        } else {
            t.ReadIntervalTimeout = MAXDWORD;
            t.ReadTotalTimeoutMultiplier = MAXDWORD;
            t.ReadTotalTimeoutConstant = readMs;
        }
        t.WriteTotalTimeoutMultiplier = kWriteMsPerByte;
        t.WriteTotalTimeoutConstant = kWriteFixedMs;
        if (!SetCommTimeouts(handle_, &t)) return false;
        readMs_ = readMs;
        return true;
    }

    // A device that went away (cable pulled) fails every call: the port is
    // closed so the link reports it instead of retrying forever.
    bool fail() {
        close();
        return false;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD readMs_ = MAXDWORD;
};

class Win32SerialPortProvider : public SerialPortProvider {
public:
    std::vector<PortCandidate> candidates() override { return platformPortCandidates(); }
    std::unique_ptr<SerialPort> open(const std::string& name) override {
        // The virtual controller runs in this process on Windows.
        if (auto line = openInProcessLine(name)) return line;
        auto port = std::make_unique<Win32SerialPort>();
        if (!port->open(name)) return nullptr;
        return port;
    }
};

}  // namespace

std::unique_ptr<SerialPortProvider> makeQtSerialPortProvider() { return std::make_unique<Win32SerialPortProvider>(); }

}  // namespace livra
#endif
