#include "link/exchange.h"

#include <algorithm>
#include <array>

namespace livra {

bool isNotReadyReply(std::size_t frameLength, const Reply& reply) {
    return reply.code == 3 && frameLength == 5 && reply.data.size() == 1 && reply.data[0] == 0;
}

ExchangeResult exchange(SerialPort* port, const RequestFrame& request, Reply& reply, const ExchangeTiming& timing,
                        const std::function<bool()>& cancelRequested, std::size_t minimumData, int* attemptsMade) {
    using namespace std::chrono;
    auto now = [&] { return timing.now ? timing.now() : steady_clock::now(); };
    auto cancelled = [&] { return cancelRequested && cancelRequested(); };
    const milliseconds slice = std::max(timing.pollInterval, milliseconds(1));

    ExchangeResult result = ExchangeResult::NoAnswer;
    FrameReceiver receiver(TagReply);
    std::array<uint8_t, 256> chunk{};
    if (attemptsMade) *attemptsMade = 0;
    if (request.overflow) return ExchangeResult::BadReply;

    for (int attempt = 1; attempt <= std::max(timing.attempts, 1); ++attempt) {
        if (attemptsMade) *attemptsMade = attempt;
        if (!port || !port->isOpen()) return ExchangeResult::NoPort;
        if (cancelled()) return ExchangeResult::Cancelled;
        // A late reply to an earlier request must not pass for this one's.
        port->discardInput();
        receiver.reset();
        if (!port->write(request.view())) return ExchangeResult::NoPort;
        const auto deadline = now() + timing.attemptTimeout;

        result = ExchangeResult::NoAnswer;
        bool waitOut = false;
        while (true) {
            if (cancelled()) return ExchangeResult::Cancelled;
            const auto t = now();
            if (t >= deadline) break;
            const auto wait = std::min<milliseconds>(slice, ceil<milliseconds>(deadline - t));
            const std::ptrdiff_t n = port->read(chunk, wait);
            if (n < 0) return ExchangeResult::NoPort;
            if (waitOut) continue;  // not ready: let this attempt's time pass
            for (std::ptrdiff_t i = 0; i < n && !receiver.complete(); ++i) receiver.feed(chunk[std::size_t(i)]);
            if (!receiver.complete()) continue;

            Reply got;
            result = receiver.overflowed() ? ExchangeResult::BadReply : parseReply(receiver.frame(), got);
            if (result == ExchangeResult::Ok && isNotReadyReply(receiver.frame().size(), got)) {
                result = ExchangeResult::NoAnswer;
                waitOut = true;
                continue;
            }
            if (result == ExchangeResult::Ok && got.data.size() < minimumData) result = ExchangeResult::BadReply;
            if (result == ExchangeResult::Ok) {
                reply = std::move(got);
                return ExchangeResult::Ok;
            }
            break;  // damaged: try again at once
        }
    }
    return result;
}

}  // namespace livra
