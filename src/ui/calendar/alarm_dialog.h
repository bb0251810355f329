#pragma once
// "Добавить будильник" / "Редактировать будильник": the time typed
// ("06:30") and the program of one alarm and, when adding, the days it goes
// on ("Этот день", "Будни", "Выходные", "Каждый день"). "Ок" stores through
// edit/calendar_edit; a duplicate or unreadable time is told at once and the
// dialog stays open for correction. The hour and minute lists stay behind
// the time field, in step with it.
#include <QDialog>

#include "edit/calendar_edit.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace livra {
class UserDialogs;
}

namespace livra::ui {

class AlarmDialog : public QDialog {
    Q_OBJECT
public:
    // Add mode when row < 0; otherwise entry `row` of `day` is edited and
    // preselected (the caller checked that the lists can show it).
    AlarmDialog(QWidget* owner, Configuration& config, UserDialogs& ui, int day, int row);

    // What the last "Ок" gave; DayFull closes the dialog for the caller to
    // tell the user.
    AlarmResult result() const { return result_; }

    QLineEdit* timeField() const { return time_; }
    QComboBox* daysBox() const { return days_; }
    QComboBox* hourList() const { return hours_; }
    QComboBox* minuteList() const { return minutes_; }
    QComboBox* programList() const { return programs_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void apply();
    void showTime();

    Configuration& c_;
    UserDialogs& ui_;
    int day_, row_;
    AlarmResult result_ = AlarmResult::Refused;
    QLineEdit* time_;
    QComboBox* days_;
    QComboBox* hours_;
    QComboBox* minutes_;
    QComboBox* programs_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace livra::ui
