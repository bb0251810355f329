// The reply parser and the receiver's byte stream: whatever arrives on the
// line, nothing reads outside the frame, and every accepted reply is one the
// controller could have built.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "link/exchange.h"
#include "link/link_protocol.h"

using namespace livra;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void checkReply(std::span<const uint8_t> frame) {
    Reply r;
    if (parseReply(frame, r) != ExchangeResult::Ok) {
        check(r.data.empty());
        return;
    }
    check(frame.size() >= 5 && frame.size() <= kFrameCapacity);
    check(!r.data.empty() && r.data.size() <= (kFrameCapacity - 3) / 2);
    Reply again;
    check(parseReply(makeReply(r.code, r.data), again) == ExchangeResult::Ok);
    check(again.code == r.code && again.data == r.data);
}

void checkRequest(std::span<const uint8_t> frame) {
    const auto r = parseRequest(frame);
    if (!r) return;
    check(!r->data.empty());
    if (r->data.size() > kMaxRequestData + 5) return;
    const RequestFrame rebuilt = makeRequest(r->command, r->number, r->data);
    const auto again = parseRequest(rebuilt.view());
    check(again && again->command == r->command && again->number == r->number && again->data == r->data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    checkReply(input);
    checkRequest(input);

    // The stream as both receivers see it.
    FrameReceiver replies(TagReply), requests(TagRequest);
    for (uint8_t b : input) {
        if (replies.feed(b)) {
            check(replies.frame().size() <= kFrameCapacity);
            if (!replies.overflowed()) checkReply(replies.frame());
            replies.reset();
        }
        if (requests.feed(b)) {
            checkRequest(requests.frame());
            requests.reset();
        }
    }

    // The whole exchange with the stream as the controller's answer, on a
    // manual clock so a silent stream costs nothing.
    using namespace std::chrono;
    steady_clock::time_point now{};
    MemoryPortPair pair([&](milliseconds d) { now += d; });
    pair.onHostWrite = [&](std::span<const uint8_t>) { pair.deviceEnd().write(input); };
    ExchangeTiming timing;
    timing.now = [&] { return now; };
    timing.attempts = 2;
    Reply reply;
    const uint8_t zero[] = {0};
    const ExchangeResult result = exchange(&pair.hostEnd(), makeRequest(0x23, 1, zero), reply, timing, {});
    check(result == ExchangeResult::Ok || result == ExchangeResult::NoAnswer || result == ExchangeResult::BadReply);
    if (result == ExchangeResult::Ok) check(!reply.data.empty());
    return 0;
}
