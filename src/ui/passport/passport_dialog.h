#pragma once
// "Паспорт объекта": the object data kept beside the project — the object,
// its owner and designer, the signature block's names, the revision, the
// controller's model and serial number, notes — and the names of the used
// directions and of the programs. The dialog edits a copy; "Ок" hands it back
// when every field may stand (the date a real day, no control characters).
#include <QDialog>
#include <vector>

#include "model/configuration.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace livra::ui {

class PassportDialog : public QDialog {
    Q_OBJECT
public:
    PassportDialog(QWidget* owner, const Configuration& config);

    const ObjectData& result() const { return edited_; }
    bool changed() const { return !edited_.sameDescription(config_.Safety.object); }

private:
    void accept() override;

    const Configuration& config_;
    ObjectData edited_;
    std::vector<QLineEdit*> fields_;  // in the order of the field table
    QPlainTextEdit* notes_ = nullptr;
    QTableWidget* directions_ = nullptr;
    QTableWidget* programs_ = nullptr;
    std::vector<int> directionRows_;  // the direction (0-based) of each row
    QLabel* problem_ = nullptr;
};

}  // namespace livra::ui
