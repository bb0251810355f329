#include <gtest/gtest.h>

#include "link/exchange.h"

using namespace livra;
using namespace std::chrono;
using Frame = std::vector<uint8_t>;

namespace {

// A controller scripted per request over the in-memory pair, on a manual
// clock: a read that finds nothing advances the clock instead of waiting.
struct Bench {
    steady_clock::time_point clock{};
    std::vector<milliseconds> waits;
    int requests = 0;
    std::function<Frame(int)> answer;  // reply bytes to request number n (from 1)
    MemoryPortPair pair{[this](milliseconds d) {
        waits.push_back(d);
        clock += d;
    }};
    ExchangeTiming timing;

    Bench() {
        timing.now = [this] { return clock; };
        pair.onHostWrite = [this](std::span<const uint8_t>) {
            ++requests;
            pair.deviceEnd().discardInput();
            const Frame reply = answer ? answer(requests) : Frame{};
            if (!reply.empty()) pair.deviceEnd().write(reply);
        };
    }

    ExchangeResult run(Reply& reply, std::function<bool()> cancel = {}, std::size_t minimumData = 1,
                       int* attempts = nullptr) {
        const uint8_t zero[] = {0};
        return exchange(&pair.hostEnd(), makeRequest(0x23, 1, zero), reply, timing, cancel, minimumData, attempts);
    }
};

Frame good() {
    const uint8_t id[] = {3, 14, 2};
    return makeReply(0x23, id);
}

Frame damaged() {
    Frame f = good();
    f[2] ^= 0x40;
    return f;
}

}  // namespace

TEST(Exchange, ValidReplyOnTheFirstAttempt) {
    Bench b;
    b.answer = [](int) { return good(); };
    Reply r;
    int attempts = 0;
    EXPECT_EQ(b.run(r, {}, 3, &attempts), ExchangeResult::Ok);
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{3, 14, 2}));
}

TEST(Exchange, SilentControllerGetsSixAttemptsOfOneSecond) {
    Bench b;
    Reply r;
    r.data = {42};
    int attempts = 0;
    EXPECT_EQ(b.run(r, {}, 1, &attempts), ExchangeResult::NoAnswer);
    EXPECT_EQ(attempts, 6);
    EXPECT_EQ(b.requests, 6);
    EXPECT_EQ(b.clock - steady_clock::time_point{}, milliseconds(6000));
    // Never one wait longer than the cancel poll.
    for (auto w : b.waits) EXPECT_LE(w, milliseconds(20));
    EXPECT_EQ(r.data, (std::vector<uint8_t>{42})) << "a failed exchange leaves the reply alone";
}

TEST(Exchange, DamagedRepliesAreRetriedAtOnce) {
    Bench b;
    b.answer = [](int n) { return n < 3 ? damaged() : good(); };
    Reply r;
    int attempts = 0;
    EXPECT_EQ(b.run(r, {}, 1, &attempts), ExchangeResult::Ok);
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(b.clock - steady_clock::time_point{}, milliseconds(0));

    Bench always;
    always.answer = [](int) { return damaged(); };
    EXPECT_EQ(always.run(r, {}, 1, &attempts), ExchangeResult::BadReply);
    EXPECT_EQ(attempts, 6);
}

TEST(Exchange, ShortOrOverlongRepliesCountAsDamaged) {
    Bench b;
    b.answer = [](int n) {
        if (n == 1) return Frame{0x12, 0x06, 0x15, 0x06};  // code and checksum only
        if (n == 2) {
            Frame f{0x12};
            for (int i = 0; i < 55; ++i) f.insert(f.end(), {0x14, 0x06});
            f.insert(f.end(), {0x05, 0x06});
            return f;
        }
        return good();
    };
    Reply r;
    int attempts = 0;
    EXPECT_EQ(b.run(r, {}, 1, &attempts), ExchangeResult::Ok);
    EXPECT_EQ(attempts, 3);
}

TEST(Exchange, TooFewDataBytesAreADamagedReply) {
    Bench b;
    const uint8_t one[] = {2};
    b.answer = [&](int) { return makeReply(0x23, one); };
    Reply r;
    EXPECT_EQ(b.run(r, {}, 3), ExchangeResult::BadReply);
}

TEST(Exchange, NoiseBeforeTheReplyIsAccepted) {
    Bench b;
    b.answer = [](int) {
        Frame f{0x05, 0x16, 0xFF, 0x33};
        const Frame g = good();
        f.insert(f.end(), g.begin(), g.end());
        return f;
    };
    Reply r;
    int attempts = 0;
    EXPECT_EQ(b.run(r, {}, 3, &attempts), ExchangeResult::Ok);
    EXPECT_EQ(attempts, 1);
}

TEST(Exchange, NotReadyWaitsOutTheAttemptThenRetries) {
    Bench b;
    const uint8_t zero[] = {0};
    b.answer = [&](int n) { return n == 1 ? makeReply(3, zero) : good(); };
    Reply r;
    int attempts = 0;
    EXPECT_EQ(b.run(r, {}, 1, &attempts), ExchangeResult::Ok);
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(b.clock - steady_clock::time_point{}, milliseconds(1000));

    // Code 3 with a non-zero byte, or with two bytes, is an ordinary reply.
    Bench other;
    const uint8_t two[] = {0, 0};
    other.answer = [&](int) { return makeReply(3, two); };
    EXPECT_EQ(other.run(r, {}, 1, &attempts), ExchangeResult::Ok);
    EXPECT_EQ(attempts, 1);
}

TEST(Exchange, CancelEndsTheWaitWithinOnePoll) {
    Bench b;
    int polls = 0;
    Reply r;
    int attempts = 0;
    EXPECT_EQ(b.run(r, [&] { return ++polls > 5; }, 1, &attempts), ExchangeResult::Cancelled);
    EXPECT_EQ(attempts, 1);
    EXPECT_LE(b.clock - steady_clock::time_point{}, milliseconds(100));
}

TEST(Exchange, ClosedPortIsNoPortWithoutSending) {
    Bench b;
    b.pair.hostEnd().close();
    Reply r;
    EXPECT_EQ(b.run(r), ExchangeResult::NoPort);
    EXPECT_EQ(b.requests, 0);
    EXPECT_EQ(exchange(nullptr, RequestFrame{}, r, b.timing, {}), ExchangeResult::NoPort);
}

TEST(Exchange, StaleBytesFromAnEarlierExchangeAreDropped) {
    Bench b;
    // A late reply with other data sits in the input before this request.
    const uint8_t stale[] = {9, 9, 9};
    const Frame old = makeReply(0x23, stale);
    b.pair.deviceEnd().write(old);
    b.answer = [](int) { return good(); };
    Reply r;
    EXPECT_EQ(b.run(r, {}, 3), ExchangeResult::Ok);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{3, 14, 2}));
}

TEST(CableSearch, RegistryRule) {
    EXPECT_EQ(cablePortFromRegistryValue("\\Device\\ProlificSerial0", "com7"), "COM7");
    EXPECT_EQ(cablePortFromRegistryValue("\\Device\\ProlificSerial0", "COM12"), "COM12");
    EXPECT_EQ(cablePortFromRegistryValue("\\Device\\ProlificSerial0", "Com1com"), "COM1");
    EXPECT_FALSE(cablePortFromRegistryValue("\\Device\\ProlificSerial0", "LPT1"));
    EXPECT_FALSE(cablePortFromRegistryValue("\\Device\\ProlificSerial0", "co"));
    EXPECT_FALSE(cablePortFromRegistryValue("\\Device\\prolificserial0", "COM3"));
    EXPECT_FALSE(cablePortFromRegistryValue("\\Device\\Serial0", "COM1"));
}

TEST(CableSearch, LastMatchWinsAndNoneIsEmpty) {
    std::vector<PortCandidate> c(4);
    c[0].registryValueName = "\\Device\\ProlificSerial0";
    c[0].registryData = "COM3";
    c[1].registryValueName = "\\Device\\Serial0";
    c[1].registryData = "COM1";
    c[2].registryValueName = "\\Device\\ProlificSerial1";
    c[2].registryData = "com9";
    c[3].registryValueName = "\\Device\\ProlificSerial2";
    c[3].registryData = "XYZ";
    EXPECT_EQ(findCablePort(c), "COM9");
    EXPECT_EQ(findCablePort({}), "");

    std::vector<PortCandidate> usb(4);
    usb[0].name = "/dev/ttyUSB0";
    usb[0].usbVendor = 0x067B;
    usb[1].name = "/dev/ttyUSB1";
    usb[1].driver = "pl2303";
    usb[2].name = "/dev/ttyACM0";
    usb[2].usbVendor = 0x2341;
    usb[3].name = "/dev/ttyS0";
    EXPECT_EQ(findCablePort(usb), "/dev/ttyUSB1");
    usb.resize(1);
    EXPECT_EQ(findCablePort(usb), "/dev/ttyUSB0");
    usb[0].usbVendor = 0x0403;
    EXPECT_EQ(findCablePort(usb), "");
}
