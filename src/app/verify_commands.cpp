#include "app/verify_commands.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>

#include "app/link_texts.h"
#include "check/compare.h"
#include "image/image.h"

namespace livra {
namespace {

// A fresh folder of our own under the system's temporary folder, removed
// with the object; empty path when none could be made.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::error_code ec;
        const auto base = std::filesystem::temp_directory_path(ec);
        if (ec) return;
        std::mt19937_64 random(std::random_device{}() ^
                               uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto candidate = base / ("livra-verify-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate, ec) && !ec) path_ = candidate;
        }
    }
    ~TemporaryFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Passes everything on and notes whether the user was told anything: a read
// that ends on damaged replies shows no box, and a verify must never end
// silently. The read-back of a verify keeps the list as it is (`quietList`):
// the verify says what it found itself. A verified write holds back the
// write's own result line (`holdWritten`) until the controller gave back
// what was sent.
class WatchedDialogs : public UserDialogs {
public:
    explicit WatchedDialogs(UserDialogs& ui) : ui_(ui) {}
    bool told = false;
    // The read-back's own boxes carry the name of the command the user
    // started, not that of a read they never asked for.
    const char* readTitle = nullptr;
    bool quietList = false;
    bool holdWritten = false;
    std::optional<std::string> writtenLine;

    Answer messageBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon) override {
        told = true;
        const bool retitle = readTitle && title == linktext::kReadTitle;
        return ui_.messageBox(retitle ? readTitle : title, text, buttons, icon);
    }
    std::optional<std::string> openFileName(const std::string& filter) override { return ui_.openFileName(filter); }
    std::optional<std::string> saveFileName(const std::string& filter, const std::string& suggested) override {
        return ui_.saveFileName(filter, suggested);
    }
    std::optional<std::string> textInput(const std::string& title, const std::string& label, bool password) override {
        return ui_.textInput(title, label, password);
    }
    void exchangeBegin() override { ui_.exchangeBegin(); }
    void exchangeProgress(std::size_t done, std::size_t total) override { ui_.exchangeProgress(done, total); }
    bool cancelRequested() override { return ui_.cancelRequested(); }
    void exchangeEnd() override { ui_.exchangeEnd(); }
    void clear() override {
        if (!quietList) ui_.clear();
    }
    void add(const std::string& line) override {
        if (quietList) return;
        if (holdWritten && line.rfind(linktext::kWritten, 0) == 0) {
            writtenLine = line;
            return;
        }
        ui_.add(line);
    }

private:
    UserDialogs& ui_;
};

struct ReadBack {
    std::unique_ptr<Configuration> config;
    std::optional<ImageFiles> files;  // the bytes as fetched
};

void error(UserDialogs& ui, const char* text) {
    ui.messageBox(linktext::kErrorTitle, text, Buttons::Ok, Icon::Error);
}

// The controller's configuration, read with the read command into a
// configuration whose working folder is a temporary one.
std::optional<ReadBack> readBack(LinkContext& link, UserDialogs& ui, const char* commandTitle) {
    TemporaryFolder folder;
    if (folder.path().empty()) {
        error(ui, verifytext::kNoTemporaryFolder);
        return std::nullopt;
    }
    ReadBack out;
    out.config = std::make_unique<Configuration>();
    out.config->ProgramDir = pathToUtf8(folder.path());
    out.config->Modified = 0;  // nothing of the user's to save first
    WatchedDialogs watched(ui);
    watched.quietList = true;
    watched.readTitle = commandTitle;
    readFromController(*out.config, link, watched);
    if (!link.lastSucceeded) {
        if (!watched.told) error(ui, verifytext::kDamagedReplies);
        return std::nullopt;
    }
    out.files = readImageParts(folder.path());
    return out;
}

// Against the bytes as fetched, so that nothing the decoder reads coarsely
// can pass for equal.
std::vector<std::string> differencesFrom(const ImageFiles& sent, const ReadBack& held) {
    if (held.files) return compareImages(sent, *held.files);
    auto lines = compareImages(sent, encodeImage(*held.config));
    lines.push_back(verifytext::kFetchedPartsUnreadable);
    return lines;
}

}  // namespace

VerifyResult compareWithController(const Configuration& c, LinkContext& link, UserDialogs& ui,
                                   std::vector<std::string>* differences) {
    link.lastSucceeded = false;
    // A project the image would change cannot be compared honestly: 300 s
    // would be "equal" to the 44 s a controller holds.
    if (const auto finding = imageFinding(c)) {
        ui.clear();
        ui.add(*finding);
        ui.messageBox(linktext::kWarningTitle, verifytext::kNotComparable, Buttons::Ok, Icon::Exclamation);
        return VerifyResult::Failed;
    }
    const auto held = readBack(link, ui, verifytext::kCompareTitle);
    if (!held) return VerifyResult::Failed;
    const auto lines = differencesFrom(encodeImage(c), *held);
    ui.clear();
    if (lines.empty()) ui.add(kSameConfigurationText);
    for (const auto& line : lines) ui.add(line);
    if (differences) *differences = lines;
    link.lastSucceeded = true;
    return lines.empty() ? VerifyResult::Equal : VerifyResult::Different;
}

bool writeAndVerify(Configuration& c, LinkContext& link, UserDialogs& ui) {
    WatchedDialogs write(ui);
    write.holdWritten = true;
    writeToController(c, link, write);
    if (!link.lastSucceeded) return false;
    link.lastSucceeded = false;
    const auto held = readBack(link, ui, verifytext::kWriteTitle);
    link.lastSucceeded = false;  // the read-back's success is not the write's
    if (!held) {
        ui.add(verifytext::kWriteUnchecked);
        return false;
    }
    // The size report stays in the list; the verdict follows it.
    const auto lines = differencesFrom(encodeImage(c), *held);
    if (lines.empty()) {
        if (write.writtenLine) ui.add(*write.writtenLine);
        ui.add(kSameConfigurationText);
        link.lastSucceeded = true;
        return true;
    }
    for (const auto& line : lines) ui.add(line);
    error(ui, verifytext::kWriteMismatch);
    return false;
}

}  // namespace livra
