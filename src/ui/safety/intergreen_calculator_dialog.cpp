#include "ui/safety/intergreen_calculator_dialog.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "check/intergreen_calculator.h"
#include "ui/qt_dialogs.h"
#include "ui/safety/conflict_matrix_dialog.h"
#include "ui/safety/intergreen_sketch.h"
#include "ui/texts.h"

namespace livra::ui {

IntergreenCalculatorDialog::IntergreenCalculatorDialog(QWidget* owner, const Configuration& c, int from, int to,
                                                       const IntergreenInputs& start)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("intergreenCalculator");
    setWindowTitle("Расчёт промежуточного времени");
    auto* top = new QVBoxLayout(this);
    auto* pair = new QLabel(QString("Освобождает напр. %1 (%2), въезжает напр. %3 (%4)")
                                .arg(from + 1)
                                .arg(directionKindName(c.DirectionKind[from]))
                                .arg(to + 1)
                                .arg(directionKindName(c.DirectionKind[to])),
                            this);
    pair->setObjectName("calculatorPair");
    top->addWidget(pair);
    auto* rule = new QLabel("t_z = t_ü + (s₀ + l) / v_r − s_e / v_e, округление вверх до целых секунд", this);
    top->addWidget(rule);

    struct Def {
        const char* label;
        double max, step;
        int decimals;
        const char* suffix;
        double value;
    };
    const Def defs[6] = {
        {"Путь освобождения до точки конфликта s₀", 1000, 1, 1, " м", start.clearingDistance},
        {"Длина транспортного средства l", 100, 1, 1, " м", start.vehicleLength},
        {"Скорость освобождения v_r", 50, 0.1, 1, " м/с", start.clearingSpeed},
        {"Путь въезда до точки конфликта s_e", 1000, 1, 1, " м", start.enteringDistance},
        {"Скорость въезда v_e", 50, 0.1, 1, " м/с", start.enteringSpeed},
        {"Время проезда t_ü", 60, 1, 1, " с", start.crossingTime},
    };
    auto* form = new QFormLayout;
    const char* names[6] = {"clearingDistance", "vehicleLength", "clearingSpeed",
                            "enteringDistance", "enteringSpeed", "crossingTime"};
    for (int i = 0; i < 6; ++i) {
        auto* f = new QDoubleSpinBox(this);
        f->setObjectName(names[i]);
        f->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        f->setRange(0, defs[i].max);
        f->setDecimals(defs[i].decimals);
        f->setSingleStep(defs[i].step);
        f->setSuffix(defs[i].suffix);
        f->setValue(defs[i].value);
        // The clearing distance is measured on the plan, never assumed: it
        // shows empty until given, and the result waits for it.
        if (i == ClearingDistance) f->setSpecialValueText(" ");
        f->setMinimumWidth(110);
        connect(f, &QDoubleSpinBox::valueChanged, this, &IntergreenCalculatorDialog::recompute);
        form->addRow(defs[i].label, f);
        fields_[i] = f;
    }
    auto* row = new QHBoxLayout;
    row->addLayout(form);
    row->addWidget(intergreenSketch(this));
    top->addLayout(row);
    formula_ = new QLabel(this);
    formula_->setObjectName("calculatorFormula");
    formula_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(formula_);
    result_ = new QLabel(this);
    result_->setObjectName("calculatorResult");
    QFont bold = result_->font();
    bold.setBold(true);
    result_->setFont(bold);
    top->addWidget(result_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    accept_ = new QPushButton("Принять", this);
    accept_->setObjectName("calculatorAccept");
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("calculatorCancel");
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    top->addLayout(buttons);
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    bindDialogKeys(this, accept_, cancel_);
    recompute();
}

IntergreenInputs IntergreenCalculatorDialog::inputs() const {
    IntergreenInputs in;
    in.clearingDistance = fields_[ClearingDistance]->value();
    in.vehicleLength = fields_[VehicleLength]->value();
    in.clearingSpeed = fields_[ClearingSpeed]->value();
    in.enteringDistance = fields_[EnteringDistance]->value();
    in.enteringSpeed = fields_[EnteringSpeed]->value();
    in.crossingTime = fields_[CrossingTime]->value();
    return in;
}

void IntergreenCalculatorDialog::recompute() {
    const IntergreenResult r = computeIntergreen(inputs());
    formula_->setText(QString::fromStdString(r.formula));
    if (r.ok) {
        seconds_ = r.seconds;
        result_->setText(QString("Промежуточное время: %1 с").arg(r.seconds));
    } else {
        result_->setText(QString::fromStdString(r.error));
    }
    accept_->setEnabled(r.ok);
}

}  // namespace livra::ui
