#pragma once
// The tact grid's clicks, its selection and the two pop-up menus of the grid:
// TactMenu on the header band (tact list operations), CellMenu on the cells
// (one signal for the selected cells, a row or a tact filled, tacts copied,
// cut and pasted, the "all red" tact). The rules live in src/edit.
#include <QPoint>
#include <Qt>

#include "edit/tact_clipboard.h"
#include "ui/editor_context.h"

namespace livra::ui {

class DirectionsEditor;
class ProgramsTab;

class TactEditor {
public:
    // The grid's direction column opens the directions dialog of `directions`.
    TactEditor(EditorContext context, ProgramsTab& tab, DirectionsEditor& directions);

    // The mouse on the grid picture, in picture coordinates. A left click on
    // a cell opens the signal choice when the button is let go where it was
    // pressed; a drag, Ctrl and Shift select cells instead (on the header
    // band: tacts).
    void canvasClicked(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers keys = {});
    void canvasDragged(QPoint pos);
    void canvasReleased(QPoint pos, Qt::MouseButton button);
    // An item of TactMenu or CellMenu, by its id.
    void menuChosen(int id);
    void cellMenuChosen(int id);
    // Ctrl+C, Ctrl+X, Ctrl+V (Qt::Key_C, _X, _V).
    void clipboardKey(int key);
    // The copy box: program `source` (index) into CurrentProgram.
    void copyProgram(int source);

    // The dialogs for CurrentProgram at CurrentTact (and CurrentDirection);
    // neither opens for a fixed program, while it is already open, or where
    // the cell allows no signal.
    void openSignalChoice(QPoint mouseGlobal);
    void openTactProperties(QPoint mouseGlobal);

    // The selection's operations, each one undo step.
    void chooseSignalFor(const std::vector<GridCell>& cells, QPoint mouseGlobal, const char* step);
    void copySelectedTacts();
    void cutSelectedTacts();
    void pasteTacts();
    void insertAllRed();

    const GridSelection& selection() const { return selection_; }
    bool hasCopiedTacts() const { return !clipboard_.empty(); }

private:
    void clearSelection();
    void showSelection();
    GridCell cellAt(QPoint pos, bool& inside) const;

    EditorContext e_;
    ProgramsTab& tab_;
    DirectionsEditor& directions_;
    bool signalOpen_ = false;
    bool propertiesOpen_ = false;
    GridSelection selection_;
    GridCell anchor_;
    int anchorTact_ = -1;
    bool pressed_ = false;   // a plain left press on a cell, not yet let go
    bool dragging_ = false;  // ...and moved to another cell since
    TactClip clipboard_;     // kept across programs
};

}  // namespace livra::ui
