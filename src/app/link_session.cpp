#include "app/link_session.h"

#include "app/texts.h"
#include "link/controller_records.h"

namespace livra {

LinkSession::LinkSession(LinkContext& link, UserDialogs& ui) : link_(link), ui_(ui) {
    if (link.timing) timing_ = *link.timing;
    ui_.exchangeBegin();
}

LinkSession::~LinkSession() {
    if (port_) port_->close();
    ui_.exchangeEnd();
}

bool LinkSession::connect() {
    if (port_) port_->close();
    port_.reset();
    std::string name = link_.fixedPort;
    if (name.empty() && link_.ports) name = findCablePort(link_.ports->candidates());
    if (!name.empty() && link_.ports) port_ = link_.ports->open(name);
    if (!port_) {
        ui_.messageBox(kErrorTitle, kNoCableText, Buttons::Ok, Icon::Error);
        failure_ = LinkOutcome::NoCable;
        return false;
    }
    if (request(CmdIdentity, kNoNumber, std::span<const uint8_t>(), 3) != ExchangeResult::Ok) return false;
    identity_ = reply_.data;
    if (identity_[2] != kCompatibleClass) {
        ui_.messageBox(kErrorTitle, kIncompatibleText, Buttons::Ok, Icon::Error);
        failure_ = LinkOutcome::Incompatible;
        return false;
    }
    return true;
}

ExchangeResult LinkSession::request(uint8_t command, int64_t number, std::span<const uint8_t> data,
                                    std::size_t minimumData) {
    const uint8_t zero[] = {0};
    if (data.empty()) data = zero;  // every request carries at least one data byte
    const RequestFrame frame = makeRequest(command, number, data);
    const ExchangeResult r =
        exchange(port_.get(), frame, reply_, timing_, [this] { return ui_.cancelRequested(); }, minimumData);
    switch (r) {
        case ExchangeResult::Ok: break;
        case ExchangeResult::NoPort:
            ui_.messageBox(kErrorTitle, kNoCableText, Buttons::Ok, Icon::Error);
            failure_ = LinkOutcome::NoCable;
            break;
        case ExchangeResult::NoAnswer:
            ui_.messageBox(kErrorTitle, kNoAnswerText, Buttons::Ok, Icon::Error);
            failure_ = LinkOutcome::NoAnswer;
            break;
        case ExchangeResult::Cancelled:
            ui_.messageBox(kErrorTitle, kCancelledText, Buttons::Ok, Icon::Error);
            failure_ = LinkOutcome::Cancelled;
            break;
        default: failure_ = LinkOutcome::DamagedReplies; break;  // six times over; not told
    }
    return r;
}

}  // namespace livra
