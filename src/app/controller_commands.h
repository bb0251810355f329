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
#include "image/image.h"
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
};

// How a controller command ended. Each command has told the user in its
// boxes and lines already; the caller decides by this value (the command
// line's exit status, whether the window shows new tables), never by a text.
enum class LinkOutcome {
    Ok,              // it did all it set out to do
    NoCable,         // no port to open
    NoAnswer,        // the controller did not answer
    Cancelled,       // the user cancelled the exchange
    DamagedReplies,  // replies damaged six times over: nobody has been told
    Incompatible,    // the controller is of another compatibility class
    Damaged,         // the controller's image holds no valid configuration
    Empty,           // the controller holds no configuration
    PartlyWritten,   // a write cut short after its first frame: write again
    Refused,         // the configuration may not go to a controller
    Declined,        // the user said no to a question before anything was asked
    FileError,       // a file of the command could not be written
    Different,       // the controller gave back other bytes than were written
    Unchecked,       // written, but reading it back failed
};

// The computer's local date and time, or the link's own clock when it has one.
LocalDateTime computerNow(const LinkContext& link);

// The controller's identity: model, firmware, compatibility class.
struct ControllerIdentity {
    int model = 0, firmware = 0, compatibility = 0;
};
// The text of the "Информация о ДК" box.
std::string controllerInfoText(const ControllerIdentity& id);
// A text of dot-leader lines ("Модель.......... 5") as its names and values,
// which a proportional font cannot line up by dots; nothing when a line is
// not one.
std::vector<std::pair<std::string, std::string>> dotLeaderRows(const std::string& text);

LinkOutcome writeToController(Configuration& c, LinkContext& link, UserDialogs& ui);
// The write's steps, for the verified write too: the checks, the image and
// its part files in the working folder; then the image sent in a connection
// of its own (the partly-written line on a failure); then its size line.
LinkOutcome prepareWrite(Configuration& c, UserDialogs& ui, ImageFiles& image);
LinkOutcome sendPrepared(const ImageFiles& image, LinkContext& link, UserDialogs& ui);
std::string writtenLine(const ImageFiles& image);
LinkOutcome readFromController(Configuration& c, LinkContext& link, UserDialogs& ui);
// A controller fresh from the factory: no direction in use and no user
// program with a tact. Nothing to keep, nothing to compare with.
bool holdsNoConfiguration(const Configuration& c);

// The identity alone (the command line prints it); showControllerInfo also
// shows it in its box.
LinkOutcome readControllerInfo(LinkContext& link, UserDialogs& ui, ControllerIdentity& id);
LinkOutcome showControllerInfo(LinkContext& link, UserDialogs& ui);
LinkOutcome readControllerClock(LinkContext& link, UserDialogs& ui, LinkTabState& tab);
LinkOutcome syncControllerClock(LinkContext& link, UserDialogs& ui, LinkTabState& tab);
LinkOutcome readJournal(LinkContext& link, UserDialogs& ui, LinkTabState& tab);
// False when the file could not be written (the box has been shown); true
// also when the user chose no file.
bool saveJournal(const LinkTabState& tab, UserDialogs& ui);
LinkOutcome serviceCommand(LinkContext& link, UserDialogs& ui, LinkTabState& tab);

}  // namespace livra
