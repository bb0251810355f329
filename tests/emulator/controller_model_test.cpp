#include <gtest/gtest.h>

#include "emulator/controller_model.h"

using namespace livra;
using namespace std::chrono;

namespace {

struct Controller {
    int64_t host = civilSeconds(2026, 12, 8, 10, 0, 0);
    steady_clock::time_point now{};
    ControllerModel model;
    explicit Controller(ControllerModelOptions o = {}) : model(o, [this] { return host; }) {}

    Reply ask(uint8_t command, uint32_t number, std::vector<uint8_t> data = {0}) {
        const auto frame = model.handle(ParsedRequest{command, number, std::move(data)}, now);
        Reply r;
        EXPECT_EQ(parseReply(frame, r), ExchangeResult::Ok);
        return r;
    }
};

}  // namespace

TEST(ControllerModel, IdentityAndStartRecord) {
    ControllerModelOptions o;
    o.model = 7;
    o.firmware = 21;
    o.compatibilityClass = 3;
    Controller c(o);
    EXPECT_EQ(c.ask(CmdIdentity, 1).data, (std::vector<uint8_t>{7, 21, 3}));
    EXPECT_EQ(c.model.newestRecord(), 1);
    const JournalRecord start = c.model.journalRecord(1);
    EXPECT_EQ(start.event, EventNormalStart);
    EXPECT_EQ(start.day, 8);
    EXPECT_EQ(start.month, 12);
    EXPECT_EQ(start.year, 26);
}

TEST(ControllerModel, ImagePartsAreKeptByPosition) {
    Controller c;
    // Image part 2 in two frames; part 7 at 100000; part 8 from 0.
    std::vector<uint8_t> first(41), second(41);
    for (int i = 0; i < 41; ++i) first[i] = uint8_t(i), second[i] = uint8_t(100 + i);
    EXPECT_EQ(c.ask(0x02, 1, first).data, (std::vector<uint8_t>{41}));
    c.ask(0x02, 42, second);
    c.ask(0x07, 100000, {5, 0, 0, 0, 64});
    c.ask(0x08, 0, {1, 2, 3, 4, 5});

    const auto& part2 = c.model.internalArea(0x02);
    ASSERT_EQ(part2.size(), 255u);
    EXPECT_EQ(part2[0], 0);
    EXPECT_EQ(part2[41], 100);
    EXPECT_EQ(part2[81], 140);

    // Blocks of 40 from any position; fewer at the end of the part.
    const Reply block = c.ask(0x15, 41);
    ASSERT_EQ(block.data.size(), 40u);
    EXPECT_EQ(block.data[0], 40);
    EXPECT_EQ(block.data[1], 100);
    EXPECT_EQ(c.ask(0x15, 241).data.size(), 15u);
    EXPECT_EQ(c.ask(0x17, 1).data.size(), 4u) << "part 4 comes whole";
    EXPECT_EQ(c.ask(0x16, 1).data.size(), 1u);
    EXPECT_EQ(c.ask(0x20, 100000).data[0], 5);
    EXPECT_EQ(c.ask(0x21, 0).data[4], 5);
}

TEST(ControllerModel, OutOfRangeRequestsAreRejected) {
    Controller c;
    const std::vector<uint8_t> two{1, 2};
    EXPECT_EQ(c.ask(0x03, 1, two).code, kReplyRejected);      // part 3 holds one byte
    EXPECT_EQ(c.ask(0x01, 0, {1}).code, kReplyRejected);      // positions start at 1
    EXPECT_EQ(c.ask(0x08, 99999, two).code, kReplyRejected);  // into the part 7 header
    EXPECT_EQ(c.ask(0x07, 109999, two).code, kReplyRejected); // into the journal
    EXPECT_EQ(c.ask(0x14, 169).code, kReplyRejected);
    EXPECT_EQ(c.ask(0x24, 111800).code, kReplyRejected);
    EXPECT_EQ(c.ask(0x5A, 1).code, kReplyRejected);
    EXPECT_EQ(c.model.internalArea(0x03)[0], 0);
}

TEST(ControllerModel, CompleteConfigurationIsAppliedWhileNotReady) {
    ControllerModelOptions o;
    o.applyTime = milliseconds(300);
    Controller c(o);
    c.ask(0x0C, 1, std::vector<uint8_t>(41, 1));
    EXPECT_EQ(c.model.configurationsApplied(), 0) << "part 10 is not complete yet";
    c.ask(0x0C, 42, std::vector<uint8_t>(23, 2));
    EXPECT_EQ(c.model.configurationsApplied(), 1);
    EXPECT_EQ(c.model.journalRecord(c.model.newestRecord()).event, EventNewConfiguration);

    const auto notReady = c.model.handle(ParsedRequest{CmdIdentity, 1, {0}}, c.now + milliseconds(100));
    Reply r;
    ASSERT_EQ(parseReply(notReady, r), ExchangeResult::Ok);
    EXPECT_EQ(notReady.size(), 5u);
    EXPECT_EQ(r.code, kReplyNotReady);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{0}));
    c.now += milliseconds(300);
    EXPECT_EQ(c.ask(CmdIdentity, 1).code, CmdIdentity);
}

TEST(ControllerModel, ClockKeepsItsOffsetFromTheComputer) {
    Controller c;
    const ClockRecord set{30, 15, 23, 0, 31, 12, 29};  // 31.12.2029 23:15:30, weekday left to the controller
    const auto setBytes = set.bytes();
    EXPECT_EQ(c.ask(CmdSetClock, 1, std::vector<uint8_t>(setBytes.begin(), setBytes.end())).code, CmdSetClock);
    c.host += 3600;  // an hour later on the computer
    const Reply r = c.ask(CmdReadClock, 1);
    ASSERT_EQ(r.data.size(), 7u);
    const ClockRecord now = ClockRecord::fromBytes(r.data.data());
    EXPECT_EQ(now, (ClockRecord{30, 15, 0, 2, 1, 1, 30}));  // 01.01.2030 was a Tuesday
    // An impossible date is refused and the clock stays.
    EXPECT_EQ(c.ask(CmdSetClock, 1, {0, 0, 25, 1, 1, 1, 20}).code, kReplyRejected);
    EXPECT_EQ(c.model.clock().year, 30);
}

TEST(ControllerModel, JournalRingWrapsAndServiceRequests) {
    ControllerModelOptions o;
    o.logStart = false;
    o.newestRecord = 199;
    Controller c(o);
    c.model.logEvent(6, 12, 3);
    c.model.logEvent(7, 13, 4);
    EXPECT_EQ(c.model.newestRecord(), 1);
    EXPECT_EQ(c.model.journalRecord(200).event, 6);
    EXPECT_EQ(c.model.journalRecord(1).channel, 13);
    EXPECT_EQ(c.ask(CmdJournalNewest, 1).data, (std::vector<uint8_t>{1}));

    // Record 200 sits at 110000 + 9 * 199 = 111791: the last block.
    const Reply last = c.ask(CmdJournalBlock, 111764);
    ASSERT_EQ(last.data.size(), 36u);
    EXPECT_EQ(last.data[27 + 6], 6);

    c.ask(CmdService, 1, {1});
    EXPECT_EQ(c.model.journalRecord(2).event, EventNormalStart);
    c.ask(CmdService, 1, {2});
    EXPECT_EQ(c.model.journalRecord(2).event, 0);
    EXPECT_EQ(c.model.newestRecord(), 200);
    EXPECT_EQ(c.ask(CmdService, 1, {3}).code, kReplyRejected);
}

TEST(ControllerModel, StateSurvivesARestartAndBadStateIsRefused) {
    Controller a;
    a.ask(0x06, 1, {9, 8, 7});
    a.ask(0x08, 10, {1, 2});
    const auto state = a.model.saveState();

    ControllerModelOptions o;
    o.logStart = false;
    Controller b(o);
    ASSERT_TRUE(b.model.loadState(state));
    EXPECT_EQ(b.model.internalArea(0x06)[2], 7);
    EXPECT_EQ(b.model.externalMemory()[11], 2);
    EXPECT_EQ(b.model.newestRecord(), 1);

    Controller d(o);
    auto cut = state;
    cut.pop_back();
    EXPECT_FALSE(d.model.loadState(cut));
    auto wrongMagic = state;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(d.model.loadState(wrongMagic));
    Controller fresh(o);
    EXPECT_EQ(d.model.internalArea(0x06), fresh.model.internalArea(0x06));
    EXPECT_EQ(d.model.saveState(), fresh.model.saveState());
}
