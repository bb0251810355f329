#include "ui/directions/directions_editor.h"

#include <QScrollBar>

#include "edit/directions_edit.h"
#include "pictures/pictures.h"
#include "ui/directions/direction_dialogs.h"
#include "ui/editors/editors.h"
#include "ui/main_window.h"

namespace livra::ui {

namespace {

enum DirectionMenuId { MenuDeleteDirection = 1, MenuCancel = 2, MenuResetChannels = 3 };

// Each dialog's corner stands this far up and left of the mouse.
const QPoint kDirectionsDialogOffset(177, 62);
const QPoint kChannelDialogOffset(137, 58);

}  // namespace

void DirectionsEditor::canvasClicked(QPoint pos, Qt::MouseButton button) {
    using pictures::CellHeight;
    using pictures::CellWidth;
    using pictures::SlotSize;
    MainWindow& w = e_.window();
    Configuration& c = w.configuration();
    const int first = w.directionsScroll()->value();
    const QPoint global = w.directionsCanvas()->mapToGlobal(pos);
    const int x = pos.x(), y = pos.y();
    if (x < 0 || y < 0) return;
    if (x < CellWidth) {
        if (y < CellHeight) return;  // the header row
        const int d = y / CellHeight - 1 + first;
        if (d < 0 || d >= DirectionCount) return;
        const uint8_t kind = c.DirectionKind[d];
        if (button == Qt::RightButton && kind != DirEmpty) {
            c.CurrentDirection = d;
            w.showPopup(PopupDirections, global);
        } else if (button == Qt::LeftButton && kind == DirEmpty && (d == 0 || c.DirectionKind[d - 1] != DirEmpty)) {
            c.CurrentDirection = d;
            openDirectionsDialog(global);
        }
        return;
    }
    if (x > CellWidth && y > CellHeight && button == Qt::LeftButton) {
        const int s = (x - CellWidth) / SlotSize;
        const int d = (y - CellHeight) / CellHeight + first;
        if (s >= SlotCount || d < 0 || d >= DirectionCount) return;
        if (isEditableSlot(c.DirectionKind[d], s)) openChannelDialog(d, s, global);
    }
}

void DirectionsEditor::openDirectionsDialog(QPoint globalPos) {
    if (directionsOpen_) return;
    MainWindow& w = e_.window();
    Configuration& c = w.configuration();
    if (c.CurrentDirection < 0 || c.CurrentDirection >= DirectionCount) return;
    directionsOpen_ = true;
    DirectionsDialog dialog(&w, c, c.CurrentDirection);
    placeOnScreen(&dialog, globalPos - kDirectionsDialogOffset);
    dialog.exec();
    directionsOpen_ = false;
    dialogClosed();
}

void DirectionsEditor::openChannelDialog(int direction, int slot, QPoint globalPos) {
    if (channelOpen_ || direction < 0 || direction >= DirectionCount || slot < 0 || slot >= SlotCount) return;
    MainWindow& w = e_.window();
    channelOpen_ = true;
    ChannelDialog dialog(&w, w.configuration(), direction, slot);
    placeOnScreen(&dialog, globalPos - kChannelDialogOffset);
    dialog.exec();
    channelOpen_ = false;
    dialogClosed();
}

void DirectionsEditor::dialogClosed() {
    e_.window().configuration().Modified = 1;
    e_.directionsChanged();
}

void DirectionsEditor::menuChosen(int id) {
    Configuration& c = e_.window().configuration();
    switch (id) {
    case MenuDeleteDirection: deleteDirection(c, c.CurrentDirection); break;
    case MenuResetChannels: resetChannelNumbers(c); break;
    case MenuCancel:
    default: return;
    }
    e_.directionsChanged();
}

}  // namespace livra::ui
