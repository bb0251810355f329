#pragma once
// "Импорт из SUMO": a SUMO file (additional, .tll.xml or .net.xml), one of
// its traffic lights and programs, shown phase by phase, and the user program
// it goes into. The rules are src/sumo's; a refusal is told and nothing is
// changed, a program that is not empty is replaced only after a question.
#include <QDialog>
#include <optional>

#include "model/configuration.h"
#include "sumo/sumo_types.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace livra {
class UserDialogs;
}

namespace livra::ui {

class SumoImportDialog : public QDialog {
    Q_OBJECT
public:
    SumoImportDialog(QWidget* owner, Configuration& config, UserDialogs& ui);

    // Reads the file into the lists (as "Обзор…" does after the choice).
    void loadFile(const QString& path);

    QLineEdit* fileField() const { return file_; }
    QComboBox* tlsList() const { return tls_; }
    QComboBox* programIdList() const { return programId_; }
    QComboBox* targetList() const { return target_; }
    QTableWidget* phaseTable() const { return phases_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* cancelButton() const { return cancel_; }
    // After an accepted dialog: the program (index) that was written and its tacts.
    int importedProgram() const { return importedProgram_; }
    int importedTacts() const { return importedTacts_; }

private:
    void browse();
    void fillPrograms();
    void fillPhases();
    void importNow();

    Configuration& c_;
    UserDialogs& ui_;
    std::optional<SumoAdditional> data_;
    QLineEdit* file_;
    QComboBox* tls_;
    QComboBox* programId_;
    QComboBox* target_;
    QTableWidget* phases_;
    QLabel* status_;
    QPushButton* browse_;
    QPushButton* import_;
    QPushButton* cancel_;
    int importedProgram_ = -1;
    int importedTacts_ = 0;
};

}  // namespace livra::ui
