#pragma once
// The tact grid's clicks and TactMenu: tact and signal dialogs, tact list
// operations. The rules live in src/edit.
#include <QPoint>
#include <Qt>

#include "ui/editor_context.h"

namespace livra::ui {

class DirectionsEditor;
class ProgramsTab;

class TactEditor {
public:
    // The grid's direction column opens the directions dialog of `directions`.
    TactEditor(EditorContext context, ProgramsTab& tab, DirectionsEditor& directions)
        : e_(std::move(context)), tab_(tab), directions_(directions) {}

    // A click on the grid picture, in picture coordinates.
    void canvasClicked(QPoint pos, Qt::MouseButton button);
    // An item of TactMenu, by its id.
    void menuChosen(int id);
    // The copy box: program `source` (index) into CurrentProgram.
    void copyProgram(int source);

    // The dialogs for CurrentProgram at CurrentTact (and CurrentDirection);
    // neither opens for a fixed program, while it is already open, or where
    // the cell allows no signal.
    void openSignalChoice(QPoint mouseGlobal);
    void openTactProperties(QPoint mouseGlobal);

private:
    EditorContext e_;
    ProgramsTab& tab_;
    DirectionsEditor& directions_;
    bool signalOpen_ = false;
    bool propertiesOpen_ = false;
};

}  // namespace livra::ui
