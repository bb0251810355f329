#ifndef _WIN32
// Windows has its own port (serial_port_windows.cpp).
#include "serial_qt/qt_serial_port.h"

#include <QCoreApplication>
#include <QSerialPort>

namespace livra {
namespace {

// Qt's port needs an application object for its notifiers; the command line
// and the tests have none of their own.
void ensureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "livra";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

class QtSerialPort : public SerialPort {
public:
    bool open(const std::string& name) {
        port_.setPortName(QString::fromStdString(name));
        if (!port_.open(QIODevice::ReadWrite)) return false;
        const bool ok = port_.setBaudRate(QSerialPort::Baud57600) && port_.setDataBits(QSerialPort::Data8) &&
                        port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                        port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!ok) port_.close();
        return ok;
    }

    bool isOpen() const override { return port_.isOpen(); }

    bool write(std::span<const uint8_t> bytes) override {
        if (!port_.isOpen()) return false;
        const qint64 n = port_.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        if (n != qint64(bytes.size())) return false;
        port_.flush();  // hands the bytes to the driver without blocking
        return true;
    }

    std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds timeout) override {
        if (!port_.isOpen()) return -1;
        if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(int(timeout.count()))) {
            const auto e = port_.error();
            if (e == QSerialPort::TimeoutError || e == QSerialPort::NoError) {
                port_.clearError();
                return 0;
            }
            if (e == QSerialPort::ResourceError) {
                port_.close();
                return -1;
            }
            port_.clearError();
            return 0;
        }
        const qint64 n = port_.read(reinterpret_cast<char*>(into.data()), qint64(into.size()));
        return n < 0 ? -1 : std::ptrdiff_t(n);
    }

    void discardInput() override {
        if (!port_.isOpen()) return;
        port_.clear(QSerialPort::Input);
        port_.readAll();
    }

    void close() override { port_.close(); }

private:
    QSerialPort port_;
};

class QtSerialPortProvider : public SerialPortProvider {
public:
    std::vector<PortCandidate> candidates() override {
        ensureApplication();
        return platformPortCandidates();
    }
    std::unique_ptr<SerialPort> open(const std::string& name) override {
        ensureApplication();
        auto port = std::make_unique<QtSerialPort>();
        if (!port->open(name)) return nullptr;
        return port;
    }
};

}  // namespace

std::unique_ptr<SerialPortProvider> makeQtSerialPortProvider() { return std::make_unique<QtSerialPortProvider>(); }

}  // namespace livra
#endif
