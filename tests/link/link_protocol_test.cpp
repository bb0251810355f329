#include <gtest/gtest.h>

#include "link/link_protocol.h"

using namespace livra;
using Frame = std::vector<uint8_t>;

namespace {

Frame bytesOf(const RequestFrame& f) { return Frame(f.view().begin(), f.view().end()); }

Frame numberField(int64_t n) {
    RequestFrame f;
    putNumber(f, n);
    return bytesOf(f);
}

Frame commandField(uint8_t command) {
    RequestFrame f;
    beginRequest(f, TagRequest, command);
    return bytesOf(f);
}

// Feeds a stream to a receiver; the frame it completed, or nothing.
std::optional<Frame> receive(FrameReceiver& r, const Frame& stream) {
    for (uint8_t b : stream)
        if (r.feed(b)) return Frame(r.frame().begin(), r.frame().end());
    return std::nullopt;
}

}  // namespace

TEST(RequestFrame, IdentityRequestIsTheSevenKnownBytes) {
    const uint8_t zero[] = {0};
    EXPECT_EQ(bytesOf(makeRequest(0x23, 1, zero)), (Frame{0x31, 0x26, 0x13, 0x04, 0x06, 0xB5, 0x86}));
}

TEST(RequestFrame, NumberFieldsSendOnlySignificantNibbles) {
    EXPECT_EQ(numberField(0), (Frame{0x03}));
    EXPECT_EQ(numberField(15), (Frame{0xF3}));
    EXPECT_EQ(numberField(16), (Frame{0x03, 0x16}));
    EXPECT_EQ(numberField(255), (Frame{0xF3, 0xF6}));
    EXPECT_EQ(numberField(256), (Frame{0x03, 0x06, 0x16}));
    EXPECT_EQ(numberField(100000), (Frame{0x03, 0xA6, 0x66, 0x86, 0x16}));
    EXPECT_EQ(numberField(111764), (Frame{0x43, 0x96, 0x46, 0xB6, 0x16}));
    Frame max(8, 0xF6);
    max[0] = 0xF3;
    EXPECT_EQ(numberField(0xFFFFFFFF), max);
    EXPECT_EQ(numberField(-5), (Frame{0x03}));
}

TEST(RequestFrame, CommandCodesAboveFifteenTakeTwoBytes) {
    EXPECT_EQ(commandField(15), (Frame{0xF1}));
    EXPECT_EQ(commandField(16), (Frame{0x01, 0x16}));
    EXPECT_EQ(commandField(0x21), (Frame{0x11, 0x26}));
    EXPECT_EQ(commandField(0x0B), (Frame{0xB1}));
}

TEST(RequestFrame, DataBytesAndChecksum) {
    // Write part 2 at position 42 with the bytes 0xA5, 0x3C.
    const uint8_t data[] = {0xA5, 0x3C};
    const Frame f = bytesOf(makeRequest(0x02, 42, data));
    // 21 | A3 26 | 54 A6 | C4 36 | sum 0x2DE → 0xDE, complement 0x21
    EXPECT_EQ(f, (Frame{0x21, 0xA3, 0x26, 0x54, 0xA6, 0xC4, 0x36, 0x15, 0x26}));
}

TEST(RequestFrame, LargestImageFrameFits) {
    std::vector<uint8_t> data(41, 0xFF);
    const RequestFrame f = makeRequest(0x21, 0xFFFFFFFF, data);
    EXPECT_FALSE(f.overflow);
    EXPECT_EQ(f.length, 94);
    RequestFrame tooMuch;
    beginRequest(tooMuch, TagRequest, 1);
    for (int i = 0; i < 60; ++i) putDataByte(tooMuch, 1);
    EXPECT_TRUE(tooMuch.overflow);
}

TEST(ParseReply, AcceptsWellFormedReplies) {
    Reply r;
    const uint8_t identity[] = {3, 14, 2};
    const Frame f = makeReply(0x23, identity);
    EXPECT_EQ(f.size(), 2u + 6 + 2);
    ASSERT_EQ(parseReply(f, r), ExchangeResult::Ok);
    EXPECT_EQ(r.code, 0x23);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{3, 14, 2}));

    // One code byte; a code without its high nibble byte is below 16.
    const uint8_t one[] = {0x80};
    ASSERT_EQ(parseReply(makeReply(5, one), r), ExchangeResult::Ok);
    EXPECT_EQ(r.code, 5);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{0x80}));
    // Golden: code 5, data 0x80 → 52 04 86, sum 0xDC, complement 0x23.
    EXPECT_EQ(makeReply(5, one), (Frame{0x52, 0x04, 0x86, 0x35, 0x26}));
}

TEST(ParseReply, RejectsDamagedReplies) {
    Reply r;
    const uint8_t one[] = {7};
    const Frame good = makeReply(1, one);
    // Code and checksum only (4 bytes): no data.
    Frame codeOnly{0x12};
    const uint8_t k = uint8_t(~0x12);
    codeOnly.push_back(uint8_t(((k & 0x0F) << 4) | 5));
    codeOnly.push_back(uint8_t((k & 0xF0) | 6));
    codeOnly.insert(codeOnly.begin() + 1, 0x06);  // code high nibble byte, still no data
    EXPECT_EQ(parseReply(Frame(codeOnly.begin(), codeOnly.end()), r), ExchangeResult::BadReply);
    EXPECT_EQ(parseReply(Frame{0x12, 0x06, 0xD5}, r), ExchangeResult::BadReply);  // too short
    Frame badSum = good;
    badSum[1] ^= 0x10;
    EXPECT_EQ(parseReply(badSum, r), ExchangeResult::BadReply);
    Frame badStart = good;
    badStart[0] = 0x11;  // a request byte
    EXPECT_EQ(parseReply(badStart, r), ExchangeResult::BadReply);
    Frame badTail = good;
    std::swap(badTail[badTail.size() - 1], badTail[badTail.size() - 2]);
    EXPECT_EQ(parseReply(badTail, r), ExchangeResult::BadReply);
    EXPECT_TRUE(r.data.empty());
    EXPECT_EQ(parseReply(Frame(101, 0x42), r), ExchangeResult::BadReply);
    EXPECT_EQ(parseReply(Frame{}, r), ExchangeResult::BadReply);
}

TEST(ParseReply, BytesAfterTheLastDataPairAreNotExamined) {
    // code 1, data 7, a stray number byte, checksum over all of it
    Frame f{0x12, 0x74, 0x06, 0x93};
    uint8_t sum = 0;
    for (uint8_t b : f) sum = uint8_t(sum + b);
    const uint8_t k = uint8_t(~sum);
    f.push_back(uint8_t(((k & 0x0F) << 4) | 5));
    f.push_back(uint8_t((k & 0xF0) | 6));
    Reply r;
    ASSERT_EQ(parseReply(f, r), ExchangeResult::Ok);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{7}));
}

TEST(FrameReceiver, NoiseBeforeAReplyIsDropped) {
    const uint8_t data[] = {1, 2, 3};
    const Frame reply = makeReply(0x14, data);
    FrameReceiver rx(TagReply);
    // Noise includes a checksum-tagged byte and a tag-6 byte: neither may end
    // the frame before its own checksum.
    Frame stream{0x05, 0x77, 0x32, 0x45};
    stream.insert(stream.end(), reply.begin(), reply.end());
    stream.push_back(0x99);
    const auto got = receive(rx, stream);
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, reply);
    EXPECT_FALSE(rx.overflowed());
    EXPECT_FALSE(rx.feed(0x12)) << "a complete frame takes no more bytes";
}

TEST(FrameReceiver, OverlongReplyKeepsOverwritingTheLastSlotAndFails) {
    FrameReceiver rx(TagReply);
    Frame stream{0x12};
    for (int i = 0; i < 60; ++i) {
        stream.push_back(0x14);
        stream.push_back(0x06);
    }
    const uint8_t k = 0;
    stream.push_back(uint8_t(((k & 0x0F) << 4) | 5));
    stream.push_back(uint8_t((k & 0xF0) | 6));
    const auto got = receive(rx, stream);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->size(), 100u);
    EXPECT_TRUE(rx.overflowed());
    EXPECT_EQ(got->back(), 0x06);
    rx.reset();
    EXPECT_FALSE(rx.overflowed());
    EXPECT_TRUE(rx.frame().empty());
}

TEST(ParseRequest, RoundTripAndDamage) {
    const uint8_t data[] = {9, 8, 7};
    const RequestFrame f = makeRequest(0x07, 100041, data);
    auto r = parseRequest(f.view());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->command, 0x07);
    EXPECT_EQ(r->number, 100041u);
    EXPECT_EQ(r->data, (std::vector<uint8_t>{9, 8, 7}));

    Frame bad = bytesOf(f);
    bad[3] ^= 0x20;
    EXPECT_FALSE(parseRequest(bad));
    EXPECT_FALSE(parseRequest(Frame{0x31, 0x26, 0x13}));
    // No data byte: the checksum follows the number.
    RequestFrame empty;
    beginRequest(empty, TagRequest, 0x23);
    putNumber(empty, 1);
    endRequest(empty);
    EXPECT_FALSE(parseRequest(empty.view()));
    // A reply is not a request.
    EXPECT_FALSE(parseRequest(makeReply(0x23, data)));
}
