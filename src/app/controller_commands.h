#pragma once
// The controller commands of the main window's "Связь с ДК" tab, as
// operations that talk to the user only through UserDialogs. Each opens one
// connection (exchange window, cable search or the fixed port, handshake) and
// closes it at its end.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/user_dialogs.h"
#include "model/configuration.h"

namespace livra {

class SerialPortProvider;  // src/link: lists candidate ports and opens one by name
struct ExchangeTiming;     // src/link: deadlines and attempts, injectable for tests

struct JournalRow {
    std::string date;       // "%dd.%mm.%yyyy  %hh:%ii:%ss" or "??.??.????  ??:??:??"
    std::string channel;
    std::string direction;
    std::string event;
};

// The fields and the list of the "Связь с ДК" tab that the commands fill.
struct LinkTabState {
    std::string controllerTime;
    std::string computerTime;
    std::vector<JournalRow> journal;
    // Called when the fields above changed and a box is about to be shown,
    // so the window shows the new values behind the box.
    std::function<void()> changed;
};

// Local date and time of the computer.
struct LocalDateTime {
    int year, month, day, hour, minute, second;
    int weekday;  // 1 Monday … 7 Sunday
};

struct LinkContext {
    SerialPortProvider* ports = nullptr;
    std::string fixedPort;  // non-empty: use it instead of the cable search
    std::shared_ptr<ExchangeTiming> timing;  // null: the controller's real timing
    std::function<LocalDateTime()> now;      // null: the computer's clock
    // Set by every command: whether it did all it set out to do (for the
    // command line's exit status).
    bool lastSucceeded = false;
    // Set by a write that failed after its first frame went out: the
    // controller may hold a mixture of the old and the new configuration.
    bool partlyWritten = false;
};

bool writeToController(Configuration& c, LinkContext& link, UserDialogs& ui);
bool readFromController(Configuration& c, LinkContext& link, UserDialogs& ui);
void showControllerInfo(LinkContext& link, UserDialogs& ui);
void readControllerClock(LinkContext& link, UserDialogs& ui, LinkTabState& tab);
void syncControllerClock(LinkContext& link, UserDialogs& ui, LinkTabState& tab);
void readJournal(LinkContext& link, UserDialogs& ui, LinkTabState& tab);
void saveJournal(const LinkTabState& tab, UserDialogs& ui);
void serviceCommand(LinkContext& link, UserDialogs& ui, LinkTabState& tab);

}  // namespace livra
