#pragma once
// Frames of the controller link. Every byte on the line carries a tag in its
// low nibble and four bits of payload in its high nibble; multi-nibble items
// continue with tag 6. A frame ends with a complemented one-byte sum.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace livra {

enum : uint8_t {
    TagRequest = 1,
    TagReply = 2,
    TagNumber = 3,
    TagData = 4,
    TagChecksum = 5,
    TagNext = 6,
};

inline uint8_t tagOf(uint8_t b) { return b & 0x0F; }
inline uint8_t nibbleOf(uint8_t b) { return b >> 4; }

enum class ExchangeResult : uint8_t { Ok = 0, NoPort = 1, NoAnswer = 2, BadReply = 3, Cancelled = 4 };

// The largest frame either side keeps; longer replies overwrite the last slot.
constexpr std::size_t kFrameCapacity = 100;
// The most data bytes one request carries (image frames).
constexpr std::size_t kMaxRequestData = 41;

// A request under construction. The biggest one built (two command bytes,
// eight number bytes, 41 data bytes, checksum) is 94 bytes.
struct RequestFrame {
    std::array<uint8_t, kFrameCapacity + 1> bytes{};
    uint8_t length = 0;
    uint8_t sum = 0;
    bool overflow = false;  // a byte did not fit; the frame must not be sent
    std::span<const uint8_t> view() const { return {bytes.data(), length}; }
};

void beginRequest(RequestFrame& f, uint8_t tag, uint8_t command);
// Number fields are non-negative; a negative value is sent as 0. At most
// eight nibbles are sent (values up to 2^32 - 1).
void putNumber(RequestFrame& f, int64_t n);
void putDataByte(RequestFrame& f, uint8_t b);
void endRequest(RequestFrame& f);

// begin + number + data + end in one call.
RequestFrame makeRequest(uint8_t command, int64_t number, std::span<const uint8_t> data);

struct Reply {
    uint8_t code = 0;
    std::vector<uint8_t> data;  // never more than the frame can hold (49)
};

// Checks a received reply frame. Looks at no byte outside `frame`. On Ok the
// reply is filled; on BadReply its data is empty.
ExchangeResult parseReply(std::span<const uint8_t> frame, Reply& reply);

// A reply frame built the way the controller builds it (code, data, sum).
std::vector<uint8_t> makeReply(uint8_t code, std::span<const uint8_t> data);

// A request as the controller sees it.
struct ParsedRequest {
    uint8_t command = 0;
    uint32_t number = 0;
    std::vector<uint8_t> data;
};
// Nothing when a tag, the order of items or the checksum is wrong.
std::optional<ParsedRequest> parseRequest(std::span<const uint8_t> frame);

// Collects one frame from a byte stream: bytes before the first start byte
// are dropped, and every byte with the start tag restarts the frame; the frame is complete when a tag-6 byte follows the first tag-5
// byte. At most 100 bytes are kept; later ones overwrite the last slot.
class FrameReceiver {
public:
    explicit FrameReceiver(uint8_t startTag) : startTag_(startTag) {}
    void reset();
    // True when this byte completed the frame.
    bool feed(uint8_t b);
    bool complete() const { return complete_; }
    // More than 100 bytes arrived since the start byte: the frame is damaged.
    bool overflowed() const { return overflowed_; }
    std::span<const uint8_t> frame() const { return {buffer_.data(), length_}; }

private:
    uint8_t startTag_;
    std::array<uint8_t, kFrameCapacity> buffer_{};
    std::size_t length_ = 0;
    bool checksumSeen_ = false;
    bool complete_ = false;
    bool overflowed_ = false;
    bool started_ = false;
};

}  // namespace livra
