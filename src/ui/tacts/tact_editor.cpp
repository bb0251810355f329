#include "ui/tacts/tact_editor.h"

#include <QCursor>
#include <algorithm>

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

TactEditor::TactEditor(EditorContext context, ProgramsTab& tab, DirectionsEditor& directions)
    : e_(std::move(context)), tab_(tab), directions_(directions) {
    tab_.setSelection(&selection_);
}

GridCell TactEditor::cellAt(QPoint pos, bool& inside) const {
    const GridHit hit = hitTactGrid(pos.x(), pos.y(), tab_.firstTact(), tab_.firstDirection(), tab_.canvas()->width(),
                                    tab_.canvas()->height());
    inside = hit.area == GridArea::Cell;
    return {hit.tact, hit.direction};
}

void TactEditor::clearSelection() {
    selection_ = GridSelection{};
    selection_.program = e_.c.CurrentProgram;
}

void TactEditor::showSelection() { tab_.redraw(); }

void TactEditor::canvasClicked(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers keys) {
    Configuration& c = e_.c;
    const GridHit hit = hitTactGrid(pos.x(), pos.y(), tab_.firstTact(), tab_.firstDirection(), tab_.canvas()->width(),
                                    tab_.canvas()->height());
    const QPoint global = tab_.canvas()->mapToGlobal(pos);
    const bool left = button == Qt::LeftButton;
    const bool right = button == Qt::RightButton;
    const bool ctrl = keys & Qt::ControlModifier, shift = keys & Qt::ShiftModifier;
    pressed_ = false;
    if (selection_.program != c.CurrentProgram) clearSelection();
    switch (hit.area) {
    case GridArea::Cell: {
        const GridCell cell{hit.tact, hit.direction};
        if (left && (ctrl || shift)) {
            selection_.firstTact = selection_.lastTact = -1;
            if (shift) {
                for (const GridCell& x : cellRectangle(anchor_, cell)) selection_.cells.insert(x);
            } else if (!selection_.cells.erase(cell)) {
                selection_.cells.insert(cell);
                anchor_ = cell;
            }
            showSelection();
            return;
        }
        c.CurrentTact = hit.tact;
        c.CurrentDirection = hit.direction;
        if (left) {
            // The signal choice opens when the button is let go here; moving
            // to another cell first selects the cells between.
            if (!selection_.empty()) {
                clearSelection();
                showSelection();
            }
            anchor_ = cell;
            pressed_ = true;
            dragging_ = false;
        } else if (right && isUserProgram(c.CurrentProgram)) {
            if (!selection_.cells.count(cell)) {
                clearSelection();
                selection_.cells.insert(cell);
                anchor_ = cell;
                showSelection();
            }
            e_.popups.show(PopupCells, global);
        }
        break;
    }
    case GridArea::DirectionColumn:
        c.CurrentDirection = hit.direction;
        if (left && isFirstFreeDirection(c, hit.direction)) directions_.openDirectionsDialog(global);
        else if (right && c.DirectionKind[hit.direction] != DirEmpty) e_.popups.show(PopupDirections, global);
        break;
    case GridArea::HeaderBand:
        if (left && (ctrl || shift)) {
            // A run of tacts from the last one clicked.
            selection_.cells.clear();
            if (!shift || anchorTact_ < 0) anchorTact_ = hit.tact;
            selection_.firstTact = std::min(anchorTact_, hit.tact);
            selection_.lastTact = std::max(anchorTact_, hit.tact);
            c.CurrentTact = hit.tact;
            showSelection();
            return;
        }
        c.CurrentTact = hit.tact;
        anchorTact_ = hit.tact;
        if (left) {
            if (!selection_.empty()) {
                clearSelection();
                showSelection();
            }
            openTactProperties(global);
        } else if (right && isUserProgram(c.CurrentProgram)) {
            e_.popups.show(PopupTacts, global);
        }
        break;
    case GridArea::Nothing: break;
    }
}

void TactEditor::canvasDragged(QPoint pos) {
    if (!pressed_) return;
    bool inside = false;
    const GridCell cell = cellAt(pos, inside);
    if (!inside || (cell == anchor_ && !dragging_)) return;
    dragging_ = true;
    selection_.cells.clear();
    selection_.firstTact = selection_.lastTact = -1;
    for (const GridCell& x : cellRectangle(anchor_, cell)) selection_.cells.insert(x);
    showSelection();
}

void TactEditor::canvasReleased(QPoint pos, Qt::MouseButton button) {
    if (button != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (dragging_) return;
    bool inside = false;
    if (cellAt(pos, inside) == anchor_ && inside) openSignalChoice(tab_.canvas()->mapToGlobal(pos));
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

void TactEditor::cellMenuChosen(int id) {
    const Configuration& c = e_.c;
    const int p = c.CurrentProgram;
    const QPoint global = QCursor::pos();
    switch (id) {
    case CellSignalForSelected: {
        const std::vector<GridCell> cells(selection_.cells.begin(), selection_.cells.end());
        chooseSignalFor(cells, global, kStepSignals);
        break;
    }
    case CellFillDirection: chooseSignalFor(directionRow(c, p, c.CurrentDirection), global, kStepFillDirection); break;
    case CellFillTact: chooseSignalFor(tactColumn(c, p, c.CurrentTact), global, kStepFillTact); break;
    case CellCopyTacts: copySelectedTacts(); break;
    case CellCutTacts: cutSelectedTacts(); break;
    case CellPasteTacts: pasteTacts(); break;
    case CellAllRed: insertAllRed(); break;
    default: break;
    }
}

void TactEditor::clipboardKey(int key) {
    if (key == Qt::Key_C) copySelectedTacts();
    else if (key == Qt::Key_X) cutSelectedTacts();
    else if (key == Qt::Key_V) pasteTacts();
}

void TactEditor::chooseSignalFor(const std::vector<GridCell>& cells, QPoint mouseGlobal, const char* step) {
    Configuration& c = e_.c;
    const int p = c.CurrentProgram, t = c.CurrentTact, d = c.CurrentDirection;
    if (signalOpen_ || !isUserProgram(p) || cells.empty() || t < 0 || t >= TactCount || d < 0 || d >= DirectionCount)
        return;
    // The clicked cell's choice; each cell takes the signal where it may show it.
    const SignalVariant v = allowedSignals(c.DirectionKind[d], c.TactTable[p][t].kind);
    if (v == SignalVariant::None) return;
    OpenFlag open(signalOpen_);
    SignalChoiceDialog dialog(tab_.window(), v, d, t, mouseGlobal);
    dialog.exec();
    if (dialog.chosenCode() == 0) return;
    if (setCellSignals(c, p, cells, uint8_t(dialog.chosenCode())) == 0) return;
    c.Modified = 1;
    e_.tactsChanged();
    e_.recorded(step);
}

void TactEditor::copySelectedTacts() {
    int first = 0, count = 0;
    selection_.tactsToTake(e_.c.CurrentTact, first, count);
    TactClip clip = copyTacts(e_.c, e_.c.CurrentProgram, first, count);
    if (!clip.empty()) clipboard_ = std::move(clip);
}

void TactEditor::cutSelectedTacts() {
    Configuration& c = e_.c;
    if (!isUserProgram(c.CurrentProgram)) return;
    int first = 0, count = 0;
    selection_.tactsToTake(c.CurrentTact, first, count);
    TactClip clip = copyTacts(c, c.CurrentProgram, first, count);
    if (clip.empty()) return;
    clipboard_ = std::move(clip);
    if (deleteTacts(c, c.CurrentProgram, first, int(clipboard_.tacts.size())) != TactEditResult::Done) return;
    c.Modified = 1;
    clearSelection();
    e_.tactsChanged();
    e_.recorded(kStepCutTacts);
}

void TactEditor::pasteTacts() {
    Configuration& c = e_.c;
    if (clipboard_.empty() || !isUserProgram(c.CurrentProgram)) return;
    int first = 0, count = 0;
    selection_.tactsToTake(c.CurrentTact, first, count);
    const TactEditResult r = livra::pasteTacts(c, c.CurrentProgram, first, clipboard_);
    if (r == TactEditResult::TableFull) {
        e_.dialogs.messageBox(kWarningSpacedMarkTitle, kTableFullText, Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (r != TactEditResult::Done) return;
    c.Modified = 1;
    clearSelection();
    e_.tactsChanged();
    e_.recorded(kStepPasteTacts);
}

void TactEditor::insertAllRed() {
    Configuration& c = e_.c;
    if (!isUserProgram(c.CurrentProgram)) return;
    const TactEditResult r = insertAllRedTact(c, c.CurrentProgram, c.CurrentTact);
    if (r == TactEditResult::TableFull) {
        e_.dialogs.messageBox(kWarningSpacedMarkTitle, kTableFullText, Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (r != TactEditResult::Done) return;
    c.Modified = 1;
    e_.tactsChanged();
    e_.recorded(kStepAllRed);
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
