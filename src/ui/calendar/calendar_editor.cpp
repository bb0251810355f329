#include "ui/calendar/calendar_editor.h"

namespace livra::ui {

void CalendarEditor::menuChosen(int) {}

}  // namespace livra::ui
