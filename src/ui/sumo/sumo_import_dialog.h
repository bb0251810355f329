#pragma once
// "Импорт из SUMO": a SUMO file (a net, packed or not, an additional file or
// a .tll.xml; chosen or typed), its traffic lights with their link and group
// counts, one program shown phase by phase, the user program it goes into,
// and what the import will change, worked out on a copy before "Импорт". The
// rules are src/sumo's; a refusal is told and nothing is changed; a program
// that is not empty is replaced, and greens that conflict in the matrix are
// taken, only after a question.
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "sumo/sumo_import.h"
#include "sumo/sumo_types.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
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

    // Reads the file into the lists (as "Обзор…" does after the choice, and
    // Enter in the file field).
    void loadFile(const QString& path);

    QLineEdit* fileField() const { return file_; }
    QComboBox* tlsList() const { return tls_; }
    QComboBox* programIdList() const { return programId_; }
    QComboBox* targetList() const { return target_; }
    QTableWidget* phaseTable() const { return phases_; }
    QListWidget* changesList() const { return changes_; }
    QCheckBox* asFixedBox() const { return asFixed_; }
    QCheckBox* createDirectionsBox() const { return createDirections_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* cancelButton() const { return cancel_; }
    // After an accepted dialog: the program (index) that was written, its
    // tacts and what the import said.
    int importedProgram() const { return importedProgram_; }
    int importedTacts() const { return importedTacts_; }
    const std::vector<std::string>& importNotes() const { return notes_; }

protected:
    // Enter in the file field reads the file and is not "Импорт".
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void browse();
    void fileTyped();
    void fillPrograms();
    void fillPhases();
    void preview();
    SumoImportRequest request() const;
    void importNow();

    Configuration& c_;
    UserDialogs& ui_;
    std::optional<SumoAdditional> data_;
    QString loaded_;
    std::string fileName_;
    QLineEdit* file_;
    QComboBox* tls_;
    QComboBox* programId_;
    QComboBox* target_;
    QTableWidget* phases_;
    QCheckBox* asFixed_;
    QCheckBox* createDirections_;
    QListWidget* changes_;
    QLabel* status_;
    QPushButton* browse_;
    QPushButton* import_;
    QPushButton* cancel_;
    int importedProgram_ = -1;
    int importedTacts_ = 0;
    std::vector<std::string> notes_;
};

}  // namespace livra::ui
