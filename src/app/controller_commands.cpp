#include "app/controller_commands.h"

#include "app/safety_commands.h"

#include <algorithm>

#include "app/file_commands.h"

#include "app/link_format.h"
#include "app/image_transfer.h"
#include "app/save_names.h"
#include "app/link_session.h"
#include "app/texts.h"
#include "app/safety_commands.h"
#include "check/image_limits.h"
#include "check/validator.h"
#include "image/image.h"
#include "link/controller_records.h"
#include "model/files.h"
#include "model/project_file.h"

namespace livra {
namespace {

void error(UserDialogs& ui, const std::string& text) {
    ui.messageBox(kErrorTitle, text, Buttons::Ok, Icon::Error);
}

std::filesystem::path partFolder(const Configuration& c) {
    return c.ProgramDir.empty() ? workingFolder() : pathFromUtf8(c.ProgramDir);
}

}  // namespace

LocalDateTime computerNow(const LinkContext& link) {
    if (link.now) return link.now();
    const ClockRecord r = clockRecordAt(localClockSeconds());
    return {2000 + r.year, r.month, r.day, r.hour, r.minute, r.second, r.weekday};
}

namespace {

// "21 182": thousands apart, as the user reads sizes.
std::string grouped(std::size_t n) {
    std::string digits = std::to_string(n);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(std::size_t(at), " ");
    return digits;
}

bool readClockWithin(LinkSession& s, const LinkContext& link, LinkTabState& tab) {
    if (s.request(CmdReadClock, kNoNumber, std::span<const uint8_t>(), 7) != ExchangeResult::Ok) return false;
    tab.controllerTime = clockText(ClockRecord::fromBytes(s.reply().data.data()));
    tab.computerTime = clockText(computerNow(link));
    return true;
}

// Service request 1 or 2 in a connection of its own.
LinkOutcome sendService(LinkContext& link, UserDialogs& ui, uint8_t what) {
    LinkSession s(link, ui);
    if (!s.connect()) return s.failure();
    const uint8_t data[] = {what};
    if (s.request(CmdService, kNoNumber, data) != ExchangeResult::Ok) return s.failure();
    ui.status(kServiceSentLine + std::to_string(what));
    return LinkOutcome::Ok;
}

// What a failed write of the part files left replaced; empty when the old
// set stands whole.
std::string mixedParts(const std::vector<int>& replaced) {
    if (replaced.empty()) return {};
    std::string text = kPartsMixedText;
    for (int part : replaced) text += std::string(" ") + imagePart(part).fileName;
    return text;
}

}  // namespace

bool holdsNoConfiguration(const Configuration& c) {
    for (uint8_t kind : c.DirectionKind)
        if (isUsedDirection(kind)) return false;
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        if (c.TactTable[p][0].kind != TactEmpty) return false;
    return true;
}

LinkOutcome prepareWrite(Configuration& c, UserDialogs& ui, ImageFiles& image) {
    // Besides the verdict, nothing the image would carry unfaithfully may go
    // to a controller.
    if (validateConfiguration(c, ui) != 0 || checkImageLimits(c, ui) != 0) {
        ui.messageBox(kWarningTitle, kWriteRefusedText, Buttons::Ok, Icon::Exclamation);
        return LinkOutcome::Refused;
    }
    image = encodeImage(c);
    if (reportImageSize(image, ui) != 0) {
        ui.messageBox(kWarningTitle, kImageTooLargeText, Buttons::Ok, Icon::Exclamation);
        return LinkOutcome::Refused;
    }
    // What the controller could run but a street should not see.
    if (!safetyAllowsWrite(c, ui)) return LinkOutcome::Refused;
    // The part files stay in the working folder as the record of what was sent.
    // All ten or none, so the folder never shows a mixture of two images.
    std::vector<int> replaced;
    if (int failed = 0; !writeImageParts(partFolder(c), image, &failed, realFileSystem(), &replaced)) {
        error(ui, std::string(kCannotOpenFileText) + "'" + imagePart(failed).fileName + "'" + mixedParts(replaced));
        return LinkOutcome::FileError;
    }
    return LinkOutcome::Ok;
}

LinkOutcome sendPrepared(const ImageFiles& image, LinkContext& link, UserDialogs& ui) {
    LinkSession s(link, ui);
    if (!s.connect()) return s.failure();
    const LinkOutcome sent = sendImage(s, image);
    if (sent != LinkOutcome::Ok) ui.add(kPartlyWrittenLine);
    return sent;
}

std::string writtenLine(const ImageFiles& image) {
    return std::string(kWrittenLine) + " (" + grouped(imageBytes(image)) + " байт)";
}

LinkOutcome writeToController(Configuration& c, LinkContext& link, UserDialogs& ui) {
    ImageFiles image;
    if (const LinkOutcome ready = prepareWrite(c, ui, image); ready != LinkOutcome::Ok) return ready;
    const LinkOutcome sent = sendPrepared(image, link, ui);
    if (sent == LinkOutcome::Ok) ui.status(writtenLine(image));
    return sent;
}

LinkOutcome readFromController(Configuration& c, LinkContext& link, UserDialogs& ui) {
    if (c.Modified) {
        const Answer a =
            ui.messageBox(kReadTitle, kReadQuestion, Buttons::YesNoCancel, Icon::Question);
        if (a == Answer::Yes) {
            // The file commands' "Сохранить как": the ".ptm" rule and the
            // question before replacing a file. The read goes on whatever
            // its outcome; the window title follows ProjectFileName.
            FileCommandViews noViews;
            saveProjectAs(c, ui, noViews);
        } else if (a != Answer::No) {
            ui.messageBox(kReadTitle, kReadCancelledText, Buttons::Ok, Icon::None);
            return LinkOutcome::Declined;
        }
    }

    ImageFiles files;
    {
        LinkSession s(link, ui);
        if (!s.connect()) return s.failure();
        const LinkOutcome got = fetchImage(s, files);
        if (got == LinkOutcome::Damaged) error(ui, kDamagedImageText);
        if (got != LinkOutcome::Ok) return got;
    }

    std::unique_ptr<Configuration> decoded = decodeImage(files);
    if (!decoded) {
        error(ui, kDamagedImageText);
        return LinkOutcome::Damaged;
    }
    // An empty controller must not empty the open project.
    if (holdsNoConfiguration(*decoded)) {
        ui.messageBox(kReadTitle, kNoConfigurationText, Buttons::Ok, Icon::Information);
        return LinkOutcome::Empty;
    }
    const auto folder = partFolder(c);
    std::vector<int> replaced;
    if (int failed = 0; !writeImageParts(folder, files, &failed, realFileSystem(), &replaced)) {
        error(ui, std::string(kCannotOpenFileText) + pathToUtf8(partFilePath(folder, failed)) + mixedParts(replaced));
        return LinkOutcome::FileError;
    }
    const auto kindsBefore = c.DirectionKind;
    replaceTables(c, *decoded);
    // What is in memory now is not what the project file holds.
    c.Modified = 1;
    ui.clear();  // earlier verdicts were about the configuration just replaced
    ui.status(std::string(kReadLine) + " (" + grouped(imageBytes(files)) + " байт)");
    // The controller holds no safety data: the project's matrix stays, and
    // when the directions read differ from those it was made for, it says so.
    if (c.Safety.defined && kindsBefore != c.DirectionKind) ui.add(kSafetyStaleAfterReadText);
    return LinkOutcome::Ok;
}

std::string controllerInfoText(const ControllerIdentity& id) {
    return "Название ДК........... Ливра\nМодель.................. " + std::to_string(id.model) +
           "\nМикропрограмма....... " + std::to_string(id.firmware) + "\nКласс совместимости.. " +
           std::to_string(id.compatibility);
}

std::vector<std::pair<std::string, std::string>> dotLeaderRows(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> rows;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        const std::string line = text.substr(from, end - from);
        const std::size_t dots = line.find("..");
        if (dots == std::string::npos || dots == 0) return {};
        std::size_t value = line.find_first_not_of('.', dots);
        if (value == std::string::npos || line[value] != ' ') return {};
        value = line.find_first_not_of(' ', value);
        if (value == std::string::npos) return {};
        rows.emplace_back(line.substr(0, dots), line.substr(value));
        from = end + 1;
    }
    if (rows.size() < 2) return {};  // one line is a sentence, not a table
    return rows;
}

LinkOutcome readControllerInfo(LinkContext& link, UserDialogs& ui, ControllerIdentity& id) {
    LinkSession s(link, ui);
    if (!s.connect()) return s.failure();
    if (s.request(CmdIdentity, kNoNumber, std::span<const uint8_t>(), 3) != ExchangeResult::Ok) return s.failure();
    const auto& d = s.reply().data;
    id = {d[0], d[1], d[2]};
    return LinkOutcome::Ok;
}

LinkOutcome showControllerInfo(LinkContext& link, UserDialogs& ui) {
    ControllerIdentity id;
    const LinkOutcome r = readControllerInfo(link, ui, id);
    if (r == LinkOutcome::Ok) ui.messageBox(kControllerInfoTitle, controllerInfoText(id), Buttons::Ok, Icon::Information);
    return r;
}

LinkOutcome readControllerClock(LinkContext& link, UserDialogs& ui, LinkTabState& tab) {
    LinkSession s(link, ui);
    if (!s.connect()) return s.failure();
    return readClockWithin(s, link, tab) ? LinkOutcome::Ok : s.failure();
}

LinkOutcome syncControllerClock(LinkContext& link, UserDialogs& ui, LinkTabState& tab) {
    LinkOutcome outcome = LinkOutcome::Ok;
    {
        LinkSession s(link, ui);
        if (!s.connect()) return s.failure();
        const LocalDateTime t = computerNow(link);
        const ClockRecord r{uint8_t(t.second), uint8_t(t.minute), uint8_t(t.hour), uint8_t(t.weekday),
                            uint8_t(t.day),    uint8_t(t.month),
                            uint8_t(std::clamp(t.year < 2000 ? 0 : t.year - 2000, 0, 255))};
        const auto bytes = r.bytes();
        const ExchangeResult result = s.request(CmdSetClock, kNoNumber, bytes);
        if (result != ExchangeResult::Ok) outcome = s.failure();
        // Show what the controller now says; after a lost controller or the
        // user's Cancel there is nothing to ask it.
        if (result == ExchangeResult::Ok || result == ExchangeResult::BadReply) readClockWithin(s, link, tab);
        if (outcome == LinkOutcome::Ok) ui.status(kClockSetLine + clockText(t));
    }
    if (tab.changed) tab.changed();
    if (outcome == LinkOutcome::Ok)
        ui.messageBox(kWarningTitle, kClockSyncedText, Buttons::Ok, Icon::Information);
    return outcome;
}

LinkOutcome readJournal(LinkContext& link, UserDialogs& ui, LinkTabState& tab) {
    LinkSession s(link, ui);
    if (!s.connect()) return s.failure();
    if (s.request(CmdJournalNewest) != ExchangeResult::Ok) return s.failure();
    const int newest = s.reply().data[0];
    // A damaged reply: the list stays as it was.
    if (newest < 1 || newest > kJournalRecordCount) return LinkOutcome::DamagedReplies;
    Bytes area;
    std::size_t done = 0;
    const std::size_t total = std::size_t(kJournalRecordCount) * kJournalRecordSize;
    s.progress(0, total);
    if (!fetchBlocks(s, CmdJournalBlock, kJournalFirstPosition, total, kJournalBlock, area, done, total))
        return s.failure();
    std::vector<JournalRecord> records;
    for (int r = 0; r < kJournalRecordCount; ++r)
        records.push_back(JournalRecord::fromBytes(area.data() + r * kJournalRecordSize));
    tab.journal = journalRows(records, newest);
    return LinkOutcome::Ok;
}

bool saveJournal(const LinkTabState& tab, UserDialogs& ui) {
    const auto path = askSaveFileName(ui, kJournalFilter, "", ".txt");
    if (!path) return true;
    if (writeFileAtomically(pathFromUtf8(*path), journalFileBytes(tab.journal))) return true;
    error(ui, kSaveErrorText);
    return false;
}

LinkOutcome serviceCommand(LinkContext& link, UserDialogs& ui, LinkTabState& tab) {
    const auto text = ui.textInput(kServiceTitle, kServicePrompt, true);
    if (!text) return LinkOutcome::Declined;
    if (*text == kServiceRestartCode) {
        const LinkOutcome sent = sendService(link, ui, 1);
        return sent == LinkOutcome::Ok ? readJournal(link, ui, tab) : sent;
    }
    if (*text == kServiceClearJournalCode) return sendService(link, ui, 2);
    return LinkOutcome::Declined;
}

}  // namespace livra
