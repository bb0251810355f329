#include "app/passport_commands.h"

#include <cstdio>

#include "app/texts.h"

namespace livra {

void recordVerifiedWrite(Configuration& c, const std::vector<uint8_t>& identity, const LocalDateTime& when) {
    char at[32];
    std::snprintf(at, sizeof at, "%02d.%02d.%04d %02d:%02d", when.day % 100, when.month % 100, when.year % 10000,
                  when.hour % 100, when.minute % 100);
    WriteRecord r;
    r.when = at;
    r.controller = identity.size() >= 3 ? controllerIdentityRecord(identity[0], identity[1], identity[2]) : "—";
    r.revision = c.Safety.object.revision.empty() ? "—" : c.Safety.object.revision;
    c.Safety.object.recordWrite(std::move(r));
    c.Modified = 1;
}

LinkOutcome showControllerInfoNoted(Configuration& c, LinkContext& link, UserDialogs& ui) {
    ControllerIdentity id;
    const LinkOutcome r = readControllerInfo(link, ui, id);
    if (r != LinkOutcome::Ok) return r;
    const std::string before = c.Safety.object.model;
    noteControllerModel(c.Safety.object, id.model);
    if (c.Safety.object.model != before) c.Modified = 1;
    ui.messageBox(kControllerInfoTitle, controllerInfoText(id), Buttons::Ok, Icon::Information);
    return r;
}

}  // namespace livra
