#include "ui/sumo/sumo_commands.h"

#include "app/user_dialogs.h"
#include "check/safety_check.h"
#include "check/validator.h"
#include "ui/sumo/sumo_export_dialog.h"
#include "ui/sumo/sumo_import_dialog.h"

namespace livra::ui {

void exportToSumo(QWidget* owner, const Configuration& c, UserDialogs& ui) {
    SumoExportDialog dialog(owner, c, ui);
    if (dialog.exec() != QDialog::Accepted) return;
    ui.clear();
    ui.status("Экспорт в SUMO: " + dialog.written());
}

int importFromSumo(QWidget* owner, Configuration& c, UserDialogs& ui) {
    SumoImportDialog dialog(owner, c, ui);
    if (dialog.exec() != QDialog::Accepted) return -1;
    c.Modified = 1;
    VectorErrorList verdict;
    const bool clean = validateConfiguration(c, verdict) == 0;
    ui.clear();
    ui.status("Импорт из SUMO: тактов " + std::to_string(dialog.importedTacts()) + " в программу " +
           std::to_string(dialog.importedProgram() + 1));
    for (const auto& line : dialog.importNotes()) ui.add(line);
    for (const auto& line : verdict.lines) ui.add("Проверка: " + line);
    if (clean)
        for (const auto& line : safetyReportLines(checkSafety(c, c.Safety))) ui.add(line);
    return dialog.importedProgram();
}

}  // namespace livra::ui
