// The link tab's buttons call the controller commands; the build without the
// serial adapter refuses them with the usual failure box.
#include "ui/main_window.h"

#include "app/verify_commands.h"

#if __has_include("serial_qt/qt_serial_port.h")
#define LIVRA_HAVE_LINK 1
#endif

namespace livra::ui {

bool runLinkCommand(LinkCommand which, Configuration& c, LinkContext* link, UserDialogs& ui, LinkTabState& tab) {
#ifdef LIVRA_HAVE_LINK
    if (which == LinkCommand::SaveJournal) {
        saveJournal(tab, ui);
        return true;
    }
    // Without a link every command ends with the cable message.
    LinkContext none;
    if (!link) link = &none;
    switch (which) {
    case LinkCommand::Write: writeToController(c, *link, ui); break;
    case LinkCommand::Read: readFromController(c, *link, ui); break;
    case LinkCommand::Info: showControllerInfo(*link, ui); break;
    case LinkCommand::ReadClock: readControllerClock(*link, ui, tab); break;
    case LinkCommand::SyncClock: syncControllerClock(*link, ui, tab); break;
    case LinkCommand::ReadJournal: readJournal(*link, ui, tab); break;
    case LinkCommand::Service: serviceCommand(*link, ui, tab); break;
    case LinkCommand::SaveJournal: break;
    case LinkCommand::Compare: compareWithController(c, *link, ui); break;
    case LinkCommand::WriteVerified: writeAndVerify(c, *link, ui); break;
    }
    return true;
#else
    (void)which; (void)c; (void)link; (void)tab;
    ui.messageBox("Ошибка", "Выполнить команду не удалось!!!\nСвязь с ДК в этой сборке недоступна.", Buttons::Ok,
                  Icon::Error);
    return false;
#endif
}

}  // namespace livra::ui
