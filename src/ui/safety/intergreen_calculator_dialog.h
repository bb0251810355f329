#pragma once
// "Расчёт промежуточного времени" for one ordered pair: the geometry's
// inputs, the formula with the engineer's numbers and the result rounded up;
// "Принять" hands back the seconds and the inputs (kept per pair so the value
// can be reworked later). The formula is check/intergreen_calculator.
#include <QDialog>

#include "model/configuration.h"

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace livra::ui {

class IntergreenCalculatorDialog : public QDialog {
    Q_OBJECT
public:
    // `from` clears, `to` enters (0-based); `start` are the inputs shown first.
    IntergreenCalculatorDialog(QWidget* owner, const Configuration& config, int from, int to,
                               const IntergreenInputs& start);

    IntergreenInputs inputs() const;
    int seconds() const { return seconds_; }

    enum Field { ClearingDistance, VehicleLength, ClearingSpeed, EnteringDistance, EnteringSpeed, CrossingTime };
    QDoubleSpinBox* field(Field f) const { return fields_[f]; }
    QLabel* formulaLabel() const { return formula_; }
    QLabel* resultLabel() const { return result_; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void recompute();

    QDoubleSpinBox* fields_[6] = {};
    QLabel* formula_ = nullptr;
    QLabel* result_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int seconds_ = 0;
};

}  // namespace livra::ui
