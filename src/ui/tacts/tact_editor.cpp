#include "ui/tacts/tact_editor.h"

#include "edit/signal_choice.h"
#include "edit/tact_edit.h"
#include "edit/tact_grid.h"
#include "ui/directions/directions_editor.h"
#include "ui/canvas_view.h"
#include "ui/popup_menus.h"
#include "ui/qt_dialogs.h"
#include "ui/tacts/programs_tab.h"
#include "ui/tacts/signal_choice_dialog.h"
#include "ui/tacts/tact_properties_dialog.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {

enum TactMenuItem { InsertBefore = 1, InsertAfter = 2, Delete = 3, DeleteAll = 5 };

// Clears a flag when the dialog that set it is gone, however it ended.
struct OpenFlag {
    bool& flag;
    explicit OpenFlag(bool& f) : flag(f) { flag = true; }
    ~OpenFlag() { flag = false; }
};

}  // namespace

void TactEditor::canvasClicked(QPoint pos, Qt::MouseButton button) {
    Configuration& c = e_.c;
    const GridHit hit = hitTactGrid(pos.x(), pos.y(), tab_.firstTact(), tab_.firstDirection(), tab_.canvas()->width(),
                                    tab_.canvas()->height());
    const QPoint global = tab_.canvas()->mapToGlobal(pos);
    const bool left = button == Qt::LeftButton;
    const bool right = button == Qt::RightButton;
    switch (hit.area) {
    case GridArea::Cell:
        if (!left) return;
        c.CurrentTact = hit.tact;
        c.CurrentDirection = hit.direction;
        openSignalChoice(global);
        break;
    case GridArea::DirectionColumn:
        c.CurrentDirection = hit.direction;
        if (left && isFirstFreeDirection(c, hit.direction)) directions_.openDirectionsDialog(global);
        else if (right && c.DirectionKind[hit.direction] != DirEmpty) e_.popups.show(PopupDirections, global);
        break;
    case GridArea::HeaderBand:
        c.CurrentTact = hit.tact;
        if (left) openTactProperties(global);
        else if (right && isUserProgram(c.CurrentProgram)) e_.popups.show(PopupTacts, global);
        break;
    case GridArea::Nothing: break;
    }
}

void TactEditor::menuChosen(int id) {
    if (id != InsertBefore && id != InsertAfter && id != Delete && id != DeleteAll) return;  // "Отмена"
    Configuration& c = e_.c;
    const int p = c.CurrentProgram;
    const int t = c.CurrentTact;
    c.Modified = 1;
    TactEditResult r = TactEditResult::Done;
    const char* step = kStepInsertTact;
    switch (id) {
    case InsertBefore: r = insertTactBefore(c, p, t); break;
    case InsertAfter: r = insertTactAfter(c, p, t); break;
    case Delete:
        r = deleteTact(c, p, t);
        step = kStepDeleteTact;
        break;
    case DeleteAll:
        step = kStepClearProgram;
        if (e_.dialogs.messageBox(kWarningTitle, kClearProgramQuestion, Buttons::YesNo, Icon::Exclamation) ==
            Answer::Yes)
            r = clearProgram(c, p);
        break;
    }
    if (r == TactEditResult::TableFull)
        e_.dialogs.messageBox(kWarningSpacedMarkTitle, kTableFullText, Buttons::Ok, Icon::Exclamation);
    e_.tactsChanged();
    e_.recorded(step);
}

void TactEditor::copyProgram(int source) {
    if (!livra::copyProgram(e_.c, source)) return;
    e_.tactsChanged();
    e_.recorded(kStepCopyProgram);
}

void TactEditor::openSignalChoice(QPoint mouseGlobal) {
    Configuration& c = e_.c;
    const int p = c.CurrentProgram, t = c.CurrentTact, d = c.CurrentDirection;
    if (signalOpen_ || !isUserProgram(p) || t < 0 || t >= TactCount || d < 0 || d >= DirectionCount) return;
    const SignalVariant v = allowedSignals(c.DirectionKind[d], c.TactTable[p][t].kind);
    if (v == SignalVariant::None) return;
    OpenFlag open(signalOpen_);
    SignalChoiceDialog dialog(tab_.window(), v, d, t, mouseGlobal);
    dialog.exec();
    // Any way out of the dialog counts as an edit, "Отмена" included.
    c.Modified = 1;
    if (dialog.chosenCode() != 0) {
        c.TactSignals[p][t][d] = uint8_t(dialog.chosenCode());
        e_.tactsChanged();
        e_.recorded(kStepSignal);
    }
}

void TactEditor::openTactProperties(QPoint mouseGlobal) {
    Configuration& c = e_.c;
    const int p = c.CurrentProgram, t = c.CurrentTact;
    if (propertiesOpen_ || !isUserProgram(p) || t < 0 || t >= TactCount) return;
    OpenFlag open(propertiesOpen_);
    TactPropertiesDialog dialog(tab_.window(), c, e_.dialogs, p, t, mouseGlobal);
    const bool stored = dialog.exec() == QDialog::Accepted;
    c.Modified = 1;
    if (!stored) return;
    e_.tactsChanged();
    e_.recorded(kStepTactProperties);
}

}  // namespace livra::ui
