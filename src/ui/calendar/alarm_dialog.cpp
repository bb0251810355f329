#include "ui/calendar/alarm_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/user_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {


QComboBox* list(QWidget* parent, const char* name, int x, int w) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setGeometry(x, 50, w, 20);
    box->setMaxVisibleItems(12);
    return box;
}

}  // namespace

AlarmDialog::AlarmDialog(QWidget* owner, Configuration& config, UserDialogs& ui, int day, int row)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      c_(config), ui_(ui), day_(day), row_(row) {
    setObjectName("alarmDialog");
    setWindowTitle(row < 0 ? "Добавить будильник" : "Редактировать будильник");
    setFixedSize(266, 117);
    (new QLabel("Час", this))->setGeometry(5, 30, 40, 15);
    (new QLabel("Минут", this))->setGeometry(65, 30, 40, 15);
    (new QLabel("Программа №", this))->setGeometry(130, 30, 75, 15);
    hours_ = list(this, "hourList", 5, 45);
    for (int h = 0; h <= 23; ++h) hours_->addItem(QString::number(h));
    minutes_ = list(this, "minuteList", 65, 45);
    for (int m = 0; m <= 59; ++m) minutes_->addItem(QString::number(m));
    programs_ = list(this, "programList", 130, 65);
    for (int p = FirstAlarmProgram; p <= LastAlarmProgram; ++p)
        programs_->addItem(QString::fromStdString(programTitle(p - 1)), p);

    if (row >= 0 && day >= 0 && day < DayCount && row < AlarmCount && isEditableAlarm(c_.Calendar[day][row])) {
        const CalendarEntry& e = c_.Calendar[day][row];
        hours_->setCurrentIndex(e.hour);
        minutes_->setCurrentIndex(e.minute);
        programs_->setCurrentIndex(e.program - FirstAlarmProgram);
    }

    ok_ = new QPushButton(kOkButton, this);
    ok_->setObjectName("okButton");
    ok_->setGeometry(90, 80, 80, 25);
    ok_->setDefault(true);
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    cancel_->setGeometry(180, 80, 80, 25);
    connect(ok_, &QPushButton::clicked, this, &AlarmDialog::apply);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void AlarmDialog::apply() {
    const int hour = hours_->currentIndex();
    const int minute = minutes_->currentIndex();
    const int program = programs_->currentData().toInt();
    result_ = row_ < 0 ? addAlarm(c_, day_, hour, minute, program)
                       : editAlarm(c_, day_, row_, hour, minute, program);
    if (result_ == AlarmResult::DuplicateTime) {
        ui_.messageBox(kErrorMarkTitle, kDuplicateTimeText, Buttons::Ok, Icon::Exclamation);
        return;
    }
    accept();
}

}  // namespace livra::ui
