#include "ui/directions/directions_editor.h"

namespace livra::ui {

void DirectionsEditor::canvasClicked(QPoint, Qt::MouseButton) {}

void DirectionsEditor::openDirectionsDialog(QPoint) {}

void DirectionsEditor::menuChosen(int) {}

}  // namespace livra::ui
