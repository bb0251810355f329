#include "ui/sumo/sumo_commands.h"

#include "app/user_dialogs.h"
#include "ui/sumo/sumo_export_dialog.h"
#include "ui/sumo/sumo_import_dialog.h"

namespace livra::ui {

void exportToSumo(QWidget* owner, const Configuration& c, UserDialogs& ui) {
    SumoExportDialog dialog(owner, c, ui);
    if (dialog.exec() != QDialog::Accepted) return;
    // Nothing changed: the list keeps the verdict it shows.
    ui.status("Экспорт в SUMO: " + dialog.written());
}

int importFromSumo(QWidget* owner, Configuration& c, UserDialogs& ui) {
    SumoImportDialog dialog(owner, c, ui);
    if (dialog.exec() != QDialog::Accepted) return -1;
    c.Modified = 1;
    ui.clear();
    ui.status("Импорт из SUMO: тактов " + std::to_string(dialog.importedTacts()) + " в программу " +
              std::to_string(dialog.importedProgram() + 1));
    // What the import changed; the caller adds the verdict after it.
    for (const auto& line : dialog.importNotes()) ui.add(line);
    return dialog.importedProgram();
}

}  // namespace livra::ui
