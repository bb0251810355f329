#pragma once
// The two items of "Инструменты": "Экспорт в SUMO…" and "Импорт из SUMO…".
#include "model/configuration.h"

class QWidget;

namespace livra {
class UserDialogs;
}

namespace livra::ui {

// Opens the export dialog; a written file is named in the error list.
void exportToSumo(QWidget* owner, const Configuration& c, UserDialogs& ui);

// Opens the import dialog. After an import the error list tells what was
// taken, what the import changed (one line each), the validator's verdict and the safety check's findings, Modified is set, and the program's index
// is returned for the views; −1 when nothing was imported.
int importFromSumo(QWidget* owner, Configuration& c, UserDialogs& ui);

}  // namespace livra::ui
