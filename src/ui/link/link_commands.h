#pragma once
// The controller commands the desktop program starts: the link tab's buttons
// and "Сервис".
#include <optional>

#include "app/controller_commands.h"

namespace livra::ui {

enum class LinkCommand { Write, Read, Info, ReadClock, SyncClock, ReadJournal, SaveJournal, Service,
                         Compare, WriteVerified };

// Runs one command; nothing when the program was built without the link
// (the user has been told).
std::optional<LinkOutcome> runLinkCommand(LinkCommand which, Configuration& c, LinkContext* link, UserDialogs& ui,
                                          LinkTabState& tab);

}  // namespace livra::ui
