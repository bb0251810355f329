#pragma once
// One request/reply exchange with the controller: up to six attempts, each
// with its own deadline. The waiting thread blocks on the port (never spins)
// in slices short enough to notice the user's Cancel quickly.
#include <chrono>
#include <functional>

#include "link/link_protocol.h"
#include "link/serial_port.h"

namespace livra {

struct ExchangeTiming {
    int attempts = 6;
    std::chrono::milliseconds attemptTimeout{1000};
    // The longest single wait on the port, so Cancel is seen this often.
    std::chrono::milliseconds pollInterval{20};
    // The clock the deadlines are measured on; null means the steady clock.
    std::function<std::chrono::steady_clock::time_point()> now;
};

// Sends the request and waits for a valid reply. The reply goes to `reply`
// only on Ok. A reply with fewer than `minimumData` data bytes is damaged.
// A not-ready reply (code 3, one data byte 0) counts as no answer; the
// attempt then waits out its deadline before the request is repeated, so the
// controller gets the whole budget to become ready.
ExchangeResult exchange(SerialPort* port, const RequestFrame& request, Reply& reply, const ExchangeTiming& timing,
                        const std::function<bool()>& cancelRequested, std::size_t minimumData = 1,
                        int* attemptsMade = nullptr);

// True for the controller's "not ready yet" reply.
bool isNotReadyReply(std::size_t frameLength, const Reply& reply);

}  // namespace livra
