#pragma once
// The tact grid's clicks and TactMenu: tact and signal dialogs, tact list
// operations. The rules live in src/edit.
#include <QPoint>
#include <Qt>

namespace livra::ui {

class Editors;

class TactEditor {
public:
    explicit TactEditor(Editors& editors) : e_(editors) {}

    // A click on the grid picture, in picture coordinates.
    void canvasClicked(QPoint pos, Qt::MouseButton button);
    // An item of TactMenu, by its id.
    void menuChosen(int id);

    // The dialogs for CurrentProgram at CurrentTact (and CurrentDirection);
    // neither opens for a fixed program, while it is already open, or where
    // the cell allows no signal.
    void openSignalChoice(QPoint mouseGlobal);
    void openTactProperties(QPoint mouseGlobal);

private:
    Editors& e_;
    bool signalOpen_ = false;
    bool propertiesOpen_ = false;
};

}  // namespace livra::ui
