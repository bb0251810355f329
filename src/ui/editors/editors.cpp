#include "ui/editors/editors.h"

#include "edit/fixed_programs.h"
#include "ui/qt_dialogs.h"
#include "ui/safety/interphase_rebuild.h"
#include "ui/calendar/calendar_editor.h"
#include "ui/directions/directions_editor.h"
#include "ui/directions/directions_tab.h"
#include "ui/popup_menus.h"
#include "ui/tacts/programs_tab.h"
#include "ui/tacts/tact_editor.h"
#include "ui/texts.h"

namespace livra::ui {

Editors::Editors(Configuration& c, QtDialogs& dialogs, DirectionsTab& directionsTab, ProgramsTab& programsTab,
                 QObject* parent, std::function<void(const char*, int)> recordStep)
    : QObject(parent), c_(c), directionsTab_(directionsTab), programsTab_(programsTab),
      popups_(new PopupMenus(directionsTab.window())) {
    popups_->setParent(this);
    const EditorContext context{c, dialogs, *popups_, [this] { directionsChanged(); }, [this] { tactsChanged(); },
                                recordStep};
    directions_ = std::make_unique<DirectionsEditor>(context, directionsTab);
    tacts_ = std::make_unique<TactEditor>(context, programsTab, *directions_);
    calendar_ = std::make_unique<CalendarEditor>(context, directionsTab);
    connect(&programsTab, &ProgramsTab::canvasClicked, this,
            [this](QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers keys) {
                tacts_->canvasClicked(pos, button, keys);
            });
    connect(&programsTab, &ProgramsTab::canvasDragged, this, [this](QPoint pos) { tacts_->canvasDragged(pos); });
    connect(&programsTab, &ProgramsTab::canvasReleased, this,
            [this](QPoint pos, Qt::MouseButton button) { tacts_->canvasReleased(pos, button); });
    connect(&programsTab, &ProgramsTab::clipboardKey, this, [this](int key) { tacts_->clipboardKey(key); });
    connect(&programsTab, &ProgramsTab::copyRequested, this, [this](int source) { tacts_->copyProgram(source); });
    // The design from phases mends what it can: an interphase cut short.
    connect(&programsTab, &ProgramsTab::rebuildRequested, this, [this, ui = &dialogs, context] {
        const std::string refused = rebuildProgramInterphases(c_, c_.CurrentProgram);
        if (!refused.empty()) {
            ui->messageBox(kWarningTitle, refused, Buttons::Ok, Icon::Exclamation);
            return;
        }
        tactsChanged();
        context.recorded(kStepRebuildInterphases);
    });
    connect(&directionsTab, &DirectionsTab::canvasClicked, this,
            [this](QPoint pos, Qt::MouseButton button) { directions_->canvasClicked(pos, button); });
    connect(&directionsTab, &DirectionsTab::channelCountRequested, this,
            [this](int count) { directions_->changeChannelCount(count); });
    connect(&directionsTab, &DirectionsTab::calendarMenuRequested, this,
            [this](QPoint global) { popups_->show(PopupCalendar, global); });
    connect(popups_, &PopupMenus::chosen, this, &Editors::popupChosen);
    connect(&directionsTab, &DirectionsTab::copyDayRequested, this,
            [this](int source, int target) { calendar_->copyDay(source, target); });
    connect(&directionsTab, &DirectionsTab::copyToDaysRequested, this,
            [this](int source) { calendar_->copyToDays(source); });
    // The keystrokes of one delay field make one step.
    connect(&directionsTab, &DirectionsTab::delayChanged, this,
            [context](int field) { context.recorded(kStepDelay, 100 + field); });
}

Editors::~Editors() = default;

void Editors::directionsChanged() {
    buildFixedPrograms(c_);
    settleTables(c_);
    directionsTab_.redraw();
    programsTab_.redraw();
}

void Editors::tactsChanged() {
    settleTables(c_);
    programsTab_.redraw();
}

void Editors::popupChosen(int context, int id) {
    switch (context) {
    case PopupDirections: directions_->menuChosen(id); break;
    case PopupTacts: tacts_->menuChosen(id); break;
    case PopupCalendar: calendar_->menuChosen(id); break;
    case PopupCells: tacts_->cellMenuChosen(id); break;
    default: break;
    }
}

}  // namespace livra::ui
