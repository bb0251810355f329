#pragma once
// One connection to the controller: the exchange window is open for its
// whole life, the port from connect() to the end. Shows the link's messages.
#include <memory>
#include <span>

#include "app/controller_commands.h"
#include "link/exchange.h"
#include "link/serial_port.h"

namespace livra {

class LinkSession {
public:
    LinkSession(LinkContext& link, UserDialogs& ui);
    ~LinkSession();  // closes the port and the exchange window
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // Finds (or takes the fixed) port, opens it, checks the controller's
    // identity and class. false when it failed; failure() says how.
    bool connect();
    // How the last failed connect or request ended (Ok when none failed).
    LinkOutcome failure() const { return failure_; }

    // One request; shows the message of a failed exchange. The reply must
    // carry at least `minimumData` data bytes.
    ExchangeResult request(uint8_t command, int64_t number, std::span<const uint8_t> data,
                           std::size_t minimumData = 1);
    ExchangeResult request(uint8_t command, int64_t number = 1) {
        const uint8_t zero[] = {0};
        return request(command, number, zero);
    }
    const Reply& reply() const { return reply_; }

    // Identity bytes of the handshake: model, firmware, class.
    const std::vector<uint8_t>& identity() const { return identity_; }

    void progress(std::size_t done, std::size_t total) { ui_.exchangeProgress(done, total); }

private:
    LinkContext& link_;
    UserDialogs& ui_;
    ExchangeTiming timing_;
    std::unique_ptr<SerialPort> port_;
    Reply reply_;
    std::vector<uint8_t> identity_;
    LinkOutcome failure_ = LinkOutcome::Ok;
};

}  // namespace livra
