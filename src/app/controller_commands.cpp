#include "app/controller_commands.h"

#include "app/safety_commands.h"

#include <algorithm>

#include "app/file_commands.h"

#include "app/link_format.h"
#include "app/link_session.h"
#include "app/link_texts.h"
#include "app/safety_commands.h"
#include "check/image_limits.h"
#include "check/validator.h"
#include "image/image.h"
#include "link/controller_records.h"
#include "model/files.h"
#include "model/project_file.h"

namespace livra {
namespace {

constexpr std::size_t kWriteBlock = kMaxRequestData;  // 41 image bytes a frame
constexpr std::size_t kReadBlock = 40;

void error(UserDialogs& ui, const std::string& text) {
    ui.messageBox(linktext::kErrorTitle, text, Buttons::Ok, Icon::Error);
}

std::filesystem::path partFolder(const Configuration& c) {
    return c.ProgramDir.empty() ? workingFolder() : pathFromUtf8(c.ProgramDir);
}

LocalDateTime computerNow(const LinkContext& link) {
    if (link.now) return link.now();
    const ClockRecord r = clockRecordAt(localClockSeconds());
    return {2000 + r.year, r.month, r.day, r.hour, r.minute, r.second, r.weekday};
}

// Fetches positions first..first+count-1 with one read command, 40 bytes a
// request. false when an exchange failed (its message has been shown).
bool fetchBlocks(LinkSession& s, uint8_t command, uint32_t first, std::size_t count, std::size_t block, Bytes& out,
                 std::size_t& done, std::size_t total) {
    out.clear();
    out.reserve(count);
    while (out.size() < count) {
        const std::size_t want = std::min(block, count - out.size());
        const uint8_t zero[] = {0};
        if (s.request(command, int64_t(first + out.size()), zero, want) != ExchangeResult::Ok) return false;
        const auto& data = s.reply().data;
        out.insert(out.end(), data.begin(), data.begin() + std::ptrdiff_t(want));
        done += want;
        s.progress(done, total);
    }
    return true;
}

// "21 182": thousands apart, as the user reads sizes.
std::string grouped(std::size_t n) {
    std::string digits = std::to_string(n);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(std::size_t(at), " ");
    return digits;
}

// Nothing to keep: no direction in use and no user program with a tact.
bool holdsNoConfiguration(const Configuration& c) {
    for (uint8_t kind : c.DirectionKind)
        if (isUsedDirection(kind)) return false;
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        if (c.TactTable[p][0].kind != TactEmpty) return false;
    return true;
}

bool readClockWithin(LinkSession& s, const LinkContext& link, LinkTabState& tab) {
    if (s.request(CmdReadClock, kNoNumber, std::span<const uint8_t>(), 7) != ExchangeResult::Ok) return false;
    tab.controllerTime = clockText(ClockRecord::fromBytes(s.reply().data.data()));
    tab.computerTime = clockText(computerNow(link));
    return true;
}

// Service request 1 or 2 in a connection of its own.
bool sendService(LinkContext& link, UserDialogs& ui, uint8_t what) {
    LinkSession s(link, ui);
    if (!s.connect()) return false;
    const uint8_t data[] = {what};
    if (s.request(CmdService, kNoNumber, data) != ExchangeResult::Ok) return false;
    ui.add(linktext::kServiceSent + std::to_string(what));
    return true;
}

}  // namespace

bool writeToController(Configuration& c, LinkContext& link, UserDialogs& ui) {
    link.lastSucceeded = false;
    link.partlyWritten = false;
    // Besides the verdict, nothing the image would carry unfaithfully may go
    // to a controller.
    if (validateConfiguration(c, ui) != 0 || checkImageLimits(c, ui) != 0) {
        ui.messageBox(linktext::kWarningTitle, linktext::kWriteRefused, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    const ImageFiles image = encodeImage(c);
    if (reportImageSize(image, ui) != 0) {
        ui.messageBox(kImageTooLargeTitle, kImageTooLargeText, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    // What the controller could run but a street should not see.
    if (!safetyAllowsWrite(c, ui)) return false;
    // The part files stay in the working folder as the record of what was sent.
    // All ten or none, so the folder never shows a mixture of two images.
    if (int failed = 0; !writeImageParts(partFolder(c), image, &failed)) {
        error(ui, std::string(linktext::kCannotOpenFile) + "'" + imagePart(failed).fileName + "'");
        return false;
    }

    LinkSession s(link, ui);
    if (!s.connect()) return false;
    std::size_t total = 0, done = 0;
    for (const auto& bytes : image) total += bytes.size();
    s.progress(0, total);
    for (const ImagePart& part : imageParts()) {
        const Bytes& bytes = image[std::size_t(part.number - 1)];
        // An empty part has nothing to send; a frame needs at least one byte.
        for (std::size_t offset = 0; offset < bytes.size(); offset += kWriteBlock) {
            const std::size_t n = std::min(kWriteBlock, bytes.size() - offset);
            // From the first frame on, even one whose reply was lost, the
            // controller may have taken new bytes.
            link.partlyWritten = true;
            if (s.request(part.writeCommand, int64_t(part.firstPosition + offset),
                          std::span<const uint8_t>(bytes.data() + offset, n)) != ExchangeResult::Ok) {
                ui.add(linktext::kPartlyWritten);
                return false;
            }
            done += n;
            s.progress(done, total);
        }
    }
    link.partlyWritten = false;
    ui.add(std::string(linktext::kWritten) + " (" + grouped(total) + " байт)");
    link.lastSucceeded = true;
    return true;
}

bool readFromController(Configuration& c, LinkContext& link, UserDialogs& ui) {
    link.lastSucceeded = false;
    if (c.Modified) {
        const Answer a =
            ui.messageBox(linktext::kReadTitle, linktext::kReadQuestion, Buttons::YesNoCancel, Icon::Question);
        if (a == Answer::Yes) {
            // The file commands' "Сохранить как": the ".ptm" rule and the
            // question before replacing a file. The read goes on whatever
            // its outcome; the window title follows ProjectFileName.
            FileCommandViews noViews;
            saveProjectAs(c, ui, noViews);
        } else if (a != Answer::No) {
            ui.messageBox(linktext::kReadTitle, linktext::kReadCancelled, Buttons::Ok, Icon::None);
            return false;
        }
    }

    ImageFiles files;
    {
        LinkSession s(link, ui);
        if (!s.connect()) return false;
        // Fixed parts in the controller's order, then part 7, whose first
        // four bytes give the length of part 8.
        static constexpr int kOrder[] = {1, 2, 3, 4, 5, 6, 9, 10, 7};
        std::size_t fixed = 0, done = 0;
        for (int n : kOrder) fixed += std::size_t(imagePart(n).size);
        // Until part 7 tells the length of part 8, the total counts part 8 at
        // its largest; the real length can only be smaller, so the bar only
        // ever moves forward.
        const std::size_t largestPrograms = kExternalMemoryLimit - std::size_t(imagePart(PartHeader).size);
        std::size_t total = fixed + largestPrograms;
        s.progress(0, total);
        for (int n : kOrder) {
            const ImagePart& part = imagePart(n);
            if (!fetchBlocks(s, part.readCommand, part.firstPosition, std::size_t(part.size), kReadBlock,
                             files[std::size_t(n - 1)], done, total))
                return false;
        }
        const Bytes& header = files[PartHeader - 1];
        const uint32_t length = uint32_t(header[0]) | uint32_t(header[1]) << 8 | uint32_t(header[2]) << 16 |
                                uint32_t(header[3]) << 24;
        // The programs and the header share the external memory; a longer length
        // cannot be real.
        if (length > kExternalMemoryLimit - uint32_t(imagePart(PartHeader).size)) {
            error(ui, linktext::kDamagedImage);
            return false;
        }
        total = fixed + length;
        s.progress(done, total);
        const ImagePart& programs = imagePart(PartPrograms);
        if (!fetchBlocks(s, programs.readCommand, programs.firstPosition, length, kReadBlock,
                         files[PartPrograms - 1], done, total))
            return false;
    }

    std::unique_ptr<Configuration> decoded = decodeImage(files);
    if (!decoded) {
        error(ui, linktext::kDamagedImage);
        return false;
    }
    // An empty controller must not empty the open project.
    if (holdsNoConfiguration(*decoded)) {
        ui.messageBox(linktext::kReadTitle, linktext::kNoConfiguration, Buttons::Ok, Icon::Information);
        return false;
    }
    const auto folder = partFolder(c);
    if (int failed = 0; !writeImageParts(folder, files, &failed)) {
        error(ui, std::string(linktext::kCannotOpenFile) + pathToUtf8(partFilePath(folder, failed)));
        return false;
    }
    const auto kindsBefore = c.DirectionKind;
    replaceTables(c, *decoded);
    // What is in memory now is not what the project file holds.
    c.Modified = 1;
    std::size_t bytes = 0;
    for (const auto& part : files) bytes += part.size();
    ui.clear();  // earlier verdicts were about the configuration just replaced
    ui.add(std::string(linktext::kRead) + " (" + grouped(bytes) + " байт)");
    // The controller holds no safety data: the project's matrix stays, and
    // when the directions read differ from those it was made for, it says so.
    if (c.Safety.defined && kindsBefore != c.DirectionKind) ui.add(kSafetyStaleAfterReadText);
    link.lastSucceeded = true;
    return true;
}

void showControllerInfo(LinkContext& link, UserDialogs& ui) {
    link.lastSucceeded = false;
    LinkSession s(link, ui);
    if (!s.connect()) return;
    if (s.request(CmdIdentity, kNoNumber, std::span<const uint8_t>(), 3) != ExchangeResult::Ok) return;
    const auto& d = s.reply().data;
    const std::string text = "Название ДК........... Ливра\nМодель.................. " + std::to_string(d[0]) +
                             "\nМикропрограмма....... " + std::to_string(d[1]) + "\nКласс совместимости.. " +
                             std::to_string(d[2]);
    ui.messageBox(linktext::kInfoTitle, text, Buttons::Ok, Icon::Information);
    link.lastSucceeded = true;
}

void readControllerClock(LinkContext& link, UserDialogs& ui, LinkTabState& tab) {
    link.lastSucceeded = false;
    LinkSession s(link, ui);
    if (!s.connect()) return;
    link.lastSucceeded = readClockWithin(s, link, tab);
}

void syncControllerClock(LinkContext& link, UserDialogs& ui, LinkTabState& tab) {
    link.lastSucceeded = false;
    bool set = false;
    {
        LinkSession s(link, ui);
        if (!s.connect()) return;
        const LocalDateTime t = computerNow(link);
        const ClockRecord r{uint8_t(t.second), uint8_t(t.minute), uint8_t(t.hour), uint8_t(t.weekday),
                            uint8_t(t.day),    uint8_t(t.month),
                            uint8_t(std::clamp(t.year < 2000 ? 0 : t.year - 2000, 0, 255))};
        const auto bytes = r.bytes();
        const ExchangeResult result = s.request(CmdSetClock, kNoNumber, bytes);
        set = result == ExchangeResult::Ok;
        // Show what the controller now says; after a lost controller or the
        // user's Cancel there is nothing to ask it.
        if (result == ExchangeResult::Ok || result == ExchangeResult::BadReply) readClockWithin(s, link, tab);
        if (set) ui.add(linktext::kClockSet + clockText(t));
    }
    if (tab.changed) tab.changed();
    if (set) ui.messageBox(linktext::kWarningTitle, linktext::kClockSynced, Buttons::Ok, Icon::Information);
    link.lastSucceeded = set;
}

void readJournal(LinkContext& link, UserDialogs& ui, LinkTabState& tab) {
    link.lastSucceeded = false;
    LinkSession s(link, ui);
    if (!s.connect()) return;
    if (s.request(CmdJournalNewest) != ExchangeResult::Ok) return;
    const int newest = s.reply().data[0];
    if (newest < 1 || newest > kJournalRecordCount) return;  // a damaged reply: the list stays as it was
    Bytes area;
    std::size_t done = 0;
    const std::size_t total = std::size_t(kJournalRecordCount) * kJournalRecordSize;
    s.progress(0, total);
    if (!fetchBlocks(s, CmdJournalBlock, kJournalFirstPosition, total, kJournalBlock, area, done, total)) return;
    std::vector<JournalRecord> records;
    for (int r = 0; r < kJournalRecordCount; ++r)
        records.push_back(JournalRecord::fromBytes(area.data() + r * kJournalRecordSize));
    tab.journal = journalRows(records, newest);
    link.lastSucceeded = true;
}

void saveJournal(const LinkTabState& tab, UserDialogs& ui) {
    while (true) {
        auto name = ui.saveFileName(linktext::kJournalFilter, "");
        if (!name || name->empty()) return;
        std::string file = *name;
        const auto ext = pathFromUtf8(file).extension().string();
        std::string lower = ext;
        for (auto& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
        if (lower != ".txt") file += ".txt";
        const auto path = pathFromUtf8(file);
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) {
            // The file's name without its folder, as the project's question gives it.
            const auto cut = file.find_last_of("/\\");
            const std::string shown = cut == std::string::npos ? file : file.substr(cut + 1);
            const Answer a = ui.messageBox(linktext::kConfirmSaveTitle, shown + linktext::kAlreadyExists,
                                           Buttons::YesNo, Icon::Exclamation);
            if (a != Answer::Yes) continue;
        }
        if (!writeFileAtomically(path, journalFileBytes(tab.journal))) error(ui, kSaveErrorText);
        return;
    }
}

void serviceCommand(LinkContext& link, UserDialogs& ui, LinkTabState& tab) {
    link.lastSucceeded = false;
    const auto text = ui.textInput(linktext::kServiceTitle, linktext::kServicePrompt, true);
    if (!text) return;
    if (*text == linktext::kServiceRestart) {
        if (sendService(link, ui, 1)) readJournal(link, ui, tab);
    } else if (*text == linktext::kServiceClearJournal) {
        link.lastSucceeded = sendService(link, ui, 2);
    }
}

}  // namespace livra
