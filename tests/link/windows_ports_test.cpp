// The ports of the Windows build: the virtual controller's in-process line
// and the Win32 serial port. Nothing to test elsewhere.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <chrono>

#include "emulator/pty.h"
#include "emulator/virtual_controller.h"
#include "link/exchange.h"
#include "serial_qt/qt_serial_port.h"

namespace livra {
namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> readSome(SerialPort& port, std::size_t n) {
    std::vector<uint8_t> got;
    uint8_t buf[64];
    for (int i = 0; i < 20 && got.size() < n; ++i) {
        const auto r = port.read(buf, 50ms);
        if (r < 0) break;
        got.insert(got.end(), buf, buf + r);
    }
    return got;
}

TEST(WindowsPorts, InProcessLineCarriesBytesBothWaysUnderItsOwnName) {
    auto ports = makeQtSerialPortProvider();
    std::string error;
    auto first = openPseudoTerminal(error);
    auto second = openPseudoTerminal(error);
    ASSERT_TRUE(first && second) << error;
    EXPECT_NE(first->devicePath(), second->devicePath());
    EXPECT_EQ(first->devicePath().rfind("VIRTUAL", 0), 0u);

    auto port = ports->open(first->devicePath());
    ASSERT_TRUE(port);
    uint8_t nothing[4];
    EXPECT_EQ(port->read(nothing, 0ms), 0) << "nothing sent yet";
    const std::vector<uint8_t> request{0x02, 0x10, 0xff, 0x00};
    ASSERT_TRUE(port->write(request));
    uint8_t buf[16];
    ASSERT_EQ(first->read(buf, 100ms), 4);
    EXPECT_TRUE(std::equal(request.begin(), request.end(), buf));
    uint8_t other[4];
    EXPECT_EQ(second->read(other, 0ms), 0) << "the other line heard nothing";

    const std::vector<uint8_t> reply{0x06, 0x41};
    ASSERT_TRUE(first->write(reply));
    EXPECT_EQ(readSome(*port, 2), reply);
    // Unread input is dropped on request, as a real port's.
    ASSERT_TRUE(first->write(reply));
    port->discardInput();
    EXPECT_EQ(port->read(buf, 0ms), 0);

    // A closed port refuses; reopening the name works while the line lives,
    // and the port outlives a line that went away without failing wildly.
    port->close();
    EXPECT_FALSE(port->write(request));
    EXPECT_EQ(port->read(buf, 0ms), -1);
    auto again = ports->open(first->devicePath());
    ASSERT_TRUE(again);
    const std::string name = first->devicePath();
    first.reset();
    EXPECT_FALSE(ports->open(name)) << "the name is gone with its line (no such COM port either)";
    auto reused = openPseudoTerminal(error);
    EXPECT_EQ(reused->devicePath(), name) << "a freed name is given out again";
}

TEST(WindowsPorts, VirtualControllerAnswersOnItsLineAsOnATerminal) {
    VirtualControllerOptions o;
    o.applyTime = 0ms;
    o.model = 4;
    o.firmware = 9;
    VirtualController controller(o);
    const std::string name = controller.start();
    ASSERT_FALSE(name.empty()) << controller.error();
    auto port = makeQtSerialPortProvider()->open(name);
    ASSERT_TRUE(port);
    // The identification request: the model and firmware come back.
    const uint8_t zero[] = {0};
    ExchangeTiming timing;
    timing.attemptTimeout = 500ms;
    Reply reply;
    ASSERT_EQ(exchange(port.get(), makeRequest(0x23, 1, zero), reply, timing, {}), ExchangeResult::Ok);
    ASSERT_GE(reply.data.size(), 2u);
    EXPECT_EQ(reply.data[0], 4);
    EXPECT_EQ(reply.data[1], 9);
    EXPECT_EQ(controller.requestsServed(), 1);
    controller.stop();
}

TEST(WindowsPorts, MissingComPortDoesNotOpen) {
    auto ports = makeQtSerialPortProvider();
    EXPECT_FALSE(ports->open("COM250"));
    EXPECT_FALSE(ports->open("\\\\.\\COM251"));
    for (const PortCandidate& c : ports->candidates()) {
        EXPECT_FALSE(c.registryValueName.empty());
        EXPECT_EQ(c.name, c.registryData) << "the port is the registry value's data";
    }
}

}  // namespace
}  // namespace livra
#endif
