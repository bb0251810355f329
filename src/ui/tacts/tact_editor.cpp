#include "ui/tacts/tact_editor.h"

#include "edit/signal_choice.h"
#include "edit/tact_edit.h"
#include "edit/tact_grid.h"
#include "ui/directions/directions_editor.h"
#include "ui/editors/editors.h"
#include "ui/main_window.h"
#include "ui/tacts/signal_choice_dialog.h"
#include "ui/tacts/tact_properties_dialog.h"

#include <QScrollBar>

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
    MainWindow& w = e_.window();
    Configuration& c = w.configuration();
    const GridHit hit = hitTactGrid(pos.x(), pos.y(), w.tactScroll()->value(), w.tactDirectionScroll()->value());
    const QPoint global = w.tactCanvas()->mapToGlobal(pos);
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
        if (left && isFirstFreeDirection(c, hit.direction)) e_.directions().openDirectionsDialog(global);
        else if (right && c.DirectionKind[hit.direction] != DirEmpty) w.showPopup(PopupDirections, global);
        break;
    case GridArea::HeaderBand:
        c.CurrentTact = hit.tact;
        if (left) openTactProperties(global);
        else if (right && isUserProgram(c.CurrentProgram)) w.showPopup(PopupTacts, global);
        break;
    case GridArea::Nothing: break;
    }
}

void TactEditor::menuChosen(int id) {
    if (id != InsertBefore && id != InsertAfter && id != Delete && id != DeleteAll) return;  // "Отмена"
    MainWindow& w = e_.window();
    Configuration& c = w.configuration();
    const int p = c.CurrentProgram;
    const int t = c.CurrentTact;
    c.Modified = 1;
    TactEditResult r = TactEditResult::Done;
    switch (id) {
    case InsertBefore: r = insertTactBefore(c, p, t); break;
    case InsertAfter: r = insertTactAfter(c, p, t); break;
    case Delete: r = deleteTact(c, p, t); break;
    case DeleteAll:
        if (w.dialogs().messageBox(kClearProgramTitle, kClearProgramQuestion, Buttons::YesNo, Icon::Exclamation) ==
            Answer::Yes)
            r = clearProgram(c, p);
        break;
    }
    if (r == TactEditResult::TableFull)
        w.dialogs().messageBox(kTableFullTitle, kTableFullText, Buttons::Ok, Icon::Exclamation);
    w.redrawTactTable();
}

void TactEditor::openSignalChoice(QPoint mouseGlobal) {
    MainWindow& w = e_.window();
    Configuration& c = w.configuration();
    const int p = c.CurrentProgram, t = c.CurrentTact, d = c.CurrentDirection;
    if (signalOpen_ || !isUserProgram(p) || t < 0 || t >= TactCount || d < 0 || d >= DirectionCount) return;
    const SignalVariant v = allowedSignals(c.DirectionKind[d], c.TactTable[p][t].kind);
    if (v == SignalVariant::None) return;
    OpenFlag open(signalOpen_);
    SignalChoiceDialog dialog(&w, v, d, t, mouseGlobal);
    dialog.exec();
    // Any way out of the dialog counts as an edit, "Отмена" included.
    c.Modified = 1;
    if (dialog.chosenCode() != 0) {
        c.TactSignals[p][t][d] = uint8_t(dialog.chosenCode());
        w.redrawTactTable();
    }
}

void TactEditor::openTactProperties(QPoint mouseGlobal) {
    MainWindow& w = e_.window();
    Configuration& c = w.configuration();
    const int p = c.CurrentProgram, t = c.CurrentTact;
    if (propertiesOpen_ || !isUserProgram(p) || t < 0 || t >= TactCount) return;
    OpenFlag open(propertiesOpen_);
    TactPropertiesDialog dialog(&w, c, w.dialogs(), p, t, mouseGlobal);
    const bool stored = dialog.exec() == QDialog::Accepted;
    c.Modified = 1;
    if (stored) w.redrawTactTable();
}

}  // namespace livra::ui
