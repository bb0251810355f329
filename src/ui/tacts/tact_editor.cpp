#include "ui/tacts/tact_editor.h"

namespace livra::ui {

void TactEditor::canvasClicked(QPoint, Qt::MouseButton) {}

void TactEditor::menuChosen(int) {}

}  // namespace livra::ui
