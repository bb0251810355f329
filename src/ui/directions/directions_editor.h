#pragma once
// The directions picture's clicks, DirectionMenu, the directions and channel
// dialogs and the channel count. The rules live in src/edit.
#include <QPoint>
#include <Qt>

#include "ui/editor_context.h"

namespace livra::ui {

class DirectionsTab;

class DirectionsEditor {
public:
    DirectionsEditor(EditorContext context, DirectionsTab& tab) : e_(std::move(context)), tab_(tab) {}

    // A click on the directions picture, in picture coordinates.
    void canvasClicked(QPoint pos, Qt::MouseButton button);
    // The directions dialog for CurrentDirection (the first free row), opened
    // from either tab; globalPos is the mouse.
    void openDirectionsDialog(QPoint globalPos);
    // The channel dialog of one slot; globalPos is the mouse.
    void openChannelDialog(int direction, int slot, QPoint globalPos);
    // An item of DirectionMenu, by its id, for CurrentDirection.
    void menuChosen(int id);
    // Another channel count chosen in the tab: asked first, as it may cut
    // channels off.
    void changeChannelCount(int count);

private:
    // Closing either dialog, whatever button closed it.
    void dialogClosed();

    EditorContext e_;
    DirectionsTab& tab_;
    bool directionsOpen_ = false;
    bool channelOpen_ = false;
};

}  // namespace livra::ui
