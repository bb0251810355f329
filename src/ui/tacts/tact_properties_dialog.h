#pragma once
// "Свойства тактa№N": the kind of one tact and its two times. "Ок" hands the
// input to applyTactProperties; each failed check is its own "Ошибка !" box
// and the dialog stays open with the user's input.
#include <QDialog>
#include <QPoint>

#include "app/user_dialogs.h"
#include "model/configuration.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace livra::ui {

class TactPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    TactPropertiesDialog(QWidget* owner, Configuration& c, UserDialogs& ui, int program, int tact, QPoint mouseGlobal);

    static QString title(int tact);

    QComboBox* kindBox() const { return kind_; }
    QLineEdit* minField() const { return min_; }
    QLineEdit* mainField() const { return main_; }
    QLabel* minLabel() const { return minLabel_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void kindChanged();
    void confirm();

    Configuration& c_;
    UserDialogs& ui_;
    int program_, tact_;
    QComboBox* kind_ = nullptr;
    QLineEdit* min_ = nullptr;
    QLineEdit* main_ = nullptr;
    QLabel* minLabel_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace livra::ui
