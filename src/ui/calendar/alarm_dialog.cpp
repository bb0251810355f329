#include "ui/calendar/alarm_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <QSignalBlocker>
#include <algorithm>

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
    const bool add = row < 0;
    setFixedSize(266, add ? 142 : 117);
    (new QLabel("Время (ЧЧ:ММ)", this))->setGeometry(5, 30, 110, 15);
    (new QLabel("Программа №", this))->setGeometry(130, 30, 75, 15);
    time_ = new QLineEdit("00:00", this);
    time_->setObjectName("timeField");
    time_->setGeometry(5, 50, 105, 20);
    time_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,2}[:.]?[0-9]{0,2}"), time_));
    time_->setPlaceholderText("06:30");
    hours_ = list(this, "hourList", 5, 45);
    for (int h = 0; h <= 23; ++h) hours_->addItem(QString::number(h));
    minutes_ = list(this, "minuteList", 65, 45);
    for (int m = 0; m <= 59; ++m) minutes_->addItem(QString::number(m));
    hours_->hide();
    minutes_->hide();
    days_ = list(this, "daysBox", 5, 120);
    days_->move(5, 80);
    for (const char* d : {kThisDayItem, kWeekdaysItem, kWeekendItem, kEveryDayItem}) days_->addItem(d);
    days_->setVisible(add);
    programs_ = list(this, "programList", 130, 65);
    for (int p = FirstAlarmProgram; p <= LastAlarmProgram; ++p)
        programs_->addItem(QString::fromStdString(programTitle(p - 1)), p);

    if (row >= 0 && day >= 0 && day < DayCount && row < AlarmCount && isEditableAlarm(c_.Calendar[day][row])) {
        const CalendarEntry& e = c_.Calendar[day][row];
        hours_->setCurrentIndex(e.hour);
        minutes_->setCurrentIndex(e.minute);
        programs_->setCurrentIndex(e.program - FirstAlarmProgram);
    }

    showTime();
    connect(hours_, &QComboBox::currentIndexChanged, this, &AlarmDialog::showTime);
    connect(minutes_, &QComboBox::currentIndexChanged, this, &AlarmDialog::showTime);
    connect(time_, &QLineEdit::textEdited, this, [this](const QString& text) {
        int h = 0, m = 0;
        if (!parseTimeOfDay(text.toStdString(), h, m)) return;
        const QSignalBlocker hb(hours_), mb(minutes_);
        hours_->setCurrentIndex(h);
        minutes_->setCurrentIndex(m);
    });

    ok_ = new QPushButton(kOkButton, this);
    ok_->setObjectName("okButton");
    const int buttonsY = add ? 108 : 80;
    ok_->setGeometry(90, buttonsY, 80, 25);
    ok_->setDefault(true);
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    cancel_->setGeometry(180, buttonsY, 80, 25);
    connect(ok_, &QPushButton::clicked, this, &AlarmDialog::apply);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void AlarmDialog::showTime() {
    time_->setText(QString("%1:%2").arg(hours_->currentIndex(), 2, 10, QChar('0')).arg(minutes_->currentIndex(), 2, 10,
                                                                                          QChar('0')));
}

void AlarmDialog::apply() {
    int hour = 0, minute = 0;
    if (!parseTimeOfDay(time_->text().toStdString(), hour, minute)) {
        ui_.messageBox(kErrorMarkTitle, kBadTimeText, Buttons::Ok, Icon::Exclamation);
        time_->setFocus();
        return;
    }
    const int program = programs_->currentData().toInt();
    static constexpr DayMask kTemplates[] = {0, kWeekdays, kWeekend, kEveryDay};
    const DayMask days = row_ < 0 ? kTemplates[std::clamp(days_->currentIndex(), 0, 3)] : DayMask(0);
    if (days != 0) {
        result_ = addAlarmToDays(c_, days, hour, minute, program).result;
    } else {
        result_ = row_ < 0 ? addAlarm(c_, day_, hour, minute, program)
                           : editAlarm(c_, day_, row_, hour, minute, program);
    }
    if (result_ == AlarmResult::DuplicateTime) {
        ui_.messageBox(kErrorMarkTitle, kDuplicateTimeText, Buttons::Ok, Icon::Exclamation);
        return;
    }
    accept();
}

}  // namespace livra::ui
