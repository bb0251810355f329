#include "app/verify_commands.h"

#include <memory>
#include <optional>

#include "app/image_transfer.h"
#include "app/passport_commands.h"
#include "app/texts.h"
#include "check/compare.h"
#include "image/image.h"

namespace livra {
namespace {

void error(UserDialogs& ui, const char* text) {
    ui.messageBox(kErrorTitle, text, Buttons::Ok, Icon::Error);
}

// The controller's image as fetched, in a connection of its own; nothing
// local changes. Nothing when it could not be had: the user has been told
// why, the boxes under the title of the command the user started.
std::optional<ImageFiles> readBack(LinkContext& link, UserDialogs& ui, const char* commandTitle, LinkOutcome& got,
                                   std::vector<uint8_t>* identity = nullptr) {
    ImageFiles files;
    {
        LinkSession s(link, ui);
        got = s.connect() ? fetchImage(s, files) : s.failure();
        if (identity) *identity = s.identity();
        if (got == LinkOutcome::Damaged) error(ui, kDamagedImageText);
    }
    // Damaged replies show no box of their own, and a check must never end
    // silently.
    if (got == LinkOutcome::DamagedReplies) error(ui, kDamagedRepliesText);
    if (got != LinkOutcome::Ok) return std::nullopt;
    const std::unique_ptr<Configuration> decoded = decodeImage(files);
    if (!decoded) {
        error(ui, kDamagedImageText);
        got = LinkOutcome::Damaged;
        return std::nullopt;
    }
    if (holdsNoConfiguration(*decoded)) {
        ui.messageBox(commandTitle, kNoConfigurationText, Buttons::Ok, Icon::Information);
        got = LinkOutcome::Empty;
        return std::nullopt;
    }
    return files;
}

}  // namespace

VerifyResult compareWithController(const Configuration& c, LinkContext& link, UserDialogs& ui,
                                   std::vector<std::string>* differences, LinkOutcome* failure) {
    LinkOutcome got = LinkOutcome::Ok;
    if (!failure) failure = &got;
    // A project the image would change cannot be compared honestly: 300 s
    // would be "equal" to the 44 s a controller holds.
    if (const auto finding = imageFinding(c)) {
        ui.clear();
        ui.add(*finding);
        ui.messageBox(kWarningTitle, kNotComparableText, Buttons::Ok, Icon::Exclamation);
        *failure = LinkOutcome::Refused;
        return VerifyResult::Failed;
    }
    const auto held = readBack(link, ui, kCompareTitle, *failure);
    if (!held) return VerifyResult::Failed;
    // Against the bytes as fetched, so that nothing the decoder reads
    // coarsely can pass for equal.
    const auto lines = compareImages(encodeImage(c), *held);
    ui.clear();
    if (lines.empty()) ui.add(kSameConfigurationText);
    for (const auto& line : lines) ui.add(line);
    if (differences) *differences = lines;
    return lines.empty() ? VerifyResult::Equal : VerifyResult::Different;
}

LinkOutcome writeAndVerify(Configuration& c, LinkContext& link, UserDialogs& ui) {
    ImageFiles image;
    if (const LinkOutcome ready = prepareWrite(c, ui, image); ready != LinkOutcome::Ok) return ready;
    if (const LinkOutcome sent = sendPrepared(image, link, ui); sent != LinkOutcome::Ok) return sent;
    LinkOutcome got = LinkOutcome::Ok;
    std::vector<uint8_t> identity;
    const auto held = readBack(link, ui, kWriteTitle, got, &identity);
    if (!held) {
        ui.add(kWriteUncheckedLine);
        return LinkOutcome::Unchecked;
    }
    // The size report stays in the list; the verdict follows it.
    const auto lines = compareImages(image, *held);
    if (lines.empty()) {
        ui.status(writtenLine(image));
        ui.add(kSameConfigurationText);
        recordVerifiedWrite(c, identity, computerNow(link));
        return LinkOutcome::Ok;
    }
    for (const auto& line : lines) ui.add(line);
    error(ui, kWriteMismatchText);
    return LinkOutcome::Different;
}

}  // namespace livra
