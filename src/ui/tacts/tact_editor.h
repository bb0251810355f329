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

private:
    Editors& e_;
};

}  // namespace livra::ui
