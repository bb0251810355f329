#include "ui/editors/editors.h"

#include "edit/fixed_programs.h"
#include "ui/calendar/calendar_editor.h"
#include "ui/directions/directions_editor.h"
#include "ui/main_window.h"
#include "ui/tacts/tact_editor.h"

namespace livra::ui {

Editors::Editors(MainWindow& window)
    : QObject(&window),
      w_(window),
      tacts_(std::make_unique<TactEditor>(*this)),
      directions_(std::make_unique<DirectionsEditor>(*this)),
      calendar_(std::make_unique<CalendarEditor>(*this)) {
    connect(&w_, &MainWindow::tactCanvasClicked, this,
            [this](QPoint pos, Qt::MouseButton button) { tacts_->canvasClicked(pos, button); });
    connect(&w_, &MainWindow::directionsCanvasClicked, this,
            [this](QPoint pos, Qt::MouseButton button) { directions_->canvasClicked(pos, button); });
    connect(&w_, &MainWindow::popupChosen, this, &Editors::popupChosen);
}

Editors::~Editors() = default;

void Editors::directionsChanged() {
    buildFixedPrograms(w_.configuration());
    w_.redrawDirections();
    w_.redrawTactTable();
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
