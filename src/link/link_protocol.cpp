#include "link/link_protocol.h"

namespace livra {
namespace {

void put(RequestFrame& f, uint8_t b) {
    if (f.length >= f.bytes.size()) {
        f.overflow = true;
        return;
    }
    f.bytes[f.length++] = b;
    f.sum = uint8_t(f.sum + b);
}

uint8_t complementedSum(std::span<const uint8_t> bytes) {
    uint8_t sum = 0;
    for (uint8_t b : bytes) sum = uint8_t(sum + b);
    return uint8_t(~sum);
}

}  // namespace

void beginRequest(RequestFrame& f, uint8_t tag, uint8_t command) {
    f.length = 0;
    f.sum = 0;
    f.overflow = false;
    put(f, uint8_t(((command & 0x0F) << 4) | (tag & 0x0F)));
    if (command > 15) put(f, uint8_t((command & 0xF0) | TagNext));
}

void putNumber(RequestFrame& f, int64_t n) {
    const uint64_t v = n < 0 ? 0 : uint64_t(n);
    put(f, uint8_t(((v & 0x0F) << 4) | TagNumber));
    for (int k = 1; k <= 7; ++k) {
        if (v < (uint64_t(1) << (4 * k))) break;
        put(f, uint8_t((((v >> (4 * k)) & 0x0F) << 4) | TagNext));
    }
}

void putDataByte(RequestFrame& f, uint8_t b) {
    put(f, uint8_t(((b & 0x0F) << 4) | TagData));
    put(f, uint8_t((b & 0xF0) | TagNext));
}

void endRequest(RequestFrame& f) {
    const uint8_t k = uint8_t(~f.sum);
    put(f, uint8_t(((k & 0x0F) << 4) | TagChecksum));
    put(f, uint8_t((k & 0xF0) | TagNext));
    f.sum = 0;
}

RequestFrame makeRequest(uint8_t command, int64_t number, std::span<const uint8_t> data) {
    RequestFrame f;
    beginRequest(f, TagRequest, command);
    putNumber(f, number);
    for (uint8_t b : data) putDataByte(f, b);
    endRequest(f);
    return f;
}

ExchangeResult parseReply(std::span<const uint8_t> frame, Reply& reply) {
    reply.data.clear();
    const std::size_t n = frame.size();
    if (n < 4 || n > kFrameCapacity) return ExchangeResult::BadReply;
    if (tagOf(frame[n - 2]) != TagChecksum || tagOf(frame[n - 1]) != TagNext) return ExchangeResult::BadReply;
    const uint8_t received = uint8_t(nibbleOf(frame[n - 2]) | (nibbleOf(frame[n - 1]) << 4));
    if (received != complementedSum(frame.first(n - 2))) return ExchangeResult::BadReply;
    if (tagOf(frame[0]) != TagReply) return ExchangeResult::BadReply;
    uint8_t code = nibbleOf(frame[0]);
    std::size_t pos = 1;
    if (tagOf(frame[1]) == TagNext) {
        code = uint8_t(code | (nibbleOf(frame[1]) << 4));
        pos = 2;
    }
    // Data pairs lie between the code and the checksum.
    const std::size_t end = n - 2;
    auto pairAt = [&](std::size_t p) {
        return p + 1 < end && tagOf(frame[p]) == TagData && tagOf(frame[p + 1]) == TagNext;
    };
    if (!pairAt(pos)) return ExchangeResult::BadReply;
    std::vector<uint8_t> data;
    while (pairAt(pos)) {
        data.push_back(uint8_t(nibbleOf(frame[pos]) | (nibbleOf(frame[pos + 1]) << 4)));
        pos += 2;
    }
    reply.code = code;
    reply.data = std::move(data);
    return ExchangeResult::Ok;
}

std::vector<uint8_t> makeReply(uint8_t code, std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    out.push_back(uint8_t(((code & 0x0F) << 4) | TagReply));
    if (code > 15) out.push_back(uint8_t((code & 0xF0) | TagNext));
    for (uint8_t b : data) {
        out.push_back(uint8_t(((b & 0x0F) << 4) | TagData));
        out.push_back(uint8_t((b & 0xF0) | TagNext));
    }
    const uint8_t k = complementedSum(out);
    out.push_back(uint8_t(((k & 0x0F) << 4) | TagChecksum));
    out.push_back(uint8_t((k & 0xF0) | TagNext));
    return out;
}

std::optional<ParsedRequest> parseRequest(std::span<const uint8_t> frame) {
    const std::size_t n = frame.size();
    if (n < 4 || n > kFrameCapacity) return std::nullopt;
    if (tagOf(frame[n - 2]) != TagChecksum || tagOf(frame[n - 1]) != TagNext) return std::nullopt;
    const uint8_t received = uint8_t(nibbleOf(frame[n - 2]) | (nibbleOf(frame[n - 1]) << 4));
    if (received != complementedSum(frame.first(n - 2))) return std::nullopt;
    const std::size_t end = n - 2;
    ParsedRequest r;
    std::size_t pos = 0;
    if (tagOf(frame[pos]) != TagRequest) return std::nullopt;
    r.command = nibbleOf(frame[pos++]);
    if (pos < end && tagOf(frame[pos]) == TagNext) r.command = uint8_t(r.command | (nibbleOf(frame[pos++]) << 4));
    if (pos >= end || tagOf(frame[pos]) != TagNumber) return std::nullopt;
    uint32_t number = nibbleOf(frame[pos++]);
    for (int k = 1; k <= 7 && pos < end && tagOf(frame[pos]) == TagNext; ++k)
        number |= uint32_t(nibbleOf(frame[pos++])) << (4 * k);
    r.number = number;
    while (pos + 1 < end && tagOf(frame[pos]) == TagData && tagOf(frame[pos + 1]) == TagNext) {
        r.data.push_back(uint8_t(nibbleOf(frame[pos]) | (nibbleOf(frame[pos + 1]) << 4)));
        pos += 2;
    }
    if (pos != end || r.data.empty()) return std::nullopt;
    return r;
}

void FrameReceiver::reset() {
    length_ = 0;
    checksumSeen_ = false;
    complete_ = false;
    overflowed_ = false;
    started_ = false;
}

bool FrameReceiver::feed(uint8_t b) {
    if (complete_) return false;
    const uint8_t tag = tagOf(b);
    if (tag == startTag_) {
        // A start byte restarts the frame, and with it the checksum watch, so
        // that noise before a reply cannot end the reply early.
        length_ = 0;
        checksumSeen_ = false;
        overflowed_ = false;
        started_ = true;
    }
    // Line noise before the first start byte is not part of any frame.
    if (!started_) return false;
    if (length_ < buffer_.size()) {
        buffer_[length_++] = b;
    } else {
        buffer_[buffer_.size() - 1] = b;
        overflowed_ = true;
    }
    if (tag == TagNext && checksumSeen_) {
        complete_ = true;
        return true;
    }
    if (tag == TagChecksum) checksumSeen_ = true;
    return false;
}

}  // namespace livra
