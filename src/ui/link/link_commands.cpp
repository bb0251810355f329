// The link tab's buttons call the controller commands; the build without the
// serial adapter refuses them with the usual failure box.
#include "ui/link/link_commands.h"

#include "app/passport_commands.h"
#include "app/verify_commands.h"
#include "model/project_file.h"
#include "ui/texts.h"

#if __has_include("serial_qt/qt_serial_port.h")
#define LIVRA_HAVE_LINK 1
#endif

namespace livra::ui {

std::optional<LinkOutcome> runLinkCommand(LinkCommand which, Configuration& c, LinkContext* link, UserDialogs& ui,
                                          LinkTabState& tab) {
#ifdef LIVRA_HAVE_LINK
    if (which == LinkCommand::SaveJournal)
        return saveJournal(tab, ui) ? LinkOutcome::Ok : LinkOutcome::FileError;
    // Without a link every command ends with the cable message.
    LinkContext none;
    if (!link) link = &none;
    switch (which) {
    case LinkCommand::Write: return writeToController(c, *link, ui);
    case LinkCommand::Read: return readFromController(c, *link, ui);
    case LinkCommand::Info: return showControllerInfoNoted(c, *link, ui);
    case LinkCommand::ReadClock: return readControllerClock(*link, ui, tab);
    case LinkCommand::SyncClock: return syncControllerClock(*link, ui, tab);
    case LinkCommand::ReadJournal: return readJournal(*link, ui, tab);
    case LinkCommand::Service: return serviceCommand(*link, ui, tab);
    case LinkCommand::SaveJournal: break;
    case LinkCommand::Compare: {
        LinkOutcome failure = LinkOutcome::Ok;
        compareWithController(c, *link, ui, nullptr, &failure);
        return failure;
    }
    case LinkCommand::WriteVerified: return writeAndVerify(c, *link, ui);
    }
    return std::nullopt;
#else
    (void)which; (void)c; (void)link; (void)tab;
    ui.messageBox(kErrorTitle, kNoLinkInBuildText, Buttons::Ok,
                  Icon::Error);
    return std::nullopt;
#endif
}

}  // namespace livra::ui
