#pragma once
// The desktop program's passport commands: the dialog, the report and the
// spreadsheet export, each on the app operation the command line runs too.
#include "app/user_dialogs.h"
#include "model/configuration.h"

class QWidget;

namespace livra::ui {

// "Паспорт объекта…": true when the object data changed (then stored and
// the project marked modified).
bool editPassport(QWidget* owner, Configuration& c);

// "Отчёт (PDF)…": the report with the plan of the working folder.
bool saveReport(const Configuration& c, UserDialogs& dialogs);

// "Таблицы в CSV…".
bool saveReportCsv(const Configuration& c, UserDialogs& dialogs);

}  // namespace livra::ui
