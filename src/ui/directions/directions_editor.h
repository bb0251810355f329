#pragma once
// The directions picture's clicks, DirectionMenu, the directions and channel
// dialogs. The rules live in src/edit.
#include <QPoint>
#include <Qt>

namespace livra::ui {

class Editors;

class DirectionsEditor {
public:
    explicit DirectionsEditor(Editors& editors) : e_(editors) {}

    // A click on the directions picture, in picture coordinates.
    void canvasClicked(QPoint pos, Qt::MouseButton button);
    // The directions dialog for CurrentDirection (the first free row), opened
    // from either tab; globalPos is the mouse.
    void openDirectionsDialog(QPoint globalPos);
    // The channel dialog of one slot; globalPos is the mouse.
    void openChannelDialog(int direction, int slot, QPoint globalPos);
    // An item of DirectionMenu, by its id, for CurrentDirection.
    void menuChosen(int id);

private:
    // Closing either dialog, whatever button closed it.
    void dialogClosed();

    Editors& e_;
    bool directionsOpen_ = false;
    bool channelOpen_ = false;
};

}  // namespace livra::ui
