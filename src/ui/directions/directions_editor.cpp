#include "ui/directions/directions_editor.h"

#include "edit/directions_edit.h"
#include "edit/tact_grid.h"
#include "ui/canvas_view.h"
#include "ui/directions/direction_dialogs.h"
#include "ui/directions/directions_tab.h"
#include "ui/popup_menus.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {

enum DirectionMenuId { MenuDeleteDirection = 1, MenuCancel = 2, MenuResetChannels = 3 };

// Each dialog's corner stands this far up and left of the mouse.
const QPoint kDirectionsDialogOffset(177, 62);
const QPoint kChannelDialogOffset(137, 58);

}  // namespace

void DirectionsEditor::canvasClicked(QPoint pos, Qt::MouseButton button) {
    Configuration& c = e_.c;
    const DirectionsHit hit = hitDirectionsPicture(pos.x(), pos.y(), tab_.firstDirection());
    const QPoint global = tab_.canvas()->mapToGlobal(pos);
    if (hit.area == DirectionsHit::Symbol) {
        const int d = hit.direction;
        const uint8_t kind = c.DirectionKind[d];
        if (button == Qt::RightButton && kind != DirEmpty) {
            c.CurrentDirection = d;
            e_.popups.show(PopupDirections, global);
        } else if (button == Qt::LeftButton && isFirstFreeDirection(c, d)) {
            c.CurrentDirection = d;
            openDirectionsDialog(global);
        }
        return;
    }
    if (hit.area == DirectionsHit::Slot && button == Qt::LeftButton && isFirstFreeDirection(c, hit.direction)) {
        // The whole first free row, as its hint says, adds a direction.
        c.CurrentDirection = hit.direction;
        openDirectionsDialog(global);
        return;
    }
    if (hit.area == DirectionsHit::Slot && button == Qt::LeftButton &&
        isEditableSlot(c.DirectionKind[hit.direction], hit.slot))
        openChannelDialog(hit.direction, hit.slot, global);
}

void DirectionsEditor::openDirectionsDialog(QPoint globalPos) {
    if (directionsOpen_) return;
    Configuration& c = e_.c;
    if (c.CurrentDirection < 0 || c.CurrentDirection >= DirectionCount) return;
    directionsOpen_ = true;
    DirectionsDialog dialog(tab_.window(), c, c.CurrentDirection);
    placeOnScreen(&dialog, globalPos - kDirectionsDialogOffset);
    dialog.exec();
    directionsOpen_ = false;
    dialogClosed();
    e_.recorded(kStepDirection);
}

void DirectionsEditor::openChannelDialog(int direction, int slot, QPoint globalPos) {
    if (channelOpen_ || direction < 0 || direction >= DirectionCount || slot < 0 || slot >= SlotCount) return;
    channelOpen_ = true;
    ChannelDialog dialog(tab_.window(), e_.c, direction, slot);
    placeOnScreen(&dialog, globalPos - kChannelDialogOffset);
    dialog.exec();
    channelOpen_ = false;
    dialogClosed();
    e_.recorded(kStepChannel);
}

void DirectionsEditor::dialogClosed() {
    e_.c.Modified = 1;
    e_.directionsChanged();
}

void DirectionsEditor::menuChosen(int id) {
    Configuration& c = e_.c;
    const char* step = kStepDeleteDirection;
    switch (id) {
    case MenuDeleteDirection: deleteDirection(c, c.CurrentDirection); break;
    case MenuResetChannels:
        resetChannelNumbers(c);
        step = kStepResetChannels;
        break;
    case MenuCancel:
    default: return;
    }
    e_.directionsChanged();
    e_.recorded(step);
}

void DirectionsEditor::changeChannelCount(int count) {
    if (e_.dialogs.messageBox(kWarningMarkTitle, kChannelCountQuestion, Buttons::YesNo, Icon::Exclamation) == Answer::Yes &&
        livra::changeChannelCount(e_.c, count)) {
        e_.directionsChanged();
        e_.recorded(kStepChannelCount);
    } else {
        tab_.showChannelCount();
    }
}

}  // namespace livra::ui
