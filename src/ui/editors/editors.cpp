#include "ui/editors/editors.h"

#include "edit/fixed_programs.h"
#include "ui/qt_dialogs.h"
#include "ui/safety/interphase_rebuild.h"
#include "ui/texts.h"
#include "ui/calendar/calendar_editor.h"
#include "ui/directions/directions_editor.h"
#include "ui/directions/directions_tab.h"
#include "ui/popup_menus.h"
#include "ui/tacts/programs_tab.h"
#include "ui/tacts/tact_editor.h"

namespace livra::ui {

Editors::Editors(Configuration& c, QtDialogs& dialogs, DirectionsTab& directionsTab, ProgramsTab& programsTab,
                 QObject* parent)
    : QObject(parent), c_(c), directionsTab_(directionsTab), programsTab_(programsTab),
      popups_(new PopupMenus(directionsTab.window())) {
    popups_->setParent(this);
    const EditorContext context{c, dialogs, *popups_, [this] { directionsChanged(); }, [this] { tactsChanged(); }};
    directions_ = std::make_unique<DirectionsEditor>(context, directionsTab);
    tacts_ = std::make_unique<TactEditor>(context, programsTab, *directions_);
    calendar_ = std::make_unique<CalendarEditor>(context, directionsTab);
    connect(&programsTab, &ProgramsTab::canvasClicked, this,
            [this](QPoint pos, Qt::MouseButton button) { tacts_->canvasClicked(pos, button); });
    connect(&programsTab, &ProgramsTab::copyRequested, this, [this](int source) { tacts_->copyProgram(source); });
    // The design from phases mends what it can: an interphase cut short.
    connect(&programsTab, &ProgramsTab::rebuildRequested, this, [this, ui = &dialogs] {
        const std::string refused = rebuildProgramInterphases(c_, c_.CurrentProgram);
        if (!refused.empty()) {
            ui->messageBox(kWarningTitle, refused, Buttons::Ok, Icon::Exclamation);
            return;
        }
        tactsChanged();
    });
    connect(&directionsTab, &DirectionsTab::canvasClicked, this,
            [this](QPoint pos, Qt::MouseButton button) { directions_->canvasClicked(pos, button); });
    connect(&directionsTab, &DirectionsTab::channelCountRequested, this,
            [this](int count) { directions_->changeChannelCount(count); });
    connect(&directionsTab, &DirectionsTab::calendarMenuRequested, this,
            [this](QPoint global) { popups_->show(PopupCalendar, global); });
    connect(popups_, &PopupMenus::chosen, this, &Editors::popupChosen);
}

Editors::~Editors() = default;

void Editors::directionsChanged() {
    buildFixedPrograms(c_);
    settleTables(c_);
    directionsTab_.redraw();
    programsTab_.redraw();
    emit tablesChanged();
}

void Editors::tactsChanged() {
    settleTables(c_);
    programsTab_.redraw();
    emit tablesChanged();
}

void Editors::popupChosen(int context, int id) {
    switch (context) {
    case PopupDirections: directions_->menuChosen(id); break;
    case PopupTacts: tacts_->menuChosen(id); break;
    case PopupCalendar: calendar_->menuChosen(id); break;
    default: break;
    }
}

}  // namespace livra::ui
